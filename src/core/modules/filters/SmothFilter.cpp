#include "modules/filters/SmothFilter.h"

#include <span>

#include "modules/filters/FirKernels.h"
#include "platform/Archive.h"

namespace tavrel {

CSmothFilter::CSmothFilter() {
    m_name = kDisplayName;
}

int CSmothFilter::Compute() {
    if (!m_input || m_inputCount <= 0) return -1;
    SampleBuffer out = AllocSamples(m_inputCount);
    if (!out) return -1;
    const std::size_t n = static_cast<std::size_t>(m_inputCount);
    kernels::MovingAverage(std::span<const double>(m_input.get(), n), m_points,
                           std::span<double>(out.get(), n));
    m_output = std::move(out);
    m_outputCount = m_inputCount;
    return m_outputCount;
}

void CSmothFilter::SerializeOwn(Archive& ar) {
    CModBase::SerializeOwn(ar);
    ar.Int(m_points);
}

}  // namespace tavrel
