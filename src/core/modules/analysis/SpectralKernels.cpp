#include "modules/analysis/SpectralKernels.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "modules/analysis/RealSpectrum.h"
#include "modules/filters/FftKernel.h"
#include "modules/filters/Spectrum.h"
#include "platform/DoubleLanes.h"

namespace tavrel::spectral {

namespace {

std::size_t PaddedSize(std::size_t length) {
    std::size_t m = 1;
    while (m < 2 * length - 1)
        m *= 2;
    return m;
}

#pragma GCC diagnostic ignored "-Wpsabi"

// sum (i - meanI)(y_i - meanY) over i < n, in 2 W interleaved partial sums so that the additions
// do not wait for each other (i - meanI is exact: meanI is a whole or a half number).
template <int W>
[[gnu::always_inline]] inline double CenteredProductsLanes(const double* y, std::size_t n,
                                                           double meanI, double meanY) {
    using Vec = typename Lanes<W>::Vec;
    auto load = [y](std::size_t at) {
        Vec v;
        __builtin_memcpy(&v, y + at, sizeof v);
        return v;
    };
    Vec a = {}, b = {}, di;
    for (int l = 0; l < W; ++l)
        di[l] = static_cast<double>(l) - meanI;
    std::size_t i = 0;
    for (; i + 2 * W <= n; i += 2 * W) {
        a += di * (load(i) - meanY);
        di += W;
        b += di * (load(i + W) - meanY);
        di += W;
    }
    const Vec sum = a + b;
    double total = 0.0;
    for (int l = 0; l < W; ++l)
        total += sum[l];
    for (; i < n; ++i)
        total += (static_cast<double>(i) - meanI) * (y[i] - meanY);
    return total;
}

#if TAVREL_HAVE_X86_KERNELS
__attribute__((target("avx2,fma"))) double CenteredProductsAvx2(const double* y, std::size_t n,
                                                                double meanI, double meanY) {
    return CenteredProductsLanes<4>(y, n, meanI, meanY);
}
#endif

double CenteredProducts(const double* y, std::size_t n, double meanI, double meanY) {
#if TAVREL_HAVE_X86_KERNELS
    static const bool avx2 =
        BestInstructionSet() >= InstructionSet::Avx2 && __builtin_cpu_supports("fma");
    if (avx2) return CenteredProductsAvx2(y, n, meanI, meanY);
#endif
    return CenteredProductsLanes<2>(y, n, meanI, meanY);
}

}  // namespace

PowerSpectrum::PowerSpectrum(int length)
    : m_length(std::max(length, 1)), m_radix2(spectrum::IsPowerOfTwo(m_length)) {
    const auto n = static_cast<std::size_t>(m_length);
    m_window.resize(n);
    for (std::size_t j = 0; j < n; ++j) {
        const double w =
            0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(j) / m_length);
        m_window[j] = m_length == 1 ? 1.0 : w;
        m_windowPower += m_window[j] * m_window[j];
    }
    m_re.resize(n);
    m_im.resize(n);
    if (m_radix2) return;
    // Bluestein: X_k = c_k sum_j (z_j c_j) conj(c_{k-j}), c_j = exp(-i pi j^2 / L), the sum a
    // circular convolution of a power-of-two size that holds every lag from -(L-1) to L-1.
    m_padded = PaddedSize(n);
    m_chirpRe.resize(n);
    m_chirpIm.resize(n);
    const auto twice = static_cast<unsigned long long>(2 * n);
    for (std::size_t j = 0; j < n; ++j) {
        // j^2 modulo 2L keeps the angle small, so the chirp keeps its precision for long segments.
        const auto square = (static_cast<unsigned long long>(j) * j) % twice;
        const double angle = std::numbers::pi * static_cast<double>(square) / m_length;
        m_chirpRe[j] = std::cos(angle);
        m_chirpIm[j] = -std::sin(angle);
    }
    m_kernelRe.assign(m_padded, 0.0);
    m_kernelIm.assign(m_padded, 0.0);
    m_kernelRe[0] = 1.0;
    for (std::size_t j = 1; j < n; ++j) {
        m_kernelRe[j] = m_kernelRe[m_padded - j] = m_chirpRe[j];
        m_kernelIm[j] = m_kernelIm[m_padded - j] = -m_chirpIm[j];
    }
    spectrum::FftInPlace(m_kernelRe.data(), m_kernelIm.data(), m_padded, -1.0, false,
                         BestInstructionSet());
    m_workRe.resize(m_padded);
    m_workIm.resize(m_padded);
}

void PowerSpectrum::Transform() {
    const InstructionSet set = BestInstructionSet();
    const auto n = static_cast<std::size_t>(m_length);
    if (m_radix2) {
        spectrum::FftInPlace(m_re.data(), m_im.data(), n, -1.0, false, set);
        return;
    }
    for (std::size_t j = 0; j < n; ++j) {
        m_workRe[j] = m_re[j] * m_chirpRe[j] - m_im[j] * m_chirpIm[j];
        m_workIm[j] = m_re[j] * m_chirpIm[j] + m_im[j] * m_chirpRe[j];
    }
    std::fill(m_workRe.begin() + m_length, m_workRe.end(), 0.0);
    std::fill(m_workIm.begin() + m_length, m_workIm.end(), 0.0);
    spectrum::FftInPlace(m_workRe.data(), m_workIm.data(), m_padded, -1.0, false, set);
    for (std::size_t j = 0; j < m_padded; ++j) {
        const double r = m_workRe[j] * m_kernelRe[j] - m_workIm[j] * m_kernelIm[j];
        const double i = m_workRe[j] * m_kernelIm[j] + m_workIm[j] * m_kernelRe[j];
        m_workRe[j] = r;
        m_workIm[j] = i;
    }
    spectrum::FftInPlace(m_workRe.data(), m_workIm.data(), m_padded, 1.0, true, set);
    for (std::size_t k = 0; k < n; ++k) {
        m_re[k] = m_workRe[k] * m_chirpRe[k] - m_workIm[k] * m_chirpIm[k];
        m_im[k] = m_workRe[k] * m_chirpIm[k] + m_workIm[k] * m_chirpRe[k];
    }
}

void PowerSpectrum::Prepare(const double* x, double* dst) const {
    double sum = 0.0;
    for (int j = 0; j < m_length; ++j)
        sum += x[j];
    const double mean = sum / m_length;
    for (int j = 0; j < m_length; ++j)
        dst[j] = (x[j] - mean) * m_window[static_cast<std::size_t>(j)];
}

void PowerSpectrum::Density(const double* x, double fs, double* out) {
    Prepare(x, m_re.data());
    std::fill(m_im.begin(), m_im.end(), 0.0);
    Transform();
    const double scale = 1.0 / (fs * m_windowPower);
    const int bins = Bins();
    for (int k = 0; k < bins; ++k) {
        const auto u = static_cast<std::size_t>(k);
        const bool single = k == 0 || (m_length % 2 == 0 && k == m_length / 2);
        out[k] = (single ? 1.0 : 2.0) * scale * (m_re[u] * m_re[u] + m_im[u] * m_im[u]);
    }
}

void PowerSpectrum::DensityPair(const double* a, const double* b, double fs, double* outA,
                                double* outB) {
    // The transform Z of a + i b gives A_k = (Z_k + conj Z_{L-k}) / 2 and
    // B_k = (Z_k - conj Z_{L-k}) / 2i.
    Prepare(a, m_re.data());
    Prepare(b, m_im.data());
    Transform();
    const double scale = 0.25 / (fs * m_windowPower);
    const int bins = Bins();
    for (int k = 0; k < bins; ++k) {
        const auto u = static_cast<std::size_t>(k);
        const auto v = static_cast<std::size_t>((m_length - k) % m_length);
        const double ar = m_re[u] + m_re[v];
        const double ai = m_im[u] - m_im[v];
        const double br = m_re[u] - m_re[v];
        const double bi = m_im[u] + m_im[v];
        const bool single = k == 0 || (m_length % 2 == 0 && k == m_length / 2);
        const double c = (single ? 1.0 : 2.0) * scale;
        outA[k] = c * (ar * ar + ai * ai);
        outB[k] = c * (br * br + bi * bi);
    }
}

std::vector<double> WelchDensity(std::span<const double> y, double fs, int segment) {
    if (y.empty() || segment < 1) return {};
    const auto n = static_cast<long long>(y.size());
    const int length = static_cast<int>(std::min<long long>(segment, n));
    const int step = length - length / 2;
    const long long segments = (n - length) / step + 1;
    if (RealPowerSums::Supports(length)) {
        RealPowerSums sums(length);
        for (long long s = 0; s < segments; ++s)
            sums.Add(y.data() + s * step);
        // The sums hold |2 X_k|^2.
        const double scale = 0.25 / (fs * sums.WindowPower());
        std::vector<double> density = sums.Sums();
        const std::size_t last = density.size() - 1;
        for (std::size_t k = 0; k <= last; ++k) {
            const double single = k == 0 || k == last ? 1.0 : 2.0;
            density[k] = single * scale * density[k] / static_cast<double>(segments);
        }
        return density;
    }
    PowerSpectrum spectrum(length);
    const auto bins = static_cast<std::size_t>(spectrum.Bins());
    std::vector<double> sum(bins, 0.0);
    std::vector<double> one(bins), two(bins);
    long long s = 0;
    for (; s + 1 < segments; s += 2) {
        spectrum.DensityPair(y.data() + s * step, y.data() + (s + 1) * step, fs, one.data(),
                             two.data());
        for (std::size_t k = 0; k < bins; ++k)
            sum[k] += one[k] + two[k];
    }
    if (s < segments) {
        spectrum.Density(y.data() + s * step, fs, one.data());
        for (std::size_t k = 0; k < bins; ++k)
            sum[k] += one[k];
    }
    for (double& p : sum)
        p /= static_cast<double>(segments);
    return sum;
}

FrequencyFigures Figures(std::span<const double> density, double fs, int segmentLength) {
    FrequencyFigures figures;
    double total = 0.0;
    double weighted = 0.0;
    const double binWidth = fs / segmentLength;
    for (std::size_t k = 0; k < density.size(); ++k) {
        total += density[k];
        weighted += static_cast<double>(k) * binWidth * density[k];
    }
    if (!std::isfinite(total)) {
        figures.meanHz = figures.medianHz = std::numeric_limits<double>::quiet_NaN();
        return figures;
    }
    if (!(total > 0.0)) return figures;
    figures.meanHz = weighted / total;
    double running = 0.0;
    for (std::size_t k = 0; k < density.size(); ++k) {
        running += density[k];
        if (running >= 0.5 * total) {
            figures.medianHz = static_cast<double>(k) * binWidth;
            break;
        }
    }
    return figures;
}

std::optional<FrequencyFigures> SignalFigures(std::span<const double> y, double fs) {
    if (y.size() < kMinSpectrumSamples || !(fs > 0.0)) return std::nullopt;
    const int length = static_cast<int>(std::min<std::size_t>(kTableSegment, y.size()));
    const FrequencyFigures figures = Figures(WelchDensity(y, fs, length), fs, length);
    if (std::isnan(figures.meanHz)) return std::nullopt;
    return figures;
}

std::optional<double> SlopePerSecond(std::span<const double> y, double fs) {
    double sum = 0.0;
    for (double v : y)
        sum += v;
    return SlopePerSecond(y, fs, sum / static_cast<double>(y.size()));
}

std::optional<double> SlopePerSecond(std::span<const double> y, double fs, double meanY) {
    const std::size_t n = y.size();
    if (n < 2 || !(fs > 0.0)) return std::nullopt;
    // sum (i - meanI)^2 = n (n^2 - 1) / 12.
    const double meanI = (static_cast<double>(n) - 1.0) / 2.0;
    const double sxy = CenteredProducts(y.data(), n, meanI, meanY);
    const double count = static_cast<double>(n);
    const double sxx = count * (count * count - 1.0) / 12.0;
    return fs * sxy / sxx;
}

std::vector<double> FrequencyTrend(std::span<const double> y, double fs, int windowMs, int stepMs,
                                   TrendMeasure measure) {
    const auto window = static_cast<long long>(std::floor(windowMs * fs / 1000.0));
    const auto step = static_cast<long long>(std::floor(stepMs * fs / 1000.0));
    const auto n = static_cast<long long>(y.size());
    if (window < kMinSpectrumSamples || step < 1 || window > n) return {};
    const long long count = (n - window) / step + 1;
    std::vector<double> out(static_cast<std::size_t>(count));
    PowerSpectrum spectrum(static_cast<int>(window));
    const auto bins = static_cast<std::size_t>(spectrum.Bins());
    std::vector<double> one(bins), two(bins);
    auto figure = [&](const std::vector<double>& density) {
        const FrequencyFigures f = Figures(density, fs, static_cast<int>(window));
        return measure == TrendMeasure::Mean ? f.meanHz : f.medianHz;
    };
    long long k = 0;
    for (; k + 1 < count; k += 2) {
        spectrum.DensityPair(y.data() + k * step, y.data() + (k + 1) * step, fs, one.data(),
                             two.data());
        out[static_cast<std::size_t>(k)] = figure(one);
        out[static_cast<std::size_t>(k + 1)] = figure(two);
    }
    if (k < count) {
        spectrum.Density(y.data() + k * step, fs, one.data());
        out[static_cast<std::size_t>(k)] = figure(one);
    }
    return out;
}

std::vector<Burst> FindBursts(std::span<const double> y, double fs, const BurstSettings& settings) {
    std::vector<Burst> bursts;
    if (!(fs > 0.0) || y.empty()) return bursts;
    const auto n = static_cast<long long>(y.size());
    auto timeMs = [fs](long long i) { return static_cast<double>(1000 * i) / fs; };
    // The baseline's statistics.
    std::vector<double> base;
    for (long long i = 0; i < n; ++i) {
        const double t = timeMs(i);
        if (t > settings.baselineEndMs) break;
        if (t >= settings.baselineStartMs) base.push_back(y[static_cast<std::size_t>(i)]);
    }
    if (base.empty()) return bursts;
    double sum = 0.0;
    for (double v : base)
        sum += v;
    const double mean = sum / static_cast<double>(base.size());
    double squares = 0.0;
    for (double v : base)
        squares += (v - mean) * (v - mean);
    const double threshold =
        mean + settings.factor * std::sqrt(squares / static_cast<double>(base.size()));

    // Runs above the threshold, each merged into the previous one across a short gap.
    std::vector<std::pair<long long, long long>> runs;
    for (long long i = 0; i < n;) {
        if (!(y[static_cast<std::size_t>(i)] > threshold)) {
            ++i;
            continue;
        }
        long long last = i;
        while (last + 1 < n && y[static_cast<std::size_t>(last + 1)] > threshold)
            ++last;
        if (!runs.empty() && timeMs(i - runs.back().second - 1) < settings.minOffMs)
            runs.back().second = last;
        else
            runs.emplace_back(i, last);
        i = last + 1;
    }
    for (const auto& [first, last] : runs) {
        const double duration = timeMs(last - first + 1);
        if (duration < settings.minOnMs) continue;
        Burst b;
        b.first = static_cast<int>(first);
        b.last = static_cast<int>(last);
        b.onsetMs = timeMs(first);
        b.offsetMs = timeMs(last);
        b.durationMs = duration;
        double s = 0.0;
        double sq = 0.0;
        double peak = y[static_cast<std::size_t>(first)];
        for (long long i = first; i <= last; ++i) {
            const double v = y[static_cast<std::size_t>(i)];
            s += v;
            sq += v * v;
            peak = std::max(peak, v);
        }
        const auto length = static_cast<double>(last - first + 1);
        b.peak = peak;
        b.mean = s / length;
        b.rms = std::sqrt(sq / length);
        b.integral = s * 1000.0 / fs;
        bursts.push_back(b);
    }
    return bursts;
}

}  // namespace tavrel::spectral
