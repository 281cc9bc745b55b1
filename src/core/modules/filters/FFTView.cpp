#include "modules/filters/FFTView.h"

#include <algorithm>
#include <utility>

#include "modules/filters/Spectrum.h"
#include "pipeline/DialogIds.h"
#include "platform/Archive.h"
#include "platform/Rounding.h"
#include "platform/Translate.h"

namespace tavrel {

namespace ids = dialog_ids;

CFFTViewFilter::CFFTViewFilter() {
    m_name = kDisplayName;
}

void CFFTViewFilter::SerializeOwn(Archive& ar) {
    CModBase::SerializeOwn(ar);
    ar.Int(m_points);
    ar.Int(m_start);
}

int CFFTViewFilter::FittedSize() const {
    return spectrum::FitTransformSize(m_points, m_inputCount);
}

void CFFTViewFilter::ClampStart(int n) {
    const int last = std::max(m_inputCount - std::max(n, 0), 0);
    m_start = std::clamp(m_start, 0, last);
}

// ---- pass-through
// --------------------------------------------------------------------------------

bool CFFTViewFilter::WantsUpstream() const {
    return !m_input && m_prev;
}

void CFFTViewFilter::PassInputThrough() {
    m_output = std::move(m_input);
    m_outputCount = m_inputCount;
}

SampleBuffer CFFTViewFilter::TakeLocalOutput() {
    // Reached with an input held, or at a module without upstream. A spectrum is never handed on.
    m_output.reset();
    if (!m_input) return nullptr;
    PassInputThrough();
    return HandDownOutput();
}

SampleBuffer CFFTViewFilter::TakeOutputFrom(SampleBuffer upstream) {
    m_output.reset();
    if (!upstream) return nullptr;
    // Upstream has just written the count of this array into m_inputCount.
    m_input = std::move(upstream);
    PassInputThrough();
    return HandDownOutput();
}

int CFFTViewFilter::RecomputeAndGetData(std::vector<double>* values, std::string* label,
                                        std::vector<double>* times) {
    if (!PullInput()) return 0;
    m_output.reset();
    PassInputThrough();
    GetData(values, label, times);
    return 1;
}

// ---- spectrum
// ------------------------------------------------------------------------------------

int CFFTViewFilter::Compute() {
    if (!m_input || m_inputCount <= 2) return -1;
    const int n = FittedSize();
    if (n < 3) return -1;
    // Only bins 0 .. N/2 - 1 (0 Hz to just below the Nyquist frequency) are output, so only they
    // get a level; the peak they refer to is that of all N bins.
    SampleBuffer levels = AllocSamples(n / 2);
    SampleBuffer re = AllocSamples(n);
    SampleBuffer im = AllocSamples(n);
    if (!levels || !re || !im) return -1;
    ClampStart(n);
    const auto count = static_cast<std::size_t>(n);
    std::span<const double> window(m_input.get() + m_start, count);
    std::span<double> reSpan(re.get(), count);
    std::span<double> imSpan(im.get(), count);
    if (!spectrum::Transform(window, reSpan, imSpan)) return -1;
    spectrum::Levels(reSpan, imSpan, std::span<double>(levels.get(), count / 2));
    m_output = std::move(levels);
    m_outputCount = n / 2;
    return m_outputCount;
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

void CFFTViewFilter::DrawGraph(Surface* surface, const Rect& plot, const DisplayState& display,
                               const SampleRange* range) {
    DrawingFieldsRestorer restore(*this);
    // The drawing places output sample i at 1000 * i / rate; with the rate set to 1000 / (bin
    // width in Hz) bin i lands at its frequency and the axis reads in hertz.
    m_samplingRate = SpectrumDrawingRate(m_samplingRate, m_outputCount);
    m_timeExponent = 0;
    m_unitFactor = 1;
    m_markerIndex = -1;
    m_timeUnit = "Hz";
    m_unit = "-40dB";
    CModBase::DrawGraph(surface, plot, display, range);
}

// ---- settings dialog
// -----------------------------------------------------------------------------

int CFFTViewFilter::EditSettings() {
    const int n = std::max(m_inputCount, 0);
    const int fs = m_samplingRate;
    const int size = n < 3 ? 0 : FittedSize();
    ClampStart(size);

    CFFTDlg dialog(*this);
    dialog.m_maxStartMs = static_cast<unsigned>(std::max(SampleToMs(fs, n - size), 0));
    dialog.m_fromMs = 0;
    dialog.m_toMs = static_cast<unsigned>(std::max(SampleToMs(fs, n), 0));
    dialog.m_startMs = static_cast<unsigned>(std::max(SampleToMs(fs, m_start), 0));
    dialog.m_pointCount = static_cast<unsigned>(size);
    // The method actually used: sizes that are not powers of two go through the DFT.
    dialog.m_method = spectrum::UsesFft(size) ? "FFT" : "DFT";
    dialog.SetText(ids::fft::kMinField, std::to_string(dialog.m_fromMs));
    dialog.SetText(ids::fft::kMaxField, std::to_string(dialog.m_toMs));
    dialog.SetText(ids::fft::kStartEdit, std::to_string(dialog.m_startMs));
    dialog.SetText(ids::fft::kPointsField, std::to_string(dialog.m_pointCount));
    dialog.SetText(ids::fft::kMethodField, dialog.m_method);
    return RunModuleDialog(dialog);
}

CFFTDlg::CFFTDlg(CFFTViewFilter& module)
    : ModuleDialog(module, ids::fft::kTemplate, Translate("ModuleDialog", "FFT設定"), true),
      m_fft(module) {}

DialogCheck CFFTDlg::Validate() {
    long long v = 0;
    if (auto c = ReadInt(ids::fft::kMinField, 0, 4294967295LL, v); !c.ok) return c;
    m_fromMs = static_cast<unsigned>(v);
    if (auto c = ReadInt(ids::fft::kMaxField, 0, 4294967295LL, v); !c.ok) return c;
    m_toMs = static_cast<unsigned>(v);
    if (auto c = ReadInt(ids::fft::kStartEdit, m_fromMs, m_maxStartMs, v); !c.ok) return c;
    m_startMs = static_cast<unsigned>(v);
    if (auto c = ReadInt(ids::fft::kPointsField, 0, 5000, v); !c.ok) return c;
    m_pointCount = static_cast<unsigned>(v);
    return ReadText(ids::fft::kMethodField, 10, m_method);
}

void CFFTDlg::StoreStart() {
    m_fft.m_start = MsToSample(m_fft.m_samplingRate, m_startMs);
}

DialogCheck CFFTDlg::Apply() {
    DialogCheck check = Validate();
    if (check.ok) StoreStart();
    return check;
}

void CFFTDlg::Commit() {
    StoreStart();
}

}  // namespace tavrel
