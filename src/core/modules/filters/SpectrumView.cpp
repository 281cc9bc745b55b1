#include "modules/filters/SpectrumView.h"

#include <utility>

#include "platform/Rounding.h"

namespace tavrel {

bool CSpectrumView::WantsUpstream() const {
    return !m_input && m_prev;
}

void CSpectrumView::PassInputThrough() {
    m_output = std::move(m_input);
    m_outputCount = m_inputCount;
}

SampleBuffer CSpectrumView::TakeLocalOutput() {
    // Reached with an input held, or at a module without upstream. A spectrum is never handed on.
    m_output.reset();
    if (!m_input) return nullptr;
    PassInputThrough();
    return HandDownOutput();
}

SampleBuffer CSpectrumView::TakeOutputFrom(SampleBuffer upstream) {
    m_output.reset();
    if (!upstream) return nullptr;
    // Upstream has just written the count of this array into m_inputCount.
    m_input = std::move(upstream);
    PassInputThrough();
    return HandDownOutput();
}

int CSpectrumView::RecomputeAndGetData(std::vector<double>* values, std::string* label,
                                       std::vector<double>* times) {
    if (!PullInput()) return 0;
    m_output.reset();
    PassInputThrough();
    GetData(values, label, times);
    return 1;
}

namespace {

// Puts the six fields that the common drawing reads for its labels and axes back on leaving.
class DrawingFieldsRestorer {
  public:
    explicit DrawingFieldsRestorer(CModBase& m)
        : m_module(m),
          m_timeExponent(m.m_timeExponent),
          m_unitFactor(m.m_unitFactor),
          m_markerIndex(m.m_markerIndex),
          m_timeUnit(m.m_timeUnit),
          m_unit(m.m_unit),
          m_samplingRate(m.m_samplingRate) {}
    ~DrawingFieldsRestorer() {
        m_module.m_timeExponent = m_timeExponent;
        m_module.m_unitFactor = m_unitFactor;
        m_module.m_markerIndex = m_markerIndex;
        m_module.m_timeUnit = std::move(m_timeUnit);
        m_module.m_unit = std::move(m_unit);
        m_module.m_samplingRate = m_samplingRate;
    }
    DrawingFieldsRestorer(const DrawingFieldsRestorer&) = delete;
    DrawingFieldsRestorer& operator=(const DrawingFieldsRestorer&) = delete;

  private:
    CModBase& m_module;
    int m_timeExponent;
    int m_unitFactor;
    int m_markerIndex;
    std::string m_timeUnit;
    std::string m_unit;
    int m_samplingRate;
};

}  // namespace

int SpectrumDrawingRate(int rate, int binCount) {
    const double binWidth = binCount > 0 ? rate * 0.5 / binCount : 0.0;
    return binWidth > 0.0 ? RoundToInt(1000.0 / binWidth) : 0;
}

void CSpectrumView::DrawSpectrum(Surface* surface, const Rect& plot, const DisplayState& display,
                                 const SampleRange* range, int binCount, std::string unit) {
    DrawingFieldsRestorer restore(*this);
    // The drawing places output sample i at 1000 * i / rate; with the rate set to 1000 / (bin
    // width in Hz) bin i lands at its frequency and the axis reads in hertz.
    m_samplingRate = SpectrumDrawingRate(m_samplingRate, binCount);
    m_timeExponent = 0;
    m_unitFactor = 1;
    m_markerIndex = -1;
    m_timeUnit = "Hz";
    m_unit = std::move(unit);
    CModBase::DrawGraph(surface, plot, display, range);
}

}  // namespace tavrel
