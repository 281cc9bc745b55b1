#include "modules/filters/DiodeDlg.h"
#include "platform/Translate.h"

namespace tavrel {

namespace {

// Radio index of a group of two buttons: the first checked one, or -1.
int RadioIndex(const ModuleDialog& dialog, int first, int second) {
    if (dialog.Check(first)) return 0;
    if (dialog.Check(second)) return 1;
    return -1;
}

}  // namespace

CDiodeDlg::CDiodeDlg(CDiodeFilter& module)
    : ModuleDialog(module, dialog_ids::rectifier::kTemplate,
                   Translate("ModuleDialog", "整流器設定"), true),
      m_diode(module) {
    m_type = module.m_halfWave != 0 ? 1 : 0;
    m_polarity = module.m_positive != 0 ? 0 : 1;
    SetCheck(kFullWave, m_type == 0);
    SetCheck(kHalfWave, m_type == 1);
    SetCheck(kPositive, m_polarity == 0);
    SetCheck(kNegative, m_polarity == 1);
}

void CDiodeDlg::OnClicked(int id) {
    if (id == kFullWave || id == kHalfWave) {
        SetCheck(kFullWave, id == kFullWave);
        SetCheck(kHalfWave, id == kHalfWave);
    } else if (id == kPositive || id == kNegative) {
        SetCheck(kPositive, id == kPositive);
        SetCheck(kNegative, id == kNegative);
    }
}

DialogCheck CDiodeDlg::Validate() {
    m_type = RadioIndex(*this, kFullWave, kHalfWave);
    m_polarity = RadioIndex(*this, kPositive, kNegative);
    return {};
}

void CDiodeDlg::WriteIntoModule() {
    m_diode.m_halfWave = m_type == 1 ? 1 : 0;
    m_diode.m_positive = m_polarity == 0 ? 1 : 0;
}

DialogCheck CDiodeDlg::Apply() {
    DialogCheck check = Validate();
    if (check.ok) WriteIntoModule();
    return check;
}

void CDiodeDlg::Commit() {
    WriteIntoModule();
}

}  // namespace tavrel
