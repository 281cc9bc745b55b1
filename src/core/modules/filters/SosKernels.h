// Running a cascade of second-order sections over a signal: causally from rest (what SciPy's
// `sosfilt(sos, x)` computes) or forwards and backwards with odd extension at both ends (what
// `sosfiltfilt(sos, x)` computes with its default pad length). Each section is the transposed
// direct form II, evaluated in the same order of operations as SciPy's loop; the sections of a
// cascade run side by side, one sample apart, which changes no bit of the result.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "modules/filters/IirDesign.h"
#include "platform/InstructionSet.h"

namespace tavrel::kernels {

// The number of samples the zero-phase run adds at each end: three times the cascade's tap count
// (2 per section plus 1, less one per section whose b2 and a2 are both 0 as SciPy counts them);
// for an input not longer than that, one less than the input's length (0 for no input).
std::size_t ZeroPhasePadLength(const Sections& sos, std::size_t n);

// The state of each section that a unit step input holds in steady state (SciPy's sosfilt_zi):
// two values per section.
std::vector<double> SteadyState(const Sections& sos);

// y = the cascade run over x from zero state. y must have the size of x; y may be x. No sections:
// a copy. `set`: the instruction set of the side-by-side run (Plain: the plain loop); every set
// gives the same bits.
void SosFilter(const Sections& sos, std::span<const double> x, std::span<double> y,
               InstructionSet set = BestInstructionSet());

// y = the cascade run forwards over the odd extension of x, then backwards, each pass started
// from the steady state scaled by its first value, the extension cut off again. y must have the
// size of x; y may be x. No sections: a copy.
void SosFiltFilt(const Sections& sos, std::span<const double> x, std::span<double> y,
                 InstructionSet set = BestInstructionSet());

// The same two runs as plain loops (each sample through every section in turn, over one padded
// copy of the signal): what the functions above must equal bit for bit.
namespace reference {
void SosFilter(const Sections& sos, std::span<const double> x, std::span<double> y);
void SosFiltFilt(const Sections& sos, std::span<const double> x, std::span<double> y);
}  // namespace reference

}  // namespace tavrel::kernels
