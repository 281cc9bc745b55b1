// CDiodeFilter: the rectifier module. Full-wave or half-wave rectification towards the positive
// or the negative side; the length, rate and unit of the data pass through unchanged.
#pragma once

#include "pipeline/ModBase.h"
#include "platform/Translate.h"

namespace tavrel {

class CDiodeFilter : public CModBase {
  public:
    static constexpr const char* kClassName = "CDiodeFilter";
    static constexpr const char* kDisplayName = TAVREL_TRANSLATE_NOOP("Module", "整流器");

    CDiodeFilter();
    const char* GetClassName() const override { return kClassName; }

    int Compute() override;
    // The rectifier settings dialog (CDiodeDlg).
    int EditSettings() override;
    void SerializeOwn(Archive& ar) override;

    // Flags stored as ints: any nonzero value counts as set.
    int m_positive = 1;  // nonzero: positive polarity, 0: negative
    int m_halfWave = 1;  // nonzero: half-wave rectification, 0: full-wave
};

}  // namespace tavrel
