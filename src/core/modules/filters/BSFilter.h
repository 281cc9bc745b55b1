// CBSFilter: the band-stop filter module. One 41-tap filter whose taps are the sum of the low-pass
// at the lower edge and the high-pass at the upper edge; only the summed set is kept.
#pragma once

#include "modules/filters/BPFilter.h"
#include "platform/Translate.h"

namespace tavrel {

class CBSFilter : public CBPFilter {
  public:
    static constexpr const char* kClassName = "CBSFilter";
    static constexpr const char* kDisplayName = TAVREL_TRANSLATE_NOOP("Module", "帯域阻止フィルタ");

    CBSFilter();
    const char* GetClassName() const override { return kClassName; }

    int Compute() override;
    // The band-stop settings dialog (CBSDlg).
    int EditSettings() override;
};

}  // namespace tavrel
