#include "modules/filters/LPDlg.h"

#include <string>
#include "platform/Translate.h"

namespace tavrel {

CLPDlg::CLPDlg(CDFilBase& module)
    : CLPDlg(module, dialog_ids::cutoff::kLowPassTemplate,
             Translate("ModuleDialog", "低域通過フィルタ設定")) {}

CLPDlg::CLPDlg(CDFilBase& module, int templateId, std::string title)
    : ModuleDialog(module, templateId, std::move(title), true), m_filter(module) {
    const int fs = module.m_samplingRate;
    m_cutoffHz = ShownHz(module.m_cutoff, fs);
    m_minHz = LowestHz(fs);
    m_maxHz = HighestHz(fs);
    SetText(kCutoffEdit, std::to_string(m_cutoffHz));
    SetText(kLowestField, std::to_string(m_minHz));
    SetText(kHighestField, std::to_string(m_maxHz));
}

DialogCheck CLPDlg::Validate() {
    long long value = 0;
    if (DialogCheck c = ReadInt(kCutoffEdit, m_minHz, m_maxHz, value); !c.ok) return c;
    m_cutoffHz = static_cast<std::uint32_t>(value);
    if (DialogCheck c = ReadInt(kLowestField, 0, 1000000, value); !c.ok) return c;
    m_minHz = static_cast<std::uint32_t>(value);
    if (DialogCheck c = ReadInt(kHighestField, 0, 1000000, value); !c.ok) return c;
    m_maxHz = static_cast<std::uint32_t>(value);
    return {};
}

void CLPDlg::WriteIntoModule() {
    HzToCutoff(m_cutoffHz, m_filter.m_samplingRate, m_filter.m_cutoff);
    m_filter.ReleaseCoefficients();
}

DialogCheck CLPDlg::Apply() {
    DialogCheck check = Validate();
    if (check.ok) WriteIntoModule();
    return check;
}

void CLPDlg::Commit() {
    WriteIntoModule();
}

CHPDlg::CHPDlg(CDFilBase& module)
    : CLPDlg(module, dialog_ids::cutoff::kHighPassTemplate,
             Translate("ModuleDialog", "高域通過フィルタ設定")) {}

}  // namespace tavrel
