// The design of the IIR filters as second-order sections: the digital Butterworth filter (the
// analog prototype, its low-pass, high-pass, band-pass or band-stop transform, the pre-warped
// bilinear transform, and the pairing of poles and zeros into sections nearest the unit circle
// last) and the second-order notch. Both follow the textbook design step by step, in the order of
// operations SciPy's `butter(..., output='sos')` and `iirnotch` use, so that the sections agree
// with those designs to the last few bits.
#pragma once

#include <array>
#include <vector>

namespace tavrel::kernels {

// One second-order section: b0, b1, b2, a0 (always 1), a1, a2 of
// (b0 + b1 z^-1 + b2 z^-2) / (1 + a1 z^-1 + a2 z^-2).
using Section = std::array<double, 6>;
using Sections = std::vector<Section>;

enum class BandKind { LowPass = 0, HighPass = 1, BandPass = 2, BandStop = 3 };

// Whether a design of these edges is valid at the rate: 0 < edge < fs / 2 for each edge used
// (low-pass uses `high`, high-pass `low`, the band kinds both, with low < high) and an order of
// 1 to 8.
bool ButterworthValid(BandKind kind, int order, double low, double high, double fs);

// The sections of the digital Butterworth filter of the given order (the band kinds have twice
// as many poles). Empty when ButterworthValid does not hold.
Sections ButterworthSections(BandKind kind, int order, double low, double high, double fs);

// The notch of SciPy's iirnotch(freq, quality, fs): zero gain at freq, -3 dB bandwidth
// freq / quality. Requires 0 < freq < fs / 2 and quality > 0.
Section NotchSection(double freq, double quality, double fs);

// The notches at h * freq for h = 1 ... harmonics with h * freq < fs / 2, in that order; empty
// for a frequency or quality of 0 or below.
Sections NotchCascade(double freq, double quality, int harmonics, double fs);

}  // namespace tavrel::kernels
