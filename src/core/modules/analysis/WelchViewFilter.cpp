#include "modules/analysis/WelchViewFilter.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <utility>

#include "modules/analysis/SpectralKernels.h"
#include "modules/filters/FFTView.h"
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

// ---- pass-through, as the FFT view

bool CWelchViewFilter::WantsUpstream() const {
    return !m_input && m_prev;
}

void CWelchViewFilter::PassInputThrough() {
    m_output = std::move(m_input);
    m_outputCount = m_inputCount;
}

SampleBuffer CWelchViewFilter::TakeLocalOutput() {
    m_output.reset();
    if (!m_input) return nullptr;
    PassInputThrough();
    return HandDownOutput();
}

SampleBuffer CWelchViewFilter::TakeOutputFrom(SampleBuffer upstream) {
    m_output.reset();
    if (!upstream) return nullptr;
    m_input = std::move(upstream);
    PassInputThrough();
    return HandDownOutput();
}

int CWelchViewFilter::RecomputeAndGetData(std::vector<double>* values, std::string* label,
                                          std::vector<double>* times) {
    if (!PullInput()) return 0;
    m_output.reset();
    PassInputThrough();
    GetData(values, label, times);
    return 1;
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
    // The drawing places value k at 1000 k / rate ms; with the rate 1000 / (bin width fs / L)
    // bin k lands at its frequency and the axis reads in hertz. The fields the drawing reads are
    // put back afterwards.
    const int rate = m_samplingRate;
    const int exponent = m_timeExponent;
    const int factor = m_unitFactor;
    const int marker = m_markerIndex;
    std::string timeUnit = std::move(m_timeUnit);
    std::string unit = m_unit;
    m_samplingRate = SpectrumDrawingRate(rate, SegmentLength() / 2);
    m_timeExponent = 0;
    m_unitFactor = 1;
    m_markerIndex = -1;
    m_timeUnit = "Hz";
    m_unit = m_decibel ? "dB" : unit + "^2/Hz";
    CModBase::DrawGraph(surface, plot, display, range);
    m_samplingRate = rate;
    m_timeExponent = exponent;
    m_unitFactor = factor;
    m_markerIndex = marker;
    m_timeUnit = std::move(timeUnit);
    m_unit = std::move(unit);
}

}  // namespace tavrel
