#include "modules/filters/BPDlg.h"

#include <string>
#include "platform/Translate.h"

namespace tavrel {

CBPDlg::CBPDlg(CBPFilter& module)
    : CBPDlg(module, dialog_ids::band::kBandPassTemplate,
             Translate("ModuleDialog", "帯域通過フィルタ設定")) {}

CBPDlg::CBPDlg(CBPFilter& module, int templateId, std::string title)
    : ModuleDialog(module, templateId, std::move(title), true), m_filter(module) {
    const int fs = module.m_samplingRate;
    m_lowHz = ShownHz(module.m_cutoff, fs);
    m_highHz = ShownHz(module.m_cutoffHigh, fs);
    m_lowMinHz = m_highMinHz = LowestHz(fs);
    m_lowMaxHz = m_highMaxHz = HighestHz(fs);
    SetText(kLowEdit, std::to_string(m_lowHz));
    SetText(kLowMinField, std::to_string(m_lowMinHz));
    SetText(kLowMaxField, std::to_string(m_lowMaxHz));
    SetText(kHighEdit, std::to_string(m_highHz));
    SetText(kHighMinField, std::to_string(m_highMinHz));
    SetText(kHighMaxField, std::to_string(m_highMaxHz));
}

DialogCheck CBPDlg::Validate() {
    // Each field's range is taken from the members as they stand when the field is read, like the
    // classic dialog data exchange: the edits are checked against the ranges the dialog opened
    // with, since their read-only fields are read back only after them.
    struct Field {
        int id;
        const std::uint32_t* low;
        const std::uint32_t* high;
        std::uint32_t* member;
    };
    static constexpr std::uint32_t kZero = 0;
    static constexpr std::uint32_t kMillion = 1000000;
    const Field fields[] = {
        {kLowEdit, &m_lowMinHz, &m_lowMaxHz, &m_lowHz},
        {kLowMinField, &kZero, &kMillion, &m_lowMinHz},
        {kLowMaxField, &kZero, &kMillion, &m_lowMaxHz},
        {kHighEdit, &m_highMinHz, &m_highMaxHz, &m_highHz},
        {kHighMinField, &kZero, &kMillion, &m_highMinHz},
        {kHighMaxField, &kZero, &kMillion, &m_highMaxHz},
    };
    for (const Field& f : fields) {
        long long value = 0;
        if (DialogCheck c = ReadInt(f.id, *f.low, *f.high, value); !c.ok) return c;
        *f.member = static_cast<std::uint32_t>(value);
    }
    // A band needs its lower edge below its upper one: the other way round the band-pass passes
    // nothing and the band-stop doubles the band instead of removing it.
    if (m_lowHz >= m_highHz) {
        return DialogCheck::Refuse(
            kLowEdit,
            Translate("ModuleDialog",
                      "低域カットオフ周波数は高域カットオフ周波数より低くしてください。"));
    }
    return {};
}

void CBPDlg::WriteIntoModule() {
    const int fs = m_filter.m_samplingRate;
    HzToCutoff(m_lowHz, fs, m_filter.m_cutoff);
    HzToCutoff(m_highHz, fs, m_filter.m_cutoffHigh);
    m_filter.ReleaseCoefficients();
}

DialogCheck CBPDlg::Apply() {
    DialogCheck check = Validate();
    if (check.ok) WriteIntoModule();
    return check;
}

void CBPDlg::Commit() {
    WriteIntoModule();
}

CBSDlg::CBSDlg(CBPFilter& module)
    : CBPDlg(module, dialog_ids::band::kBandStopTemplate,
             Translate("ModuleDialog", "帯域阻止フィルタ設定")) {}

}  // namespace tavrel
