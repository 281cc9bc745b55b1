// The kernels of the envelope and conditioning modules, as free functions over spans: the moving
// RMS, the Teager-Kaiser energy operator and the reference of the amplitude normalisation.
#pragma once

#include <cstddef>
#include <span>

namespace tavrel::kernels {

// y[i] = sqrt(mean of x[j]^2 over i - points / 2 <= j < i - points / 2 + points, 0 <= j < n),
// dividing by the number of samples actually inside the data. A running sum with every
// addition's rounding error carried along (so a loud burst leaves no residue in the silence after
// it); the mean square is never below 0. points below 1 is taken as 1. y must have the size of x.
void MovingRms(std::span<const double> x, int points, std::span<double> y);

// y[i] = x[i]^2 - x[i - 1] x[i + 1] for 1 <= i <= n - 2, y[0] = y[1], y[n - 1] = y[n - 2]; every
// output 0 for n < 3. y must have the size of x.
void Tkeo(std::span<const double> x, std::span<double> y);

// The samples i with startMs <= 1000 i / rate <= endMs (clamped to the data) as [first, last);
// endMs <= startMs means all of them.
struct IndexRange {
    std::size_t first = 0;
    std::size_t last = 0;
};
IndexRange MsRangeToIndices(long long startMs, long long endMs, int rate, std::size_t n);

// The largest |x[i]| over the range; 0 for an empty one.
double LargestMagnitude(std::span<const double> x, IndexRange range);

// y = scale * x / reference.
void Scale(std::span<const double> x, double reference, double scale, std::span<double> y);

}  // namespace tavrel::kernels
