// The two activity detectors: amplitude (CAActDetFilter) and standard deviation (CSDActDetFilter).
#include <gtest/gtest.h>

#include <random>

#include "core/modules/analysis/ModuleFeed.h"
#include "modules/analysis/AActDetFilter.h"
#include "modules/analysis/SDActDetFilter.h"
#include "support/ScriptedHost.h"

namespace tavrel {
namespace {

using test::Feed;
using test::Output;

// ---- amplitude detection -----------------------------------------------------------------------

int AmplitudeMarker(const std::vector<double>& x, int rate, int percent, int durationMs,
                    int markerBefore = -1) {
    CAActDetFilter f;
    f.m_thresholdPercent = percent;
    f.m_minDurationMs = durationMs;
    f.m_markerIndex = markerBefore;
    Feed(f, x, rate);
    EXPECT_EQ(f.Compute(), static_cast<int>(x.size()));
    EXPECT_EQ(Output(f), x);
    return f.m_markerIndex;
}

TEST(AActDetFilter, SineMarksItsFirstCrest) {
    std::vector<double> sine = test::Sine(400, 50.0, 2000);
    EXPECT_EQ(AmplitudeMarker(sine, 2000, 10, 20), 10);
    std::vector<double> delayed(500, 0.0);
    delayed.insert(delayed.end(), sine.begin(), sine.end());
    EXPECT_EQ(AmplitudeMarker(delayed, 2000, 10, 20), 510);
    // The crest is marked only once the scan has gone D = 40 samples past it.
    std::vector<double> shortSine(sine.begin(), sine.begin() + 50);
    EXPECT_EQ(AmplitudeMarker(shortSine, 2000, 10, 20), -1);
    shortSine.push_back(sine[50]);
    EXPECT_EQ(AmplitudeMarker(shortSine, 2000, 10, 20), 10);
}

TEST(AActDetFilter, WithoutAnOnsetTheMarkerKeepsItsValue) {
    // All zero: threshold 0, but a flat signal has no extremum.
    EXPECT_EQ(AmplitudeMarker(std::vector<double>(300, 0.0), 2000, 10, 20, 7), 7);
    // Steadily rising: only the virtual trough before sample 0.
    EXPECT_EQ(AmplitudeMarker(test::Ramp(300), 2000, 10, 20, 7), 7);
}

TEST(AActDetFilter, SmallCrestRestartsTheCount) {
    // T = 0.1 (10 % of 1), D = 5 samples at 1000 Hz and 5 ms.
    std::vector<double> x = {0, 1, 0, -1, 0, 0.05, 0, 1, 0, -1, 0, 1, 0, -1, 0, 1, 0, -1};
    EXPECT_EQ(AmplitudeMarker(x, 1000, 10, 5), 7);
    x[5] = 1.0;  // the same burst without the small swing
    EXPECT_EQ(AmplitudeMarker(x, 1000, 10, 5), 1);
}

TEST(AActDetFilter, DurationRoundingToZeroMarksTheFirstLargeExtremum) {
    // t = 1 ms at 400 Hz: D = (int)(0.4 + 0.5) = 0.
    EXPECT_EQ(AmplitudeMarker({0, 0.2, 1.0, 0.5, 0.0}, 400, 50, 1), 2);
}

TEST(AActDetFilter, HostileStoredValuesNeitherOverflowNorHang) {
    std::vector<double> sine = test::Sine(200, 50.0, 2000);
    EXPECT_EQ(AmplitudeMarker(sine, 2147483647, 10, 2147483647), -1);
    EXPECT_EQ(AmplitudeMarker(sine, -2147483647 - 1, 10, 2147483647), 10);
    CAActDetFilter f;
    EXPECT_EQ(f.Compute(), -1);
}

TEST(AActDetFilter, DialogAppliesBothValuesAndResetsTheMarker) {
    test::ScriptedHost host;
    CAActDetFilter f;
    f.m_markerIndex = 33;
    host.dialogScript = [&](ModuleDialog& d) {
        EXPECT_EQ(d.TemplateId(), 114);
        EXPECT_EQ(d.Title(), "自動活動抽出設定");
        EXPECT_EQ(d.Text(1000), "10");
        EXPECT_EQ(d.Text(1002), "20");
        d.SetText(1000, "0");
        DialogCheck c = d.Apply();
        EXPECT_EQ(c.control, 1000);
        EXPECT_EQ(c.message, IntRangeMessage(1, 100));
        EXPECT_EQ(f.m_markerIndex, 33);
        d.SetText(1000, "25");
        d.SetText(1002, "101");
        EXPECT_EQ(d.Apply().control, 1002);
        d.SetText(1002, "5");
        EXPECT_TRUE(d.Apply().ok);
        EXPECT_EQ(f.m_thresholdPercent, 25);
        EXPECT_EQ(f.m_minDurationMs, 5);
        EXPECT_EQ(f.m_markerIndex, -1);
        d.SetText(1000, "30");
        return test::PressOk(d);
    };
    EXPECT_EQ(f.EditSettings(), 1);
    EXPECT_EQ(f.m_thresholdPercent, 30);

    host.dialogScript = [](ModuleDialog& d) {
        d.SetText(1000, "99");
        return false;
    };
    EXPECT_EQ(f.EditSettings(), 0);
    EXPECT_EQ(f.m_thresholdPercent, 30);
}

// ---- SD detection ------------------------------------------------------------------------------

TEST(SDActDetFilter, StepAfterSilenceIsMarkedAWindowBeforeIt) {
    std::vector<double> x(2000, 0.0);
    for (int i = 1000; i < 2000; ++i)
        x[i] = 1.0;
    CSDActDetFilter f;
    Feed(f, x, 2000);
    ASSERT_EQ(f.Compute(), 2000);
    EXPECT_EQ(f.m_markerIndex, 960);
    EXPECT_EQ(Output(f), x);
}

TEST(SDActDetFilter, ThresholdIsKTimesThePopulationSdOfTheReference) {
    const std::vector<double> x = {1.0, 3.0, 1.0, 3.0, 100.0};
    EXPECT_DOUBLE_EQ(ReferenceThreshold(x.data(), 5, 0, 4, 2.0), 2.0);
    // The stretch is clipped to the samples that exist.
    EXPECT_DOUBLE_EQ(ReferenceThreshold(x.data(), 4, -3, 9, 2.0), 2.0);
    // An empty stretch, or one of equal samples, gives 0.
    EXPECT_EQ(ReferenceThreshold(x.data(), 5, 3, 3, 2.0), 0.0);
    EXPECT_EQ(ReferenceThreshold(x.data(), 5, 7, 9, 2.0), 0.0);
    EXPECT_EQ(ReferenceThreshold(x.data(), 5, 4, 5, 2.0), 0.0);
}

TEST(SDActDetFilter, ReferenceStretchDecidesTheThreshold) {
    // Noise of SD about 1 throughout, a burst of SD about 10 from sample 1200 on. With the
    // reference on the noise and k = 3 the burst is found; with k = 20 nothing is.
    std::mt19937 gen(7);
    std::normal_distribution<double> noise(0.0, 1.0);
    std::vector<double> x(2000);
    for (int i = 0; i < 2000; ++i)
        x[i] = noise(gen) * (i >= 1200 ? 10.0 : 1.0);
    CSDActDetFilter f;
    f.m_sdFactor = 3.0;
    f.m_markerIndex = 5;
    Feed(f, x, 2000);
    f.Compute();
    EXPECT_GT(f.m_markerIndex, 1120);
    EXPECT_LT(f.m_markerIndex, 1200);

    CSDActDetFilter quiet;
    quiet.m_sdFactor = 20.0;
    quiet.m_markerIndex = 5;
    Feed(quiet, x, 2000);
    quiet.Compute();
    EXPECT_EQ(quiet.m_markerIndex, 5);
}

TEST(SDActDetFilter, HitOnTheFirstWindowLeavesTheMarker) {
    // Busy from the start, with a silent reference stretch later on (T = 0).
    std::vector<double> x(400, 0.0);
    for (int i = 0; i < 100; ++i)
        x[i] = i % 2 ? 1.0 : -1.0;
    CSDActDetFilter f;
    f.m_refStartMs = 150;
    f.m_refLengthMs = 20;
    f.m_markerIndex = 12;
    Feed(f, x, 2000);
    f.Compute();
    EXPECT_EQ(f.m_markerIndex, 12);
    // After one silent window the burst is caught by the second window, marking sample 0.
    x.insert(x.begin(), 40, 0.0);
    Feed(f, x, 2000);
    f.Compute();
    EXPECT_EQ(f.m_markerIndex, 0);
}

TEST(SDActDetFilter, ReferenceBeyondTheInputIsPulledBackAndKept) {
    // 300 samples at 2000 Hz last 150 ms.
    CSDActDetFilter f;
    f.m_refStartMs = 200;
    Feed(f, test::Ramp(300), 2000);
    f.Compute();
    EXPECT_EQ(f.m_refStartMs, 149);
    EXPECT_EQ(f.m_refLengthMs, 1);
}

TEST(SDActDetFilter, WindowOfNoSamplesAndHostileValuesStayInsideTheData) {
    // t = 1 ms at 400 Hz: W = 0, which never reads past the data and never triggers.
    CSDActDetFilter f;
    f.m_windowMs = 1;
    f.m_markerIndex = 3;
    Feed(f, {0.0, 5.0, -5.0, 5.0}, 400);
    EXPECT_EQ(f.Compute(), 4);
    EXPECT_EQ(f.m_markerIndex, 3);

    // 3 samples at 2000 Hz: the rounded reference reaches past the input and is clipped.
    CSDActDetFilter tiny;
    Feed(tiny, {1.0, 2.0, 3.0}, 2000);
    EXPECT_EQ(tiny.Compute(), 3);

    for (int rate : {0, -2000, 2147483647}) {
        CSDActDetFilter g;
        g.m_refStartMs = -2147483647 - 1;
        g.m_refLengthMs = 2147483647;
        g.m_windowMs = 2147483647;
        Feed(g, test::Ramp(100), rate);
        EXPECT_EQ(g.Compute(), 100) << rate;
    }
    CSDActDetFilter none;
    EXPECT_EQ(none.Compute(), -1);
}

class SDDialogTest : public ::testing::Test {
  protected:
    void SetUp() override { Feed(f, test::Ramp(2000), 2000); }  // 1000 ms
    test::ScriptedHost host;
    CSDActDetFilter f;
};

TEST_F(SDDialogTest, OpensWithTheReferenceHighlightedAndOkStoresAllFour) {
    f.m_refStartMs = 50;
    f.m_sdFactor = 2.5;
    host.dialogScript = [&](ModuleDialog& d) {
        EXPECT_EQ(d.TemplateId(), 116);
        EXPECT_EQ(d.Title(), "SD活動抽出設定");
        EXPECT_EQ(d.Text(1038), "50");
        EXPECT_EQ(d.Text(1039), "100");
        EXPECT_EQ(d.Text(1040), "0");
        EXPECT_EQ(d.Text(1041), "1000");
        EXPECT_EQ(d.Text(1000), "2.5");
        EXPECT_EQ(d.Text(1002), "20");
        EXPECT_EQ(f.m_rangeStart, 100);
        EXPECT_EQ(f.m_rangeEnd, 300);
        d.SetText(1038, "10");
        d.SetText(1039, "30");
        d.SetText(1000, "0.75");
        d.SetText(1002, "40");
        return test::PressOk(d);
    };
    EXPECT_EQ(f.EditSettings(), 1);
    EXPECT_EQ(f.m_refStartMs, 10);
    EXPECT_EQ(f.m_refLengthMs, 30);
    EXPECT_EQ(f.m_sdFactor, 0.75);
    EXPECT_EQ(f.m_windowMs, 40);
    EXPECT_EQ(f.m_rangeStart, -1);
    EXPECT_EQ(f.m_rangeEnd, -1);
}

TEST_F(SDDialogTest, ValidationRangesFollowTheShownLimits) {
    host.dialogScript = [&](ModuleDialog& d) {
        d.SetText(1038, "1000");
        DialogCheck c = d.Apply();
        EXPECT_EQ(c.control, 1038);
        EXPECT_EQ(c.message, IntRangeMessage(0, 999));
        d.SetText(1038, "900");
        d.SetText(1039, "101");
        c = d.Apply();
        EXPECT_EQ(c.control, 1039);
        EXPECT_EQ(c.message, IntRangeMessage(1, 100));
        d.SetText(1039, "100");
        d.SetText(1000, "0.001");
        c = d.Apply();
        EXPECT_EQ(c.control, 1000);
        EXPECT_EQ(c.message, NumberRangeMessage(0.01, 100));
        d.SetText(1000, "3");
        d.SetText(1002, "0");
        EXPECT_EQ(d.Apply().control, 1002);
        EXPECT_EQ(f.m_refStartMs, 0);  // nothing reached the module yet
        return false;
    };
    EXPECT_EQ(f.EditSettings(), 0);
}

TEST_F(SDDialogTest, ApplyStoresHighlightsAndResetsTheMarker) {
    f.m_markerIndex = 77;
    host.dialogScript = [&](ModuleDialog& d) {
        d.SetText(1038, "200");
        d.SetText(1039, "50");
        EXPECT_TRUE(d.Apply().ok);
        EXPECT_EQ(f.m_refStartMs, 200);
        EXPECT_EQ(f.m_refLengthMs, 50);
        EXPECT_EQ(f.m_rangeStart, 400);
        EXPECT_EQ(f.m_rangeEnd, 500);
        EXPECT_EQ(f.m_markerIndex, -1);
        d.OnRangeSelected(200, 400);
        EXPECT_EQ(d.Text(1038), "100");
        EXPECT_EQ(d.Text(1039), "100");
        return false;
    };
    f.EditSettings();
}

TEST_F(SDDialogTest, WithoutInputTheReferenceIsOneMillisecondAtZero) {
    CSDActDetFilter empty;
    empty.m_refStartMs = 40;
    host.dialogScript = [&](ModuleDialog& d) {
        EXPECT_EQ(d.Text(1038), "0");
        EXPECT_EQ(d.Text(1039), "1");
        EXPECT_EQ(d.Text(1041), "1");
        return test::PressOk(d);
    };
    EXPECT_EQ(empty.EditSettings(), 1);
    EXPECT_EQ(empty.m_refStartMs, 0);
    EXPECT_EQ(empty.m_refLengthMs, 1);
}

}  // namespace
}  // namespace tavrel
