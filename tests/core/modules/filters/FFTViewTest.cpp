#include "modules/filters/FFTView.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <random>
#include <vector>

#include "core/modules/analysis/ModuleFeed.h"
#include "document/KaisekiDoc.h"
#include "modules/filters/Spectrum.h"
#include "platform/RecordingSurface.h"
#include "support/ScriptedHost.h"

namespace tavrel {
namespace {

using test::Feed;
using test::Output;

std::vector<double> Noise(int n, unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> d(-1.0, 1.0);
    std::vector<double> x(static_cast<std::size_t>(n));
    for (double& v : x)
        v = d(gen);
    return x;
}

// The 1/N-scaled forward transform straight from its definition, in long double.
void ReferenceDft(const std::vector<double>& s, std::vector<double>& re, std::vector<double>& im) {
    const std::size_t n = s.size();
    re.assign(n, 0.0);
    im.assign(n, 0.0);
    const long double pi = std::numbers::pi_v<long double>;
    for (std::size_t k = 0; k < n; ++k) {
        long double sr = 0.0L;
        long double si = 0.0L;
        for (std::size_t j = 0; j < n; ++j) {
            const long double theta = 2.0L * pi * static_cast<long double>((j * k) % n) / n;
            sr += s[j] * std::cos(theta);
            si -= s[j] * std::sin(theta);
        }
        re[k] = static_cast<double>(sr / n);
        im[k] = static_cast<double>(si / n);
    }
}

TEST(Spectrum, SizeFitsTheData) {
    EXPECT_EQ(spectrum::FitTransformSize(1024, 2000), 1024);
    EXPECT_EQ(spectrum::FitTransformSize(1024, 1024), 1024);
    EXPECT_EQ(spectrum::FitTransformSize(1024, 1000), 512);
    EXPECT_EQ(spectrum::FitTransformSize(1024, 300), 256);
    EXPECT_EQ(spectrum::FitTransformSize(1024, 200), 128);
    EXPECT_EQ(spectrum::FitTransformSize(1024, 127), 127);
    EXPECT_EQ(spectrum::FitTransformSize(1024, 100), 100);
    EXPECT_EQ(spectrum::FitTransformSize(1024, 3), 3);
    EXPECT_EQ(spectrum::FitTransformSize(1024, 2), 0);
    // Stored sizes that are not powers of two, zero, negative or huge.
    EXPECT_EQ(spectrum::FitTransformSize(1000, 2000), 1000);
    EXPECT_EQ(spectrum::FitTransformSize(300, 200), 150);
    EXPECT_EQ(spectrum::FitTransformSize(2147483647, 2000), 1023);
    EXPECT_EQ(spectrum::FitTransformSize(0, 2000), 0);
    EXPECT_EQ(spectrum::FitTransformSize(-5, 2000), 0);
    EXPECT_EQ(spectrum::FitTransformSize(2, 2000), 0);
}

TEST(Spectrum, FftAndDftAgreeWithTheDefinition) {
    for (int n : {128, 1024}) {
        std::vector<double> s = Noise(n, 3);
        std::vector<double> fr(n), fi(n), dr(n), di(n), rr, ri;
        spectrum::RadixTwoFft(s, fr, fi);
        spectrum::DirectDft(s, dr, di);
        ReferenceDft(s, rr, ri);
        for (int k = 0; k < n; ++k) {
            ASSERT_NEAR(fr[k], dr[k], 1e-12) << n << " " << k;
            ASSERT_NEAR(fi[k], di[k], 1e-12) << n << " " << k;
            ASSERT_NEAR(fr[k], rr[k], 1e-12) << n << " " << k;
            ASSERT_NEAR(fi[k], ri[k], 1e-12) << n << " " << k;
        }
    }
    // The short direct DFT and the chirp-z method for long sizes that are not powers of two.
    for (int n : {3, 100, 127, 1000, 9000}) {
        std::vector<double> s = Noise(n, 5);
        std::vector<double> re(n), im(n), rr, ri;
        if (n > spectrum::kDirectDftLimit) {
            spectrum::ChirpZDft(s, re, im);
        } else {
            spectrum::DirectDft(s, re, im);
        }
        if (n > 1000) {
            // The reference is N^2 long-double terms; spot-check a few bins.
            std::vector<double> sub;
            for (int k : {0, 1, 17, n / 2, n - 1}) {
                long double sr = 0.0L;
                for (int j = 0; j < n; ++j) {
                    const long double theta = 2.0L * std::numbers::pi_v<long double> *
                                              ((static_cast<long long>(j) * k) % n) / n;
                    sr += s[j] * std::cos(theta);
                }
                ASSERT_NEAR(re[k], static_cast<double>(sr / n), 1e-12) << n << " " << k;
            }
            continue;
        }
        ReferenceDft(s, rr, ri);
        for (int k = 0; k < n; ++k) {
            ASSERT_NEAR(re[k], rr[k], 1e-12) << n << " " << k;
            ASSERT_NEAR(im[k], ri[k], 1e-12) << n << " " << k;
        }
    }
}

// The radix-2 transform written out step by step as the FFT view defines it: bit reversal by
// splitting every block into its even-indexed elements followed by its odd-indexed ones, from the
// whole array down to pairs; then for c = 2, 4 ... N every butterfly of every block, each stage
// computed from the previous one into a second pair of arrays and copied back, each output halved.
void LiteralFft(const std::vector<double>& s, std::vector<double>& re, std::vector<double>& im) {
    const std::size_t n = s.size();
    re = s;
    im.assign(n, 0.0);
    std::vector<double> r2(n), i2(n);
    for (std::size_t c = n; c >= 2; c /= 2) {
        for (std::size_t b = 0; b < n; b += c) {
            for (std::size_t j = 0; j < c / 2; ++j) {
                r2[b + j] = re[b + 2 * j];
                i2[b + j] = im[b + 2 * j];
                r2[b + c / 2 + j] = re[b + 2 * j + 1];
                i2[b + c / 2 + j] = im[b + 2 * j + 1];
            }
        }
        re = r2;
        im = i2;
    }
    for (std::size_t c = 2; c <= n; c *= 2) {
        for (std::size_t b = 0; b < n; b += c) {
            for (std::size_t j = 0; j < c / 2; ++j) {
                const double angle =
                    2.0 * std::numbers::pi * static_cast<double>(j) / static_cast<double>(c);
                const double wr = std::cos(angle);
                const double wi = std::sin(-angle);
                const double er = re[b + j], ei = im[b + j];
                const double orr = re[b + j + c / 2], oi = im[b + j + c / 2];
                const double tr = wr * orr - wi * oi;
                const double ti = wr * oi + wi * orr;
                r2[b + j] = (er + tr) / 2;
                i2[b + j] = (ei + ti) / 2;
                r2[b + j + c / 2] = (er - tr) / 2;
                i2[b + j + c / 2] = (ei - ti) / 2;
            }
        }
        re = r2;
        im = i2;
    }
}

// The instruction sets this processor runs, the plain loop first.
std::vector<InstructionSet> RunnableSets() {
    std::vector<InstructionSet> sets;
    for (InstructionSet set : {InstructionSet::Plain, InstructionSet::Sse2, InstructionSet::Avx2}) {
        if (UsableInstructionSet(set) == set) sets.push_back(set);
    }
    return sets;
}

bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(Spectrum, FftIsBitIdenticalToTheStepwiseDefinition) {
    // Sizes of the FFT view, a transform of another size before them (the twiddle factors are
    // kept across sizes), and sizes narrower than the vector paths' blocks; on every path.
    for (InstructionSet set : RunnableSets()) {
        for (int n : {1024, 128, 256, 512, 1024, 8192, 2, 4, 8, 16, 64}) {
            std::vector<double> s = Noise(n, static_cast<unsigned>(n));
            if (n >= 16) s[3] = -0.0, s[7] = 1e300;
            std::vector<double> re(n), im(n), lr, li;
            spectrum::RadixTwoFft(s, re, im, set);
            LiteralFft(s, lr, li);
            for (int k = 0; k < n; ++k) {
                ASSERT_TRUE(SameBits(re[k], lr[k]))
                    << static_cast<int>(set) << " " << n << " " << k;
                ASSERT_TRUE(SameBits(im[k], li[k]))
                    << static_cast<int>(set) << " " << n << " " << k;
            }
        }
    }
}

TEST(Spectrum, ChirpZGivesTheSameBitsOnEveryPath) {
    // Its three unscaled power-of-two transforms (one inverse) run the same butterflies.
    for (int n : {1, 3, 5, 1000, 9000}) {
        std::vector<double> s = Noise(n, 11);
        std::vector<double> pr(n), pi(n);
        spectrum::ChirpZDft(s, pr, pi, InstructionSet::Plain);
        for (InstructionSet set : RunnableSets()) {
            std::vector<double> re(n), im(n);
            spectrum::ChirpZDft(s, re, im, set);
            for (int k = 0; k < n; ++k) {
                ASSERT_TRUE(SameBits(re[k], pr[k]))
                    << static_cast<int>(set) << " " << n << " " << k;
                ASSERT_TRUE(SameBits(im[k], pi[k]))
                    << static_cast<int>(set) << " " << n << " " << k;
            }
        }
    }
}

TEST(Spectrum, ZeroBinsAndSilentWindowsGetAFiniteFloor) {
    std::vector<double> levels(3);
    spectrum::Levels(std::vector<double>{2.0, 0.0, 2e-20}, std::vector<double>{0.0, 0.0, 0.0},
                     levels);
    EXPECT_DOUBLE_EQ(levels[0], 40.0);
    EXPECT_NEAR(levels[2], -360.0, 1e-9);
    // A zero bin goes no higher than the weakest bin with a level.
    EXPECT_EQ(levels[1], levels[2]);

    spectrum::Levels(std::vector<double>{2.0, 0.0, 1.0}, std::vector<double>{0.0, 0.0, 0.0},
                     levels);
    EXPECT_EQ(levels[1], spectrum::kLevelFloor);

    spectrum::Levels(std::vector<double>(3, 0.0), std::vector<double>(3, 0.0), levels);
    for (double v : levels)
        EXPECT_EQ(v, spectrum::kLevelFloor);
}

TEST(Spectrum, LevelsAreThoseOfThePlainFormula) {
    // Every level is 20 log10(sqrt(re^2 + im^2) / P) + 40 to the bit, with P the root of the
    // largest square over all bins (the last bins, not levelled, hold the peak), for an odd count.
    const int n = 301;
    std::vector<double> re = Noise(n, 21), im = Noise(n, 22);
    re[n - 1] = 3.0;
    im[5] = re[5] = 0.0;
    std::vector<double> levels(n / 2);
    spectrum::Levels(re, im, levels);
    const double peak = std::sqrt(re[n - 1] * re[n - 1] + im[n - 1] * im[n - 1]);
    double lowest = spectrum::kLevelFloor;
    for (int k = 0; k < n / 2; ++k) {
        if (k == 5) continue;
        const double expected =
            20.0 * std::log10(std::sqrt(re[k] * re[k] + im[k] * im[k]) / peak) + 40.0;
        ASSERT_TRUE(SameBits(levels[k], expected)) << k;
        lowest = std::min(lowest, expected);
    }
    EXPECT_EQ(levels[5], lowest);
}

TEST(FFTViewFilter, SineAtABinReadsFortyThereAndFarLowerElsewhere) {
    // 2000 Hz, N = 1024: bin 40 is 78.125 Hz.
    const int k0 = 40;
    CFFTViewFilter f;
    Feed(f, test::Sine(2000, k0 * 2000.0 / 1024.0, 2000), 2000);
    ASSERT_EQ(f.Compute(), 512);
    std::vector<double> y = Output(f);
    ASSERT_EQ(y.size(), 512u);
    EXPECT_NEAR(y[k0], 40.0, 1e-9);
    for (int k = 0; k < 512; ++k) {
        if (k != k0) {
            ASSERT_LT(y[k], -150.0) << k;
        }
    }
}

TEST(FFTViewFilter, OutputSizesAndStartClamping) {
    struct Case {
        int n, bins;
    };
    for (Case c : {Case{2000, 512}, Case{1000, 256}, Case{300, 128}, Case{200, 64}, Case{100, 50},
                   Case{3, 1}}) {
        CFFTViewFilter f;
        Feed(f, Noise(c.n, 1), 2000);
        EXPECT_EQ(f.Compute(), c.bins) << c.n;
    }
    for (int n : {0, 1, 2}) {
        CFFTViewFilter f;
        Feed(f, Noise(n, 1), 2000);
        EXPECT_EQ(f.Compute(), -1) << n;
        EXPECT_FALSE(f.m_output);
    }

    // A start beyond the end is pulled back so that the window ends with the last sample: the
    // spectrum is then that of the last 1024 samples.
    std::vector<double> x = Noise(2000, 9);
    CFFTViewFilter late;
    late.m_start = 5000;
    Feed(late, x, 2000);
    late.Compute();
    EXPECT_EQ(late.m_start, 976);
    CFFTViewFilter tail;
    Feed(tail, std::vector<double>(x.begin() + 976, x.end()), 2000);
    tail.Compute();
    EXPECT_EQ(Output(late), Output(tail));

    CFFTViewFilter early;
    early.m_start = -3;
    Feed(early, x, 2000);
    early.Compute();
    EXPECT_EQ(early.m_start, 0);
}

TEST(FFTViewFilter, StoredSizesThatAreNotPowersOfTwoUseTheDft) {
    std::vector<double> x = Noise(2000, 4);
    CFFTViewFilter f;
    f.m_points = 1000;
    Feed(f, x, 2000);
    ASSERT_EQ(f.Compute(), 500);
    std::vector<double> re(1000), im(1000), levels(1000);
    spectrum::DirectDft(std::span<const double>(x.data(), 1000), re, im);
    spectrum::Levels(re, im, levels);
    EXPECT_EQ(Output(f), std::vector<double>(levels.begin(), levels.begin() + 500));

    for (int points : {0, -1024, 2}) {
        CFFTViewFilter g;
        g.m_points = points;
        Feed(g, x, 2000);
        EXPECT_EQ(g.Compute(), -1) << points;
    }
}

TEST(FFTViewFilter, DrawingRateMakesTheAxisReadInHertz) {
    EXPECT_EQ(SpectrumDrawingRate(2000, 512), 512);
    EXPECT_EQ(SpectrumDrawingRate(2000, 50), 50);
    EXPECT_EQ(SpectrumDrawingRate(1000, 64), 128);
    EXPECT_EQ(SpectrumDrawingRate(3000, 512), 341);  // 1000 * 1024 / 3000 = 341.33
    EXPECT_EQ(SpectrumDrawingRate(2000, 0), 0);
    EXPECT_EQ(SpectrumDrawingRate(0, 512), 0);
}

TEST(FFTViewFilter, DrawingRestoresTheFieldsItRelabels) {
    CFFTViewFilter f;
    Feed(f, Noise(2000, 2), 2000);
    f.m_unit = "V";
    f.m_unitFactor = 1000;
    f.m_timeExponent = -1;
    f.m_markerIndex = 17;
    RecordingSurface surface;
    f.Draw(&surface, {0, 0, 700, 160}, DisplayOf(f), nullptr);
    // 512 bins at 1.953125 Hz span 1000 Hz: ticks every 250 Hz, the axis in hertz and the
    // levels in "-40dB"; no marker is drawn.
    std::vector<std::string> texts = surface.Texts();
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.front(), "0");
    EXPECT_NE(std::find(texts.begin(), texts.end(), "250"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "1000[Hz]"), texts.end());
    EXPECT_NE(texts.back().find("[-40dB]"), std::string::npos) << texts.back();
    EXPECT_EQ(texts.back().find("1000x"), std::string::npos) << texts.back();
    EXPECT_EQ(texts.back().find("/"), std::string::npos) << texts.back();
    for (const auto& call : surface.Calls()) {
        EXPECT_NE(call.kind, RecordingSurface::Call::Kind::Fill);
    }
    EXPECT_EQ(f.m_outputCount, 512);
    EXPECT_EQ(f.m_samplingRate, 2000);
    EXPECT_EQ(f.m_unit, "V");
    EXPECT_EQ(f.m_unitFactor, 1000);
    EXPECT_EQ(f.m_timeExponent, -1);
    EXPECT_EQ(f.m_markerIndex, 17);
    EXPECT_EQ(f.m_timeUnit, "ms");
}

// ---- pass-through in a chain -------------------------------------------------------------------

class FFTChainTest : public ::testing::Test {
  protected:
    void SetUp() override {
        doc.OnNewDocument();
        doc.m_columns[0] = Noise(300, 6);
        doc.m_rowCount = 300;
        doc.Head(0)->m_samplingRate = 1000;
        fft = new CFFTViewFilter;
        CModBase::AppendModule(doc.Head(0), fft);
    }
    std::vector<double> Export(std::string* label = nullptr) {
        std::vector<double> values;
        std::vector<double> times;
        doc.Head(0)->ChainGetData(&values, label, &times);
        EXPECT_EQ(times.size(), values.size());
        if (times.size() > 1) {
            EXPECT_EQ(times[1], 1.0);
        }
        return values;
    }
    CKaisekiDoc doc;
    CFFTViewFilter* fft = nullptr;
    RecordingSurface surface;
};

TEST_F(FFTChainTest, ExportAtTheFftViewGivesItsInput) {
    EXPECT_EQ(Export(), doc.m_columns[0]);
    // Also after it has drawn (and holds a spectrum).
    doc.Head(0)->ChainDraw(&surface, {0, 0, 700, 160}, DisplayOf(*doc.Head(0)), nullptr);
    EXPECT_EQ(fft->m_outputCount, 128);
    std::string label;
    EXPECT_EQ(Export(&label), doc.m_columns[0]);
    EXPECT_EQ(label, "[mV]");
}

TEST_F(FFTChainTest, NextModuleReceivesExactlyTheInput) {
    auto* after = new CModBase;
    CModBase::AppendModule(doc.Head(0), after);
    // Starting empty (as on export).
    EXPECT_EQ(Export(), doc.m_columns[0]);
    EXPECT_EQ(after->m_samplingRate, 1000);
    EXPECT_EQ(after->m_inputCount, 300);

    // After the FFT view drew as the chain end, whatever it held is not handed on.
    CModBase::RemoveModuleAt(doc.Head(0), 2);
    doc.Head(0)->ClearBuffers();
    doc.Head(0)->ChainDraw(&surface, {0, 0, 700, 160}, DisplayOf(*doc.Head(0)), nullptr);
    ASSERT_TRUE(fft->m_input && fft->m_output);
    CModBase::AppendModule(doc.Head(0), after);
    after->ClearBuffers();
    doc.Head(0)->ChainMeasure();
    EXPECT_EQ(after->m_outputCount, 300);
    EXPECT_EQ(Output(*after), doc.m_columns[0]);
    EXPECT_FALSE(fft->m_input || fft->m_output);
}

// ---- settings dialog ---------------------------------------------------------------------------

TEST(FFTDialog, TwoThousandSamplesAtTwoThousandHertz) {
    test::ScriptedHost host;
    CFFTViewFilter f;
    Feed(f, Noise(2000, 1), 2000);
    host.dialogScript = [&](ModuleDialog& d) {
        EXPECT_EQ(d.TemplateId(), 122);
        EXPECT_EQ(d.Title(), "FFT設定");
        EXPECT_TRUE(d.HasApply());
        EXPECT_EQ(d.Text(1038), "0");
        EXPECT_EQ(d.Text(1039), "1000");
        EXPECT_EQ(d.Text(1000), "0");
        EXPECT_EQ(d.Text(1002), "1024");
        EXPECT_EQ(d.Text(1044), "FFT");
        d.SetText(1000, "489");
        DialogCheck c = d.Apply();
        EXPECT_EQ(c.control, 1000);
        EXPECT_EQ(c.message, IntRangeMessage(0, 488));
        d.SetText(1000, "488");
        EXPECT_TRUE(d.Apply().ok);
        EXPECT_EQ(f.m_start, 976);
        d.SetText(1000, "100");
        return test::PressOk(d);
    };
    EXPECT_EQ(f.EditSettings(), 1);
    EXPECT_EQ(f.m_start, 200);
}

TEST(FFTDialog, SizesMethodsAndTheOnlyStartOfAShortInput) {
    struct Case {
        int n;
        const char* size;
        const char* method;
        const char* length;
    };
    for (Case c : {Case{1000, "512", "FFT", "500"}, Case{300, "256", "FFT", "150"},
                   Case{200, "128", "FFT", "100"}, Case{100, "100", "DFT", "50"},
                   Case{2, "0", "DFT", "1"}, Case{0, "0", "DFT", "0"}}) {
        test::ScriptedHost host;
        CFFTViewFilter f;
        Feed(f, Noise(c.n, 1), 2000);
        host.dialogScript = [&](ModuleDialog& d) {
            EXPECT_EQ(d.Text(1002), c.size) << c.n;
            EXPECT_EQ(d.Text(1044), c.method) << c.n;
            EXPECT_EQ(d.Text(1039), c.length) << c.n;
            if (c.n == 100) {
                d.SetText(1000, "1");
                EXPECT_EQ(d.Apply().message, IntRangeMessage(0, 0));
                d.SetText(1000, "0");
            }
            return false;
        };
        f.EditSettings();
    }
}

TEST(FFTDialog, StartSnapsToWholeMilliseconds) {
    test::ScriptedHost host;
    CFFTViewFilter f;
    f.m_start = 3;
    Feed(f, Noise(2000, 1), 2000);
    host.dialogScript = [&](ModuleDialog& d) {
        EXPECT_EQ(d.Text(1000), "2");
        return test::PressOk(d);
    };
    EXPECT_EQ(f.EditSettings(), 1);
    EXPECT_EQ(f.m_start, 4);

    // Cancel leaves the start as the dialog found it (clamped into the input).
    f.m_start = 3000;
    host.dialogScript = [](ModuleDialog&) { return false; };
    EXPECT_EQ(f.EditSettings(), 0);
    EXPECT_EQ(f.m_start, 976);
}

}  // namespace
}  // namespace tavrel
