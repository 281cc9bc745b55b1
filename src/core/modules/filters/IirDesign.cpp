#include "modules/filters/IirDesign.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstddef>
#include <limits>
#include <numbers>
#include <numeric>

namespace tavrel::kernels {

namespace {

using Complex = std::complex<double>;
using Roots = std::vector<Complex>;

struct Zpk {
    Roots z;
    Roots p;
    double k = 1.0;
};

// The poles of the analog prototype of order n: -exp(i pi m / (2 n)), m = -n + 1, -n + 3, ... n
// - 1.
Zpk Prototype(int n) {
    Zpk f;
    for (int m = -n + 1; m < n; m += 2) {
        const double theta = std::numbers::pi * m / (2.0 * n);
        f.p.push_back(-Complex(std::cos(theta), std::sin(theta)));
    }
    return f;
}

Complex Product(const Roots& r, Complex from, bool negate) {
    Complex prod(1.0, 0.0);
    for (Complex v : r)
        prod *= negate ? from - v : from + v;
    return prod;
}

// prod(-r) of the roots, as the gain formulas of the transforms take it.
Complex ProductOfNegated(const Roots& r) {
    return Product(r, Complex(0.0, 0.0), true);
}

std::size_t Degree(const Zpk& f) {
    return f.p.size() - f.z.size();
}

void ToLowPass(Zpk& f, double wo) {
    const std::size_t degree = Degree(f);
    for (Complex& v : f.z)
        v *= wo;
    for (Complex& v : f.p)
        v *= wo;
    f.k *= std::pow(wo, static_cast<double>(degree));
}

void ToHighPass(Zpk& f, double wo) {
    const std::size_t degree = Degree(f);
    const double gain = (ProductOfNegated(f.z) / ProductOfNegated(f.p)).real();
    for (Complex& v : f.z)
        v = Complex(wo, 0.0) / v;
    for (Complex& v : f.p)
        v = Complex(wo, 0.0) / v;
    f.z.insert(f.z.end(), degree, Complex(0.0, 0.0));
    f.k *= gain;
}

// Each root r becomes the two roots of s^2 - r s + wo^2 (scaled as the transform needs).
Roots SplitRoots(const Roots& r, double wo) {
    Roots out;
    out.reserve(2 * r.size());
    for (Complex v : r)
        out.push_back(v + std::sqrt(v * v - wo * wo));
    for (Complex v : r)
        out.push_back(v - std::sqrt(v * v - wo * wo));
    return out;
}

void ToBandPass(Zpk& f, double wo, double bw) {
    const std::size_t degree = Degree(f);
    Roots z = f.z, p = f.p;
    for (Complex& v : z)
        v *= bw / 2;
    for (Complex& v : p)
        v *= bw / 2;
    f.z = SplitRoots(z, wo);
    f.p = SplitRoots(p, wo);
    f.z.insert(f.z.end(), degree, Complex(0.0, 0.0));
    f.k *= std::pow(bw, static_cast<double>(degree));
}

void ToBandStop(Zpk& f, double wo, double bw) {
    const std::size_t degree = Degree(f);
    const double gain = (ProductOfNegated(f.z) / ProductOfNegated(f.p)).real();
    Roots z = f.z, p = f.p;
    for (Complex& v : z)
        v = Complex(bw / 2, 0.0) / v;
    for (Complex& v : p)
        v = Complex(bw / 2, 0.0) / v;
    f.z = SplitRoots(z, wo);
    f.p = SplitRoots(p, wo);
    f.z.insert(f.z.end(), degree, Complex(0.0, wo));
    f.z.insert(f.z.end(), degree, Complex(0.0, -wo));
    f.k *= gain;
}

// The bilinear transform at the rate 2 (the pre-warped frequencies assume it).
void Bilinear(Zpk& f) {
    const std::size_t degree = Degree(f);
    const double fs2 = 4.0;
    const double gain =
        (Product(f.z, Complex(fs2, 0.0), true) / Product(f.p, Complex(fs2, 0.0), true)).real();
    for (Complex& v : f.z)
        v = (fs2 + v) / (fs2 - v);
    for (Complex& v : f.p)
        v = (fs2 + v) / (fs2 - v);
    f.z.insert(f.z.end(), degree, Complex(-1.0, 0.0));
    f.k *= gain;
}

constexpr double kTolerance = 100 * std::numeric_limits<double>::epsilon();

bool IsReal(Complex v) {
    return v.imag() == 0.0;
}

// One root of each conjugate pair (the one with positive imaginary part, the pair averaged),
// sorted by real part (runs of equal real part by imaginary part), then the real roots sorted.
Roots PairsThenReals(Roots r) {
    std::stable_sort(r.begin(), r.end(), [](Complex a, Complex b) {
        if (a.real() != b.real()) return a.real() < b.real();
        return std::abs(a.imag()) < std::abs(b.imag());
    });
    Roots reals, upper, lower;
    for (Complex v : r) {
        if (std::abs(v.imag()) <= kTolerance * std::abs(v))
            reals.emplace_back(v.real(), 0.0);
        else
            (v.imag() > 0 ? upper : lower).push_back(v);
    }
    // Runs of (nearly) the same real part, each sorted by the size of the imaginary part.
    auto sortRuns = [](Roots& half) {
        std::size_t start = 0;
        for (std::size_t i = 1; i <= half.size(); ++i) {
            const bool same = i < half.size() && half[i].real() - half[i - 1].real() <=
                                                     kTolerance * std::abs(half[i - 1]);
            if (same) continue;
            std::stable_sort(
                half.begin() + static_cast<std::ptrdiff_t>(start),
                half.begin() + static_cast<std::ptrdiff_t>(i),
                [](Complex a, Complex b) { return std::abs(a.imag()) < std::abs(b.imag()); });
            start = i;
        }
    };
    sortRuns(upper);
    sortRuns(lower);
    Roots out;
    const std::size_t pairs = std::min(upper.size(), lower.size());
    for (std::size_t i = 0; i < pairs; ++i)
        out.push_back((upper[i] + std::conj(lower[i])) / 2.0);
    out.insert(out.end(), reals.begin(), reals.end());
    return out;
}

// The root nearest the unit circle (the first of equals).
std::size_t Worst(const Roots& r, const std::vector<std::size_t>& among) {
    std::size_t best = among.front();
    double bestDistance = std::abs(1.0 - std::abs(r[best]));
    for (std::size_t i : among) {
        const double d = std::abs(1.0 - std::abs(r[i]));
        if (d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

std::vector<std::size_t> AllIndices(const Roots& r) {
    std::vector<std::size_t> all(r.size());
    std::iota(all.begin(), all.end(), std::size_t{0});
    return all;
}

enum class Which { Any, Real, Complex };

// The index of the root of `from` nearest `to` among the wanted kind.
std::size_t Nearest(const Roots& from, Complex to, Which which) {
    std::size_t best = from.size();
    double bestDistance = 0.0;
    for (std::size_t i = 0; i < from.size(); ++i) {
        if (which == Which::Real && !IsReal(from[i])) continue;
        if (which == Which::Complex && IsReal(from[i])) continue;
        const double d = std::abs(from[i] - to);
        if (best == from.size() || d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

Complex TakeAt(Roots& r, std::size_t i) {
    const Complex v = r[i];
    r.erase(r.begin() + static_cast<std::ptrdiff_t>(i));
    return v;
}

// The coefficients of the monic polynomial with these (at most two) roots, in the last places of
// a three-term row.
void PutPolynomial(const Roots& roots, double* row) {
    row[0] = row[1] = row[2] = 0.0;
    if (roots.empty()) {
        row[2] = 1.0;
    } else if (roots.size() == 1) {
        row[1] = 1.0;
        row[2] = (-roots[0]).real();
    } else {
        row[0] = 1.0;
        row[1] = (-roots[1] + -roots[0]).real();
        row[2] = (roots[0] * roots[1]).real();
    }
}

Section SingleSection(const Roots& z, const Roots& p) {
    Section s{};
    PutPolynomial(z, s.data());
    PutPolynomial(p, s.data() + 3);
    return s;
}

// The digital filter as sections: poles (and zeros) nearest the unit circle go to the last
// section, each pole pair with the zeros nearest it; the gain goes into the first section.
Sections ToSections(Zpk f) {
    while (f.p.size() < f.z.size())
        f.p.emplace_back(0.0, 0.0);
    while (f.z.size() < f.p.size())
        f.z.emplace_back(0.0, 0.0);
    const std::size_t count = (f.p.size() + 1) / 2;
    if (f.p.size() % 2 == 1) {
        f.p.emplace_back(0.0, 0.0);
        f.z.emplace_back(0.0, 0.0);
    }
    Roots z = PairsThenReals(f.z);
    Roots p = PairsThenReals(f.p);
    Sections sos(count);
    for (std::size_t si = count; si-- > 0;) {
        const Complex p1 = TakeAt(p, Worst(p, AllIndices(p)));
        const auto realPoles = static_cast<std::size_t>(std::count_if(p.begin(), p.end(), IsReal));
        const auto realZeros = static_cast<std::size_t>(std::count_if(z.begin(), z.end(), IsReal));
        if (IsReal(p1) && realPoles == 0) {
            // The last real pole, with the nearest real zero.
            const Complex z1 = TakeAt(z, Nearest(z, p1, Which::Real));
            sos[si] = SingleSection({z1, Complex(0.0, 0.0)}, {p1, Complex(0.0, 0.0)});
        } else if (p.size() + 1 == z.size() && !IsReal(p1) && realPoles == 1 && realZeros == 1) {
            // One real pole and one real zero left: this pair must take a complex zero.
            const Complex z1 = TakeAt(z, Nearest(z, p1, Which::Complex));
            sos[si] = SingleSection({z1, std::conj(z1)}, {p1, std::conj(p1)});
        } else {
            Complex p2;
            if (IsReal(p1)) {
                std::vector<std::size_t> reals;
                for (std::size_t i = 0; i < p.size(); ++i)
                    if (IsReal(p[i])) reals.push_back(i);
                p2 = TakeAt(p, Worst(p, reals));
            } else {
                p2 = std::conj(p1);
            }
            if (z.empty()) {
                sos[si] = SingleSection({}, {p1, p2});
                continue;
            }
            const Complex z1 = TakeAt(z, Nearest(z, p1, Which::Any));
            if (!IsReal(z1)) {
                sos[si] = SingleSection({z1, std::conj(z1)}, {p1, p2});
            } else if (!z.empty()) {
                const Complex z2 = TakeAt(z, Nearest(z, p1, Which::Real));
                sos[si] = SingleSection({z1, z2}, {p1, p2});
            } else {
                sos[si] = SingleSection({z1}, {p1, p2});
            }
        }
    }
    for (int j = 0; j < 3; ++j)
        sos[0][static_cast<std::size_t>(j)] *= f.k;
    return sos;
}

bool EdgeValid(double edge, double fs) {
    return edge > 0.0 && edge < fs / 2;
}

// The analog frequency of an edge pre-warped for the bilinear transform at the rate 2.
double Warp(double edge, double fs) {
    const double wn = 2 * edge / fs;
    return 2 * 2.0 * std::tan(std::numbers::pi * wn / 2.0);
}

}  // namespace

bool ButterworthValid(BandKind kind, int order, double low, double high, double fs) {
    if (order < 1 || order > 8 || !(fs > 0.0)) return false;
    switch (kind) {
        case BandKind::LowPass:
            return EdgeValid(high, fs);
        case BandKind::HighPass:
            return EdgeValid(low, fs);
        case BandKind::BandPass:
        case BandKind::BandStop:
            return EdgeValid(low, fs) && EdgeValid(high, fs) && low < high;
    }
    return false;
}

Sections ButterworthSections(BandKind kind, int order, double low, double high, double fs) {
    if (!ButterworthValid(kind, order, low, high, fs)) return {};
    Zpk f = Prototype(order);
    switch (kind) {
        case BandKind::LowPass:
            ToLowPass(f, Warp(high, fs));
            break;
        case BandKind::HighPass:
            ToHighPass(f, Warp(low, fs));
            break;
        case BandKind::BandPass:
        case BandKind::BandStop: {
            const double w0 = Warp(low, fs);
            const double w1 = Warp(high, fs);
            const double bw = w1 - w0;
            const double wo = std::sqrt(w0 * w1);
            if (kind == BandKind::BandPass)
                ToBandPass(f, wo, bw);
            else
                ToBandStop(f, wo, bw);
            break;
        }
    }
    Bilinear(f);
    return ToSections(std::move(f));
}

Section NotchSection(double freq, double quality, double fs) {
    double w0 = 2 * freq / fs;
    double bw = w0 / quality;
    bw = bw * std::numbers::pi;
    w0 = w0 * std::numbers::pi;
    const double gb = 1 / std::sqrt(2.0);
    const double beta = (std::sqrt(1.0 - std::pow(gb, 2.0)) / gb) * std::tan(bw / 2.0);
    const double gain = 1.0 / (1.0 + beta);
    const double c = -2.0 * std::cos(w0);
    return {gain * 1.0, gain * c, gain * 1.0, 1.0, -2.0 * gain * std::cos(w0), 2.0 * gain - 1.0};
}

Sections NotchCascade(double freq, double quality, int harmonics, double fs) {
    Sections sos;
    if (!(freq > 0.0) || !(quality > 0.0) || !(fs > 0.0)) return sos;
    for (int h = 1; h <= harmonics; ++h) {
        const double f = h * freq;
        if (!(f < fs / 2)) break;
        sos.push_back(NotchSection(f, quality, fs));
    }
    return sos;
}

}  // namespace tavrel::kernels
