#include "modules/analysis/SDActDetFilter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "pipeline/DialogIds.h"
#include "platform/Archive.h"
#include "platform/NumberFormat.h"
#include "platform/Rounding.h"
#include "platform/Translate.h"

namespace tavrel {

namespace ids = dialog_ids;

int MsTimesRateToSample(long long ms, int rate) {
    // The product is formed in double, which holds it exactly for every value that can stand for
    // a sample index and cannot overflow for any stored one.
    return RoundToInt(static_cast<double>(ms) * rate * 0.001);
}

double ReferenceThreshold(const double* x, int n, int a, int b, double k) {
    // Rounding milliseconds to samples can reach one sample past the input, and a start moved
    // before the first sample can make a negative; only the samples that exist are summed.
    a = std::clamp(a, 0, std::max(n, 0));
    b = std::clamp(b, 0, std::max(n, 0));
    if (a >= b) return 0.0;
    const double count = b - a;
    double s = 0.0;
    double q = 0.0;
    for (int i = a; i < b; ++i) {
        s += x[i];
        q += x[i] * x[i];
    }
    return k * std::sqrt((q - s * s / count) / count);
}

int FindSdOnset(const double* x, int n, int window, double threshold) {
    // A window of no samples would take out a sample beyond the one just added; it has no
    // deviation and never exceeds the threshold.
    if (window <= 0) return -1;
    int count = 0;
    double s = 0.0;
    double q = 0.0;
    for (int i = 0; i < n; ++i) {
        ++count;
        s += x[i];
        q += x[i] * x[i];
        if (count < window) continue;
        // A variance that rounding makes negative gives no number, which never compares greater.
        const double sd = std::sqrt((q - s * s / count) / count);
        if (sd > threshold) return i - window >= 0 ? i - window : -1;
        // Running sums: the oldest sample leaves the window.
        const double oldest = x[i - window + 1];
        s -= oldest;
        q -= oldest * oldest;
        --count;
    }
    return -1;
}

CSDActDetFilter::CSDActDetFilter() {
    m_name = kDisplayName;
}

void CSDActDetFilter::SerializeOwn(Archive& ar) {
    CModBase::SerializeOwn(ar);
    ar.Int(m_refStartMs);
    ar.Int(m_refLengthMs);
    ar.Double(m_sdFactor);
    ar.Int(m_windowMs);
}

int CSDActDetFilter::DurationMs(int n) const {
    if (m_samplingRate <= 0) return 0;
    return RoundToInt(n * 1000.0 / m_samplingRate);
}

void CSDActDetFilter::ClampReference(int durationMs) {
    if (m_refStartMs >= durationMs) m_refStartMs = durationMs - 1;
    // 64-bit sums: stored values may lie anywhere in the int range.
    const long long end = static_cast<long long>(m_refStartMs) + m_refLengthMs;
    if (end > durationMs)
        m_refLengthMs = SaturateToInt(static_cast<long long>(durationMs) - m_refStartMs);
}

void CSDActDetFilter::HighlightReference() {
    m_rangeStart = MsTimesRateToSample(m_refStartMs, m_samplingRate);
    m_rangeEnd =
        MsTimesRateToSample(static_cast<long long>(m_refStartMs) + m_refLengthMs, m_samplingRate);
}

int CSDActDetFilter::Compute() {
    if (!m_input || m_inputCount <= 0) return -1;
    const int n = m_inputCount;
    const double* x = m_input.get();
    ClampReference(DurationMs(n));
    const int a = MsTimesRateToSample(m_refStartMs, m_samplingRate);
    const int b =
        MsTimesRateToSample(static_cast<long long>(m_refStartMs) + m_refLengthMs, m_samplingRate);
    const double threshold = ReferenceThreshold(x, n, a, b, m_sdFactor);
    const int window = MsTimesRateToSample(m_windowMs, m_samplingRate);
    // Without a hit (or on a hit of the very first window) the marker keeps what it held.
    const int onset = FindSdOnset(x, n, window, threshold);
    if (onset >= 0) m_markerIndex = onset;
    return StoreOutput(n, [&](double* y) { std::copy(x, x + n, y); });
}

int CSDActDetFilter::EditSettings() {
    int durationMs = DurationMs(m_inputCount);
    if (durationMs <= 0) {
        m_refStartMs = 0;
        m_refLengthMs = 1;
        durationMs = 1;
    } else {
        ClampReference(durationMs);
    }
    CSDActDetDlg dialog(*this, durationMs);
    HighlightReference();
    const int result = RunModuleDialog(dialog);
    m_rangeStart = -1;
    m_rangeEnd = -1;
    return result;
}

CSDActDetDlg::CSDActDetDlg(CSDActDetFilter& module, int durationMs)
    : ModuleDialog(module, ids::sd::kTemplate, Translate("ModuleDialog", "SD活動抽出設定"), true),
      m_detector(module) {
    m_refStartMs = module.m_refStartMs;
    m_refLengthMs = module.m_refLengthMs;
    m_minMs = 0;
    m_maxMs = durationMs;
    m_sdFactor = module.m_sdFactor;
    m_windowMs = module.m_windowMs;
    SetText(ids::sd::kRefStartEdit, std::to_string(m_refStartMs));
    SetText(ids::sd::kRefLengthEdit, std::to_string(m_refLengthMs));
    SetText(ids::sd::kMinField, std::to_string(m_minMs));
    SetText(ids::sd::kMaxField, std::to_string(m_maxMs));
    SetText(ids::sd::kFactorEdit, FormatG(m_sdFactor, 15));
    SetText(ids::sd::kWindowEdit, std::to_string(m_windowMs));
}

DialogCheck CSDActDetDlg::Validate() {
    long long v = 0;
    // The start and length are checked against the limits shown (held before this exchange).
    if (auto c = ReadInt(ids::sd::kRefStartEdit, m_minMs, m_maxMs - 1, v); !c.ok) return c;
    m_refStartMs = v;
    if (auto c = ReadInt(ids::sd::kRefLengthEdit, 1, m_maxMs - m_minMs - m_refStartMs, v); !c.ok)
        return c;
    m_refLengthMs = v;
    if (auto c = ReadInt(ids::sd::kMinField, 0, 1000000, v); !c.ok) return c;
    m_minMs = v;
    if (auto c = ReadInt(ids::sd::kMaxField, 0, 4294967295LL, v); !c.ok) return c;
    m_maxMs = v;
    double k = 0.0;
    if (auto c = ReadNumber(ids::sd::kFactorEdit, 0.01, 100.0, k); !c.ok) return c;
    m_sdFactor = k;
    if (auto c = ReadInt(ids::sd::kWindowEdit, 1, 100, v); !c.ok) return c;
    m_windowMs = v;
    return {};
}

void CSDActDetDlg::Store() {
    m_detector.m_refStartMs = SaturateToInt(m_refStartMs);
    m_detector.m_refLengthMs = SaturateToInt(m_refLengthMs);
    m_detector.m_sdFactor = m_sdFactor;
    m_detector.m_windowMs = SaturateToInt(m_windowMs);
}

DialogCheck CSDActDetDlg::Apply() {
    DialogCheck check = Validate();
    if (!check.ok) return check;
    Store();
    m_detector.HighlightReference();
    // The preview shows the marker of the new settings once it is found again.
    m_detector.m_markerIndex = -1;
    return check;
}

void CSDActDetDlg::Commit() {
    Store();
}

void CSDActDetDlg::OnRangeSelected(int first, int last) {
    const int rate = m_detector.m_samplingRate;
    const int start = SampleToMs(rate, first);
    SetText(ids::sd::kRefStartEdit, std::to_string(start));
    SetText(ids::sd::kRefLengthEdit,
            std::to_string(static_cast<long long>(SampleToMs(rate, last)) - start));
}

}  // namespace tavrel
