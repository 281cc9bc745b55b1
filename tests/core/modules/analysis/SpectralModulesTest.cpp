// The frequency trend and the power spectrum view as modules, and the shading of bursts in a band.
#include <gtest/gtest.h>

#include <cmath>

#include "ModuleFeed.h"
#include "document/BurstTable.h"
#include "modules/analysis/FreqTrendFilter.h"
#include "modules/analysis/SpectralKernels.h"
#include "modules/analysis/WelchViewFilter.h"
#include "pipeline/ModuleRegistry.h"

namespace tavrel {
namespace {

TEST(FreqTrendFilter, OutputsTheTrendInHertzAtTheStepsRate) {
    CFreqTrendFilter trend;
    const std::vector<double> x = test::Sine(4000, 120, 2000);
    test::Feed(trend, x, 2000);
    trend.m_measure = 1;
    trend.m_windowMs = 200;
    trend.m_stepMs = 100;
    ASSERT_EQ(trend.Compute(), 19);  // (4000 - 400) / 200 + 1 windows
    EXPECT_EQ(test::Output(trend),
              spectral::FrequencyTrend(x, 2000, 200, 100, spectral::TrendMeasure::Mean));
    EXPECT_NEAR(test::Output(trend)[0], 120.0, 2.0);
    EXPECT_EQ(trend.GetSamplingRate(), 10);
    EXPECT_EQ(trend.BuildUnitLabel(), "[Hz]");
    // A step whose rate would not be whole takes the next allowed step below it.
    trend.m_stepMs = 300;
    EXPECT_EQ(trend.EffectiveStepMs(), 250);
    EXPECT_EQ(trend.GetSamplingRate(), 4);
    const ModuleClass* c = FindModuleClass(CFreqTrendFilter::kClassName);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->fields.size(), 3u);
    EXPECT_EQ(CreateModule(CWelchViewFilter::kClassName)->m_name, "パワースペクトル");
}

TEST(WelchViewFilter, PassesItsInputOnAndDrawsTheSpectrumInDecibels) {
    CWelchViewFilter view;
    const std::vector<double> x = test::Sine(3000, 250, 1000);
    test::Feed(view, x, 1000);
    view.m_points = 256;
    ASSERT_EQ(view.Compute(), 129);
    const std::vector<double> p = spectral::WelchDensity(x, 1000, 256);
    const std::vector<double> levels = test::Output(view);
    EXPECT_NEAR(levels[64], 10 * std::log10(p[64]), 1e-12);  // the 250 Hz bin
    EXPECT_GT(levels[64], levels[10] + 60);
    view.m_decibel = 0;
    test::Feed(view, x, 1000);
    view.Compute();
    EXPECT_EQ(test::Output(view), p);
    // Export takes the input unchanged.
    test::Feed(view, x, 1000);
    std::vector<double> values, times;
    std::string label;
    view.RecomputeAndGetData(&values, &label, &times);
    EXPECT_EQ(values, x);
    // Fewer than 8 samples: no spectrum.
    test::Feed(view, std::vector<double>(7, 1.0), 1000);
    EXPECT_EQ(view.Compute(), -1);
}

TEST(BurstShading, RectanglesFollowTheGraphsPlacement) {
    BurstShade shade{1000, {{100, 199}, {900, 999}}};
    // A band 870 wide: plot from 70, data from 110, 720 pixels for 1000 samples.
    const Rect band{0, 0, 870, 200};
    const std::vector<Rect> all = BurstShadeRects(band, shade, 1000, 0, 0);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].left, 110 + 72);
    EXPECT_EQ(all[0].right, 110 + 143 + 1);
    EXPECT_EQ(all[1].right, 110 + 719 + 1);
    EXPECT_EQ(all[0].top, 20);
    EXPECT_EQ(all[0].bottom, 180);
    // The magnifier's range shows only the first burst, cut at the range's end.
    const std::vector<Rect> part = BurstShadeRects(band, shade, 1000, 150, 250);
    ASSERT_EQ(part.size(), 1u);
    EXPECT_EQ(part[0].left, 110);
    EXPECT_EQ(part[0].right, 110 + 353 + 1);
    // Another output than the one measured (a spectrum drawn) gets no shading.
    EXPECT_TRUE(BurstShadeRects(band, shade, 513, 0, 0).empty());
}

}  // namespace
}  // namespace tavrel
