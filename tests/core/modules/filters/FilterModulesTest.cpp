// The filter module classes: their computations through the module interface, the tap caches,
// the properties they hand down a chain, and their registration.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "document/KaisekiDoc.h"
#include "modules/filters/BPFilter.h"
#include "modules/filters/BSFilter.h"
#include "modules/filters/DiffFilter.h"
#include "modules/filters/DiodeFilter.h"
#include "modules/filters/FirKernels.h"
#include "modules/filters/HPFilter.h"
#include "modules/filters/LPFilter.h"
#include "modules/filters/ReSmplFilter.h"
#include "modules/filters/SmothFilter.h"
#include "pipeline/HeadFilter.h"
#include "pipeline/ModuleRegistry.h"
#include "platform/RecordingSurface.h"

namespace tavrel {
namespace {

// Gives the module an input and computes; the output, or nothing when Compute failed.
std::vector<double> RunModule(CModBase& module, const std::vector<double>& x, int rate = 2000) {
    module.m_samplingRate = rate;
    module.m_input = AllocSamples(static_cast<long long>(x.size()));
    std::copy(x.begin(), x.end(), module.m_input.get());
    module.m_inputCount = static_cast<int>(x.size());
    module.m_output.reset();
    if (module.Compute() < 0) return {};
    return std::vector<double>(module.m_output.get(), module.m_output.get() + module.m_outputCount);
}

std::vector<double> Sine(double f, int n = 4096) {
    std::vector<double> x(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        x[i] = std::sin(std::numbers::pi * f * i + 0.3);
    return x;
}

// Gain of a module for a sine at f (fraction of Nyquist), away from both padded ends.
double Gain(CModBase& module, double f) {
    std::vector<double> x = Sine(f);
    std::vector<double> y = RunModule(module, x);
    double in = 0.0, out = 0.0;
    for (std::size_t i = 200; i + 200 < x.size(); ++i) {
        in += x[i] * x[i];
        out += y[i] * y[i];
    }
    return std::sqrt(out / in);
}

TEST(FilterModules, DisplayNamesAndRegisteredClassNames) {
    struct Expect {
        const char* className;
        const char* name;
    };
    for (const Expect& e :
         {Expect{"CDFilBase", "デジタルフィルタ"}, Expect{"CLPFilter", "低域通過フィルタ"},
          Expect{"CHPFilter", "高域通過フィルタ"}, Expect{"CBPFilter", "帯域通過フィルタ"},
          Expect{"CBSFilter", "帯域阻止フィルタ"}, Expect{"CDiodeFilter", "整流器"},
          Expect{"CSmothFilter", "移動平均"}, Expect{"CReSmplFilter", "間引き"},
          Expect{"CDiffFilter", "微分器"}}) {
        std::unique_ptr<CModBase> m = CreateModule(e.className);
        ASSERT_TRUE(m) << e.className;
        EXPECT_STREQ(m->GetClassName(), e.className);
        EXPECT_EQ(m->m_name, e.name);
    }
}

TEST(FilterModules, BaseFilterComputesNothingAndHasNoDialog) {
    CDFilBase base;
    EXPECT_TRUE(RunModule(base, {1.0, 2.0}).empty());
    EXPECT_FALSE(base.m_output);
    EXPECT_EQ(base.EditSettings(), 0);
}

TEST(FilterModules, LowPassDesignsOnceAndReleasesTapsWithTheBuffers) {
    CLPFilter lp;
    EXPECT_EQ(lp.m_cutoff, 0.3);
    RunModule(lp, Sine(0.1, 100));
    ASSERT_TRUE(lp.m_coefficients);
    double* taps = lp.m_coefficients.get();
    EXPECT_EQ(taps[20], 0.3);
    // A later computation reuses the taps even if the cut-off changed behind the cache.
    lp.m_cutoff = 1.0;
    RunModule(lp, Sine(0.1, 100));
    EXPECT_EQ(lp.m_coefficients.get(), taps);
    EXPECT_EQ(lp.m_coefficients[20], 0.3);
    lp.ClearBuffers();
    EXPECT_FALSE(lp.m_coefficients);
    std::vector<double> x = {1.0, -2.0, 3.0};
    std::vector<double> y = RunModule(lp, x);
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(y[i], x[i], 1e-15);
}

TEST(FilterModules, LowAndHighPassResponses) {
    CLPFilter lp;
    EXPECT_LT(Gain(lp, 0.8), 0.01);
    EXPECT_NEAR(Gain(lp, 0.05), 1.0, 0.01);
    CHPFilter hp;
    EXPECT_LT(Gain(hp, 0.05), 0.01);
    EXPECT_NEAR(Gain(hp, 0.8), 1.0, 0.01);
    ASSERT_TRUE(hp.m_coefficients);
    EXPECT_NEAR(hp.m_coefficients[20], 0.7, 1e-15);
    EXPECT_NEAR(hp.m_coefficients[19], -0.256060, 1e-6);
}

TEST(FilterModules, HighPassAtOrAboveNyquistOutputsZeros) {
    for (double x : {1.0, 1.5}) {
        CHPFilter hp;
        hp.m_cutoff = x;
        for (double v : RunModule(hp, {1.0, 5.0, -3.0, 2.0}))
            EXPECT_EQ(v, 0.0);
    }
}

TEST(FilterModules, ShortInputAndNoInput) {
    CLPFilter lp;
    std::vector<double> y = RunModule(lp, {2.0});
    ASSERT_EQ(y.size(), 1u);
    EXPECT_EQ(y[0], 0.6);  // only the centre tap sees data
    CLPFilter empty;
    EXPECT_EQ(empty.Compute(), -1);
    EXPECT_TRUE(RunModule(empty, {}).empty());
    EXPECT_FALSE(empty.m_output);
}

TEST(FilterModules, BandPassIsTwoCentredStagesCutToTheInputLength) {
    CBPFilter bp;
    EXPECT_EQ(bp.m_cutoffHigh, 0.6);
    std::vector<double> x = Sine(0.45, 300);
    std::vector<double> y = RunModule(bp, x);
    ASSERT_EQ(y.size(), x.size());

    // Reference: the high-pass at 0.3, then the low-pass at 0.6 over that result.
    std::array<double, 41> hp{}, lp{};
    kernels::DesignLowPass(hp, 0.7);
    kernels::MirrorToHighPass(hp);
    kernels::DesignLowPass(lp, 0.6);
    std::vector<double> stage(x.size()), expected(x.size());
    kernels::ConvolveCentredPlain(x, hp, stage);
    kernels::ConvolveCentredPlain(stage, lp, expected);
    EXPECT_EQ(y, expected);
    // Both tap sets are kept; the input is restored.
    EXPECT_TRUE(bp.m_coefficients && bp.m_coefficientsHigh);
    EXPECT_EQ(bp.m_coefficients[20], hp[20]);
    EXPECT_EQ(bp.m_coefficientsHigh[20], 0.6);
    ASSERT_TRUE(bp.m_input);
    EXPECT_EQ(bp.m_inputCount, 300);
    EXPECT_EQ(bp.m_input[7], x[7]);
}

TEST(FilterModules, BandPassAndBandStopBands) {
    CBPFilter bp;  // 0.3 ... 0.6
    EXPECT_NEAR(Gain(bp, 0.45), 1.0, 0.03);
    EXPECT_LT(Gain(bp, 0.05), 0.01);
    EXPECT_LT(Gain(bp, 0.9), 0.01);

    CBSFilter bs;
    EXPECT_LT(Gain(bs, 0.45), 0.03);
    EXPECT_NEAR(Gain(bs, 0.05), 1.0, 0.01);
    EXPECT_NEAR(Gain(bs, 0.9), 1.0, 0.01);
    // Only the summed tap set remains.
    EXPECT_TRUE(bs.m_coefficients);
    EXPECT_FALSE(bs.m_coefficientsHigh);
}

TEST(FilterModules, CrossedBandEdges) {
    CBPFilter bp;
    bp.m_cutoff = 0.7;
    bp.m_cutoffHigh = 0.2;
    for (double f : {0.1, 0.45, 0.85})
        EXPECT_LT(Gain(bp, f), 0.01) << f;

    CBSFilter bs;
    bs.m_cutoff = 0.7;
    bs.m_cutoffHigh = 0.2;
    EXPECT_NEAR(Gain(bs, 0.45), 2.0, 0.03);
}

TEST(FilterModules, BandStopWithEqualEdgesPassesTheInput) {
    CBSFilter bs;
    bs.m_cutoff = 0.4;
    bs.m_cutoffHigh = 0.4;
    std::vector<double> x = {1.0, -3.0, 2.5, 7.0, 0.0, -1.25};
    std::vector<double> y = RunModule(bs, x);
    ASSERT_TRUE(bs.m_coefficients);
    EXPECT_NEAR(bs.m_coefficients[20], 1.0, 1e-15);
    for (int i = 0; i < 41; ++i) {
        if (i == 20) continue;
        EXPECT_LT(std::fabs(bs.m_coefficients[i]), 1e-16);
    }
    for (std::size_t i = 0; i < x.size(); ++i)
        EXPECT_NEAR(y[i], x[i], 1e-14);
}

TEST(FilterModules, BandFiltersReleaseBothTapSets) {
    CBPFilter bp;
    RunModule(bp, {1.0, 2.0});
    bp.ClearBuffers();
    EXPECT_FALSE(bp.m_coefficients);
    EXPECT_FALSE(bp.m_coefficientsHigh);
    RunModule(bp, {1.0, 2.0});
    bp.ReleaseCoefficients();
    EXPECT_FALSE(bp.m_coefficients || bp.m_coefficientsHigh);
}

TEST(FilterModules, RectifierFourModes) {
    const std::vector<double> x = {-2.0, 0.0, 3.0, -0.5};
    struct Mode {
        int positive, halfWave;
        std::vector<double> expected;
    };
    for (const Mode& m : {Mode{1, 0, {2.0, 0.0, 3.0, 0.5}}, Mode{0, 0, {-2.0, -0.0, -3.0, -0.5}},
                          Mode{1, 1, {0.0, 0.0, 3.0, 0.0}}, Mode{0, 1, {-2.0, 0.0, 0.0, -0.5}},
                          // Stored flags count as set when nonzero.
                          Mode{-7, 2, {0.0, 0.0, 3.0, 0.0}}}) {
        CDiodeFilter d;
        d.m_positive = m.positive;
        d.m_halfWave = m.halfWave;
        EXPECT_EQ(RunModule(d, x), m.expected) << m.positive << "," << m.halfWave;
    }
    CDiodeFilter d;
    EXPECT_EQ(d.m_positive, 1);
    EXPECT_EQ(d.m_halfWave, 1);
    EXPECT_TRUE(RunModule(d, {}).empty());
    EXPECT_EQ(d.Compute(), -1);
}

TEST(FilterModules, MovingAverageModule) {
    CSmothFilter s;
    EXPECT_EQ(s.m_points, 5);
    EXPECT_EQ(RunModule(s, {6.0}), (std::vector<double>{1.0}));
    s.m_points = 3;
    EXPECT_EQ(RunModule(s, std::vector<double>(7, 1.0)),
              (std::vector<double>{0.5, 0.75, 0.75, 0.75, 0.75, 0.75, 0.5}));
    s.m_points = 1;
    EXPECT_EQ(RunModule(s, {1.5, -2.0}), (std::vector<double>{1.5, -2.0}));
    EXPECT_TRUE(RunModule(s, {}).empty());
}

TEST(FilterModules, DecimationOutputRateAndMarker) {
    CReSmplFilter r;
    EXPECT_EQ(r.m_step, 5);
    r.m_step = 3;
    EXPECT_EQ(RunModule(r, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}), (std::vector<double>{0, 3, 6}));
    EXPECT_EQ(r.GetSamplingRate(), 666);

    r.m_step = 5;
    RunModule(r, {1, 2, 3, 4});
    ASSERT_TRUE(r.m_output);  // an output of zero samples is an output
    EXPECT_EQ(r.m_outputCount, 0);
    EXPECT_EQ(r.GetSamplingRate(), 400);
    r.m_markerIndex = 12;
    EXPECT_EQ(r.GetMarkerIndex(), 2);
    r.m_markerIndex = -1;
    EXPECT_EQ(r.GetMarkerIndex(), -1);
    r.m_markerIndex = 0;
    EXPECT_EQ(r.GetMarkerIndex(), 0);

    r.m_step = 1;
    EXPECT_EQ(RunModule(r, {4, 5}), (std::vector<double>{4, 5}));
    EXPECT_EQ(r.GetSamplingRate(), 2000);
}

TEST(FilterModules, DifferentiatorExamples) {
    CDiffFilter d;
    EXPECT_EQ(RunModule(d, std::vector<double>(4, 1.5)), (std::vector<double>{3.0, 0, 0, 0}));
    EXPECT_EQ(RunModule(d, {0, 1, 2, 3}), (std::vector<double>{0, 2, 2, 2}));
    EXPECT_EQ(RunModule(d, {4.0}, 500), (std::vector<double>{2.0}));
    EXPECT_TRUE(RunModule(d, {}).empty());
    EXPECT_EQ(d.GetTimeExponent(), -1);
}

// ---- in a chain ------------------------------------------------------------------------------

class FilterChain : public ::testing::Test {
  protected:
    void SetUp() override {
        doc.OnNewDocument();
        doc.m_columns[0] = {1.0, 2.0, 4.0, 8.0};
        doc.m_rowCount = 4;
        head = doc.Head(0);
    }
    template <class T>
    T* Append() {
        T* m = new T;
        CModBase::AppendModule(head, m);
        return m;
    }

    CKaisekiDoc doc;
    CHeadFilter* head = nullptr;
};

TEST_F(FilterChain, TwoDifferentiatorsDivideTheUnitTwiceByTheTimeUnit) {
    Append<CDiffFilter>();
    std::vector<double> values, times;
    std::string label;
    head->ChainGetData(&values, &label, &times);
    EXPECT_EQ(label, "[mV]/[ms]");
    EXPECT_EQ(values, (std::vector<double>{2, 2, 4, 8}));

    Append<CDiffFilter>();
    values.clear();
    times.clear();
    label.clear();
    head->ChainGetData(&values, &label, &times);
    EXPECT_EQ(label, "[mV]/[ms]^2");
    EXPECT_EQ(values, (std::vector<double>{4, 0, 4, 8}));
}

TEST_F(FilterChain, DecimationHandsOnTheLoweredRateAndAnEmptyOutput) {
    auto* r = Append<CReSmplFilter>();  // 4 samples by 5: empty
    auto* lp = Append<CLPFilter>();
    std::vector<double> values, times;
    std::string label;
    head->ChainGetData(&values, &label, &times);
    EXPECT_EQ(r->m_outputCount, 0);
    EXPECT_EQ(lp->m_samplingRate, 400);
    EXPECT_EQ(label, "[mV]");
    EXPECT_TRUE(values.empty());
    EXPECT_TRUE(times.empty());
    RecordingSurface surface;
    double max = -1;
    max = head->ChainMeasure();
    EXPECT_EQ(max, 0.0);
    head->ChainDraw(&surface, {0, 0, 300, 100}, DisplayOf(*head), nullptr);
}

TEST_F(FilterChain, DecimatedSampleTimes) {
    doc.m_columns[0] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    doc.m_rowCount = 10;
    Append<CReSmplFilter>()->m_step = 3;
    std::vector<double> values, times;
    head->ChainGetData(&values, nullptr, &times);
    EXPECT_EQ(values, (std::vector<double>{0, 3, 6}));
    ASSERT_EQ(times.size(), 3u);
    EXPECT_EQ(times[1], 1000.0 / 666);
}

TEST_F(FilterChain, FilterAfterDecimationSeesTheLoweredRate) {
    Append<CReSmplFilter>();
    auto* d = Append<CDiffFilter>();
    doc.m_columns[0] = std::vector<double>(20, 1.0);
    doc.m_rowCount = 20;
    std::vector<double> values, times;
    head->ChainGetData(&values, nullptr, &times);
    EXPECT_EQ(d->m_samplingRate, 400);
    EXPECT_EQ(values, (std::vector<double>{0.4, 0, 0, 0}));
}

}  // namespace
}  // namespace tavrel
