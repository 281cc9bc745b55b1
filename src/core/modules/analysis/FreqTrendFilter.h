// CFreqTrendFilter, the frequency trend: one value per analysis window - the median or mean
// frequency of the window's periodogram (see SpectralKernels.h) - so that the fatigue of a
// sustained contraction shows as a falling line. Windows of windowMs advance by stepMs; the output
// rate is 1000 / stepMs Hz, its unit Hz, and its time axis starts at the first window's start.
#pragma once

#include <array>

#include "pipeline/ModBase.h"
#include "platform/Translate.h"

namespace tavrel {

class CFreqTrendFilter : public CModBase {
  public:
    static constexpr const char* kClassName = "CFreqTrendFilter";
    static constexpr const char* kDisplayName = TAVREL_TRANSLATE_NOOP("Module", "周波数トレンド");
    // The steps whose output rate 1000 / stepMs is a whole number of hertz.
    static constexpr std::array<int, 16> kSteps{1,  2,  4,   5,   8,   10,  20,  25,
                                                40, 50, 100, 125, 200, 250, 500, 1000};

    CFreqTrendFilter();
    const char* GetClassName() const override { return kClassName; }

    void SerializeOwn(Archive& ar) override;
    int Compute() override;
    int GetSamplingRate() const override;
    int GetTimeExponent() const override { return 0; }
    int GetMarkerIndex() const override { return -1; }

    // The step used: the stored one when it is one of kSteps, otherwise the largest of them below
    // it (1 for anything smaller), so the output rate stays whole.
    int EffectiveStepMs() const;

    int m_measure = 0;  // 0 median frequency, 1 mean frequency
    int m_windowMs = 500;
    int m_stepMs = 250;
};

}  // namespace tavrel
