#include "modules/filters/ReSmplDlg.h"

#include <string>
#include "platform/Translate.h"

namespace tavrel {

CReSmplDlg::CReSmplDlg(CReSmplFilter& module)
    : ModuleDialog(module, dialog_ids::decimation::kTemplate,
                   Translate("ModuleDialog", "間引き設定"), true),
      m_decimation(module) {
    // The dialog's field is unsigned: a stored negative step shows as its unsigned value and is
    // refused until a step of 1 to 100 is entered.
    m_step = static_cast<std::uint32_t>(module.m_step);
    SetText(kStepEdit, std::to_string(m_step));
}

DialogCheck CReSmplDlg::Validate() {
    long long value = 0;
    if (DialogCheck c = ReadInt(kStepEdit, 1, 100, value); !c.ok) return c;
    m_step = static_cast<std::uint32_t>(value);
    return {};
}

DialogCheck CReSmplDlg::Apply() {
    DialogCheck check = Validate();
    if (check.ok) Commit();
    return check;
}

void CReSmplDlg::Commit() {
    m_decimation.m_step = static_cast<int>(m_step);
}

}  // namespace tavrel
