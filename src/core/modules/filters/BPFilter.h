// CBPFilter: the band-pass filter module. Two filters run one after the other: the high-pass at
// the lower edge m_cutoff, then the low-pass at the upper edge m_cutoffHigh, each centred with its
// own zero padding. Both tap sets are kept until a setting changes.
#pragma once

#include "modules/filters/DFilBase.h"
#include "platform/Translate.h"

namespace tavrel {

class CBPFilter : public CDFilBase {
  public:
    static constexpr const char* kClassName = "CBPFilter";
    static constexpr const char* kDisplayName = TAVREL_TRANSLATE_NOOP("Module", "帯域通過フィルタ");

    CBPFilter();
    ~CBPFilter() override;
    const char* GetClassName() const override { return kClassName; }

    int Compute() override;
    // The band-pass settings dialog (CBPDlg).
    int EditSettings() override;
    void SerializeOwn(Archive& ar) override;
    // Releases both tap sets.
    void ReleaseCoefficients() override;

    double m_cutoffHigh = 0.6;
    TapArray m_coefficientsHigh;

  protected:
    // Designs taps into a fresh m_coefficientsHigh with the given design, leaving m_coefficients
    // as it was: the design writes into m_coefficients, so that array is set aside meanwhile.
    void DesignIntoHighSet(int (CDFilBase::*design)(double), double x);
};

}  // namespace tavrel
