#include "modules/analysis/WelchViewFilter.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

#include "modules/analysis/SpectralKernels.h"
#include "platform/Archive.h"

namespace tavrel {

CWelchViewFilter::CWelchViewFilter() {
    m_name = kDisplayName;
}

void CWelchViewFilter::SerializeOwn(Archive& ar) {
    CModBase::SerializeOwn(ar);
    ar.Int(m_points);
    ar.Int(m_decibel);
}

int CWelchViewFilter::SegmentLength() const {
    return std::max(std::min(m_points, m_inputCount), 0);
}

// ---- spectrum

int CWelchViewFilter::Compute() {
    const int length = SegmentLength();
    if (!m_input || length < spectral::kMinSpectrumSamples || m_samplingRate <= 0) return -1;
    std::vector<double> p;
    try {
        p = spectral::WelchDensity(
            std::span<const double>(m_input.get(), static_cast<std::size_t>(m_inputCount)),
            m_samplingRate, length);
    } catch (const std::bad_alloc&) {
        return -1;
    }
    if (m_decibel) {
        // A bin without power is drawn at the lowest level of the others (0 when none has any).
        double lowest = std::numeric_limits<double>::infinity();
        for (double& v : p) {
            v = v > 0.0 ? 10.0 * std::log10(v) : -std::numeric_limits<double>::infinity();
            if (std::isfinite(v)) lowest = std::min(lowest, v);
        }
        if (!std::isfinite(lowest)) lowest = 0.0;
        for (double& v : p)
            if (!std::isfinite(v)) v = lowest;
    }
    return StoreOutput(static_cast<int>(p.size()),
                       [&](double* y) { std::copy(p.begin(), p.end(), y); });
}

void CWelchViewFilter::DrawGraph(Surface* surface, const Rect& plot, const DisplayState& display,
                                 const SampleRange* range) {
    DrawSpectrum(surface, plot, display, range, SegmentLength() / 2,
                 m_decibel ? "dB" : m_unit + "^2/Hz");
}

}  // namespace tavrel
