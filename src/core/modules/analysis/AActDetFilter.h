// CAActDetFilter, amplitude activity detection: passes its input through and marks where activity
// begins - the first extremum of a stretch in which every peak and trough reaches a percentage of
// the signal's largest magnitude and which lasts a minimum time.
//
// CAActDetDlg: its settings dialog (the percentage and the minimum duration).
#pragma once

#include "pipeline/ModBase.h"
#include "pipeline/ModuleDialog.h"
#include "platform/Translate.h"

namespace tavrel {

class CAActDetFilter : public CModBase {
  public:
    static constexpr const char* kClassName = "CAActDetFilter";
    static constexpr const char* kDisplayName = TAVREL_TRANSLATE_NOOP("Module", "自動活動抽出");

    CAActDetFilter();
    const char* GetClassName() const override { return kClassName; }

    void SerializeOwn(Archive& ar) override;
    // The scan (setting m_markerIndex on an onset) and a copy of the input as output.
    int Compute() override;
    int EditSettings() override;

    int m_minDurationMs = 20;
    int m_thresholdPercent = 10;
};

class CAActDetDlg : public ModuleDialog {
  public:
    explicit CAActDetDlg(CAActDetFilter& module);

    DialogCheck Apply() override;
    DialogCheck Validate() override;
    void Commit() override;

    long long m_thresholdPercent = 0;
    long long m_minDurationMs = 0;

  private:
    void Store();
    CAActDetFilter& m_detector;
};

// The first onset of activity in x (see CAActDetFilter), or -1 when there is none.
int FindAmplitudeOnset(const double* x, int n, int rate, int thresholdPercent, int minDurationMs);

}  // namespace tavrel
