#include "modules/filters/BPFilter.h"

#include <span>

#include "modules/filters/BPDlg.h"
#include "modules/filters/FirKernels.h"
#include "platform/Archive.h"

namespace tavrel {

CBPFilter::CBPFilter() {
    m_name = kDisplayName;
}

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

    // Two stages: the high-pass at the lower edge over the module's input, then the low-pass at
    // the upper edge over that result cut to the input's length (padded with zeros afresh). The
    // kernel runs both block by block, so the intermediate result needs no array of its own.
    if (!m_input || m_inputCount <= 0) return -1;
    const auto n = static_cast<std::size_t>(m_inputCount);
    return StoreOutput(m_inputCount, [&](double* y) {
        kernels::ConvolveCentredTwice(
            std::span<const double>(m_input.get(), n),
            kernels::ConstTaps(m_coefficients.get(), kernels::kTapCount),
            kernels::ConstTaps(m_coefficientsHigh.get(), kernels::kTapCount),
            std::span<double>(y, n));
    });
}

int CBPFilter::EditSettings() {
    CBPDlg dialog(*this);
    return RunModuleDialog(dialog);
}

void CBPFilter::SerializeOwn(Archive& ar) {
    CDFilBase::SerializeOwn(ar);
    ar.Double(m_cutoffHigh);
}

void CBPFilter::ReleaseCoefficients() {
    CDFilBase::ReleaseCoefficients();
    m_coefficientsHigh.reset();
}

}  // namespace tavrel
