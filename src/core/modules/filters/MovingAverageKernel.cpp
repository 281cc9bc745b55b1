// The moving average with neighbouring outputs computed side by side (declared in FirKernels.h).
// Every output keeps its own sum, started at x[i] and taking the other window samples in
// increasing index, so each vector lane performs exactly the plain loop's additions and divides
// by the same N + 1: the result is the plain loop's bit for bit. This file is compiled without
// contraction of multiplications and additions, and the AVX2 copy enables no fused multiply-add.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <new>
#include <vector>

#include "modules/filters/FirKernels.h"

namespace tavrel::kernels {

#if TAVREL_HAVE_X86_KERNELS
namespace {

// W doubles side by side.
template <int W>
struct Lanes {
    typedef double Vec __attribute__((vector_size(8 * W)));
};

// Loads and stores at any address of a double. Copying through memcpy makes both compilers emit
// unaligned vector moves; a vector type with a lowered alignment is not honoured by every
// compiler, and an aligned move of an unaligned address stops the program.
// (Vectors pass by reference: by value their layout would depend on the instruction set.)
template <int W>
[[gnu::always_inline]] inline void LoadAt(typename Lanes<W>::Vec& v, const double* p) {
    std::memcpy(&v, p, sizeof v);
}

template <int W>
[[gnu::always_inline]] inline void StoreAt(double* p, const typename Lanes<W>::Vec& v) {
    std::memcpy(p, &v, sizeof v);
}

// Each block computes kChains vectors of outputs, each with its own sum, so that the processor
// overlaps the additions of different sums (one sum alone would wait for each addition).
constexpr int kChains = 8;
// From this window length on, each loaded vector is added to every sum that takes it; shorter
// windows load every term of every sum (the ramps of the shared loads would cost more).
constexpr std::ptrdiff_t kSharedLoadPoints = 40;

// Sum c (outputs W c ... W c + W - 1 of the block) takes its term k from p + W c + k, the vector
// loaded at t = W c + k. So every vector loaded at t goes to each sum c with 0 <= t - W c < points
// and t - W c != before, and each sum still receives its terms in increasing k.
template <int W>
[[gnu::always_inline]] inline void AddSharedLoads(typename Lanes<W>::Vec* sum, const double* p,
                                                  std::ptrdiff_t points, std::ptrdiff_t before) {
    using Vec = typename Lanes<W>::Vec;
    constexpr std::ptrdiff_t kSpan = W * (kChains - 1);
    const std::ptrdiff_t end = points + kSpan;
    std::ptrdiff_t t = 0;
    while (t < end) {
        // Between these marks either every sum takes each vector or each sum is asked.
        std::ptrdiff_t next = end;
        for (std::ptrdiff_t mark : {kSpan, before, before + kSpan + 1, points}) {
            if (mark > t && mark < next) next = mark;
        }
        const bool every = t >= kSpan && t < points && (t < before || t > before + kSpan);
        if (every) {
            for (; t < next; ++t) {
                Vec v;
                LoadAt<W>(v, p + t);
                for (int c = 0; c < kChains; ++c)
                    sum[c] += v;
            }
            continue;
        }
        for (; t < next; ++t) {
            Vec v;
            LoadAt<W>(v, p + t);
            for (int c = 0; c < kChains; ++c) {
                const std::ptrdiff_t k = t - W * c;
                if (k >= 0 && k < points && k != before) sum[c] += v;
            }
        }
    }
}

// The kChains * W outputs y[m] = (p[before + m] + p[m + k] for k = 0 .. points - 1 except
// before, in that order) / divisor: p[j] is the sample `before` places ahead of output j.
template <int W>
[[gnu::always_inline]] inline void WindowBlock(const double* p, std::ptrdiff_t points,
                                               std::ptrdiff_t before, double divisor, double* y) {
    using Vec = typename Lanes<W>::Vec;
    Vec sum[kChains];
    for (int c = 0; c < kChains; ++c)
        LoadAt<W>(sum[c], p + before + W * c);
    if (points >= kSharedLoadPoints) {
        AddSharedLoads<W>(sum, p, points, before);
    } else {
        for (std::ptrdiff_t k = 0; k < points; ++k) {
            if (k == before) continue;
            for (int c = 0; c < kChains; ++c) {
                Vec v;
                LoadAt<W>(v, p + k + W * c);
                sum[c] += v;
            }
        }
    }
    for (int c = 0; c < kChains; ++c) {
        const Vec out = sum[c] / divisor;
        StoreAt<W>(y + W * c, out);
    }
}

// All outputs, block by block. A block whose windows reach beyond either end of the data reads a
// copy in which the samples outside the data are -0.0: adding -0.0 leaves every sum unchanged
// (even a sum of -0.0 and an infinity or NaN), exactly as skipping those window positions does.
// `padded` holds kChains * W + points - 1 samples.
template <int W>
[[gnu::always_inline]] inline void MovingAverageLanes(std::span<const double> x, int points,
                                                      std::span<double> y, double* padded) {
    constexpr std::size_t kBlock = W * kChains;
    const std::size_t n = x.size();
    const std::ptrdiff_t before = points / 2;
    const double divisor = static_cast<double>(points) + 1.0;
    const std::ptrdiff_t reach = static_cast<std::ptrdiff_t>(kBlock) + points - 1;
    const std::ptrdiff_t count = static_cast<std::ptrdiff_t>(n);
    double out[kBlock];
    for (std::size_t i0 = 0; i0 < n; i0 += kBlock) {
        const std::ptrdiff_t first = static_cast<std::ptrdiff_t>(i0) - before;
        // The last window of the block ends at first + reach - 1, after the block's last output.
        if (first >= 0 && first + reach <= count) {
            WindowBlock<W>(x.data() + first, points, before, divisor, y.data() + i0);
            continue;
        }
        for (std::ptrdiff_t j = 0; j < reach; ++j) {
            const std::ptrdiff_t index = first + j;
            padded[j] = index >= 0 && index < count ? x[static_cast<std::size_t>(index)] : -0.0;
        }
        WindowBlock<W>(padded, points, before, divisor, out);
        std::copy_n(out, std::min(kBlock, n - i0), y.begin() + static_cast<std::ptrdiff_t>(i0));
    }
}

__attribute__((target("avx2"))) void MovingAverageAvx2(std::span<const double> x, int points,
                                                       std::span<double> y, double* padded) {
    MovingAverageLanes<4>(x, points, y, padded);
}

void MovingAverageSse2(std::span<const double> x, int points, std::span<double> y, double* padded) {
    MovingAverageLanes<2>(x, points, y, padded);
}

}  // namespace
#endif

void MovingAverage(std::span<const double> x, int points, std::span<double> y, InstructionSet set) {
    set = UsableInstructionSet(set);
    // A window longer than the data would make the vector paths add padding for every position
    // of it; the plain loop visits only the positions inside the data.
    if (points <= 1 || set == InstructionSet::Plain ||
        static_cast<std::size_t>(points) > x.size()) {
        MovingAveragePlain(x, points, y);
        return;
    }
#if TAVREL_HAVE_X86_KERNELS
    std::vector<double> padded;
    try {
        padded.resize(static_cast<std::size_t>(points) + 4 * kChains);
    } catch (const std::bad_alloc&) {
        MovingAveragePlain(x, points, y);
        return;
    }
    if (set == InstructionSet::Avx2) {
        MovingAverageAvx2(x, points, y, padded.data());
    } else {
        MovingAverageSse2(x, points, y, padded.data());
    }
#endif
}

}  // namespace tavrel::kernels
