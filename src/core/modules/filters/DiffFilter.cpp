#include "modules/filters/DiffFilter.h"

#include <limits>
#include <span>

#include "modules/filters/FirKernels.h"

namespace tavrel {

CDiffFilter::CDiffFilter() {
    m_name = kDisplayName;
}

int CDiffFilter::Compute() {
    if (!m_input || m_inputCount <= 0) return -1;
    const std::size_t n = static_cast<std::size_t>(m_inputCount);
    // Samples per millisecond; a multiplication, so any rate is safe.
    const double k = m_samplingRate * 0.001;
    return StoreOutput(m_inputCount, [&](double* y) {
        kernels::Differentiate(std::span<const double>(m_input.get(), n), k,
                               std::span<double>(y, n));
    });
}

int CDiffFilter::GetTimeExponent() const {
    // Saturates rather than overflowing at the lowest int.
    if (m_timeExponent == std::numeric_limits<int>::min()) return m_timeExponent;
    return m_timeExponent - 1;
}

}  // namespace tavrel
