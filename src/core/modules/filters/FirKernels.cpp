#include "modules/filters/FirKernels.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

#include "platform/WorkerPool.h"

namespace tavrel::kernels {

double HammingWindow(int i) {
    return 0.54 + 0.46 * std::cos(std::numbers::pi * (i - kCentreTap) * 0.05);
}

void DesignLowPass(Taps h, double x) {
    if (x > 1.0) x = 1.0;
    for (int i = 0; i < kTapCount; ++i) {
        if (i == kCentreTap) {
            h[i] = x;
            continue;
        }
        double a = (i - kCentreTap) * std::numbers::pi;
        h[i] = HammingWindow(i) * std::sin(a * x) / a;
    }
}

void MirrorToHighPass(Taps h) {
    for (int i = 1; i < kTapCount; i += 2)
        h[i] = -h[i];
}

void ConvolveCentredPlain(std::span<const double> x, ConstTaps h, std::span<double> y) {
    const std::ptrdiff_t n = static_cast<std::ptrdiff_t>(x.size());
    for (std::ptrdiff_t m = 0; m < n; ++m) {
        double sum = 0.0;
        for (int k = 0; k < kTapCount; ++k) {
            std::ptrdiff_t j = m - kCentreTap + k;
            if (j < 0 || j >= n) continue;
            sum += h[k] * x[j];
        }
        y[m] = sum;
    }
}

namespace {

// Output samples computed per block: the block's sums and its padded input stay in the first-level
// cache while all 41 taps pass over them.
constexpr std::size_t kBlock = 1024;
// From this many blocks (64 Ki samples) a filtering is split over the threads it may use.
constexpr std::size_t kParallelBlocks = 64;

// One block of outputs y[0 .. len) from the padded input p[0 .. len + 40), where p[j] stands for
// the input sample 20 places before output j's. The taps run in the outer loop and each output's
// sum still starts at 0.0 and takes its terms in increasing k, so the result equals the plain loop
// term for term; the inner loop over the outputs is independent and vectorises. A second copy for
// processors with AVX2 is chosen on first use: four lanes instead of two, the same operations
// (AVX2 brings no fused multiply-add, so every product is still rounded before it is added). The
// choice is made by the program rather than by the loader, so the sanitizers, which are not yet
// running while the loader resolves, see both copies like any other code.
[[gnu::always_inline]] inline void ConvolveBlockBody(const double* __restrict p,
                                                     const double* __restrict h,
                                                     double* __restrict y, std::size_t len) {
    for (std::size_t m = 0; m < len; ++m)
        y[m] = 0.0;
    for (int k = 0; k < kTapCount; ++k) {
        const double hk = h[k];
        const double* __restrict src = p + k;
        for (std::size_t m = 0; m < len; ++m)
            y[m] += hk * src[m];
    }
}

void ConvolveBlockDefault(const double* __restrict p, const double* __restrict h,
                          double* __restrict y, std::size_t len) {
    ConvolveBlockBody(p, h, y, len);
}

#if TAVREL_HAVE_X86_KERNELS
__attribute__((target("avx2"))) void ConvolveBlockAvx2(const double* __restrict p,
                                                       const double* __restrict h,
                                                       double* __restrict y, std::size_t len) {
    ConvolveBlockBody(p, h, y, len);
}
#endif

void ConvolveBlock(const double* __restrict p, const double* __restrict h, double* __restrict y,
                   std::size_t len) {
#if TAVREL_HAVE_X86_KERNELS
    if (BestInstructionSet() >= InstructionSet::Avx2) {
        ConvolveBlockAvx2(p, h, y, len);
        return;
    }
#endif
    ConvolveBlockDefault(p, h, y, len);
}

bool AllFinite(ConstTaps h) {
    return std::all_of(h.begin(), h.end(), [](double v) { return std::isfinite(v); });
}

// Copies the input samples first .. first + count - 1 into out, with 0.0 for the indices outside
// the data (first may be negative).
void CopyPadded(std::span<const double> x, std::ptrdiff_t first, std::size_t count, double* out) {
    const std::ptrdiff_t n = static_cast<std::ptrdiff_t>(x.size());
    const std::ptrdiff_t end = first + static_cast<std::ptrdiff_t>(count);
    const std::ptrdiff_t lo = std::clamp<std::ptrdiff_t>(first, 0, n);
    const std::ptrdiff_t hi = std::clamp<std::ptrdiff_t>(end, 0, n);
    double* p = out;
    if (lo > first) p = std::fill_n(p, std::min(lo, end) - first, 0.0);
    if (hi > lo) p = std::copy(x.begin() + lo, x.begin() + hi, p);
    std::fill(p, out + count, 0.0);
}

// The parts the blocks [0, count) are split into: the threads the calling thread may use (a
// single chain computed on its own: a dialog's Apply) once there are enough blocks. Every block
// computes its outputs alone, so the result does not depend on the split.
int BlockParts(std::size_t count) {
    return count >= kParallelBlocks ? ThreadCount() : 1;
}

}  // namespace

void ConvolveCentred(std::span<const double> x, ConstTaps h, std::span<double> y) {
    // A padded term adds h[k] * 0.0, a zero, to a sum that started at +0.0; under round-to-nearest
    // such a sum is never -0.0, so adding either zero leaves it unchanged. That holds for finite
    // taps only: an infinite or NaN tap times zero is NaN, so such taps take the plain loop.
    if (!AllFinite(h)) {
        ConvolveCentredPlain(x, h, y);
        return;
    }
    const std::size_t n = x.size();
    constexpr std::ptrdiff_t kPad = kCentreTap;
    const std::size_t blocks = (n + kBlock - 1) / kBlock;
    ParallelRanges(blocks, BlockParts(blocks),
                   [&](int, std::size_t firstBlock, std::size_t endBlock) {
                       std::array<double, kBlock + 2 * kPad> padded;
                       for (std::size_t start = firstBlock * kBlock;
                            start < std::min(n, endBlock * kBlock); start += kBlock) {
                           const std::size_t len = std::min(kBlock, n - start);
                           // padded[j] holds input sample start - 20 + j, or 0.0 outside the data.
                           CopyPadded(x, static_cast<std::ptrdiff_t>(start) - kPad, len + 2 * kPad,
                                      padded.data());
                           ConvolveBlock(padded.data(), h.data(), y.data() + start, len);
                       }
                   });
}

void ConvolveCentredTwice(std::span<const double> x, ConstTaps first, ConstTaps second,
                          std::span<double> y) {
    const std::size_t n = x.size();
    if (!AllFinite(first) || !AllFinite(second)) {
        std::vector<double> intermediate(n);
        ConvolveCentredPlain(x, first, intermediate);
        ConvolveCentredPlain(intermediate, second, y);
        return;
    }
    constexpr std::ptrdiff_t kPad = kCentreTap;
    // For the outputs start .. start + len - 1 the second pass reads the intermediate samples
    // start - 20 .. start + len + 19, which the first pass computes from the input samples
    // start - 40 .. start + len + 39.
    const std::size_t blocks = (n + kBlock - 1) / kBlock;
    ParallelRanges(
        blocks, BlockParts(blocks), [&](int, std::size_t firstBlock, std::size_t endBlock) {
            std::array<double, kBlock + 4 * kPad> input;
            std::array<double, kBlock + 2 * kPad> intermediate;
            for (std::size_t start = firstBlock * kBlock; start < std::min(n, endBlock * kBlock);
                 start += kBlock) {
                const std::size_t len = std::min(kBlock, n - start);
                const std::ptrdiff_t s = static_cast<std::ptrdiff_t>(start);
                CopyPadded(x, s - 2 * kPad, len + 4 * kPad, input.data());
                ConvolveBlock(input.data(), first.data(), intermediate.data(), len + 2 * kPad);
                // The intermediate result has the input's length: beyond both ends it is zero, not
                // the first pass's tail.
                for (std::ptrdiff_t j = 0; j < static_cast<std::ptrdiff_t>(len) + 2 * kPad; ++j) {
                    const std::ptrdiff_t index = s - kPad + j;
                    if (index < 0 || index >= static_cast<std::ptrdiff_t>(n)) intermediate[j] = 0.0;
                }
                ConvolveBlock(intermediate.data(), second.data(), y.data() + start, len);
            }
        });
}

void MovingAveragePlain(std::span<const double> x, int points, std::span<double> y) {
    const long long n = static_cast<long long>(x.size());
    if (points <= 1) {
        std::copy(x.begin(), x.end(), y.begin());
        return;
    }
    // points + 1 in double precision is exact for every int and cannot overflow.
    const double divisor = static_cast<double>(points) + 1.0;
    const long long before = points / 2;
    for (long long i = 0; i < n; ++i) {
        // The window is i - points / 2 ... start + points - 1; only its part inside the data is
        // visited, in 64 bits so that no window length can overflow.
        const long long start = i - before;
        const long long first = std::max(start, 0LL);
        const long long end = std::min(start + points, n);
        double sum = x[static_cast<std::size_t>(i)];
        for (long long j = first; j < end; ++j) {
            if (j != i) sum += x[static_cast<std::size_t>(j)];
        }
        y[static_cast<std::size_t>(i)] = sum / divisor;
    }
}

std::size_t DecimatedCount(std::size_t n, int step) {
    if (step < 2) return n;
    return n / static_cast<std::size_t>(step);
}

void Decimate(std::span<const double> x, int step, std::span<double> y) {
    if (step < 2) {
        std::copy(x.begin(), x.end(), y.begin());
        return;
    }
    const std::size_t count = DecimatedCount(x.size(), step);
    const std::size_t stride = static_cast<std::size_t>(step);
    for (std::size_t i = 0; i < count; ++i)
        y[i] = x[i * stride];
}

void Differentiate(std::span<const double> x, double k, std::span<double> y) {
    if (x.empty()) return;
    y[0] = k * x[0];
    for (std::size_t i = 1; i < x.size(); ++i)
        y[i] = (x[i] - x[i - 1]) * k;
}

}  // namespace tavrel::kernels
