#include "modules/analysis/ClipFilter.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>

#include "pipeline/DialogIds.h"
#include "platform/Archive.h"
#include "platform/Rounding.h"
#include "platform/Translate.h"

namespace tavrel {

namespace ids = dialog_ids;

CClipFilter::CClipFilter() {
    m_name = kDisplayName;
}

void CClipFilter::SerializeOwn(Archive& ar) {
    CModBase::SerializeOwn(ar);
    ar.Int(m_startMs);
    ar.Int(m_endMs);
    ar.Int(m_cut);
}

int CClipFilter::GetMarkerIndex() const {
    long long m = m_markerIndex;
    if (m >= 0 && IsCutMode()) {
        m -= MsToSample(m_samplingRate, m_startMs);
        if (m < 0) m = -1;
    }
    return SaturateToInt(m);
}

void CClipFilter::ClampRange(int n) {
    const int durationMs = SampleToMs(m_samplingRate, n);
    if (m_endMs > durationMs) m_endMs = durationMs;
    if (m_startMs > durationMs) m_startMs = durationMs;
    if (m_startMs > m_endMs) std::swap(m_startMs, m_endMs);
}

void CClipFilter::HighlightRange() {
    if (IsCutMode()) {
        m_rangeStart = -1;
        m_rangeEnd = -1;
    } else {
        m_rangeStart = MsToSample(m_samplingRate, m_startMs);
        m_rangeEnd = MsToSample(m_samplingRate, m_endMs);
    }
}

int CClipFilter::Compute() {
    if (!m_input || m_inputCount <= 0) return -1;
    const int n = m_inputCount;
    ClampRange(n);
    const double f = m_samplingRate * 0.001;
    int first = RoundToInt(f * m_startMs);
    int last = RoundToInt(f * m_endMs);
    const bool cut = IsCutMode();
    // The length before clamping decides whether the cut is empty (64-bit: the ends of a stored
    // range may lie far apart).
    const long long length = cut ? static_cast<long long>(last) - first : n;
    if (length <= 0) {
        // An empty cut has no output: nothing goes down the chain.
        m_output.reset();
        m_outputCount = 0;
        return 0;
    }
    first = std::clamp(first, 0, n);
    last = std::clamp(last, 0, n);
    if (first > last) std::swap(first, last);
    const int count = cut ? last - first : n;
    SampleBuffer out = AllocSamples(count);
    if (!out) return -1;
    const double* x = m_input.get();
    double* y = out.get();
    if (cut) {
        std::copy(x + first, x + last, y);
    } else {
        std::fill(y, y + first, 0.0);
        std::copy(x + first, x + last, y + first);
        std::fill(y + last, y + n, 0.0);
    }
    m_output = std::move(out);
    m_outputCount = count;
    return count;
}

int CClipFilter::EditSettings() {
    ClampRange(m_inputCount);
    CClipDlg dialog(*this);
    HighlightRange();
    const int result = RunModuleDialog(dialog);
    m_rangeStart = -1;
    m_rangeEnd = -1;
    return result;
}

CClipDlg::CClipDlg(CClipFilter& module)
    : ModuleDialog(module, ids::clip::kTemplate, Translate("ModuleDialog", "クリップ設定"), true),
      m_clip(module) {
    m_minMs = 0;
    m_maxMs = SampleToMs(module.m_samplingRate, module.m_inputCount);
    m_startMs = static_cast<std::uint32_t>(module.m_startMs);
    m_endMs = static_cast<std::uint32_t>(module.m_endMs);
    m_cut = module.IsCutMode() ? 1 : 0;
    SetText(ids::clip::kStartEdit, std::to_string(m_startMs));
    SetText(ids::clip::kEndEdit, std::to_string(m_endMs));
    SetCheck(kCut, m_cut);
    SetText(ids::clip::kMinField, std::to_string(m_minMs));
    SetText(ids::clip::kMaxField, std::to_string(m_maxMs));
}

DialogCheck CClipDlg::Validate() {
    long long v = 0;
    // The start may reach the end held before this exchange; the end then starts at the start.
    if (auto c = ReadInt(ids::clip::kStartEdit, m_minMs, m_endMs, v); !c.ok) return c;
    m_startMs = v;
    if (auto c = ReadInt(ids::clip::kEndEdit, m_startMs, m_maxMs, v); !c.ok) return c;
    m_endMs = v;
    m_cut = Check(kCut) != 0 ? 1 : 0;
    if (auto c = ReadInt(ids::clip::kMinField, 0, 1000000, v); !c.ok) return c;
    m_minMs = v;
    if (auto c = ReadInt(ids::clip::kMaxField, 0, 4294967295LL, v); !c.ok) return c;
    m_maxMs = v;
    return {};
}

void CClipDlg::Store() {
    m_clip.m_startMs = SaturateToInt(m_startMs);
    m_clip.m_endMs = SaturateToInt(m_endMs);
    m_clip.m_cut = m_cut;
}

DialogCheck CClipDlg::Apply() {
    DialogCheck check = Validate();
    if (!check.ok) return check;
    Store();
    m_clip.HighlightRange();
    return check;
}

void CClipDlg::Commit() {
    Store();
}

void CClipDlg::OnRangeSelected(int first, int last) {
    const int rate = m_clip.m_samplingRate;
    SetText(ids::clip::kStartEdit, std::to_string(SampleToMs(rate, first)));
    SetText(ids::clip::kEndEdit, std::to_string(SampleToMs(rate, last)));
}

}  // namespace tavrel
