#include "modules/filters/FftKernel.h"

#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

namespace tavrel::spectrum {

namespace {

// The twiddle factors: the stage of block size c (half = c / 2) finds cos and sin of 2 pi j / c,
// j = 0 .. half - 1, at the indices half + j, so each stage reads its factors in order. An entry
// does not depend on the transform size, so the table of the largest size so far serves every
// smaller one and each factor is computed once. A transform beyond kKeptSize points gets a table
// of its own, so that one rare huge transform does not hold its table afterwards.
constexpr std::size_t kKeptSize = std::size_t{1} << 16;

struct Twiddles {
    std::vector<double> cosines;
    std::vector<double> sines;

    // Makes the table hold the factors of an n-point transform (n a power of two).
    void Cover(std::size_t n) {
        std::size_t half = cosines.empty() ? 1 : cosines.size();
        if (half >= n) return;
        // Both reservations come first, so that running out of memory leaves the table as it was.
        cosines.reserve(n);
        sines.reserve(n);
        cosines.resize(n);
        sines.resize(n);
        for (; half < n; half *= 2) {
            const std::size_t c = 2 * half;
            for (std::size_t j = 0; j < half; ++j) {
                const double angle =
                    2.0 * std::numbers::pi * static_cast<double>(j) / static_cast<double>(c);
                cosines[half + j] = std::cos(angle);
                sines[half + j] = std::sin(angle);
            }
        }
    }
};

// The butterflies of every stage one at a time, as the transform defines them.
void StagesPlain(double* re, double* im, std::size_t n, double sign, double scale,
                 const double* cosines, const double* sines) {
    for (std::size_t c = 2; c <= n; c *= 2) {
        const std::size_t half = c / 2;
        const double* wcos = cosines + half;
        const double* wsin = sines + half;
        for (std::size_t b = 0; b < n; b += c) {
            double* er = re + b;
            double* ei = im + b;
            double* orr = er + half;
            double* oi = ei + half;
            // Each butterfly reads only the two elements it writes, so working in place gives
            // exactly the values of a stage computed into separate arrays.
            for (std::size_t j = 0; j < half; ++j) {
                const double wr = wcos[j];
                const double wi = sign * wsin[j];  // sin is odd: sin(-x) = -sin(x)
                const double tr = wr * orr[j] - wi * oi[j];
                const double ti = wr * oi[j] + wi * orr[j];
                const double xr = er[j];
                const double xi = ei[j];
                er[j] = (xr + tr) * scale;
                ei[j] = (xi + ti) * scale;
                orr[j] = (xr - tr) * scale;
                oi[j] = (xi - ti) * scale;
            }
        }
    }
}

#if TAVREL_HAVE_X86_KERNELS

// W doubles side by side, and the same at any address of a double.
template <int W>
struct Lanes {
    typedef double Vec __attribute__((vector_size(8 * W)));
    typedef double Unaligned __attribute__((vector_size(8 * W), aligned(8), may_alias));
};

template <int W>
[[gnu::always_inline]] inline typename Lanes<W>::Unaligned& At(double* p) {
    return *reinterpret_cast<typename Lanes<W>::Unaligned*>(p);
}

template <int W>
[[gnu::always_inline]] inline const typename Lanes<W>::Unaligned& At(const double* p) {
    return *reinterpret_cast<const typename Lanes<W>::Unaligned*>(p);
}

// The shuffles of a stage whose blocks (c = 2 H elements) are narrower than two vectors of W
// lanes: Even and Odd gather the E and the O elements of the blocks in the 2W elements of two
// vectors, Low and High put 2W results (E results first) back in order. They are always inlined
// into the kernels, so no vector crosses a call (the compilers' note on the ABI of passing AVX
// vectors without AVX does not apply).
#pragma GCC diagnostic ignored "-Wpsabi"
template <int W, int H>
struct Gather;

template <>
struct Gather<2, 1> {
    using Vec = Lanes<2>::Vec;
    [[gnu::always_inline]] static Vec Even(Vec a, Vec b) {
        return __builtin_shufflevector(a, b, 0, 2);
    }
    [[gnu::always_inline]] static Vec Odd(Vec a, Vec b) {
        return __builtin_shufflevector(a, b, 1, 3);
    }
    [[gnu::always_inline]] static Vec Low(Vec e, Vec o) {
        return __builtin_shufflevector(e, o, 0, 2);
    }
    [[gnu::always_inline]] static Vec High(Vec e, Vec o) {
        return __builtin_shufflevector(e, o, 1, 3);
    }
};

template <>
struct Gather<4, 1> {
    using Vec = Lanes<4>::Vec;
    [[gnu::always_inline]] static Vec Even(Vec a, Vec b) {
        return __builtin_shufflevector(a, b, 0, 2, 4, 6);
    }
    [[gnu::always_inline]] static Vec Odd(Vec a, Vec b) {
        return __builtin_shufflevector(a, b, 1, 3, 5, 7);
    }
    [[gnu::always_inline]] static Vec Low(Vec e, Vec o) {
        return __builtin_shufflevector(e, o, 0, 4, 1, 5);
    }
    [[gnu::always_inline]] static Vec High(Vec e, Vec o) {
        return __builtin_shufflevector(e, o, 2, 6, 3, 7);
    }
};

template <>
struct Gather<4, 2> {
    using Vec = Lanes<4>::Vec;
    [[gnu::always_inline]] static Vec Even(Vec a, Vec b) {
        return __builtin_shufflevector(a, b, 0, 1, 4, 5);
    }
    [[gnu::always_inline]] static Vec Odd(Vec a, Vec b) {
        return __builtin_shufflevector(a, b, 2, 3, 6, 7);
    }
    [[gnu::always_inline]] static Vec Low(Vec e, Vec o) { return Even(e, o); }
    [[gnu::always_inline]] static Vec High(Vec e, Vec o) { return Odd(e, o); }
};

// A stage whose blocks are narrower than two vectors: each pair of vectors holds whole blocks,
// whose E and O elements are gathered so that the W butterflies run side by side.
template <int W, int H>
[[gnu::always_inline]] inline void NarrowStage(double* re, double* im, std::size_t n, double sign,
                                               double scale, const double* cosines,
                                               const double* sines) {
    using Vec = typename Lanes<W>::Vec;
    using G = Gather<W, H>;
    Vec wr, wi;
    for (int l = 0; l < W; ++l) {
        wr[l] = cosines[H + l % H];
        wi[l] = sign * sines[H + l % H];
    }
    for (std::size_t p = 0; p < n; p += 2 * W) {
        const Vec ar = At<W>(re + p), br = At<W>(re + p + W);
        const Vec ai = At<W>(im + p), bi = At<W>(im + p + W);
        const Vec orr = G::Odd(ar, br);
        const Vec oi = G::Odd(ai, bi);
        const Vec xr = G::Even(ar, br);
        const Vec xi = G::Even(ai, bi);
        const Vec tr = wr * orr - wi * oi;
        const Vec ti = wr * oi + wi * orr;
        const Vec er = (xr + tr) * scale;
        const Vec ei = (xi + ti) * scale;
        const Vec outr = (xr - tr) * scale;
        const Vec outi = (xi - ti) * scale;
        At<W>(re + p) = G::Low(er, outr);
        At<W>(re + p + W) = G::High(er, outr);
        At<W>(im + p) = G::Low(ei, outi);
        At<W>(im + p + W) = G::High(ei, outi);
    }
}

// Every stage with W neighbouring butterflies of a block side by side: the same operations in the
// same order as StagesPlain, lane by lane. n is at least 2 W.
template <int W>
[[gnu::always_inline]] inline void StagesLanes(double* re, double* im, std::size_t n, double sign,
                                               double scale, const double* cosines,
                                               const double* sines) {
    using Vec = typename Lanes<W>::Vec;
    NarrowStage<W, 1>(re, im, n, sign, scale, cosines, sines);
    std::size_t c = 4;
    if constexpr (W == 4) {
        NarrowStage<W, 2>(re, im, n, sign, scale, cosines, sines);
        c = 8;
    }
    for (; c <= n; c *= 2) {
        const std::size_t half = c / 2;
        const double* wcos = cosines + half;
        const double* wsin = sines + half;
        for (std::size_t b = 0; b < n; b += c) {
            double* er = re + b;
            double* ei = im + b;
            double* orr = er + half;
            double* oi = ei + half;
            for (std::size_t j = 0; j < half; j += W) {
                const Vec wr = At<W>(wcos + j);
                const Vec wi = sign * At<W>(wsin + j);
                const Vec o_r = At<W>(orr + j);
                const Vec o_i = At<W>(oi + j);
                const Vec tr = wr * o_r - wi * o_i;
                const Vec ti = wr * o_i + wi * o_r;
                const Vec xr = At<W>(er + j);
                const Vec xi = At<W>(ei + j);
                At<W>(er + j) = (xr + tr) * scale;
                At<W>(ei + j) = (xi + ti) * scale;
                At<W>(orr + j) = (xr - tr) * scale;
                At<W>(oi + j) = (xi - ti) * scale;
            }
        }
    }
}

__attribute__((target("avx2"))) void StagesAvx2(double* re, double* im, std::size_t n, double sign,
                                                double scale, const double* cosines,
                                                const double* sines) {
    StagesLanes<4>(re, im, n, sign, scale, cosines, sines);
}

void StagesSse2(double* re, double* im, std::size_t n, double sign, double scale,
                const double* cosines, const double* sines) {
    StagesLanes<2>(re, im, n, sign, scale, cosines, sines);
}

#endif

void Stages(double* re, double* im, std::size_t n, double sign, bool halve, InstructionSet set) {
    thread_local Twiddles kept;
    Twiddles own;
    Twiddles& table = n <= kKeptSize ? kept : own;
    table.Cover(n);
    const double* cosines = table.cosines.data();
    const double* sines = table.sines.data();
    const double scale = halve ? 0.5 : 1.0;
    set = UsableInstructionSet(set);
#if TAVREL_HAVE_X86_KERNELS
    if (set >= InstructionSet::Avx2 && n >= 8) {
        StagesAvx2(re, im, n, sign, scale, cosines, sines);
        return;
    }
    if (set == InstructionSet::Sse2 && n >= 4) {
        StagesSse2(re, im, n, sign, scale, cosines, sines);
        return;
    }
#endif
    StagesPlain(re, im, n, sign, scale, cosines, sines);
}

}  // namespace

void FftInPlace(double* re, double* im, std::size_t n, double sign, bool halve,
                InstructionSet set) {
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j |= bit;
        if (i < j) {
            std::swap(re[i], re[j]);
            std::swap(im[i], im[j]);
        }
    }
    Stages(re, im, n, sign, halve, set);
}

void FftOfReal(const double* s, double* re, double* im, std::size_t n, InstructionSet set) {
    // Element i of the bit-reversed order is sample j, the bit reversal of i; j follows i by
    // adding one at the top bit and carrying downwards.
    for (std::size_t i = 0, j = 0; i < n; ++i) {
        re[i] = s[j];
        im[i] = 0.0;
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j |= bit;
    }
    Stages(re, im, n, -1.0, true, set);
}

}  // namespace tavrel::spectrum
