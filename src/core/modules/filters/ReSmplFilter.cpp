#include "modules/filters/ReSmplFilter.h"

#include <span>

#include "modules/filters/FirKernels.h"
#include "platform/Archive.h"

namespace tavrel {

CReSmplFilter::CReSmplFilter() {
    m_name = kDisplayName;
}

int CReSmplFilter::Compute() {
    if (!m_input || m_inputCount <= 0) return -1;
    const std::size_t n = static_cast<std::size_t>(m_inputCount);
    const std::size_t count = kernels::DecimatedCount(n, m_step);
    // An empty result (fewer samples than one step) is still an output, of zero samples.
    return StoreOutput(static_cast<int>(count), [&](double* y) {
        kernels::Decimate(std::span<const double>(m_input.get(), n), m_step,
                          std::span<double>(y, count));
    });
}

int CReSmplFilter::GetSamplingRate() const {
    return m_samplingRate / EffectiveStep();
}

int CReSmplFilter::GetMarkerIndex() const {
    if (m_markerIndex <= 0) return m_markerIndex;
    return m_markerIndex / EffectiveStep();
}

void CReSmplFilter::SerializeOwn(Archive& ar) {
    CModBase::SerializeOwn(ar);
    ar.Int(m_step);
}

}  // namespace tavrel
