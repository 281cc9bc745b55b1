// CButterFilter and CNotchFilter: the IIR filters of surface-EMG practice. The Butterworth filter
// (low-pass, high-pass, band-pass or band-stop of order 1 to 8) and the mains notch with its
// harmonics run their second-order sections over the input, causally from rest or forwards and
// backwards (zero phase, so that onsets do not shift). The output keeps the input's length, rate
// and unit. A set-up that does not fit the input's rate passes the input through unchanged.
// Both use the settings dialog generated from their descriptors.
#pragma once

#include "pipeline/ModBase.h"
#include "platform/Translate.h"

namespace tavrel {

class CButterFilter : public CModBase {
  public:
    static constexpr const char* kClassName = "CButterFilter";
    static constexpr const char* kDisplayName =
        TAVREL_TRANSLATE_NOOP("Module", "バターワースフィルタ");

    CButterFilter();
    const char* GetClassName() const override { return kClassName; }

    int Compute() override;
    void SerializeOwn(Archive& ar) override;

    int m_kind = 2;  // 0 low-pass, 1 high-pass, 2 band-pass, 3 band-stop
    int m_order = 4;
    double m_lowHz = 20.0;    // the high-pass cut-off, the band's lower edge
    double m_highHz = 450.0;  // the low-pass cut-off, the band's upper edge
    int m_zeroPhase = 1;
};

class CNotchFilter : public CModBase {
  public:
    static constexpr const char* kClassName = "CNotchFilter";
    static constexpr const char* kDisplayName = TAVREL_TRANSLATE_NOOP("Module", "ノッチフィルタ");

    CNotchFilter();
    const char* GetClassName() const override { return kClassName; }

    int Compute() override;
    void SerializeOwn(Archive& ar) override;

    double m_freqHz = 50.0;
    double m_quality = 30.0;
    int m_harmonics = 1;
    int m_zeroPhase = 1;
};

}  // namespace tavrel
