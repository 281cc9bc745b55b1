// The moving average with neighbouring outputs computed side by side (declared in FirKernels.h).
// Every output keeps its own sum, started at x[i] and taking the other window samples in
// increasing index, so each vector lane performs exactly the plain loop's additions and divides
// by the same N + 1: the result is the plain loop's bit for bit. This file is compiled without
// contraction of multiplications and additions (the AVX-512 copy has fused multiply-adds at hand,
// but there is no multiplication to fuse: only additions and one division).
//
// The sums of one block are independent chains of additions; the processor overlaps them, so a
// block of long windows runs at the adder's throughput rather than at its latency. Long windows
// load each vector once and add it to every sum of the block that takes it; the order in which
// the sums start, skip their own sample and end is fixed by the block's shape, so those stretches
// are unrolled at compile time and only the long middle stretches loop.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "modules/filters/FirKernels.h"
#include "platform/DoubleLanes.h"
#include "platform/WorkerPool.h"

namespace tavrel::kernels {

#if TAVREL_HAVE_X86_KERNELS
namespace {

// Loads and stores at any address of a double, as platform/DoubleLanes.h explains. (Vectors
// pass by reference here: by value their layout would depend on the instruction set.)
template <int W>
[[gnu::always_inline]] inline void LoadAt(typename Lanes<W>::Vec& v, const double* p) {
    std::memcpy(&v, p, sizeof v);
}

template <int W>
[[gnu::always_inline]] inline void StoreAt(double* p, const typename Lanes<W>::Vec& v) {
    std::memcpy(p, &v, sizeof v);
}

// Sums per block for short windows: each term of each sum is loaded on its own.
constexpr int kShortChains = 8;
// Sums per block for long windows, whose terms are shared loads: eight chains of additions keep
// both adders busy through the latency of each addition (ten, twelve or fourteen ran no faster,
// and fewer sums let the long path start at shorter windows).
constexpr int kLongChains = 8;

// The samples a block reads: its kChains * W outputs and the window around them.
template <int W, int kChains>
constexpr std::ptrdiff_t BlockReach(int points) {
    return static_cast<std::ptrdiff_t>(W * kChains) + points - 1;
}

// sum[c] += v for the sums First ... Last - 1 except Skip, unrolled.
template <int W, int First, int Last, int Skip = -1>
[[gnu::always_inline]] inline void AddTo(typename Lanes<W>::Vec* sum,
                                         const typename Lanes<W>::Vec& v) {
    [&]<int... c>(std::integer_sequence<int, c...>) {
        ((First + c != Skip ? void(sum[First + c] += v) : void()), ...);
    }
    (std::make_integer_sequence<int, Last - First>{});
}

// A block of long windows. Sum c (outputs W c ... W c + W - 1 of the block) takes its term k
// from p + W c + k, the vector loaded at t = W c + k; so the vector loaded at t goes to each sum
// c with 0 <= t - W c < points and t - W c != before. With kSpan = W (kChains - 1), the block
// runs through:
//   t in [0, kSpan)                        the sums start one after another (sums 0 ... t / W);
//   t in [kSpan, before)                   every sum;
//   t in [before, before + kSpan]          every sum but the one whose own sample it is;
//   t in (before + kSpan, points)          every sum;
//   t in [points, points + kSpan)          the sums end one after another.
// That order holds when before >= kSpan and before + kSpan < points (Fits).
// Vectors wholly outside [lo, hi) of p hold only -0.0 (padding at the ends of the data) and are
// left out of the two middle stretches: adding -0.0 changes no sum.
template <int W, int kChains>
struct LongBlock {
    using Vec = typename Lanes<W>::Vec;
    static constexpr std::ptrdiff_t kSpan = W * (kChains - 1);

    static bool Fits(std::ptrdiff_t points) {
        const std::ptrdiff_t before = points / 2;
        return before >= kSpan && before + kSpan < points;
    }

    // t in [W S, W S + W) of the start: the sums 0 ... S.
    template <int S = 0>
    [[gnu::always_inline]] static void Start(Vec* sum, const double* p) {
        if constexpr (S < kChains - 1) {
            for (int j = 0; j < W; ++j) {
                Vec v;
                LoadAt<W>(v, p + W * S + j);
                AddTo<W, 0, S + 1>(sum, v);
            }
            Start<S + 1>(sum, p);
        }
    }

    // q = p + before: at q + W S sum S skips its own sample; the W - 1 vectors after it go to
    // every sum.
    template <int S = 0>
    [[gnu::always_inline]] static void SkipOwn(Vec* sum, const double* q) {
        if constexpr (S < kChains) {
            Vec v;
            LoadAt<W>(v, q + W * S);
            AddTo<W, 0, kChains, S>(sum, v);
            if constexpr (S < kChains - 1) {
                for (int j = 1; j < W; ++j) {
                    LoadAt<W>(v, q + W * S + j);
                    AddTo<W, 0, kChains>(sum, v);
                }
            }
            SkipOwn<S + 1>(sum, q);
        }
    }

    // q = p + points: t in [W S, W S + W) past q, the sums S + 1 ... kChains - 1.
    template <int S = 0>
    [[gnu::always_inline]] static void End(Vec* sum, const double* q) {
        if constexpr (S < kChains - 1) {
            for (int j = 0; j < W; ++j) {
                Vec v;
                LoadAt<W>(v, q + W * S + j);
                AddTo<W, S + 1, kChains>(sum, v);
            }
            End<S + 1>(sum, q);
        }
    }

    [[gnu::always_inline]] static void Every(Vec* sum, const double* p, std::ptrdiff_t from,
                                             std::ptrdiff_t to) {
        for (std::ptrdiff_t t = from; t < to; ++t) {
            Vec v;
            LoadAt<W>(v, p + t);
            AddTo<W, 0, kChains>(sum, v);
        }
    }

    // Sums of the kChains * W outputs y[m] = (p[before + m] + p[m + k] for k = 0 .. points - 1
    // except before) into sum.
    [[gnu::always_inline]] static void Run(Vec* sum, const double* p, std::ptrdiff_t points,
                                           std::ptrdiff_t lo, std::ptrdiff_t hi) {
        const std::ptrdiff_t before = points / 2;
        Start(sum, p);
        Every(sum, p, std::max(kSpan, lo - W + 1), before);
        SkipOwn(sum, p + before);
        Every(sum, p, before + kSpan + 1, std::min(points, hi));
        End(sum, p + points);
    }
};

// The kChains * W outputs y[m] = (p[before + m] + p[m + k] for k = 0 .. points - 1 except
// before, in that order) / divisor: p[j] is the sample `before` places ahead of output j. Only
// p[lo] ... p[hi - 1] may differ from -0.0 (see LongBlock).
template <int W, int kChains, bool kLong>
[[gnu::always_inline]] inline void WindowBlock(const double* p, std::ptrdiff_t points,
                                               double divisor, std::ptrdiff_t lo, std::ptrdiff_t hi,
                                               double* y) {
    using Vec = typename Lanes<W>::Vec;
    const std::ptrdiff_t before = points / 2;
    Vec sum[kChains];
    for (int c = 0; c < kChains; ++c)
        LoadAt<W>(sum[c], p + before + W * c);
    if constexpr (kLong) {
        LongBlock<W, kChains>::Run(sum, p, points, lo, hi);
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

// The outputs of the blocks that start in [from, to), block by block (blocks start at multiples
// of their size, so ranges that share no start share no output). A block whose windows reach
// beyond either end of the data reads a copy in which the samples outside the data are -0.0:
// adding -0.0 leaves every sum unchanged (even a sum of -0.0 and an infinity or NaN), exactly as
// skipping those window positions does. `padded` holds BlockReach(points) samples.
template <int W, int kChains, bool kLong>
[[gnu::always_inline]] inline void MovingAverageLanes(std::span<const double> x, int points,
                                                      std::span<double> y, double* padded,
                                                      std::size_t from, std::size_t to) {
    constexpr std::size_t kBlock = W * kChains;
    const std::size_t n = x.size();
    const std::ptrdiff_t before = points / 2;
    const double divisor = static_cast<double>(points) + 1.0;
    const std::ptrdiff_t reach = BlockReach<W, kChains>(points);
    const std::ptrdiff_t count = static_cast<std::ptrdiff_t>(n);
    double out[kBlock];
    for (std::size_t i0 = (from + kBlock - 1) / kBlock * kBlock; i0 < std::min(n, to);
         i0 += kBlock) {
        const std::ptrdiff_t first = static_cast<std::ptrdiff_t>(i0) - before;
        // The last window of the block ends at first + reach - 1, after the block's last output.
        if (first >= 0 && first + reach <= count) {
            WindowBlock<W, kChains, kLong>(x.data() + first, points, divisor, 0, reach,
                                           y.data() + i0);
            continue;
        }
        // padded[j] is x[first + j]; the data cover padded[lo] ... padded[hi - 1].
        const std::ptrdiff_t lo = std::max<std::ptrdiff_t>(0, -first);
        const std::ptrdiff_t hi = std::min(reach, count - first);
        std::fill(padded, padded + lo, -0.0);
        std::copy(x.data() + first + lo, x.data() + first + hi, padded + lo);
        std::fill(padded + hi, padded + reach, -0.0);
        WindowBlock<W, kChains, kLong>(padded, points, divisor, lo, hi, out);
        std::copy_n(out, std::min(kBlock, n - i0), y.begin() + static_cast<std::ptrdiff_t>(i0));
    }
}

// The vector path for `points`: shared loads where the long block's order holds, else a load per
// term.
template <int W>
[[gnu::always_inline]] inline void MovingAverageVector(std::span<const double> x, int points,
                                                       std::span<double> y, double* padded,
                                                       std::size_t from, std::size_t to) {
    if (LongBlock<W, kLongChains>::Fits(points)) {
        MovingAverageLanes<W, kLongChains, true>(x, points, y, padded, from, to);
    } else {
        MovingAverageLanes<W, kShortChains, false>(x, points, y, padded, from, to);
    }
}

__attribute__((target("avx512f"))) void MovingAverageAvx512(std::span<const double> x, int points,
                                                            std::span<double> y, double* padded,
                                                            std::size_t from, std::size_t to) {
    MovingAverageVector<8>(x, points, y, padded, from, to);
}

__attribute__((target("avx2"))) void MovingAverageAvx2(std::span<const double> x, int points,
                                                       std::span<double> y, double* padded,
                                                       std::size_t from, std::size_t to) {
    MovingAverageVector<4>(x, points, y, padded, from, to);
}

void MovingAverageSse2(std::span<const double> x, int points, std::span<double> y, double* padded,
                       std::size_t from, std::size_t to) {
    MovingAverageVector<2>(x, points, y, padded, from, to);
}

// From this many outputs a moving average is split over the threads the calling thread may use
// (a single chain computed on its own: a dialog's Apply).
constexpr std::size_t kParallelOutputs = std::size_t{1} << 16;

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
    // Room for the widest block of either kind, for each part of the outputs.
    const int parts = x.size() >= kParallelOutputs ? ThreadCount() : 1;
    const auto reach = static_cast<std::size_t>(BlockReach<8, kLongChains>(points));
    std::vector<double> padded;
    try {
        padded.resize(reach * static_cast<std::size_t>(parts));
    } catch (const std::bad_alloc&) {
        MovingAveragePlain(x, points, y);
        return;
    }
    // Every output is computed alone, so the result does not depend on the split.
    ParallelRanges(x.size(), parts, [&](int part, std::size_t from, std::size_t to) {
        double* scratch = padded.data() + reach * static_cast<std::size_t>(part);
        if (set == InstructionSet::Avx512) {
            MovingAverageAvx512(x, points, y, scratch, from, to);
        } else if (set == InstructionSet::Avx2) {
            MovingAverageAvx2(x, points, y, scratch, from, to);
        } else {
            MovingAverageSse2(x, points, y, scratch, from, to);
        }
    });
#endif
}

}  // namespace tavrel::kernels
