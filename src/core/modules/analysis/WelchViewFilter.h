// CWelchViewFilter, the power spectrum view: like the FFT view it hands its input on unchanged to
// the next module, a probe and the processed-data export; only its own drawing shows something
// else - the Welch power spectral density of its whole input (segments of `points` samples, at
// most the input's length, half overlapping; see SpectralKernels.h), in decibels (10 log10 P) or
// linear, over the frequencies 0 to fs / 2 with the axis labelled in Hz.
#pragma once

#include "modules/filters/SpectrumView.h"
#include "platform/Translate.h"

namespace tavrel {

class CWelchViewFilter : public CSpectrumView {
  public:
    static constexpr const char* kClassName = "CWelchViewFilter";
    static constexpr const char* kDisplayName = TAVREL_TRANSLATE_NOOP("Module", "パワースペクトル");

    CWelchViewFilter();
    const char* GetClassName() const override { return kClassName; }

    void SerializeOwn(Archive& ar) override;
    // The spectrum: SegmentLength() / 2 + 1 values, or -1 without a spectrum (below 8 samples).
    int Compute() override;
    // The common drawing of the spectrum, relabelled in Hz and dB (or the power's unit).
    void DrawGraph(Surface* surface, const Rect& plot, const DisplayState& display,
                   const SampleRange* range) override;

    // The segment length for the current input: points, at most the input's length.
    int SegmentLength() const;

    int m_points = 1024;
    int m_decibel = 1;
};

}  // namespace tavrel
