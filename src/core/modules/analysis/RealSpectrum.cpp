#include "modules/analysis/RealSpectrum.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "platform/DoubleLanes.h"
#include "platform/InstructionSet.h"

namespace tavrel::spectral {

struct RealPowerSums::Tables {
    int length = 0;          // L
    std::size_t points = 0;  // N = L / 2, the complex transform's size
    std::size_t tail = 0;    // the block size left after the radix-4 passes (4 or 8)
    double windowPower = 0.0;
    std::vector<double> windowEven, windowOdd;  // w[2p], w[2p + 1]
    // Per radix-4 pass of quarter q (q = N / 4, N / 16, ... while q >= 4): W^j, W^2j and W^3j,
    // W = exp(-2 pi i / 4q), j < q, as six runs of q values (cos, -sin of each).
    std::vector<std::size_t> quarters;
    std::vector<std::size_t> offsets;
    std::vector<double> twiddles;
    std::vector<std::uint32_t> reversed;     // where bin k of the complex transform lies
    std::vector<double> splitCos, splitSin;  // of 2 pi k / L, k <= N / 2
};

namespace {

constexpr int kCachedLog2 = 12;  // tables up to L = 4096 stay with the thread
// The bins in natural order start this many doubles after the transform's work, so that a value
// and the place it is copied to do not lie a multiple of 4096 bytes apart (which would make the
// processor take the store for one a later load depends on).
constexpr std::size_t kSkew = 12;

std::shared_ptr<const RealPowerSums::Tables> BuildTables(int length) {
    auto t = std::make_shared<RealPowerSums::Tables>();
    const double pi = std::numbers::pi;
    const auto n = static_cast<std::size_t>(length / 2);
    t->length = length;
    t->points = n;
    t->windowEven.resize(n);
    t->windowOdd.resize(n);
    for (std::size_t j = 0; j < static_cast<std::size_t>(length); ++j) {
        const double w = 0.5 - 0.5 * std::cos(2.0 * pi * static_cast<double>(j) / length);
        t->windowPower += w * w;
        (j % 2 ? t->windowOdd : t->windowEven)[j / 2] = w;
    }
    std::size_t block = n;
    for (; block >= 16; block /= 4) {
        const std::size_t q = block / 4;
        t->quarters.push_back(q);
        t->offsets.push_back(t->twiddles.size());
        const std::size_t at = t->twiddles.size();
        t->twiddles.resize(at + 6 * q);
        for (std::size_t j = 0; j < q; ++j) {
            for (std::size_t m = 1; m <= 3; ++m) {
                const double angle =
                    2.0 * pi * static_cast<double>(m * j) / static_cast<double>(block);
                t->twiddles[at + (2 * m - 2) * q + j] = std::cos(angle);
                t->twiddles[at + (2 * m - 1) * q + j] = -std::sin(angle);
            }
        }
    }
    t->tail = block;
    int bits = 0;
    while ((std::size_t{1} << bits) < n)
        ++bits;
    t->reversed.resize(n);
    for (std::size_t k = 0; k < n; ++k) {
        std::uint32_t r = 0;
        for (int b = 0; b < bits; ++b)
            r |= static_cast<std::uint32_t>((k >> b) & 1U) << (bits - 1 - b);
        t->reversed[k] = r;
    }
    t->splitCos.resize(n / 2 + 1);
    t->splitSin.resize(n / 2 + 1);
    for (std::size_t k = 0; k <= n / 2; ++k) {
        const double angle = 2.0 * pi * static_cast<double>(k) / length;
        t->splitCos[k] = std::cos(angle);
        t->splitSin[k] = std::sin(angle);
    }
    return t;
}

std::shared_ptr<const RealPowerSums::Tables> TablesFor(int length) {
    int log2 = 0;
    while ((1 << log2) < length)
        ++log2;
    if (log2 > kCachedLog2) return BuildTables(length);
    thread_local std::array<std::shared_ptr<const RealPowerSums::Tables>, kCachedLog2 + 1> kept;
    auto& slot = kept[static_cast<std::size_t>(log2)];
    if (!slot) slot = BuildTables(length);
    return slot;
}

#pragma GCC diagnostic ignored "-Wpsabi"

// The even and the odd elements of 2W neighbouring doubles.
template <int W>
[[gnu::always_inline]] inline void Split(const double* p, typename Lanes<W>::Vec& even,
                                         typename Lanes<W>::Vec& odd) {
    const typename Lanes<W>::Vec a = LoadLanes<W>(p), b = LoadLanes<W>(p + W);
    if constexpr (W == 8) {
        even = __builtin_shufflevector(a, b, 0, 2, 4, 6, 8, 10, 12, 14);
        odd = __builtin_shufflevector(a, b, 1, 3, 5, 7, 9, 11, 13, 15);
    } else if constexpr (W == 4) {
        even = __builtin_shufflevector(a, b, 0, 2, 4, 6);
        odd = __builtin_shufflevector(a, b, 1, 3, 5, 7);
    } else {
        even = __builtin_shufflevector(a, b, 0, 2);
        odd = __builtin_shufflevector(a, b, 1, 3);
    }
}

// The lanes of v in reverse order.
template <int W>
[[gnu::always_inline]] inline typename Lanes<W>::Vec Reverse(typename Lanes<W>::Vec v) {
    if constexpr (W == 4)
        return __builtin_shufflevector(v, v, 3, 2, 1, 0);
    else
        return __builtin_shufflevector(v, v, 1, 0);
}

// One radix-4 butterfly (two radix-2 stages of decimation in frequency) of W neighbouring
// quartets: a_t = element j + t q; twiddles of the pass at tw (six runs of q values).
template <int W>
[[gnu::always_inline]] inline void Butterfly4(
    typename Lanes<W>::Vec a0r, typename Lanes<W>::Vec a0i, typename Lanes<W>::Vec a1r,
    typename Lanes<W>::Vec a1i, typename Lanes<W>::Vec a2r, typename Lanes<W>::Vec a2i,
    typename Lanes<W>::Vec a3r, typename Lanes<W>::Vec a3i, const double* tw, std::size_t q,
    std::size_t j, double* re, double* im) {
    using Vec = typename Lanes<W>::Vec;
    const Vec s02r = a0r + a2r, s02i = a0i + a2i;
    const Vec d02r = a0r - a2r, d02i = a0i - a2i;
    const Vec s13r = a1r + a3r, s13i = a1i + a3i;
    const Vec d13r = a1r - a3r, d13i = a1i - a3i;
    StoreLanes<W>(re + j, s02r + s13r);
    StoreLanes<W>(im + j, s02i + s13i);
    const Vec w1r = LoadLanes<W>(tw + j), w1i = LoadLanes<W>(tw + q + j);
    const Vec w2r = LoadLanes<W>(tw + 2 * q + j), w2i = LoadLanes<W>(tw + 3 * q + j);
    const Vec w3r = LoadLanes<W>(tw + 4 * q + j), w3i = LoadLanes<W>(tw + 5 * q + j);
    const Vec br = s02r - s13r, bi = s02i - s13i;
    StoreLanes<W>(re + j + q, br * w2r - bi * w2i);
    StoreLanes<W>(im + j + q, br * w2i + bi * w2r);
    const Vec cr = d02r + d13i, ci = d02i - d13r;  // d02 - i d13
    StoreLanes<W>(re + j + 2 * q, cr * w1r - ci * w1i);
    StoreLanes<W>(im + j + 2 * q, cr * w1i + ci * w1r);
    const Vec er = d02r - d13i, ei = d02i + d13r;  // d02 + i d13
    StoreLanes<W>(re + j + 3 * q, er * w3r - ei * w3i);
    StoreLanes<W>(im + j + 3 * q, er * w3i + ei * w3r);
}

// The last two radix-2 stages (blocks of 4, then 2) of one block of 4: twiddles 1 and -i. T is
// double, or a vector holding the same element of several blocks.
template <class T>
[[gnu::always_inline]] inline void Tail4(T* re, T* im) {
    const T s0r = re[0] + re[2], s0i = im[0] + im[2];
    const T d0r = re[0] - re[2], d0i = im[0] - im[2];
    const T s1r = re[1] + re[3], s1i = im[1] + im[3];
    const T d1r = re[1] - re[3], d1i = im[1] - im[3];  // times -i: (d1i, -d1r)
    re[0] = s0r + s1r;
    im[0] = s0i + s1i;
    re[1] = s0r - s1r;
    im[1] = s0i - s1i;
    re[2] = d0r + d1i;
    im[2] = d0i - d1r;
    re[3] = d0r - d1i;
    im[3] = d0i + d1r;
}

// The last three radix-2 stages of one block of 8: the stage of 8 (twiddles exp(-i pi j / 4)),
// then Tail4 on either half.
template <class T>
[[gnu::always_inline]] inline void Tail8(T* re, T* im) {
    constexpr double h = 0.70710678118654752440;  // cos(pi / 4)
    T ar[4], ai[4], br[4], bi[4];
    for (int j = 0; j < 4; ++j) {
        ar[j] = re[j] + re[j + 4];
        ai[j] = im[j] + im[j + 4];
        br[j] = re[j] - re[j + 4];
        bi[j] = im[j] - im[j + 4];
    }
    for (int j = 0; j < 4; ++j) {
        re[j] = ar[j];
        im[j] = ai[j];
    }
    re[4] = br[0];
    im[4] = bi[0];
    // (r + i s)(h - i h) = h (r + s) + i h (s - r)
    re[5] = h * (br[1] + bi[1]);
    im[5] = h * (bi[1] - br[1]);
    // times -i
    re[6] = bi[2];
    im[6] = -br[2];
    // (r + i s)(-h - i h) = h (s - r) - i h (r + s)
    re[7] = h * (bi[3] - br[3]);
    im[7] = -h * (br[3] + bi[3]);
    Tail4(re, im);
    Tail4(re + 4, im + 4);
}

// A 4 x 4 transpose: out[j][l] = in[l][j].
[[gnu::always_inline]] inline void Transpose(const Lanes<4>::Vec in[4], Lanes<4>::Vec out[4]) {
    using V = Lanes<4>::Vec;
    const V t0 = __builtin_shufflevector(in[0], in[1], 0, 4, 2, 6);
    const V t1 = __builtin_shufflevector(in[0], in[1], 1, 5, 3, 7);
    const V t2 = __builtin_shufflevector(in[2], in[3], 0, 4, 2, 6);
    const V t3 = __builtin_shufflevector(in[2], in[3], 1, 5, 3, 7);
    out[0] = __builtin_shufflevector(t0, t2, 0, 1, 4, 5);
    out[1] = __builtin_shufflevector(t1, t3, 0, 1, 4, 5);
    out[2] = __builtin_shufflevector(t0, t2, 2, 3, 6, 7);
    out[3] = __builtin_shufflevector(t1, t3, 2, 3, 6, 7);
}

// The last three stages when the transform ends in blocks of 8 and N >= 128, written to natural
// order. Block b = 8 u holds the bins rev(b) + f N / 8 (f = 0 .. 7, at position b + rev(f)); the
// blocks at b, b + N / 2, b + N / 4 and b + 3 N / 4 (b < N / 4) hold neighbouring bins, so they
// are transposed into the four lanes of vectors, transformed together and stored side by side.
[[gnu::always_inline]] inline void TailsToNatural(const double* re, const double* im, std::size_t n,
                                                  const std::uint32_t* rev, double* zr,
                                                  double* zi) {
    using V = Lanes<4>::Vec;
    constexpr std::size_t kReversed8[8] = {0, 4, 2, 6, 1, 5, 3, 7};
    const std::size_t offsets[4] = {0, n / 2, n / 4, 3 * n / 4};
    const std::size_t eighth = n / 8;
    for (std::size_t b = 0; b < n / 4; b += 8) {
        V r[8], i[8];
        for (std::size_t h = 0; h < 8; h += 4) {
            V inR[4], inI[4];
            for (std::size_t l = 0; l < 4; ++l) {
                inR[l] = LoadLanes<4>(re + b + offsets[l] + h);
                inI[l] = LoadLanes<4>(im + b + offsets[l] + h);
            }
            Transpose(inR, r + h);
            Transpose(inI, i + h);
        }
        Tail8(r, i);
        const std::size_t base = rev[b];
        for (std::size_t t = 0; t < 8; ++t) {
            StoreLanes<4>(zr + base + kReversed8[t] * eighth, r[t]);
            StoreLanes<4>(zi + base + kReversed8[t] * eighth, i[t]);
        }
    }
}

// The split over bins in natural order (see AddSegment), four neighbouring k at a time, the bins
// N - k read and added backwards.
[[gnu::always_inline]] inline void SplitNatural(const RealPowerSums::Tables& t, const double* zr,
                                                const double* zi, double* sums) {
    using V = Lanes<4>::Vec;
    const std::size_t n = t.points;
    sums[0] += (2.0 * (zr[0] + zi[0])) * (2.0 * (zr[0] + zi[0]));
    sums[n] += (2.0 * (zr[0] - zi[0])) * (2.0 * (zr[0] - zi[0]));
    const double* cosines = t.splitCos.data();
    const double* sines = t.splitSin.data();
    const std::size_t half = n / 2;
    std::size_t k = 1;
    for (; k + 4 <= half; k += 4) {
        const std::size_t back = n - k - 3;
        const V ar = LoadLanes<4>(zr + k), ai = LoadLanes<4>(zi + k);
        const V br = Reverse<4>(LoadLanes<4>(zr + back)), bi = Reverse<4>(LoadLanes<4>(zi + back));
        const V er = ar + br, ei = ai - bi;
        const V orr = ar - br, oi = ai + bi;
        const V c = LoadLanes<4>(cosines + k), s = LoadLanes<4>(sines + k);
        const V pr = c * orr + s * oi, pi = c * oi - s * orr;
        const V xr = er + pi, xi = ei - pr;
        StoreLanes<4>(sums + k, LoadLanes<4>(sums + k) + (xr * xr + xi * xi));
        const V yr = er - pi, yi = ei + pr;
        StoreLanes<4>(sums + back, LoadLanes<4>(sums + back) + Reverse<4>(yr * yr + yi * yi));
    }
    for (; k <= half; ++k) {
        const double er = zr[k] + zr[n - k], ei = zi[k] - zi[n - k];
        const double orr = zr[k] - zr[n - k], oi = zi[k] + zi[n - k];
        const double c = cosines[k], s = sines[k];
        const double pr = c * orr + s * oi, pi = c * oi - s * orr;
        const double xr = er + pi, xi = ei - pr;
        sums[k] += xr * xr + xi * xi;
        if (k != half) {
            const double yr = er - pi, yi = ei + pr;
            sums[n - k] += yr * yr + yi * yi;
        }
    }
}

template <int W>
[[gnu::always_inline]] inline void AddSegment(const RealPowerSums::Tables& t, const double* x,
                                              double* re, double* im, double* sums) {
    using Vec = typename Lanes<W>::Vec;
    const std::size_t n = t.points;
    const auto length = static_cast<std::size_t>(t.length);
    // The segment's mean, from 4 W partial sums (length is a multiple of 4 W).
    Vec p0 = {}, p1 = {}, p2 = {}, p3 = {};
    for (std::size_t j = 0; j < length; j += 4 * W) {
        p0 += LoadLanes<W>(x + j);
        p1 += LoadLanes<W>(x + j + W);
        p2 += LoadLanes<W>(x + j + 2 * W);
        p3 += LoadLanes<W>(x + j + 3 * W);
    }
    const Vec partial = (p0 + p1) + (p2 + p3);
    double total = 0.0;
    for (int l = 0; l < W; ++l)
        total += partial[l];
    const double mean = total / static_cast<double>(length);

    // The first pass reads the samples: element p is (x[2p] - mean) w[2p] + i (x[2p+1] - mean)
    // w[2p+1].
    {
        const std::size_t q = t.quarters[0];
        const double* tw = t.twiddles.data() + t.offsets[0];
        const double* we = t.windowEven.data();
        const double* wo = t.windowOdd.data();
        for (std::size_t j = 0; j < q; j += W) {
            Vec ar[4], ai[4];
            for (std::size_t m = 0; m < 4; ++m) {
                Vec even, odd;
                Split<W>(x + 2 * (j + m * q), even, odd);
                ar[m] = (even - mean) * LoadLanes<W>(we + j + m * q);
                ai[m] = (odd - mean) * LoadLanes<W>(wo + j + m * q);
            }
            Butterfly4<W>(ar[0], ai[0], ar[1], ai[1], ar[2], ai[2], ar[3], ai[3], tw, q, j, re, im);
        }
    }
    for (std::size_t pass = 1; pass < t.quarters.size(); ++pass) {
        const std::size_t q = t.quarters[pass];
        const double* tw = t.twiddles.data() + t.offsets[pass];
        for (std::size_t b = 0; b < n; b += 4 * q) {
            double* br = re + b;
            double* bi = im + b;
            for (std::size_t j = 0; j < q; j += W)
                Butterfly4<W>(LoadLanes<W>(br + j), LoadLanes<W>(bi + j), LoadLanes<W>(br + j + q),
                              LoadLanes<W>(bi + j + q), LoadLanes<W>(br + j + 2 * q), LoadLanes<W>(bi + j + 2 * q),
                              LoadLanes<W>(br + j + 3 * q), LoadLanes<W>(bi + j + 3 * q), tw, q, j, br, bi);
        }
    }
    // The radix-2 stages of the remaining blocks of 8 or 4 elements, written out.
    const std::uint32_t* rev = t.reversed.data();
    if (t.tail == 8 && n >= 128) {
        double* zr = re + n + kSkew;
        double* zi = im + n + kSkew;
        TailsToNatural(re, im, n, rev, zr, zi);
        SplitNatural(t, zr, zi, sums);
        return;
    }
    if (t.tail == 8) {
        for (std::size_t b = 0; b < n; b += 8)
            Tail8(re + b, im + b);
    } else {
        for (std::size_t b = 0; b < n; b += 4)
            Tail4(re + b, im + b);
    }

    // The split: with Z_k the complex transform's bin k, E = Z_k + conj Z_{N-k},
    // O = Z_k - conj Z_{N-k} and P = exp(-2 pi i k / L) O, 2 X_k = E - i P and
    // 2 X_{N-k} = conj(E + i P).
    sums[0] += (2.0 * (re[0] + im[0])) * (2.0 * (re[0] + im[0]));
    sums[n] += (2.0 * (re[0] - im[0])) * (2.0 * (re[0] - im[0]));
    for (std::size_t k = 1; k <= n / 2; ++k) {
        const std::uint32_t a = rev[k], b = rev[n - k];
        const double er = re[a] + re[b], ei = im[a] - im[b];
        const double orr = re[a] - re[b], oi = im[a] + im[b];
        const double c = t.splitCos[k], s = t.splitSin[k];
        const double pr = c * orr + s * oi, pi = c * oi - s * orr;
        const double xr = er + pi, xi = ei - pr;
        sums[k] += xr * xr + xi * xi;
        if (k != n - k) {
            const double yr = er - pi, yi = ei + pr;
            sums[n - k] += yr * yr + yi * yi;
        }
    }
}

#if TAVREL_HAVE_X86_KERNELS
__attribute__((target("avx512f"))) void AddSegmentAvx512(const RealPowerSums::Tables& t,
                                                         const double* x, double* re, double* im,
                                                         double* sums) {
    AddSegment<8>(t, x, re, im, sums);
}

__attribute__((target("avx2,fma"))) void AddSegmentAvx2(const RealPowerSums::Tables& t,
                                                        const double* x, double* re, double* im,
                                                        double* sums) {
    AddSegment<4>(t, x, re, im, sums);
}
#endif

void AddSegmentPlain(const RealPowerSums::Tables& t, const double* x, double* re, double* im,
                     double* sums) {
    AddSegment<2>(t, x, re, im, sums);
}

}  // namespace

bool RealPowerSums::Supports(int length) {
    return length >= 32 && (length & (length - 1)) == 0;
}

RealPowerSums::RealPowerSums(int length) : m_tables(TablesFor(length)) {
    const std::size_t n = m_tables->points;
    m_re.resize(2 * n + kSkew);  // the transform's work, then its bins in natural order
    m_im.resize(2 * n + kSkew);
    m_sums.assign(n + 1, 0.0);
}

RealPowerSums::~RealPowerSums() = default;

double RealPowerSums::WindowPower() const {
    return m_tables->windowPower;
}

void RealPowerSums::Add(const double* x, InstructionSet set) {
#if TAVREL_HAVE_X86_KERNELS
    static const bool fma = __builtin_cpu_supports("fma");
    if (UsableInstructionSet(set) >= InstructionSet::Avx512 && m_tables->tail == 8) {
        AddSegmentAvx512(*m_tables, x, m_re.data(), m_im.data(), m_sums.data());
        return;
    }
    if (fma && UsableInstructionSet(set) >= InstructionSet::Avx2) {
        AddSegmentAvx2(*m_tables, x, m_re.data(), m_im.data(), m_sums.data());
        return;
    }
#endif
    AddSegmentPlain(*m_tables, x, m_re.data(), m_im.data(), m_sums.data());
}

}  // namespace tavrel::spectral
