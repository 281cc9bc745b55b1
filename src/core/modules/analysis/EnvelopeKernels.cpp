#include "modules/analysis/EnvelopeKernels.h"

#include <algorithm>
#include <cmath>

namespace tavrel::kernels {

namespace {

// A sum kept as a value and the rounding error of every addition so far (the error of each
// addition is exact, found by the two-sum of Knuth).
struct CarriedSum {
    double sum = 0.0;
    double error = 0.0;

    void Add(double v) {
        const double t = sum + v;
        const double vv = t - sum;
        error += (sum - (t - vv)) + (v - vv);
        sum = t;
    }
    double Value() const { return sum + error; }
};

}  // namespace

void MovingRms(std::span<const double> x, int points, std::span<double> y) {
    const auto n = static_cast<std::ptrdiff_t>(x.size());
    const std::ptrdiff_t window = std::max(points, 1);
    const std::ptrdiff_t before = window / 2;
    CarriedSum sum;
    // The window of output i is [i - before, i - before + window); the running sum holds its part
    // inside the data, [lo, hi).
    std::ptrdiff_t lo = 0, hi = 0;
    for (std::ptrdiff_t i = 0; i < n; ++i) {
        const std::ptrdiff_t start = std::max<std::ptrdiff_t>(i - before, 0);
        const std::ptrdiff_t end = std::min(i - before + window, n);
        for (; hi < end; ++hi)
            sum.Add(x[static_cast<std::size_t>(hi)] * x[static_cast<std::size_t>(hi)]);
        for (; lo < start; ++lo)
            sum.Add(-(x[static_cast<std::size_t>(lo)] * x[static_cast<std::size_t>(lo)]));
        const std::ptrdiff_t count = end - start;
        const double mean = count > 0 ? sum.Value() / static_cast<double>(count) : 0.0;
        y[static_cast<std::size_t>(i)] = std::sqrt(std::max(mean, 0.0));
    }
}

void Tkeo(std::span<const double> x, std::span<double> y) {
    const std::size_t n = x.size();
    if (n < 3) {
        std::fill(y.begin(), y.end(), 0.0);
        return;
    }
    for (std::size_t i = 1; i + 1 < n; ++i)
        y[i] = x[i] * x[i] - x[i - 1] * x[i + 1];
    y[0] = y[1];
    y[n - 1] = y[n - 2];
}

IndexRange MsRangeToIndices(long long startMs, long long endMs, int rate, std::size_t n) {
    if (endMs <= startMs || rate <= 0) return {0, n};
    // 1000 i >= startMs rate and 1000 i <= endMs rate, in whole numbers.
    const long long r = rate;
    const long long lo = startMs <= 0 ? 0 : (startMs * r + 999) / 1000;
    const long long hi = endMs < 0 ? -1 : endMs * r / 1000;
    const auto count = static_cast<long long>(n);
    const long long first = std::min(lo, count);
    const long long last = std::clamp(hi + 1, first, count);
    return {static_cast<std::size_t>(first), static_cast<std::size_t>(last)};
}

double LargestMagnitude(std::span<const double> x, IndexRange range) {
    double largest = 0.0;
    for (std::size_t i = range.first; i < range.last; ++i)
        largest = std::max(largest, std::abs(x[i]));
    return largest;
}

void Scale(std::span<const double> x, double reference, double scale, std::span<double> y) {
    for (std::size_t i = 0; i < x.size(); ++i)
        y[i] = scale * x[i] / reference;
}

}  // namespace tavrel::kernels
