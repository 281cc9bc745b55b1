// CReSmplDlg: the decimation's settings dialog (template 108): the step in points (edit 1000,
// 1 to 100).
#pragma once

#include <cstdint>

#include "modules/filters/ReSmplFilter.h"
#include "pipeline/DialogIds.h"
#include "pipeline/ModuleDialog.h"

namespace tavrel {

class CReSmplDlg : public ModuleDialog {
  public:
    static constexpr int kStepEdit = dialog_ids::decimation::kStepEdit;

    explicit CReSmplDlg(CReSmplFilter& module);

    DialogCheck Validate() override;
    // Validates, then writes the step into the module.
    DialogCheck Apply() override;
    void Commit() override;

    std::uint32_t m_step = 0;

  private:
    CReSmplFilter& m_decimation;
};

}  // namespace tavrel
