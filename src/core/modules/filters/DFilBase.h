// CDFilBase: the common base of the four frequency-selective filters (low-pass, high-pass,
// band-pass, band-stop). It holds the normalised cut-off and the designed 41 taps, designs
// low-pass and high-pass taps and applies a tap set centred on every output sample with zero
// padding at both ends. The taps are a cache: released by ClearBuffers and by every settings
// change, never copied.
//
// Also here: the conversion between a normalised cut-off and the whole hertz that the filter
// dialogs show and accept.
#pragma once

#include <cstdint>
#include <memory>

#include "pipeline/ModBase.h"
#include "platform/Translate.h"

namespace tavrel {

// An owned set of 41 taps, or none when not designed yet.
using TapArray = std::unique_ptr<double[]>;

class CDFilBase : public CModBase {
  public:
    static constexpr const char* kClassName = "CDFilBase";
    static constexpr const char* kDisplayName = TAVREL_TRANSLATE_NOOP("Module", "デジタルフィルタ");

    CDFilBase();
    ~CDFilBase() override;
    const char* GetClassName() const override { return kClassName; }

    // Filtering is done by the derived classes; the base computes nothing and has no dialog.
    int Compute() override;
    int EditSettings() override;
    void SerializeOwn(Archive& ar) override;
    void CopySettings(const CModBase& source) override;

    // Designs high-pass taps for the normalised cut-off x into m_coefficients (through the
    // virtual DesignLowPass at 1 - x); returns 0.
    virtual int DesignHighPass(double x);
    // Designs low-pass taps for x into m_coefficients, allocating it when absent; returns 0.
    virtual int DesignLowPass(double x);
    // Filters m_input into a new m_output with the taps h (a copy when h is null); the output
    // count, or -1 without input.
    virtual int ApplyCoefficients(const double* h);

    // Releases the designed taps so the next computation designs them from the current settings.
    virtual void ReleaseCoefficients();

    double m_cutoff = 0.3;
    TapArray m_coefficients;

  protected:
    void ReleaseBuffers() override;
};

// The filter dialogs' hertz rules, for a module rate fs.
// The cut-off shown for a normalised x: the integer part of (fs x + 1.0) 0.5, clamped to the
// range of the dialog's unsigned field (a stored NaN or negative cut-off shows as 0).
std::uint32_t ShownHz(double x, int fs);
// The lowest accepted cut-off: 0 when fs / 2 <= 100, else 10.
std::uint32_t LowestHz(int fs);
// The highest accepted cut-off: fs / 2, the Nyquist frequency (0 for a rate of 0 or below).
std::uint32_t HighestHz(int fs);
// The normalised cut-off stored for an accepted hz: hz 2.0 / fs. A rate of 0 or below has no
// Nyquist frequency to refer to: the cut-off is then left as it is and false returned.
bool HzToCutoff(std::uint32_t hz, int fs, double& cutoff);

}  // namespace tavrel
