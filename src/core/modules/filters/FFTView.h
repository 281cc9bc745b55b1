// CFFTViewFilter: shows the amplitude spectrum of a window of at most 1024 input samples, in
// decibels relative to the strongest bin, without changing the data that flows through the chain:
// the next module, a probe and the processed-data export receive its input unchanged. Only its
// own drawing (the channel's graph when it ends the chain, and its dialog's preview) computes and
// shows the spectrum.
//
// CFFTDlg: its settings dialog (the window start in whole milliseconds).
#pragma once

#include <string>

#include "modules/filters/SpectrumView.h"
#include "pipeline/ModuleDialog.h"
#include "platform/Translate.h"

namespace tavrel {

class CFFTViewFilter : public CSpectrumView {
  public:
    static constexpr const char* kClassName = "CFFTViewFilter";
    static constexpr const char* kDisplayName = TAVREL_TRANSLATE_NOOP("Module", "FFT View");

    CFFTViewFilter();
    const char* GetClassName() const override { return kClassName; }

    void SerializeOwn(Archive& ar) override;
    // The spectrum of the window: N / 2 levels (N the fitted size), or -1 without a spectrum.
    int Compute() override;
    // The common drawing of the spectrum, relabelled in Hz and -40dB.
    void DrawGraph(Surface* surface, const Rect& plot, const DisplayState& display,
                   const SampleRange* range) override;
    int EditSettings() override;

    // The transform size for the current input count (0 = no spectrum).
    int FittedSize() const;
    // Clamps m_start so that a window of n points fits into the input.
    void ClampStart(int n);

    int m_start = 0;
    int m_points = 1024;
};

class CFFTDlg : public ModuleDialog {
  public:
    explicit CFFTDlg(CFFTViewFilter& module);

    DialogCheck Apply() override;
    DialogCheck Validate() override;
    void Commit() override;

    unsigned m_maxStartMs = 0;
    unsigned m_fromMs = 0;
    unsigned m_toMs = 0;
    unsigned m_startMs = 0;
    unsigned m_pointCount = 0;
    std::string m_method;

  private:
    // Writes the dialog's start (ms) into the module as a sample index.
    void StoreStart();
    CFFTViewFilter& m_fft;
};

}  // namespace tavrel
