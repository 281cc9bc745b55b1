#include "modules/analysis/AActDetFilter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "pipeline/DialogIds.h"
#include "platform/Archive.h"
#include "platform/Rounding.h"
#include "platform/Translate.h"

namespace tavrel {

namespace ids = dialog_ids;

int FindAmplitudeOnset(const double* x, int n, int rate, int thresholdPercent, int minDurationMs) {
    double largest = 0.0;
    double smallest = 0.0;
    for (int i = 0; i < n; ++i) {
        largest = std::max(largest, x[i]);
        smallest = std::min(smallest, x[i]);
    }
    const double peak = std::max(largest, -smallest);
    const double threshold = thresholdPercent * 0.01 * peak;
    // The duration in samples from the whole-number product t x R (64-bit, as both are stored).
    const int minSamples =
        RoundToInt(static_cast<double>(std::int64_t{minDurationMs} * rate) * 0.001);

    // The scan starts from a virtual sample 0.0 before the first one.
    double prev = 0.0;
    double prevDiff = 0.0;
    int start = -1;
    for (int i = 0; i < n; ++i) {
        const double d = x[i] - prev;
        bool checkDuration = true;
        if (d > 0 && prevDiff <= 0) {
            // Trough at i - 1.
            if (std::fabs(prev) < threshold) {
                start = -1;
            } else if (start < 0) {
                start = i - 1;
            }
        }
        if (d < 0 && prevDiff >= 0) {
            // Crest at i - 1.
            if (std::fabs(prev) < threshold) {
                start = -1;
                checkDuration = false;
            } else if (start < 0) {
                start = i - 1;
            }
        }
        if (checkDuration && start >= 0 && static_cast<std::int64_t>(i) - start >= minSamples)
            return start;
        prevDiff = d;
        prev = x[i];
    }
    return -1;
}

CAActDetFilter::CAActDetFilter() {
    m_name = kDisplayName;
}

void CAActDetFilter::SerializeOwn(Archive& ar) {
    CModBase::SerializeOwn(ar);
    ar.Int(m_thresholdPercent);
    ar.Int(m_minDurationMs);
}

int CAActDetFilter::Compute() {
    if (!m_input || m_inputCount <= 0) return -1;
    const int n = m_inputCount;
    const int onset =
        FindAmplitudeOnset(m_input.get(), n, m_samplingRate, m_thresholdPercent, m_minDurationMs);
    // Without an onset the marker keeps what it held (one inherited from upstream, for example).
    if (onset >= 0) m_markerIndex = onset;
    return StoreOutput(n, [&](double* y) { std::copy(m_input.get(), m_input.get() + n, y); });
}

int CAActDetFilter::EditSettings() {
    CAActDetDlg dialog(*this);
    return RunModuleDialog(dialog);
}

CAActDetDlg::CAActDetDlg(CAActDetFilter& module)
    : ModuleDialog(module, ids::amplitude::kTemplate, Translate("ModuleDialog", "自動活動抽出設定"),
                   true),
      m_detector(module) {
    m_thresholdPercent = module.m_thresholdPercent;
    m_minDurationMs = module.m_minDurationMs;
    SetText(ids::amplitude::kThresholdEdit, std::to_string(m_thresholdPercent));
    SetText(ids::amplitude::kDurationEdit, std::to_string(m_minDurationMs));
}

DialogCheck CAActDetDlg::Validate() {
    long long v = 0;
    if (auto c = ReadInt(ids::amplitude::kThresholdEdit, 1, 100, v); !c.ok) return c;
    m_thresholdPercent = v;
    if (auto c = ReadInt(ids::amplitude::kDurationEdit, 1, 100, v); !c.ok) return c;
    m_minDurationMs = v;
    return {};
}

void CAActDetDlg::Store() {
    m_detector.m_thresholdPercent = static_cast<int>(m_thresholdPercent);
    m_detector.m_minDurationMs = static_cast<int>(m_minDurationMs);
}

DialogCheck CAActDetDlg::Apply() {
    DialogCheck check = Validate();
    if (!check.ok) return check;
    Store();
    // The preview shows the marker of the new settings once it is found again.
    m_detector.m_markerIndex = -1;
    return check;
}

void CAActDetDlg::Commit() {
    Store();
}

}  // namespace tavrel
