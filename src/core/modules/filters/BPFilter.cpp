#include "modules/filters/BPFilter.h"

#include "modules/filters/BPDlg.h"
#include "platform/Archive.h"

namespace tavrel {

CBPFilter::CBPFilter() { m_name = "帯域通過フィルタ"; }

CBPFilter::~CBPFilter() = default;

void CBPFilter::DesignIntoHighSet(int (CDFilBase::*design)(double), double x) {
    TapArray aside = std::move(m_coefficients);
    (this->*design)(x);
    m_coefficientsHigh = std::move(m_coefficients);
    m_coefficients = std::move(aside);
}

int CBPFilter::Compute() {
    if (!m_coefficients) DesignHighPass(m_cutoff);
    if (!m_coefficientsHigh) DesignIntoHighSet(&CDFilBase::DesignLowPass, m_cutoffHigh);

    // First stage: the high-pass at the lower edge, over the module's own input.
    if (ApplyCoefficients(m_coefficients.get()) < 0) return -1;
    // Second stage: the low-pass at the upper edge over the first stage's output, which stands in
    // for the input meanwhile (cut to the input's length, so padded with zeros afresh).
    SampleBuffer input = std::move(m_input);
    const int inputCount = m_inputCount;
    m_input = std::move(m_output);
    m_inputCount = m_outputCount;
    int result = ApplyCoefficients(m_coefficientsHigh.get());
    m_input = std::move(input);
    m_inputCount = inputCount;
    return result;
}

int CBPFilter::EditSettings() {
    CBPDlg dialog(*this);
    return RunModuleDialog(dialog);
}

void CBPFilter::SerializeOwn(Archive& ar) {
    CDFilBase::SerializeOwn(ar);
    ar.Double(m_cutoffHigh);
}

void CBPFilter::CopySettings(const CModBase& source) {
    if (auto* filter = dynamic_cast<const CBPFilter*>(&source))
        m_cutoffHigh = filter->m_cutoffHigh;
    CDFilBase::CopySettings(source);
}

void CBPFilter::ReleaseCoefficients() {
    CDFilBase::ReleaseCoefficients();
    m_coefficientsHigh.reset();
}

}  // namespace tavrel
