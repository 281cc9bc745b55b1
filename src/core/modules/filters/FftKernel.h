// The radix-2 transform under the FFT view's spectrum and the chirp-z DFT: bit reversal and the
// butterfly stages, as a plain loop and with the independent butterflies of a stage computed side
// by side (SSE2 or AVX2). Every butterfly keeps its operations and their order, and the twiddle
// factors are computed as the plain loop computes them, so every path gives the same bits.
#pragma once

#include <cstddef>

#include "platform/InstructionSet.h"

namespace tavrel::spectrum {

// In-place complex radix-2 transform of n = 2^m points (decimation in time): the elements are put
// into bit-reversed order (the order that splitting every block into its even-indexed elements
// followed by its odd-indexed ones, from the whole array down to pairs, produces), then the
// butterflies run stage by stage with block sizes c = 2, 4, ... n: E at j and O at j + c/2 of each
// block become E + W O and E - W O. With `halve` every butterfly output is divided by 2, which
// scales the whole result by 1/n. `sign` is -1 for the forward transform
// (W = cos(2 pi j / c) + i sin(-2 pi j / c)) and +1 for the inverse. `set` is narrowed to what
// the processor runs. May throw std::bad_alloc (the twiddle table).
void FftInPlace(double* re, double* im, std::size_t n, double sign, bool halve, InstructionSet set);

// The forward transform of n = 2^m real samples s scaled by 1/n, as FftInPlace(sign -1, halve)
// over re = s and im = 0, with the bit reversal done while copying.
void FftOfReal(const double* s, double* re, double* im, std::size_t n, InstructionSet set);

}  // namespace tavrel::spectrum
