#include "modules/filters/IirFilters.h"

#include <span>

#include "modules/filters/IirDesign.h"
#include "modules/filters/SosKernels.h"
#include "platform/Archive.h"

namespace tavrel {

namespace {

// The module's output: the sections run over its input (a copy without sections).
int RunSections(CModBase& m, const kernels::Sections& sos, bool zeroPhase, const double* input,
                int count) {
    const std::size_t n = static_cast<std::size_t>(count);
    SampleBuffer out = AllocSamples(count);
    if (!out) return -1;
    const std::span<const double> x(input, n);
    const std::span<double> y(out.get(), n);
    if (zeroPhase)
        kernels::SosFiltFilt(sos, x, y);
    else
        kernels::SosFilter(sos, x, y);
    m.m_output = std::move(out);
    m.m_outputCount = count;
    return count;
}

}  // namespace

CButterFilter::CButterFilter() {
    m_name = kDisplayName;
}

int CButterFilter::Compute() {
    if (!m_input || m_inputCount <= 0) return -1;
    const kernels::Sections sos =
        kernels::ButterworthSections(static_cast<kernels::BandKind>(m_kind), m_order, m_lowHz,
                                     m_highHz, static_cast<double>(m_samplingRate));
    // An invalid set-up (no sections) passes the input through.
    return RunSections(*this, sos, m_zeroPhase != 0, m_input.get(), m_inputCount);
}

void CButterFilter::SerializeOwn(Archive& ar) {
    CModBase::SerializeOwn(ar);
    ar.Int(m_kind);
    ar.Int(m_order);
    ar.Double(m_lowHz);
    ar.Double(m_highHz);
    ar.Int(m_zeroPhase);
}

CNotchFilter::CNotchFilter() {
    m_name = kDisplayName;
}

int CNotchFilter::Compute() {
    if (!m_input || m_inputCount <= 0) return -1;
    const kernels::Sections sos = kernels::NotchCascade(m_freqHz, m_quality, m_harmonics,
                                                        static_cast<double>(m_samplingRate));
    return RunSections(*this, sos, m_zeroPhase != 0, m_input.get(), m_inputCount);
}

void CNotchFilter::SerializeOwn(Archive& ar) {
    CModBase::SerializeOwn(ar);
    ar.Double(m_freqHz);
    ar.Double(m_quality);
    ar.Int(m_harmonics);
    ar.Int(m_zeroPhase);
}

}  // namespace tavrel
