// CSDActDetFilter, SD activity detection: passes its input through and marks where activity
// begins - the sample before the first sliding window whose standard deviation exceeds k times
// that of a quiet reference stretch.
//
// CSDActDetDlg: its settings dialog (the reference stretch, highlighted in the preview, the
// factor k and the window length).
#pragma once

#include "pipeline/ModBase.h"
#include "pipeline/ModuleDialog.h"
#include "platform/Translate.h"

namespace tavrel {

class CSDActDetFilter : public CModBase {
  public:
    static constexpr const char* kClassName = "CSDActDetFilter";
    static constexpr const char* kDisplayName = TAVREL_TRANSLATE_NOOP("Module", "SD活動抽出");

    CSDActDetFilter();
    const char* GetClassName() const override { return kClassName; }

    void SerializeOwn(Archive& ar) override;
    // The scan (setting m_markerIndex on a hit) and a copy of the input as output.
    int Compute() override;
    int EditSettings() override;

    // The input's duration in whole milliseconds for n samples (0 for a rate that is not
    // positive).
    int DurationMs(int n) const;
    // Fits the reference stretch into an input lasting durationMs (written back).
    void ClampReference(int durationMs);
    // Highlights the reference stretch (in samples) in the preview.
    void HighlightReference();

    int m_windowMs = 20;
    double m_sdFactor = 2.0;
    int m_refLengthMs = 100;
    int m_refStartMs = 0;
};

class CSDActDetDlg : public ModuleDialog {
  public:
    // durationMs: the input's duration shown as the maximum of the reference stretch.
    CSDActDetDlg(CSDActDetFilter& module, int durationMs);

    DialogCheck Apply() override;
    DialogCheck Validate() override;
    void Commit() override;
    void OnRangeSelected(int first, int last) override;

    // The values the controls hold after the last successful exchange.
    long long m_refStartMs = 0;
    long long m_refLengthMs = 0;
    long long m_minMs = 0;
    long long m_maxMs = 0;
    double m_sdFactor = 0.0;
    long long m_windowMs = 0;

  private:
    void Store();
    CSDActDetFilter& m_detector;
};

// The sample index that the millisecond value ms stands for at rate R: (int)(ms x R x 0.001 +
// 0.5), the product ms x R formed first.
int MsTimesRateToSample(long long ms, int rate);

// The threshold k x (population SD of x[a..b)), the stretch clipped to 0..n; 0.0 when it is
// empty.
double ReferenceThreshold(const double* x, int n, int a, int b, double k);

// The index of the sample just before the first window of `window` samples whose SD exceeds
// `threshold`; -1 when no window does, when the first full window already does (no sample before
// it), or when the window holds no sample at all.
int FindSdOnset(const double* x, int n, int window, double threshold);

}  // namespace tavrel
