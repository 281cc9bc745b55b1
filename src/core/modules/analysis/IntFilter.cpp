#include "modules/analysis/IntFilter.h"

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

CIntFilter::CIntFilter() {
    m_name = kDisplayName;
}

void CIntFilter::SerializeOwn(Archive& ar) {
    CModBase::SerializeOwn(ar);
    ar.Int(m_startMs);
    ar.Int(m_endMs);
}

int CIntFilter::GetTimeExponent() const {
    // Saturating, so that a stored exponent at the int limit cannot overflow.
    return SaturateToInt(static_cast<long long>(m_timeExponent) + 1);
}

void CIntFilter::ClampRange(int n) {
    const int durationMs = SampleToMs(m_samplingRate, n);
    if (m_endMs > durationMs) m_endMs = durationMs;
    if (m_startMs > durationMs) m_startMs = durationMs;
    if (m_startMs > m_endMs) std::swap(m_startMs, m_endMs);
}

void CIntFilter::HighlightRange() {
    m_rangeStart = MsToSample(m_samplingRate, m_startMs);
    m_rangeEnd = MsToSample(m_samplingRate, m_endMs);
}

int CIntFilter::Compute() {
    if (!m_input || m_inputCount <= 0) return -1;
    const int n = m_inputCount;
    ClampRange(n);
    const double f = m_samplingRate * 0.001;
    int first = std::clamp(RoundToInt(f * m_startMs), 0, n);
    int last = std::clamp(RoundToInt(f * m_endMs), 0, n);
    if (first > last) std::swap(first, last);
    const double* x = m_input.get();
    return StoreOutput(n, [&](double* y) {
        std::fill(y, y + first, 0.0);
        // The running sum times the sample period in ms, including the current sample.
        double sum = 0.0;
        for (int i = first; i < last; ++i) {
            sum = sum + x[i];
            y[i] = sum / (m_samplingRate * 0.001);
        }
        std::fill(y + last, y + n, 0.0);
    });
}

int CIntFilter::EditSettings() {
    ClampRange(m_inputCount);
    CIntDlg dialog(*this);
    HighlightRange();
    const int result = RunModuleDialog(dialog);
    m_rangeStart = -1;
    m_rangeEnd = -1;
    return result;
}

CIntDlg::CIntDlg(CIntFilter& module)
    : ModuleDialog(module, ids::integrator::kTemplate, Translate("ModuleDialog", "積分範囲設定"),
                   true),
      m_int(module) {
    m_minMs = 0;
    m_maxMs = SampleToMs(module.m_samplingRate, module.m_inputCount);
    m_startMs = static_cast<std::uint32_t>(module.m_startMs);
    m_endMs = static_cast<std::uint32_t>(module.m_endMs);
    SetText(ids::integrator::kMinField, std::to_string(m_minMs));
    SetText(ids::integrator::kMaxField, std::to_string(m_maxMs));
    SetText(ids::integrator::kStartEdit, std::to_string(m_startMs));
    SetText(ids::integrator::kEndEdit, std::to_string(m_endMs));
}

DialogCheck CIntDlg::Validate() {
    long long v = 0;
    if (auto c = ReadInt(ids::integrator::kMinField, 0, 1000000, v); !c.ok) return c;
    m_minMs = v;
    if (auto c = ReadInt(ids::integrator::kMaxField, 0, 4294967295LL, v); !c.ok) return c;
    m_maxMs = v;
    // The start may reach the end held before this exchange; the end then starts at the start.
    if (auto c = ReadInt(ids::integrator::kStartEdit, m_minMs, m_endMs, v); !c.ok) return c;
    m_startMs = v;
    if (auto c = ReadInt(ids::integrator::kEndEdit, m_startMs, m_maxMs, v); !c.ok) return c;
    m_endMs = v;
    return {};
}

void CIntDlg::Store() {
    m_int.m_startMs = SaturateToInt(m_startMs);
    m_int.m_endMs = SaturateToInt(m_endMs);
}

DialogCheck CIntDlg::Apply() {
    DialogCheck check = Validate();
    if (!check.ok) return check;
    Store();
    m_int.HighlightRange();
    return check;
}

void CIntDlg::Commit() {
    Store();
}

void CIntDlg::OnRangeSelected(int first, int last) {
    const int rate = m_int.m_samplingRate;
    SetText(ids::integrator::kStartEdit, std::to_string(SampleToMs(rate, first)));
    SetText(ids::integrator::kEndEdit, std::to_string(SampleToMs(rate, last)));
}

}  // namespace tavrel
