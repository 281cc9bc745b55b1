// The numbers an EMG study reports beyond amplitude: the power spectral density of a signal
// (Hann-windowed, mean-removed segments, one-sided, in value units squared per hertz, averaged over
// half-overlapping segments - the Welch method), its mean and median frequency, the fatigue trend
// of either over sliding windows, the least-squares slope of a signal against time, and the bursts
// of activity above a baseline threshold.
//
// Conventions: n samples at rate fs, sample i at time 1000 * i / fs ms. A spectrum of a segment of
// L samples has the bins k = 0 .. L / 2 at f_k = k fs / L; P_k = c |X_k|^2 / (fs sum w^2), X the
// DFT of the windowed segment, w the periodic Hann window 0.5 - 0.5 cos(2 pi j / L), c = 2 for
// every bin except 0 and (L even) L / 2.
#pragma once

#include <optional>
#include <span>
#include <vector>

namespace tavrel::spectral {

// Below this many samples there is no mean or median frequency.
constexpr int kMinSpectrumSamples = 8;
// The longest Welch segment of the results table.
constexpr int kTableSegment = 1024;

// The power spectral density of segments of one length: the window, its power, and the DFT
// (radix-2, or Bluestein's chirp-z over radix-2 transforms for other lengths) prepared once.
class PowerSpectrum {
  public:
    // length >= 1. May throw std::bad_alloc.
    explicit PowerSpectrum(int length);
    int Length() const { return m_length; }
    int Bins() const { return m_length / 2 + 1; }
    // The density of segment x (Length() samples) into out (Bins() values).
    void Density(const double* x, double fs, double* out);
    // The densities of two segments through one complex transform.
    void DensityPair(const double* a, const double* b, double fs, double* outA, double* outB);

  private:
    // The DFT of m_re + i m_im (Length() points), in place.
    void Transform();
    // Windows the mean-removed segment x into dst.
    void Prepare(const double* x, double* dst) const;

    int m_length;
    bool m_radix2;
    std::size_t m_padded = 0;  // the chirp-z transform size
    std::vector<double> m_window;
    double m_windowPower = 0.0;
    std::vector<double> m_re, m_im;
    std::vector<double> m_chirpRe, m_chirpIm;    // exp(-i pi j^2 / L)
    std::vector<double> m_kernelRe, m_kernelIm;  // the DFT of the conjugate chirp, padded
    std::vector<double> m_workRe, m_workIm;
};

// Welch's estimate over segments of `segment` samples (1 <= segment <= y.size()) advancing by
// segment - segment / 2: the mean of the segments' densities. Empty for an empty y.
std::vector<double> WelchDensity(std::span<const double> y, double fs, int segment);

struct FrequencyFigures {
    double meanHz = 0.0;
    double medianHz = 0.0;
};

// MNF = sum f_k P_k / sum P_k; MDF = the smallest f_k at which the running sum of P reaches half
// of the total (sums in bin order). Both 0 when the total is 0, NaN when it is not finite (a
// non-finite value in the data). `segmentLength` gives f_k.
FrequencyFigures Figures(std::span<const double> density, double fs, int segmentLength);

// The figures of the results table: Welch with segments of min(1024, n); none below 8 samples or
// for data holding a non-finite value.
std::optional<FrequencyFigures> SignalFigures(std::span<const double> y, double fs);

// The least-squares slope of y against time in seconds (value units per second); none below 2
// samples or without a positive rate.
std::optional<double> SlopePerSecond(std::span<const double> y, double fs);
// The same with the mean of y given (sum in index order over n, as the results table has it).
std::optional<double> SlopePerSecond(std::span<const double> y, double fs, double meanY);

enum class TrendMeasure { Median = 0, Mean = 1 };

// The trend: window W = floor(windowMs fs / 1000), step S = floor(stepMs fs / 1000); value k is
// the figure of the periodogram of y[k S .. k S + W - 1], for every k with k S + W <= n. Empty
// when W < 8 or S < 1. May throw std::bad_alloc.
std::vector<double> FrequencyTrend(std::span<const double> y, double fs, int windowMs, int stepMs,
                                   TrendMeasure measure);

struct BurstSettings {
    double baselineStartMs = 0.0;
    double baselineEndMs = 500.0;
    double factor = 3.0;
    double minOnMs = 50.0;
    double minOffMs = 50.0;
};

struct Burst {
    int first = 0;  // sample indices, both inside the burst
    int last = 0;
    double onsetMs = 0.0;
    double offsetMs = 0.0;
    double durationMs = 0.0;
    double peak = 0.0;
    double mean = 0.0;
    double rms = 0.0;
    double integral = 0.0;  // value units x ms
};

// The bursts of y: threshold = mean + factor * SD (population) of the samples whose time lies in
// the baseline range (both ends included); maximal runs above it, runs separated by gaps shorter
// than minOffMs merged, then runs shorter than minOnMs dropped. None when the baseline holds no
// sample or the rate is not positive.
std::vector<Burst> FindBursts(std::span<const double> y, double fs, const BurstSettings& settings);

}  // namespace tavrel::spectral
