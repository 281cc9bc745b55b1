// CHPFilter: the high-pass filter module, the low-pass at 1 - m_cutoff mirrored by (-1)^i.
#pragma once

#include "modules/filters/DFilBase.h"
#include "platform/Translate.h"

namespace tavrel {

class CHPFilter : public CDFilBase {
  public:
    static constexpr const char* kClassName = "CHPFilter";
    static constexpr const char* kDisplayName = TAVREL_TRANSLATE_NOOP("Module", "高域通過フィルタ");

    CHPFilter();
    const char* GetClassName() const override { return kClassName; }

    // Designs the high-pass taps when absent, then filters the input with them.
    int Compute() override;
    // The high-pass settings dialog (CHPDlg).
    int EditSettings() override;
};

}  // namespace tavrel
