// CLPFilter: the low-pass filter module, 41 taps designed for the cut-off m_cutoff.
#pragma once

#include "modules/filters/DFilBase.h"
#include "platform/Translate.h"

namespace tavrel {

class CLPFilter : public CDFilBase {
  public:
    static constexpr const char* kClassName = "CLPFilter";
    static constexpr const char* kDisplayName = TAVREL_TRANSLATE_NOOP("Module", "低域通過フィルタ");

    CLPFilter();
    const char* GetClassName() const override { return kClassName; }

    // Designs the low-pass taps when absent, then filters the input with them.
    int Compute() override;
    // The low-pass settings dialog (CLPDlg).
    int EditSettings() override;
};

}  // namespace tavrel
