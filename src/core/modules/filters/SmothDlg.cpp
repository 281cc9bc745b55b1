#include "modules/filters/SmothDlg.h"

#include <string>
#include "platform/Translate.h"

namespace tavrel {

CSmothDlg::CSmothDlg(CSmothFilter& module)
    : ModuleDialog(module, dialog_ids::smoothing::kTemplate,
                   Translate("ModuleDialog", "移動平均設定"), true),
      m_smooth(module) {
    // The dialog's field is unsigned: a stored negative length shows as its unsigned value and is
    // refused until a length of 1 to 1000 is entered.
    m_points = static_cast<std::uint32_t>(module.m_points);
    SetText(kPointsEdit, std::to_string(m_points));
}

DialogCheck CSmothDlg::Validate() {
    long long value = 0;
    if (DialogCheck c = ReadInt(kPointsEdit, 1, 1000, value); !c.ok) return c;
    m_points = static_cast<std::uint32_t>(value);
    return {};
}

DialogCheck CSmothDlg::Apply() {
    DialogCheck check = Validate();
    if (check.ok) Commit();
    return check;
}

void CSmothDlg::Commit() {
    m_smooth.m_points = static_cast<int>(m_points);
}

}  // namespace tavrel
