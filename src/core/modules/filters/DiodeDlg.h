// CDiodeDlg: the rectifier's settings dialog (template 107). Two radio groups: the type
// (1039 full-wave, 1040 half-wave) and the polarity (1041 positive, 1042 negative).
#pragma once

#include "modules/filters/DiodeFilter.h"
#include "pipeline/DialogIds.h"
#include "pipeline/ModuleDialog.h"

namespace tavrel {

class CDiodeDlg : public ModuleDialog {
  public:
    static constexpr int kFullWave = dialog_ids::rectifier::kFullWave;
    static constexpr int kHalfWave = dialog_ids::rectifier::kHalfWave;
    static constexpr int kPositive = dialog_ids::rectifier::kPositive;
    static constexpr int kNegative = dialog_ids::rectifier::kNegative;

    explicit CDiodeDlg(CDiodeFilter& module);

    // A radio button of a group checks itself and clears the other one.
    void OnClicked(int id) override;
    // Reads the radio groups into m_type and m_polarity (the index of the first checked button
    // of each group, -1 when none is).
    DialogCheck Validate() override;
    // Reads the radio groups and writes the flags into the module.
    DialogCheck Apply() override;
    void Commit() override;

    int m_type = -1;      // 0 full-wave, 1 half-wave
    int m_polarity = -1;  // 0 positive, 1 negative

  private:
    void WriteIntoModule();
    CDiodeFilter& m_diode;
};

}  // namespace tavrel
