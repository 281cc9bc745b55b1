// CSmothFilter: the moving-average module. Each output is the sum of its window divided by the
// window length plus one; the length, rate and unit of the data pass through unchanged.
#pragma once

#include "pipeline/ModBase.h"
#include "platform/Translate.h"

namespace tavrel {

class CSmothFilter : public CModBase {
  public:
    static constexpr const char* kClassName = "CSmothFilter";
    static constexpr const char* kDisplayName = TAVREL_TRANSLATE_NOOP("Module", "移動平均");

    CSmothFilter();
    const char* GetClassName() const override { return kClassName; }

    int Compute() override;
    void SerializeOwn(Archive& ar) override;

    int m_points = 5;  // window length N; the dialog accepts 1 to 1000
};

}  // namespace tavrel
