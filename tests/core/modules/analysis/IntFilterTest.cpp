#include "modules/analysis/IntFilter.h"

#include <gtest/gtest.h>

#include "core/modules/analysis/ModuleFeed.h"
#include "support/ScriptedHost.h"

namespace tavrel {
namespace {

using test::Feed;
using test::Output;

TEST(IntFilter, DefaultsIntegrateTheWholeInputInValueTimesMs) {
    CIntFilter f;
    Feed(f, test::Ramp(1000), 2000);
    ASSERT_EQ(f.Compute(), 1000);
    // The default range becomes the whole input and stays so.
    EXPECT_EQ(f.m_startMs, 0);
    EXPECT_EQ(f.m_endMs, 500);
    std::vector<double> y = Output(f);
    double sum = 0.0;
    for (int i = 0; i < 1000; ++i) {
        sum += i + 1.0;
        ASSERT_DOUBLE_EQ(y[i], sum * 0.5) << i;
    }
}

TEST(IntFilter, RangeIntegratesOnlyItsSamplesAndZeroesTheRest) {
    CIntFilter f;
    f.m_startMs = 100;
    f.m_endMs = 200;
    std::vector<double> x = test::Ramp(1000);
    Feed(f, x, 2000);
    ASSERT_EQ(f.Compute(), 1000);
    std::vector<double> y = Output(f);
    EXPECT_EQ(y[199], 0.0);
    EXPECT_DOUBLE_EQ(y[200], x[200] * 0.5);
    EXPECT_DOUBLE_EQ(y[201], (x[200] + x[201]) * 0.5);
    double sum = 0.0;
    for (int i = 200; i < 400; ++i)
        sum += x[i];
    EXPECT_DOUBLE_EQ(y[399], sum * 0.5);
    EXPECT_EQ(y[400], 0.0);
    EXPECT_EQ(y[999], 0.0);

    // A stored range with its ends the wrong way round is swapped first.
    CIntFilter swapped;
    swapped.m_startMs = 200;
    swapped.m_endMs = 100;
    Feed(swapped, x, 2000);
    swapped.Compute();
    EXPECT_EQ(swapped.m_startMs, 100);
    EXPECT_EQ(swapped.m_endMs, 200);
    EXPECT_EQ(Output(swapped), y);
}

TEST(IntFilter, EmptyRangeAndRoundedDownDurationLeaveZeros) {
    CIntFilter empty;
    empty.m_startMs = 50;
    empty.m_endMs = 50;
    Feed(empty, test::Ramp(1000), 2000);
    ASSERT_EQ(empty.Compute(), 1000);
    for (double v : Output(empty))
        ASSERT_EQ(v, 0.0);

    // 4 samples at 3000 Hz last 1 ms: samples 0 to 2 are integrated, the last one is left out.
    CIntFilter f;
    Feed(f, {3.0, 6.0, 9.0, 12.0}, 3000);
    ASSERT_EQ(f.Compute(), 4);
    EXPECT_EQ(f.m_endMs, 1);
    std::vector<double> y = Output(f);
    EXPECT_DOUBLE_EQ(y[0], 1.0);
    EXPECT_DOUBLE_EQ(y[1], 3.0);
    EXPECT_DOUBLE_EQ(y[2], 6.0);
    EXPECT_EQ(y[3], 0.0);
}

TEST(IntFilter, NoInputAndHostileStoredValues) {
    CIntFilter f;
    EXPECT_EQ(f.Compute(), -1);
    EXPECT_FALSE(f.m_output);

    // A rate that cannot occur, and ranges at the ends of the int range, give a finite output.
    for (int rate : {0, -2000, 2147483647}) {
        CIntFilter g;
        g.m_startMs = -2147483647 - 1;
        g.m_endMs = 2147483647;
        Feed(g, test::Ramp(50), rate);
        ASSERT_EQ(g.Compute(), 50) << rate;
        for (double v : Output(g))
            ASSERT_TRUE(std::isfinite(v)) << rate;
    }
}

TEST(IntFilter, UnitLabelCarriesOneMorePowerOfTime) {
    CIntFilter f;
    Feed(f, {1.0, 2.0}, 2000);
    f.Compute();
    std::string label;
    f.GetData(nullptr, &label, nullptr);
    EXPECT_EQ(label, "[mV]*[ms]");
    f.m_timeExponent = 1;  // a second integrator downstream of the first
    label.clear();
    f.GetData(nullptr, &label, nullptr);
    EXPECT_EQ(label, "[mV]*[ms]^2");
    f.m_timeExponent = 2147483647;
    EXPECT_EQ(f.GetTimeExponent(), 2147483647);
}

// ---- settings dialog ---------------------------------------------------------------------------

class IntDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Feed(f, test::Ramp(1000), 2000);  // 500 ms
    }
    test::ScriptedHost host;
    CIntFilter f;
};

TEST_F(IntDialogTest, OpensWithTheClampedRangeHighlightedAndOkStoresIt) {
    f.m_startMs = 100;
    f.m_endMs = 900;  // beyond the input: lowered to 500 before the dialog opens
    host.dialogScript = [&](ModuleDialog& d) {
        EXPECT_EQ(d.TemplateId(), 115);
        EXPECT_EQ(d.Title(), "積分範囲設定");
        EXPECT_TRUE(d.HasApply());
        EXPECT_EQ(d.Text(1038), "0");
        EXPECT_EQ(d.Text(1039), "500");
        EXPECT_EQ(d.Text(1000), "100");
        EXPECT_EQ(d.Text(1002), "500");
        EXPECT_EQ(f.m_rangeStart, 200);
        EXPECT_EQ(f.m_rangeEnd, 1000);
        d.SetText(1000, "150");
        d.SetText(1002, "250");
        return test::PressOk(d);
    };
    EXPECT_EQ(f.EditSettings(), 1);
    EXPECT_EQ(f.m_startMs, 150);
    EXPECT_EQ(f.m_endMs, 250);
    EXPECT_EQ(f.m_rangeStart, -1);
    EXPECT_EQ(f.m_rangeEnd, -1);
}

TEST_F(IntDialogTest, CancelKeepsTheRangeAndDropsTheHighlight) {
    f.m_startMs = 10;
    f.m_endMs = 20;
    host.dialogScript = [&](ModuleDialog& d) {
        d.SetText(1000, "0");
        d.SetText(1002, "400");
        return false;
    };
    EXPECT_EQ(f.EditSettings(), 0);
    EXPECT_EQ(f.m_startMs, 10);
    EXPECT_EQ(f.m_endMs, 20);
    EXPECT_EQ(f.m_rangeStart, -1);
}

TEST_F(IntDialogTest, ApplyStoresAndHighlightsAndValidationFollowsTheFieldOrder) {
    f.m_startMs = 100;
    f.m_endMs = 200;
    host.dialogScript = [&](ModuleDialog& d) {
        // The start may go up to the end held before this exchange (200), not to the new end.
        d.SetText(1000, "300");
        d.SetText(1002, "400");
        DialogCheck c = d.Apply();
        EXPECT_FALSE(c.ok);
        EXPECT_EQ(c.control, 1000);
        EXPECT_EQ(c.message, IntRangeMessage(0, 200));
        EXPECT_EQ(f.m_startMs, 100);

        // The end runs from the start just read to the maximum.
        d.SetText(1000, "150");
        d.SetText(1002, "120");
        c = d.Apply();
        EXPECT_EQ(c.control, 1002);
        EXPECT_EQ(c.message, IntRangeMessage(150, 500));

        d.SetText(1002, "180");
        EXPECT_TRUE(d.Apply().ok);
        EXPECT_EQ(f.m_startMs, 150);
        EXPECT_EQ(f.m_endMs, 180);
        EXPECT_EQ(f.m_rangeStart, 300);
        EXPECT_EQ(f.m_rangeEnd, 360);
        return false;
    };
    f.EditSettings();
}

TEST_F(IntDialogTest, DamagedNegativeRangeOpensUnsignedAndTakesACorrectedEntry) {
    // Both ends negative (a damaged document): the fields hold them as unsigned values, and a
    // corrected entry passes Apply and OK.
    f.m_startMs = -5;
    f.m_endMs = -3;
    host.dialogScript = [&](ModuleDialog& d) {
        EXPECT_EQ(d.Text(1000), "4294967291");
        EXPECT_EQ(d.Text(1002), "4294967293");
        d.SetText(1000, "100");
        d.SetText(1002, "200");
        EXPECT_TRUE(d.Apply().ok);
        EXPECT_EQ(f.m_startMs, 100);
        d.SetText(1002, "300");
        return test::PressOk(d);
    };
    EXPECT_EQ(f.EditSettings(), 1);
    EXPECT_EQ(f.m_startMs, 100);
    EXPECT_EQ(f.m_endMs, 300);
}

TEST_F(IntDialogTest, RangeDraggedInThePreviewFillsMilliseconds) {
    host.dialogScript = [&](ModuleDialog& d) {
        d.OnRangeSelected(200, 400);
        EXPECT_EQ(d.Text(1000), "100");
        EXPECT_EQ(d.Text(1002), "200");
        // 3 samples are 1.5 ms, rounded half up.
        d.OnRangeSelected(3, 5);
        EXPECT_EQ(d.Text(1000), "2");
        EXPECT_EQ(d.Text(1002), "3");
        return false;
    };
    f.EditSettings();
    // The values reach the module only with Apply or OK.
    EXPECT_EQ(f.m_startMs, 0);
}

}  // namespace
}  // namespace tavrel
