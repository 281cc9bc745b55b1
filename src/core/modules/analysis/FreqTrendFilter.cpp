#include "modules/analysis/FreqTrendFilter.h"

#include <algorithm>
#include <new>
#include <vector>

#include "modules/analysis/SpectralKernels.h"
#include "platform/Archive.h"

namespace tavrel {

CFreqTrendFilter::CFreqTrendFilter() {
    m_name = kDisplayName;
}

void CFreqTrendFilter::SerializeOwn(Archive& ar) {
    CModBase::SerializeOwn(ar);
    ar.Int(m_measure);
    ar.Int(m_windowMs);
    ar.Int(m_stepMs);
}

int CFreqTrendFilter::EffectiveStepMs() const {
    int step = kSteps.front();
    for (int s : kSteps)
        if (s <= m_stepMs) step = s;
    return step;
}

int CFreqTrendFilter::GetSamplingRate() const {
    return 1000 / EffectiveStepMs();
}

int CFreqTrendFilter::Compute() {
    if (!m_input || m_inputCount < 0) return -1;
    // The values are frequencies, whatever the input's unit.
    m_unit = "Hz";
    m_unitFactor = 1;
    std::vector<double> trend;
    try {
        trend = spectral::FrequencyTrend(
            std::span<const double>(m_input.get(), static_cast<std::size_t>(m_inputCount)),
            m_samplingRate, m_windowMs, EffectiveStepMs(),
            m_measure == 1 ? spectral::TrendMeasure::Mean : spectral::TrendMeasure::Median);
    } catch (const std::bad_alloc&) {
        return -1;
    }
    return StoreOutput(static_cast<int>(trend.size()),
                       [&](double* y) { std::copy(trend.begin(), trend.end(), y); });
}

}  // namespace tavrel
