// CBPDlg and CBSDlg: the settings dialogs of the band-pass (template 112) and band-stop (113)
// filters. Two band edges in whole hertz, each with its accepted range in two read-only fields:
// lower edge 1000 (range 1038 ... 1039), upper edge 1002 (range 1040 ... 1041). Each edge is
// validated against its range, then the lower edge must lie below the upper one (a document
// holding another band still opens and computes it; only the dialog refuses to set one).
#pragma once

#include <cstdint>

#include "modules/filters/BPFilter.h"
#include "pipeline/DialogIds.h"
#include "pipeline/ModuleDialog.h"

namespace tavrel {

class CBPDlg : public ModuleDialog {
  public:
    static constexpr int kLowEdit = dialog_ids::band::kLowEdit;
    static constexpr int kHighEdit = dialog_ids::band::kHighEdit;
    static constexpr int kLowMinField = dialog_ids::band::kLowMinField;
    static constexpr int kLowMaxField = dialog_ids::band::kLowMaxField;
    static constexpr int kHighMinField = dialog_ids::band::kHighMinField;
    static constexpr int kHighMaxField = dialog_ids::band::kHighMaxField;

    explicit CBPDlg(CBPFilter& module);

    // Data exchange in order: 1000, 1038, 1039, 1002, 1040, 1041; then the lower edge below the
    // upper one (refused on 1000).
    DialogCheck Validate() override;
    // Validates, then writes both edges into the module and releases both tap sets.
    DialogCheck Apply() override;
    void Commit() override;

    std::uint32_t m_lowHz = 0;
    std::uint32_t m_lowMinHz = 0;
    std::uint32_t m_lowMaxHz = 0;
    std::uint32_t m_highHz = 0;
    std::uint32_t m_highMinHz = 0;
    std::uint32_t m_highMaxHz = 0;

  protected:
    CBPDlg(CBPFilter& module, int templateId, std::string title);

  private:
    void WriteIntoModule();
    CBPFilter& m_filter;
};

class CBSDlg : public CBPDlg {
  public:
    explicit CBSDlg(CBPFilter& module);
};

}  // namespace tavrel
