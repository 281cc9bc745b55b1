#include "modules/filters/FirKernels.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>
#include <random>
#include <utility>
#include <vector>

#include "platform/WorkerPool.h"

namespace tavrel::kernels {
namespace {

using TapSet = std::array<double, kTapCount>;

TapSet LowPass(double x) {
    TapSet h{};
    DesignLowPass(h, x);
    return h;
}

// The windowed sinc written out independently, in long double: w(i) sin(k pi x) / (k pi) off the
// centre, x at the centre.
long double ReferenceTap(int i, long double x) {
    if (x > 1.0L) x = 1.0L;
    const long double pi = std::numbers::pi_v<long double>;
    const int k = i - 20;
    if (k == 0) return x;
    const long double w = 0.54L + 0.46L * std::cos(pi * k / 20.0L);
    return w * std::sin(k * pi * x) / (k * pi);
}

bool BitEqual(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

std::vector<double> Filter(const std::vector<double>& x, const TapSet& h) {
    std::vector<double> y(x.size());
    ConvolveCentred(x, h, y);
    return y;
}

TEST(FirDesign, TapsAtThreeTenthsOfNyquist) {
    TapSet h = LowPass(0.3);
    EXPECT_EQ(h[20], 0.3);
    EXPECT_NEAR(h[19], 0.256060, 1e-6);
    EXPECT_EQ(h[19], h[21]);
    double sum = 0.0;
    for (double v : h)
        sum += v;
    EXPECT_NEAR(sum, 0.997944, 1e-6);

    // High-pass at 0.3: the low-pass at 0.7 with the odd taps negated.
    TapSet hp = LowPass(0.7);
    MirrorToHighPass(hp);
    EXPECT_NEAR(hp[20], 0.7, 1e-15);
    EXPECT_NEAR(hp[19], -0.256060, 1e-6);
    EXPECT_EQ(hp[19], hp[21]);
    // The even taps keep the low-pass sign.
    EXPECT_EQ(hp[18], LowPass(0.7)[18]);
}

TEST(FirDesign, TapsAgreeWithTheWindowedSincFormula) {
    for (double x : {0.0, 0.05, 0.3, 0.45, 0.6, 0.999, 1.0, 1.7}) {
        TapSet h = LowPass(x);
        for (int i = 0; i < kTapCount; ++i) {
            EXPECT_NEAR(h[i], static_cast<double>(ReferenceTap(i, x)), 1e-15)
                << "x = " << x << ", tap " << i;
            EXPECT_EQ(h[i], h[40 - i]) << "symmetry, x = " << x;
        }
    }
    EXPECT_DOUBLE_EQ(HammingWindow(20), 1.0);
    EXPECT_NEAR(HammingWindow(0), 0.08, 1e-15);
    EXPECT_NEAR(HammingWindow(40), 0.08, 1e-15);
}

TEST(FirDesign, NyquistCutOffIsPassThroughAndZeroCutOffIsSilence) {
    TapSet one = LowPass(1.0);
    EXPECT_EQ(one[20], 1.0);
    for (int i = 0; i < kTapCount; ++i) {
        if (i == 20) continue;
        EXPECT_LT(std::fabs(one[i]), 1e-16);
    }
    EXPECT_EQ(LowPass(5.0), one);  // clamped to 1.0

    TapSet zero = LowPass(0.0);
    for (double v : zero)
        EXPECT_EQ(v, 0.0);

    std::vector<double> x = {3.0, -1.5, 2.25, 8.0, -7.0};
    std::vector<double> y = Filter(x, one);
    for (std::size_t i = 0; i < x.size(); ++i)
        EXPECT_NEAR(y[i], x[i], 1e-14);
    for (double v : Filter(x, zero))
        EXPECT_EQ(v, 0.0);
}

TEST(FirDesign, NegativeCutOffIsNotClamped) {
    // There is no lower clamp: a negative cut-off designs the sign-reversed low-pass.
    TapSet h = LowPass(-0.3);
    TapSet p = LowPass(0.3);
    for (int i = 0; i < kTapCount; ++i)
        EXPECT_EQ(h[i], -p[i]);
}

// Gain of the taps for a sine at `f` (fraction of Nyquist), measured on the part of a long
// output that sees no padding.
double MeasuredGain(const TapSet& h, double f) {
    const int n = 4096;
    std::vector<double> x(n);
    for (int i = 0; i < n; ++i)
        x[i] = std::sin(std::numbers::pi * f * i + 0.3);
    std::vector<double> y = Filter(x, h);
    double in = 0.0, out = 0.0;
    for (int i = 100; i < n - 100; ++i) {
        in += x[i] * x[i];
        out += y[i] * y[i];
    }
    return std::sqrt(out / in);
}

TEST(FirResponse, LowPassAtThreeTenthsPassesLowAndStopsHighFrequencies) {
    TapSet h = LowPass(0.3);
    EXPECT_LT(MeasuredGain(h, 0.8), 0.01);  // more than 40 dB down
    EXPECT_NEAR(MeasuredGain(h, 0.05), 1.0, 0.01);
}

TEST(FirResponse, HighPassMirrorsTheLowPass) {
    TapSet h = LowPass(0.7);
    MirrorToHighPass(h);
    EXPECT_LT(MeasuredGain(h, 0.05), 0.01);
    EXPECT_NEAR(MeasuredGain(h, 0.9), 1.0, 0.01);
}

TEST(Convolution, CentredWithZeroPaddingAtBothEnds) {
    // A constant input tapers towards both ends: output m sums only the taps that see data.
    TapSet h = LowPass(0.3);
    std::vector<double> x(100, 1.0);
    std::vector<double> y = Filter(x, h);
    double centre = 0.0, first = 0.0;
    for (int k = 0; k < kTapCount; ++k)
        centre += h[k];
    for (int k = 20; k < kTapCount; ++k)
        first += h[k];
    EXPECT_EQ(y[50], centre);
    EXPECT_EQ(y[0], first);
    EXPECT_DOUBLE_EQ(y[99], y[0]);  // symmetric taps, summed in the other order

    // An impulse reproduces the taps, centred on it (no delay).
    std::vector<double> impulse(61, 0.0);
    impulse[30] = 1.0;
    std::vector<double> r = Filter(impulse, h);
    for (int k = 0; k < kTapCount; ++k)
        EXPECT_EQ(r[10 + k], h[k]);
    EXPECT_EQ(r[9], 0.0);
    EXPECT_EQ(r[51], 0.0);
}

TEST(Convolution, BlockedLoopIsBitIdenticalToThePlainLoop) {
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> dist(-1e3, 1e3);
    TapSet h = LowPass(0.37);
    // Lengths around the tap count and the block boundaries.
    for (std::size_t n : {1u, 2u, 20u, 21u, 40u, 41u, 42u, 1023u, 1024u, 1025u, 1044u, 1045u, 2048u,
                          3000u, 8192u}) {
        std::vector<double> x(n);
        for (double& v : x)
            v = dist(rng);
        x[n / 2] = -0.0;
        std::vector<double> fast(n), plain(n);
        ConvolveCentred(x, h, fast);
        ConvolveCentredPlain(x, h, plain);
        for (std::size_t i = 0; i < n; ++i)
            ASSERT_TRUE(BitEqual(fast[i], plain[i])) << "n = " << n << ", i = " << i;
    }
}

TEST(Convolution, TwoPassesBlockByBlockEqualTwoPlainPasses) {
    // The band-pass: the second pass runs over the first pass's result cut to the input's length.
    std::mt19937_64 rng(11);
    std::uniform_real_distribution<double> dist(-1e3, 1e3);
    TapSet high = LowPass(0.7);
    MirrorToHighPass(high);
    TapSet low = LowPass(0.6);
    // Lengths around the tap count, twice the padding and the block boundaries.
    for (std::size_t n :
         {1u,    2u,    20u,   21u,   39u,   40u,   41u,   61u,   80u,   81u,   1023u, 1024u,
          1025u, 1043u, 1044u, 1045u, 1063u, 1064u, 1065u, 2047u, 2048u, 2049u, 3000u}) {
        std::vector<double> x(n);
        for (double& v : x)
            v = dist(rng);
        x[n / 2] = -0.0;
        std::vector<double> stage(n), plain(n), fused(n);
        ConvolveCentredPlain(x, high, stage);
        ConvolveCentredPlain(stage, low, plain);
        ConvolveCentredTwice(x, high, low, fused);
        for (std::size_t i = 0; i < n; ++i)
            ASSERT_TRUE(BitEqual(fused[i], plain[i])) << "n = " << n << ", i = " << i;
    }
    // Non-finite taps take the plain passes.
    TapSet inf = low;
    inf[3] = std::numeric_limits<double>::infinity();
    std::vector<double> x = {1.0, -2.0, 3.0, 0.5, 7.0};
    std::vector<double> stage(5), plain(5), fused(5);
    ConvolveCentredPlain(x, high, stage);
    ConvolveCentredPlain(stage, inf, plain);
    ConvolveCentredTwice(x, high, inf, fused);
    for (std::size_t i = 0; i < x.size(); ++i)
        EXPECT_TRUE(BitEqual(fused[i], plain[i])) << i;
}

TEST(Convolution, NonFiniteTapsAndSamplesGiveThePlainLoopsResult) {
    // An infinite tap times a padded zero would be NaN; padded terms are left out instead.
    TapSet h = LowPass(0.3);
    h[0] = std::numeric_limits<double>::infinity();
    std::vector<double> x = {1.0, 2.0, 3.0};
    std::vector<double> fast(3), plain(3);
    ConvolveCentred(x, h, fast);
    ConvolveCentredPlain(x, h, plain);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(BitEqual(fast[i], plain[i]));
        EXPECT_FALSE(std::isnan(fast[i]));
    }

    TapSet nan = LowPass(std::numeric_limits<double>::quiet_NaN());
    std::vector<double> y(3);
    ConvolveCentred(x, nan, y);
    for (double v : y)
        EXPECT_TRUE(std::isnan(v));

    // A NaN sample spreads over the outputs whose window holds it, and no further.
    std::vector<double> data(100, 1.0);
    data[50] = std::numeric_limits<double>::quiet_NaN();
    std::vector<double> out = Filter(data, LowPass(0.3));
    EXPECT_FALSE(std::isnan(out[29]));
    EXPECT_TRUE(std::isnan(out[30]));
    EXPECT_TRUE(std::isnan(out[70]));
    EXPECT_FALSE(std::isnan(out[71]));
}

TEST(MovingAverageKernel, DivisorIsOneMoreThanTheWindow) {
    std::vector<double> x(7, 1.0), y(7);
    MovingAverage(x, 3, y);
    EXPECT_EQ(y[0], 0.5);
    for (int i = 1; i < 6; ++i)
        EXPECT_EQ(y[i], 0.75);
    EXPECT_EQ(y[6], 0.5);

    std::vector<double> one = {6.0}, out(1);
    MovingAverage(one, 5, out);
    EXPECT_EQ(out[0], 1.0);

    // Interior of a constant with N = 5: five sixths of it.
    std::vector<double> c(20, 6.0), s(20);
    MovingAverage(c, 5, s);
    EXPECT_EQ(s[10], 5.0);
}

TEST(MovingAverageKernel, SampleItselfIsAddedFirst) {
    // The order of the additions shows where rounding absorbs a small term: 1.0 added to 1e16 is
    // lost (the spacing there is 2). With x[2] first, y[2] = ((1 + 1e16) - 1e16) / 6 = 0; summed in
    // plain index order it would be ((1e16 - 1e16) + 1) / 6.
    std::vector<double> x = {1e16, -1e16, 1.0}, y(3);
    MovingAverage(x, 5, y);
    EXPECT_EQ(y[2], 0.0);
    EXPECT_EQ(y[0], 1.0 / 6.0);  // x[0] first is index order here
}

TEST(MovingAverageKernel, EvenWindowHoldsMoreSamplesBeforeThanAfter) {
    // N = 4: window i - 2 ... i + 1.
    std::vector<double> x = {1, 10, 100, 1000, 10000}, y(5);
    MovingAverage(x, 4, y);
    EXPECT_EQ(y[2], (100.0 + 1 + 10 + 1000) / 5.0);
    EXPECT_EQ(y[0], (1.0 + 10) / 5.0);
    EXPECT_EQ(y[4], (10000.0 + 100 + 1000) / 5.0);
}

TEST(MovingAverageKernel, SmallWindowsCopy) {
    std::vector<double> x = {1.5, -2.0, 3.25}, y(3);
    for (int points : {1, 0, -7, std::numeric_limits<int>::min()}) {
        MovingAverage(x, points, y);
        EXPECT_EQ(y, x) << points;
    }
}

TEST(MovingAverageKernel, HugeWindowSumsTheWholeDataWithoutOverflow) {
    // A window longer than the data takes every sample, x[i] first, and divides by N + 1
    // computed without overflow.
    std::vector<double> x = {1.0, 2.0, 4.0}, y(3);
    const int huge = std::numeric_limits<int>::max();
    MovingAverage(x, huge, y);
    const double divisor = 2147483648.0;
    EXPECT_EQ(y[0], ((1.0 + 2.0) + 4.0) / divisor);
    EXPECT_EQ(y[1], ((2.0 + 1.0) + 4.0) / divisor);
    EXPECT_EQ(y[2], ((4.0 + 1.0) + 2.0) / divisor);
}

// The instruction sets this processor runs, the plain loop first.
std::vector<InstructionSet> RunnableSets() {
    std::vector<InstructionSet> sets;
    for (InstructionSet set : {InstructionSet::Plain, InstructionSet::Sse2, InstructionSet::Avx2,
                               InstructionSet::Avx512}) {
        if (UsableInstructionSet(set) == set) sets.push_back(set);
    }
    return sets;
}

// Samples whose sums depend on the order of the additions: magnitudes from 1e-3 to 1e16 and both
// signs, so that any other order would change some last bits; a few zeros of either sign.
std::vector<double> OrderSensitive(std::size_t n, unsigned seed) {
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
    std::uniform_int_distribution<int> exponent(-3, 16);
    std::vector<double> x(n);
    for (std::size_t i = 0; i < n; ++i)
        x[i] = mantissa(rng) * std::pow(10.0, exponent(rng));
    if (n > 3) x[1] = -0.0, x[n - 2] = 0.0;
    return x;
}

// Every window of 2 to 64 positions, odd and even, on lengths below, at and around the block
// widths of the vector paths, so that windows reach past both ends of the data; then the
// widest windows the dialog accepts.
void ExpectEqualToThePlainLoop(const std::vector<InstructionSet>& sets) {
    std::vector<std::pair<int, std::size_t>> cases;
    for (int points = 2; points <= 64; ++points) {
        for (std::size_t n :
             {std::size_t(1), std::size_t(points - 1), std::size_t(points), std::size_t(31),
              std::size_t(33), std::size_t(63), std::size_t(65), std::size_t(70), std::size_t(517)})
            cases.emplace_back(points, n);
    }
    for (int points : {999, 1000}) {
        for (std::size_t n : {std::size_t(1000), std::size_t(1031), std::size_t(4133)})
            cases.emplace_back(points, n);
    }
    unsigned seed = 1;
    for (const auto& [points, n] : cases) {
        const std::vector<double> x = OrderSensitive(n, seed++);
        std::vector<double> plain(n);
        MovingAveragePlain(x, points, plain);
        for (InstructionSet set : sets) {
            std::vector<double> y(n, 7.0);
            MovingAverage(x, points, y, set);
            for (std::size_t i = 0; i < n; ++i) {
                ASSERT_EQ(std::memcmp(&y[i], &plain[i], sizeof(double)), 0)
                    << "set " << static_cast<int>(set) << " N " << points << " n " << n << " i "
                    << i << ": " << y[i] << " vs " << plain[i];
            }
        }
    }
}

TEST(MovingAverageKernel, EveryPathIsBitIdenticalToThePlainLoop) {
    std::vector<InstructionSet> sets = RunnableSets();
    std::erase(sets, InstructionSet::Avx512);  // its own test below
    ExpectEqualToThePlainLoop(sets);
}

TEST(MovingAverageKernel, Avx512PathIsBitIdenticalToThePlainLoop) {
    if (UsableInstructionSet(InstructionSet::Avx512) != InstructionSet::Avx512)
        GTEST_SKIP() << "this processor has no AVX-512: its path was not run";
    ExpectEqualToThePlainLoop({InstructionSet::Avx512});
}

TEST(MovingAverageKernel, NegativeZeroAndNonFiniteSamplesSurviveTheEnds) {
    // A sum of -0.0 only stays -0.0 and infinities stay infinite where the window is cut off by
    // the ends of the data, on every path.
    std::vector<double> x(100, -0.0);
    x[99] = std::numeric_limits<double>::infinity();
    for (InstructionSet set : RunnableSets()) {
        std::vector<double> y(100);
        MovingAverage(x, 9, y, set);
        EXPECT_TRUE(std::signbit(y[0]) && y[0] == 0.0) << static_cast<int>(set);
        EXPECT_TRUE(std::signbit(y[90]) && y[90] == 0.0) << static_cast<int>(set);
        EXPECT_EQ(y[95], std::numeric_limits<double>::infinity()) << static_cast<int>(set);
    }
}

TEST(DecimationKernel, KeepsEveryStepthSampleAndDropsTheRest) {
    std::vector<double> x = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    ASSERT_EQ(DecimatedCount(10, 3), 3u);
    std::vector<double> y(3);
    Decimate(x, 3, y);
    EXPECT_EQ(y, (std::vector<double>{0, 3, 6}));

    EXPECT_EQ(DecimatedCount(4, 5), 0u);
    EXPECT_EQ(DecimatedCount(10, 1), 10u);
    EXPECT_EQ(DecimatedCount(10, 0), 10u);
    EXPECT_EQ(DecimatedCount(10, -4), 10u);
    EXPECT_EQ(DecimatedCount(10, std::numeric_limits<int>::max()), 0u);
    std::vector<double> copy(10);
    Decimate(x, -4, copy);
    EXPECT_EQ(copy, x);
}

TEST(DifferentiatorKernel, FirstSampleAgainstZeroThenNeighbourDifferences) {
    std::vector<double> c(5, 3.0), y(5);
    Differentiate(c, 2.0, y);
    EXPECT_EQ(y, (std::vector<double>{6.0, 0, 0, 0, 0}));

    std::vector<double> ramp = {0, 1, 2, 3}, r(4);
    Differentiate(ramp, 2.0, r);
    EXPECT_EQ(r, (std::vector<double>{0, 2, 2, 2}));

    std::vector<double> one = {5.0}, o(1);
    Differentiate(one, 0.5, o);
    EXPECT_EQ(o[0], 2.5);
}

// A long filtering computed on its own is split over the threads; each part gives the outputs
// one thread gives, bit for bit, whatever the number of threads (part boundaries fall at odd
// places for three and seven).
TEST(SplitKernels, FiltersAndMovingAverageOnSeveralThreadsEqualOneThread) {
    const int saved = ThreadSetting();
    std::mt19937_64 rng(11);
    std::uniform_real_distribution<double> dist(-1e3, 1e3);
    std::vector<double> x(200003);
    for (double& v : x)
        v = dist(rng);
    const TapSet low = LowPass(0.37);
    TapSet high = LowPass(0.8);
    MirrorToHighPass(high);
    const auto run = [&](int threads) {
        SetThreadSetting(threads);
        std::vector<std::vector<double>> y(4, std::vector<double>(x.size()));
        ConvolveCentred(x, low, y[0]);
        ConvolveCentredTwice(x, high, low, y[1]);
        MovingAverage(x, 100, y[2]);
        MovingAverage(x, 1001, y[3]);
        return y;
    };
    const auto one = run(1);
    for (int threads : {2, 3, 7}) {
        const auto many = run(threads);
        for (std::size_t k = 0; k < one.size(); ++k)
            ASSERT_EQ(std::memcmp(many[k].data(), one[k].data(), x.size() * sizeof(double)), 0)
                << "kernel " << k << ", " << threads << " threads";
    }
    SetThreadSetting(saved);
}

}  // namespace
}  // namespace tavrel::kernels
