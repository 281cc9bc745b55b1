// CSmothDlg: the moving average's settings dialog (template 109): the window length in points
// (edit 1000, 1 to 1000).
#pragma once

#include <cstdint>

#include "modules/filters/SmothFilter.h"
#include "pipeline/DialogIds.h"
#include "pipeline/ModuleDialog.h"

namespace tavrel {

class CSmothDlg : public ModuleDialog {
  public:
    static constexpr int kPointsEdit = dialog_ids::smoothing::kPointsEdit;

    explicit CSmothDlg(CSmothFilter& module);

    DialogCheck Validate() override;
    // Validates, then writes the window length into the module.
    DialogCheck Apply() override;
    void Commit() override;

    std::uint32_t m_points = 0;

  private:
    CSmothFilter& m_smooth;
};

}  // namespace tavrel
