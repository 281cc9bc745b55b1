// CLPDlg and CHPDlg: the settings dialogs of the low-pass (template 110) and high-pass (111)
// filters. One cut-off edit in whole hertz (1000) with the accepted range shown in two read-only
// fields (1038 lowest, 1039 highest); the module's cut-off is stored normalised to the Nyquist
// frequency of the module's rate.
#pragma once

#include <cstdint>

#include "modules/filters/DFilBase.h"
#include "pipeline/DialogIds.h"
#include "pipeline/ModuleDialog.h"

namespace tavrel {

class CLPDlg : public ModuleDialog {
  public:
    static constexpr int kCutoffEdit = dialog_ids::cutoff::kCutoffEdit;
    static constexpr int kLowestField = dialog_ids::cutoff::kLowestField;
    static constexpr int kHighestField = dialog_ids::cutoff::kHighestField;

    explicit CLPDlg(CDFilBase& module);

    // Data exchange in order: the cut-off within the range the dialog opened with, then the two
    // read-only fields within 0 ... 1000000.
    DialogCheck Validate() override;
    // Validates, then writes the cut-off into the module and releases its taps.
    DialogCheck Apply() override;
    void Commit() override;

    std::uint32_t m_cutoffHz = 0;
    std::uint32_t m_minHz = 0;
    std::uint32_t m_maxHz = 0;

  protected:
    CLPDlg(CDFilBase& module, int templateId, std::string title);

  private:
    void WriteIntoModule();
    CDFilBase& m_filter;
};

class CHPDlg : public CLPDlg {
  public:
    explicit CHPDlg(CDFilBase& module);
};

}  // namespace tavrel
