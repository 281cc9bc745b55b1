// CSpectrumView: what the views that draw a spectrum share (the FFT view, the power spectrum
// view). Their input flows through unchanged to the next module, a probe and the processed-data
// export; only their own drawing computes and shows a spectrum, through the common graph drawing
// relabelled in hertz.
#pragma once

#include <string>

#include "pipeline/ModBase.h"

namespace tavrel {

class CSpectrumView : public CModBase {
  public:
    // Export at the view delivers its input samples and their times, not the spectrum.
    int RecomputeAndGetData(std::vector<double>* values, std::string* label,
                            std::vector<double>* times) override;

  protected:
    // Pass-through: the input is pulled from upstream whatever this module held before and handed
    // on unchanged; a spectrum held for drawing is dropped on the way.
    bool WantsUpstream() const override;
    SampleBuffer TakeLocalOutput() override;
    SampleBuffer TakeOutputFrom(SampleBuffer upstream) override;

    // Draws the held spectrum of `binCount` bins with the common drawing, its axis in hertz and its
    // scale label in `unit`; the fields the drawing reads are put back afterwards.
    void DrawSpectrum(Surface* surface, const Rect& plot, const DisplayState& display,
                      const SampleRange* range, int binCount, std::string unit);

  private:
    // Turns the held input into the output unchanged (dropping any spectrum).
    void PassInputThrough();
};

// The rate the spectrum is drawn with, so that the common drawing's time axis reads in hertz: 1000
// divided by the bin width fs / N (binCount = N / 2 levels), rounded; 0 without bins or without a
// positive rate.
int SpectrumDrawingRate(int rate, int binCount);

}  // namespace tavrel
