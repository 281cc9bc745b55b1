// The numeric kernel of the FFT view: fitting the transform size to the data, the forward
// transforms (direct DFT, radix-2 FFT, and a chirp-z DFT for long sizes that are not powers of
// two) scaled by 1/N, and the conversion of a spectrum into levels in decibels.
#pragma once

#include <span>

#include "platform/InstructionSet.h"

namespace tavrel::spectrum {

// The largest transform the FFT view requests by default.
constexpr int kDefaultPoints = 1024;
// From this size on, a power-of-two window is transformed by the FFT instead of the direct DFT.
constexpr int kFftMinPoints = 128;
// Sizes that are not powers of two are transformed by the direct DFT up to this size (the data
// file reader's row cap) and by the chirp-z method beyond it, so a stored size can never make
// the N-squared loop run away.
constexpr int kDirectDftLimit = 8192;
// The level given to a bin without a defined level (zero magnitude, or a window whose peak is 0):
// 320 dB below the peak, where the rounding noise of double arithmetic lies. A bin weaker than
// this that still has some magnitude keeps its own level, and zero bins then go as low as the
// lowest such level.
constexpr double kLevelFloor = -280.0;

// The transform size for `points` requested and `count` samples available: halve while larger
// than the data, and take all the data once halving would go below 128. 0 when the result is
// below 3 samples (no spectrum).
int FitTransformSize(int points, int count);

bool IsPowerOfTwo(long long n);

// Whether a window of n points goes through the radix-2 FFT.
inline bool UsesFft(int n) {
    return n >= kFftMinPoints && IsPowerOfTwo(n);
}

// Forward transforms of the real samples s (n = s.size()), scaled by 1/n:
// re[k] = 1/n sum s[j] cos(2 pi j k / n), im[k] = 1/n sum s[j] sin(-2 pi j k / n).
// re and im must hold n values each.
void DirectDft(std::span<const double> s, std::span<double> re, std::span<double> im);
// The radix-2 transforms below run their butterflies side by side with `set` (narrowed to what the
// processor runs); every set gives the same bits.
// n must be a power of two. May throw std::bad_alloc (the twiddle table).
void RadixTwoFft(std::span<const double> s, std::span<double> re, std::span<double> im,
                 InstructionSet set = BestInstructionSet());
// Any n >= 1; cost n log n (Bluestein's chirp-z method over power-of-two FFTs).
void ChirpZDft(std::span<const double> s, std::span<double> re, std::span<double> im,
               InstructionSet set = BestInstructionSet());
// The transform the FFT view uses for a window of this size. Returns false when memory is short.
bool Transform(std::span<const double> s, std::span<double> re, std::span<double> im,
               InstructionSet set = BestInstructionSet());

// Levels 20 log10(m / P) + 40 of the first levels.size() bins (m a bin's magnitude, P the largest
// magnitude of all re.size() bins); bins without a finite level get the floor described at
// kLevelFloor, taken among these bins.
void Levels(std::span<const double> re, std::span<const double> im, std::span<double> levels);

}  // namespace tavrel::spectrum
