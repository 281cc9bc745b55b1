// The numeric kernels of the signal filters, as free functions over spans: the design of the
// 41-tap windowed-sinc FIR filters and their centred application with zero padding, the moving
// average, decimation and the differentiator. The module classes wrap them; the four FIR filters
// share the design and the convolution.
//
// Every kernel keeps the exact order of floating-point operations that the filters define, so a
// result does not depend on which code path computed it.
#pragma once

#include <cstddef>
#include <span>

#include "platform/InstructionSet.h"

namespace tavrel::kernels {

// The FIR filters have 41 taps, centred on tap 20.
inline constexpr int kTapCount = 41;
inline constexpr int kCentreTap = 20;

using Taps = std::span<double, kTapCount>;
using ConstTaps = std::span<const double, kTapCount>;

// Hamming window of tap i: 0.54 + 0.46 cos(pi (i - 20) 0.05); 1.0 at the centre, 0.08 at the ends.
double HammingWindow(int i);

// Low-pass taps for the normalised cut-off x (a fraction of the Nyquist frequency): a cut-off
// above 1.0 is taken as 1.0 (there is no lower clamp); the centre tap is x itself (unwindowed),
// tap i elsewhere is w(i) sin(a x) / a with a = (i - 20) pi. The taps are not normalised.
void DesignLowPass(Taps h, double x);

// Turns low-pass taps designed for 1 - x into high-pass taps for x: negates the odd taps.
void MirrorToHighPass(Taps h);

// y[m] = sum over k = 0..40 of h[k] x[m - 20 + k], terms outside the data left out, summed from
// 0.0 in increasing k. y must have the size of x. Fast: works on zero-padded blocks of the input
// with the taps in the outer loop; bit-identical to ConvolveCentredPlain.
void ConvolveCentred(std::span<const double> x, ConstTaps h, std::span<double> y);

// Two filterings one after the other, as the band-pass runs them: the taps `first` over x, then
// the taps `second` over that intermediate result cut to the length of x (so padded with zeros
// afresh at both ends). Bit-identical to ConvolveCentredPlain twice; works block by block,
// recomputing the 40 intermediate samples each block shares with its neighbours, so that no
// intermediate array of the input's length is needed.
void ConvolveCentredTwice(std::span<const double> x, ConstTaps first, ConstTaps second,
                          std::span<double> y);

// The same filtering as the plain loop, one output sample at a time, skipping padded terms.
void ConvolveCentredPlain(std::span<const double> x, ConstTaps h, std::span<double> y);

// Moving average over `points` window positions: y[i] = (x[i] + the other samples of the window
// i - points / 2 ... i - points / 2 + points - 1 that lie inside the data, in increasing index) /
// (points + 1). points <= 1 copies. y must have the size of x. The vector paths compute
// neighbouring outputs side by side, each lane adding its own terms in exactly that order, so
// every path gives the plain loop's result bit for bit; `set` is narrowed to what the processor
// runs. A window longer than the data takes the plain loop.
void MovingAverage(std::span<const double> x, int points, std::span<double> y,
                   InstructionSet set = BestInstructionSet());

// The plain loop of the moving average, one output at a time. The work is bounded by the data:
// only window positions inside the data are visited.
void MovingAveragePlain(std::span<const double> x, int points, std::span<double> y);

// Number of samples that decimation by `step` keeps of n samples: n itself for a step below 2,
// otherwise n / step.
std::size_t DecimatedCount(std::size_t n, int step);

// Keeps x[i step] for i = 0 ... DecimatedCount - 1 (a copy for a step below 2). y must have
// DecimatedCount(x.size(), step) samples.
void Decimate(std::span<const double> x, int step, std::span<double> y);

// Difference of neighbouring samples times k (samples per millisecond): y[0] = k x[0] (the sample
// before the first taken as 0), y[i] = (x[i] - x[i - 1]) k. y must have the size of x.
void Differentiate(std::span<const double> x, double k, std::span<double> y);

}  // namespace tavrel::kernels
