#include "modules/filters/Spectrum.h"

#include <cmath>
#include <new>
#include <numbers>
#include <vector>

namespace tavrel::spectrum {

namespace {

constexpr double kPi = std::numbers::pi;

// The twiddle factors of an n-point radix-2 transform, kept for the last size used: the stage of
// block size c (half = c / 2) finds cos and sin of 2 pi j / c, j = 0 .. half - 1, at the
// indices half + j, so each stage reads its factors in order.
struct Twiddles {
    std::size_t n = 0;
    std::vector<double> cosines;
    std::vector<double> sines;
};

const Twiddles& TwiddlesFor(std::size_t n) {
    thread_local Twiddles table;
    if (table.n != n) {
        table.n = 0;
        table.cosines.assign(n, 0.0);
        table.sines.assign(n, 0.0);
        for (std::size_t half = 1; half < n; half *= 2) {
            const std::size_t c = 2 * half;
            for (std::size_t j = 0; j < half; ++j) {
                const double angle = 2.0 * kPi * static_cast<double>(j) / static_cast<double>(c);
                table.cosines[half + j] = std::cos(angle);
                table.sines[half + j] = std::sin(angle);
            }
        }
        table.n = n;
    }
    return table;
}

// In-place complex radix-2 transform of n = 2^m points (decimation in time): the elements are
// put into bit-reversed order (the order that splitting every block into its even-indexed
// elements followed by its odd-indexed ones, from the whole array down to pairs, produces), then
// the butterflies run stage by stage with block sizes c = 2, 4, ... n: E at j and O at j + c/2 of
// each block become E + W O and E - W O. With `halve` every butterfly output is divided by 2,
// which scales the whole result by 1/n. `sign` is -1 for the forward transform
// (W = cos(2 pi j / c) + i sin(-2 pi j / c)) and +1 for the inverse.
void FftInPlace(double* re, double* im, std::size_t n, double sign, bool halve) {
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
    const Twiddles& w = TwiddlesFor(n);
    const double* cosines = w.cosines.data();
    const double* sines = w.sines.data();
    const double scale = halve ? 0.5 : 1.0;
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

}  // namespace

bool IsPowerOfTwo(long long n) { return n > 0 && (n & (n - 1)) == 0; }

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

void RadixTwoFft(std::span<const double> s, std::span<double> re, std::span<double> im) {
    const std::size_t n = s.size();
    for (std::size_t i = 0; i < n; ++i) {
        re[i] = s[i];
        im[i] = 0.0;
    }
    FftInPlace(re.data(), im.data(), n, -1.0, true);
}

void ChirpZDft(std::span<const double> s, std::span<double> re, std::span<double> im) {
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
    FftInPlace(ar.data(), ai.data(), m, -1.0, false);
    FftInPlace(br.data(), bi.data(), m, -1.0, false);
    for (std::size_t j = 0; j < m; ++j) {
        const double r = ar[j] * br[j] - ai[j] * bi[j];
        const double i = ar[j] * bi[j] + ai[j] * br[j];
        ar[j] = r;
        ai[j] = i;
    }
    FftInPlace(ar.data(), ai.data(), m, 1.0, false);
    const double scale = 1.0 / (static_cast<double>(m) * static_cast<double>(n));
    for (std::size_t k = 0; k < n; ++k) {
        re[k] = (wr[k] * ar[k] - wi[k] * ai[k]) * scale;
        im[k] = (wr[k] * ai[k] + wi[k] * ar[k]) * scale;
    }
}

bool Transform(std::span<const double> s, std::span<double> re, std::span<double> im) {
    const std::size_t n = s.size();
    try {
        if (n >= static_cast<std::size_t>(kFftMinPoints) &&
            IsPowerOfTwo(static_cast<long long>(n))) {
            RadixTwoFft(s, re, im);
        } else if (n <= static_cast<std::size_t>(kDirectDftLimit)) {
            DirectDft(s, re, im);
        } else {
            ChirpZDft(s, re, im);
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

void Levels(std::span<const double> re, std::span<const double> im, std::span<double> levels) {
    // The peak is taken over every bin of the transform. The square root is correctly rounded
    // and never decreasing, so the root of the largest squared magnitude is the largest
    // magnitude.
    double peakSquare = 0.0;
    for (std::size_t k = 0; k < re.size(); ++k) {
        const double square = re[k] * re[k] + im[k] * im[k];
        if (square > peakSquare) peakSquare = square;
    }
    const double peak = std::sqrt(peakSquare);
    const std::size_t n = levels.size();
    if (!(peak > 0.0)) {
        // An all-zero window has no peak to refer to.
        for (std::size_t k = 0; k < n; ++k)
            levels[k] = kLevelFloor;
        return;
    }
    double lowest = kLevelFloor;
    for (std::size_t k = 0; k < n; ++k) {
        // 20 log10(0) is minus infinity (a zero bin), and non-finite samples give no number;
        // both are replaced below by the floor.
        const double m = std::sqrt(re[k] * re[k] + im[k] * im[k]);
        const double level = 20.0 * std::log10(m / peak) + 40.0;
        levels[k] = level;
        if (std::isfinite(level) && level < lowest) lowest = level;
    }
    for (std::size_t k = 0; k < n; ++k) {
        if (!std::isfinite(levels[k])) levels[k] = lowest;
    }
}

}  // namespace tavrel::spectrum
