#include "modules/filters/Spectrum.h"

#include <cmath>
#include <new>
#include <numbers>
#include <vector>

#include "modules/filters/FftKernel.h"

namespace tavrel::spectrum {

namespace {

constexpr double kPi = std::numbers::pi;

}  // namespace

bool IsPowerOfTwo(long long n) {
    return n > 0 && (n & (n - 1)) == 0;
}

int FitTransformSize(int points, int count) {
    if (count < 3) return 0;
    // Each pass halves the size, so even the largest stored size takes at most 31 passes.
    int n = points;
    while (n > count) {
        n /= 2;
        if (n < kFftMinPoints) {
            n = count;
            break;
        }
    }
    return n < 3 ? 0 : n;
}

void DirectDft(std::span<const double> s, std::span<double> re, std::span<double> im) {
    const std::size_t n = s.size();
    const double nd = static_cast<double>(n);
    if (n < static_cast<std::size_t>(kFftMinPoints)) {
        // Small windows: the angle of every term is computed directly, each term divided by n.
        for (std::size_t k = 0; k < n; ++k) {
            double sr = 0.0;
            double si = 0.0;
            for (std::size_t j = 0; j < n; ++j) {
                const double theta = static_cast<double>(j * k) * kPi * 2.0 / nd;
                sr += s[j] * std::cos(theta) / nd;
                si += s[j] * std::sin(-theta) / nd;
            }
            re[k] = sr;
            im[k] = si;
        }
        return;
    }
    // Long windows (sizes that are not powers of two): the angles 2 pi m / n of one period are
    // tabulated once and term j of bin k uses entry (j * k) mod n.
    std::vector<double> cosines(n);
    std::vector<double> sines(n);
    for (std::size_t m = 0; m < n; ++m) {
        const double theta = static_cast<double>(m) * kPi * 2.0 / nd;
        cosines[m] = std::cos(theta);
        sines[m] = std::sin(-theta);
    }
    for (std::size_t k = 0; k < n; ++k) {
        double sr = 0.0;
        double si = 0.0;
        std::size_t m = 0;
        for (std::size_t j = 0; j < n; ++j) {
            sr += s[j] * cosines[m];
            si += s[j] * sines[m];
            m += k;
            if (m >= n) m -= n;
        }
        re[k] = sr / nd;
        im[k] = si / nd;
    }
}

void RadixTwoFft(std::span<const double> s, std::span<double> re, std::span<double> im,
                 InstructionSet set) {
    FftOfReal(s.data(), re.data(), im.data(), s.size(), set);
}

void ChirpZDft(std::span<const double> s, std::span<double> re, std::span<double> im,
               InstructionSet set) {
    // X[k] = w[k] * sum_j (s[j] w[j]) conj(w[k - j]) with w[m] = exp(-i pi m^2 / n): a circular
    // convolution of length M >= 2n - 1, done with power-of-two FFTs.
    const std::size_t n = s.size();
    if (n == 0) return;
    std::size_t m = 1;
    while (m < 2 * n - 1)
        m *= 2;
    std::vector<double> wr(n), wi(n);
    for (std::size_t j = 0; j < n; ++j) {
        // m^2 mod 2n keeps the angle small, so it stays exact for long windows.
        const unsigned long long sq = (static_cast<unsigned long long>(j) * j) % (2 * n);
        const double angle = kPi * static_cast<double>(sq) / static_cast<double>(n);
        wr[j] = std::cos(angle);
        wi[j] = -std::sin(angle);
    }
    std::vector<double> ar(m, 0.0), ai(m, 0.0), br(m, 0.0), bi(m, 0.0);
    for (std::size_t j = 0; j < n; ++j) {
        ar[j] = s[j] * wr[j];
        ai[j] = s[j] * wi[j];
    }
    br[0] = wr[0];
    bi[0] = -wi[0];
    for (std::size_t j = 1; j < n; ++j) {
        br[j] = br[m - j] = wr[j];
        bi[j] = bi[m - j] = -wi[j];
    }
    FftInPlace(ar.data(), ai.data(), m, -1.0, false, set);
    FftInPlace(br.data(), bi.data(), m, -1.0, false, set);
    for (std::size_t j = 0; j < m; ++j) {
        const double r = ar[j] * br[j] - ai[j] * bi[j];
        const double i = ar[j] * bi[j] + ai[j] * br[j];
        ar[j] = r;
        ai[j] = i;
    }
    FftInPlace(ar.data(), ai.data(), m, 1.0, false, set);
    const double scale = 1.0 / (static_cast<double>(m) * static_cast<double>(n));
    for (std::size_t k = 0; k < n; ++k) {
        re[k] = (wr[k] * ar[k] - wi[k] * ai[k]) * scale;
        im[k] = (wr[k] * ai[k] + wi[k] * ar[k]) * scale;
    }
}

bool Transform(std::span<const double> s, std::span<double> re, std::span<double> im,
               InstructionSet set) {
    const std::size_t n = s.size();
    try {
        if (n >= static_cast<std::size_t>(kFftMinPoints) &&
            IsPowerOfTwo(static_cast<long long>(n))) {
            RadixTwoFft(s, re, im, set);
        } else if (n <= static_cast<std::size_t>(kDirectDftLimit)) {
            DirectDft(s, re, im);
        } else {
            ChirpZDft(s, re, im, set);
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

namespace {

// Two doubles side by side (SSE2), loaded from any address of a double; the magnitudes are
// computed two at a time with the same operations (square roots and quotients are correctly
// rounded, so they give the same bits two at a time as one at a time).
typedef double Pair __attribute__((vector_size(16)));
typedef double UnalignedPair __attribute__((vector_size(16), aligned(8), may_alias));

Pair LoadPair(const double* p) {
    return *reinterpret_cast<const UnalignedPair*>(p);
}

// The largest re[k]^2 + im[k]^2, a square that is NaN never counting. Each lane keeps the largest
// of its squares; the largest of a set does not depend on the order it is looked through (no
// square is -0.0, so equal squares are the same bits).
double PeakSquare(std::span<const double> re, std::span<const double> im) {
    const std::size_t n = re.size();
    std::size_t k = 0;
    double peak = 0.0;
    if (n >= 2) {
        Pair lanes = {0.0, 0.0};
        for (; k + 2 <= n; k += 2) {
            const Pair r = LoadPair(re.data() + k);
            const Pair i = LoadPair(im.data() + k);
            const Pair square = r * r + i * i;
            lanes = square > lanes ? square : lanes;
        }
        peak = lanes[1] > lanes[0] ? lanes[1] : lanes[0];
    }
    for (; k < n; ++k) {
        const double square = re[k] * re[k] + im[k] * im[k];
        if (square > peak) peak = square;
    }
    return peak;
}

}  // namespace

void Levels(std::span<const double> re, std::span<const double> im, std::span<double> levels) {
    // The peak is taken over every bin of the transform. The square root is correctly rounded
    // and never decreasing, so the root of the largest squared magnitude is the largest
    // magnitude.
    const double peak = std::sqrt(PeakSquare(re, im));
    const std::size_t n = levels.size();
    if (!(peak > 0.0)) {
        // An all-zero window has no peak to refer to.
        for (std::size_t k = 0; k < n; ++k)
            levels[k] = kLevelFloor;
        return;
    }
    // First m / P for every bin, two at a time; then the logarithms, which only the C library's
    // log10 computes with its rounding.
    std::size_t k = 0;
#if TAVREL_HAVE_X86_KERNELS
    for (; k + 2 <= n; k += 2) {
        const Pair r = LoadPair(re.data() + k);
        const Pair i = LoadPair(im.data() + k);
        const Pair ratio = __builtin_ia32_sqrtpd(r * r + i * i) / peak;
        levels[k] = ratio[0];
        levels[k + 1] = ratio[1];
    }
#endif
    for (; k < n; ++k)
        levels[k] = std::sqrt(re[k] * re[k] + im[k] * im[k]) / peak;
    double lowest = kLevelFloor;
    bool undefined = false;
    for (k = 0; k < n; ++k) {
        // 20 log10(0) is minus infinity (a zero bin), and non-finite samples give no number;
        // both are replaced below by the floor.
        const double level = 20.0 * std::log10(levels[k]) + 40.0;
        levels[k] = level;
        if (!std::isfinite(level)) {
            undefined = true;
        } else if (level < lowest) {
            lowest = level;
        }
    }
    if (!undefined) return;
    for (k = 0; k < n; ++k) {
        if (!std::isfinite(levels[k])) levels[k] = lowest;
    }
}

}  // namespace tavrel::spectrum
