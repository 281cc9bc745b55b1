// CIntFilter, the integrator: inside a time range each output sample is the running integral
// (rectangle rule, in value x ms) of the input from the start of the range; outside it the output
// is zero. The output keeps the input's length and rate and carries one more power of time.
//
// CIntDlg: its settings dialog (the range in whole milliseconds, highlighted in the preview).
#pragma once

#include "pipeline/ModBase.h"
#include "pipeline/ModuleDialog.h"
#include "platform/Translate.h"

namespace tavrel {

class CIntFilter : public CModBase {
  public:
    static constexpr const char* kClassName = "CIntFilter";
    static constexpr const char* kDisplayName = TAVREL_TRANSLATE_NOOP("Module", "積分器");

    CIntFilter();
    const char* GetClassName() const override { return kClassName; }

    void SerializeOwn(Archive& ar) override;
    int GetTimeExponent() const override;
    int Compute() override;
    int EditSettings() override;

    // Fits the stored range into an input of n samples (written back): both ends at most the
    // input's duration, start not after end.
    void ClampRange(int n);
    // Highlights the stored range (in samples) in the preview.
    void HighlightRange();

    int m_endMs = 2147483647;
    int m_startMs = 0;
};

class CIntDlg : public ModuleDialog {
  public:
    explicit CIntDlg(CIntFilter& module);

    DialogCheck Apply() override;
    DialogCheck Validate() override;
    void Commit() override;
    void OnRangeSelected(int first, int last) override;

    // The values the controls hold after the last successful exchange (unsigned in the dialog:
    // a negative stored range opens as large values that a corrected entry replaces).
    long long m_minMs = 0;
    long long m_maxMs = 0;
    long long m_startMs = 0;
    long long m_endMs = 0;

  private:
    void Store();
    CIntFilter& m_int;
};

}  // namespace tavrel
