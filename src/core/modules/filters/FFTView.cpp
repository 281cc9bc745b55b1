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

void CFFTViewFilter::DrawGraph(Surface* surface, const Rect& plot, const DisplayState& display,
                               const SampleRange* range) {
    DrawSpectrum(surface, plot, display, range, m_outputCount, "-40dB");
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
