// CReSmplFilter: the decimation module. Keeps every m_step-th sample and hands the lowered rate
// (and the marker moved to the same moment) on to the next module through its getters.
//
// A step below 1 cannot come from the dialog (1 to 100); a stored one acts like step 1 in all
// three respects (the data are copied, rate and marker pass unchanged), so a hostile document can
// neither divide by zero nor hand on a negative rate. A step larger than the rate does give a
// rate of 0, as the integer division says; the modules after it must not divide by that rate.
#pragma once

#include "pipeline/ModBase.h"
#include "platform/Translate.h"

namespace tavrel {

class CReSmplFilter : public CModBase {
  public:
    static constexpr const char* kClassName = "CReSmplFilter";
    static constexpr const char* kDisplayName = TAVREL_TRANSLATE_NOOP("Module", "間引き");

    CReSmplFilter();
    const char* GetClassName() const override { return kClassName; }

    int Compute() override;
    // m_samplingRate / m_step (integer division).
    int GetSamplingRate() const override;
    // The marker m / m_step for a marker above 0; a marker of 0 or below passes unchanged.
    int GetMarkerIndex() const override;
    void SerializeOwn(Archive& ar) override;

    int m_step = 5;  // keep one sample in every m_step; the dialog accepts 1 to 100

  private:
    // The step in effect: m_step, or 1 for a stored step below 1.
    int EffectiveStep() const { return m_step < 1 ? 1 : m_step; }
};

}  // namespace tavrel
