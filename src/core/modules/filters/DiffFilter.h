// CDiffFilter: the differentiator module. Replaces the data by their change per millisecond and
// hands on a value unit divided once more by the time unit (GetTimeExponent). It has no
// parameters: its settings dialog is the plain confirmation frame of CModBase.
#pragma once

#include "pipeline/ModBase.h"
#include "platform/Translate.h"

namespace tavrel {

class CDiffFilter : public CModBase {
  public:
    static constexpr const char* kClassName = "CDiffFilter";
    static constexpr const char* kDisplayName = TAVREL_TRANSLATE_NOOP("Module", "微分器");

    CDiffFilter();
    const char* GetClassName() const override { return kClassName; }

    int Compute() override;
    // The time exponent of the data reaching it, minus 1.
    int GetTimeExponent() const override;
};

}  // namespace tavrel
