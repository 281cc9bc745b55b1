#include "modules/analysis/ClipFilter.h"

#include <gtest/gtest.h>

#include "core/modules/analysis/ModuleFeed.h"
#include "document/KaisekiDoc.h"
#include "modules/analysis/IntFilter.h"
#include "support/ScriptedHost.h"

namespace tavrel {
namespace {

using test::Feed;
using test::Output;

TEST(ClipFilter, PlainModeZeroesOutsideTheRange) {
    CClipFilter f;
    f.m_startMs = 100;
    f.m_endMs = 200;
    std::vector<double> x = test::Ramp(1000);
    Feed(f, x, 2000);
    ASSERT_EQ(f.Compute(), 1000);
    std::vector<double> y = Output(f);
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(y[i], i >= 200 && i < 400 ? x[i] : 0.0) << i;
}

TEST(ClipFilter, CutModeKeepsTheRangeAloneAndShiftsTheMarker) {
    CClipFilter f;
    f.m_startMs = 100;
    f.m_endMs = 200;
    f.m_cut = 1;
    std::vector<double> x = test::Ramp(1000);
    Feed(f, x, 2000);
    ASSERT_EQ(f.Compute(), 200);
    std::vector<double> y = Output(f);
    ASSERT_EQ(y.size(), 200u);
    EXPECT_EQ(y.front(), x[200]);
    EXPECT_EQ(y.back(), x[399]);

    f.m_markerIndex = 250;
    EXPECT_EQ(f.GetMarkerIndex(), 50);
    f.m_markerIndex = 150;
    EXPECT_EQ(f.GetMarkerIndex(), -1);
    f.m_markerIndex = -1;
    EXPECT_EQ(f.GetMarkerIndex(), -1);
}

TEST(ClipFilter, OnlyTheStoredValueOneSelectsCutMode) {
    // Any other stored flag is plain mode, both for the output and for the marker.
    CClipFilter f;
    f.m_startMs = 100;
    f.m_endMs = 200;
    f.m_cut = 2;
    f.m_markerIndex = 250;
    Feed(f, test::Ramp(1000), 2000);
    EXPECT_EQ(f.Compute(), 1000);
    EXPECT_EQ(f.GetMarkerIndex(), 250);

    test::ScriptedHost host;
    host.dialogScript = [](ModuleDialog& d) {
        EXPECT_EQ(d.Check(CClipDlg::kCut), 0);
        return false;
    };
    f.EditSettings();
    // Plain mode highlights while the dialog is open; the highlight is gone afterwards.
    EXPECT_EQ(f.m_rangeStart, -1);
}

TEST(ClipFilter, EmptyCutHasNoOutput) {
    CClipFilter f;
    f.m_startMs = 100;
    f.m_endMs = 100;
    f.m_cut = 1;
    Feed(f, test::Ramp(1000), 2000);
    EXPECT_EQ(f.Compute(), 0);
    EXPECT_FALSE(f.m_output);
    EXPECT_EQ(f.m_outputCount, 0);

    // A start beyond the input is lowered to its duration; in cut mode nothing is left.
    CClipFilter late;
    late.m_startMs = 700;
    late.m_cut = 1;
    Feed(late, test::Ramp(1000), 2000);
    EXPECT_EQ(late.Compute(), 0);
    EXPECT_FALSE(late.m_output);
    EXPECT_EQ(late.m_startMs, 500);
    EXPECT_EQ(late.m_endMs, 500);
}

TEST(ClipFilter, EmptyCutAtTheChainEndDeliversItsLabelAndNoValues) {
    CKaisekiDoc doc;
    doc.OnNewDocument();
    doc.m_columns[0] = test::Ramp(10);
    doc.m_rowCount = 10;
    auto* clip = new CClipFilter;
    clip->m_cut = 1;
    clip->m_startMs = 2;
    clip->m_endMs = 2;
    CModBase::AppendModule(doc.Head(0), clip);
    std::vector<double> values;
    std::vector<double> times;
    std::string label;
    doc.Head(0)->ChainGetData(&values, &label, &times);
    EXPECT_EQ(label, "[mV]");
    EXPECT_TRUE(values.empty());
    EXPECT_TRUE(times.empty());
    double max = -1.0;
    max = doc.Head(0)->ChainMeasure();
    EXPECT_EQ(max, 0.0);
}

TEST(ClipFilter, NothingIsHandedDownAfterAnEmptyCut) {
    // A module after an empty cut receives nothing, so the chain end delivers no label and no
    // values, and measures nothing.
    CKaisekiDoc doc;
    doc.OnNewDocument();
    doc.m_columns[0] = test::Ramp(10);
    doc.m_rowCount = 10;
    auto* clip = new CClipFilter;
    clip->m_cut = 1;
    clip->m_startMs = 3;
    clip->m_endMs = 3;
    auto* integrator = new CIntFilter;
    CModBase::AppendModule(doc.Head(0), clip);
    CModBase::AppendModule(doc.Head(0), integrator);
    std::vector<double> values{-1.0};
    std::vector<double> times;
    std::string label;
    doc.Head(0)->ChainGetData(&values, &label, &times);
    EXPECT_EQ(label, "");
    EXPECT_EQ(values, (std::vector<double>{-1.0}));
    EXPECT_TRUE(times.empty());
    EXPECT_FALSE(integrator->m_output);
    // Nothing to measure.
    EXPECT_EQ(doc.Head(0)->ChainMeasure(), 0.0);
}

TEST(ClipFilter, CutMarkerTravelsDownTheChainShifted) {
    CKaisekiDoc doc;
    doc.OnNewDocument();
    doc.m_columns[0] = test::Ramp(1000);
    doc.m_rowCount = 1000;
    doc.Head(0)->m_markerIndex = 250;
    auto* clip = new CClipFilter;
    clip->m_cut = 1;
    clip->m_startMs = 100;
    clip->m_endMs = 200;
    auto* after = new CModBase;
    CModBase::AppendModule(doc.Head(0), clip);
    CModBase::AppendModule(doc.Head(0), after);
    std::vector<double> values;
    std::vector<double> times;
    doc.Head(0)->ChainGetData(&values, nullptr, &times);
    ASSERT_EQ(values.size(), 200u);
    EXPECT_EQ(values[0], 201.0);
    EXPECT_EQ(times[1], 0.5);
    EXPECT_EQ(after->m_markerIndex, 50);
}

TEST(ClipFilter, DefaultsAndRoundedDownDuration) {
    CClipFilter f;
    std::vector<double> x = test::Ramp(1000);
    Feed(f, x, 2000);
    f.Compute();
    EXPECT_EQ(f.m_endMs, 500);
    EXPECT_EQ(Output(f), x);

    // 4 samples at 3000 Hz last 1 ms (samples 0 to 2): the last sample is set to 0.0.
    CClipFilter g;
    Feed(g, {1.0, 2.0, 3.0, 4.0}, 3000);
    g.Compute();
    EXPECT_EQ(Output(g), (std::vector<double>{1.0, 2.0, 3.0, 0.0}));
}

TEST(ClipFilter, HostileStoredValuesStayInsideTheInput) {
    for (int rate : {0, -1000, 2147483647}) {
        CClipFilter f;
        f.m_cut = 1;
        f.m_startMs = -2147483647 - 1;
        f.m_endMs = 2147483647;
        f.m_markerIndex = 5;
        Feed(f, test::Ramp(20), rate);
        int count = f.Compute();
        EXPECT_GE(count, 0) << rate;
        EXPECT_LE(count, 20) << rate;
        EXPECT_GE(f.GetMarkerIndex(), -1) << rate;
    }
}

// ---- settings dialog ---------------------------------------------------------------------------

class ClipDialogTest : public ::testing::Test {
  protected:
    void SetUp() override { Feed(f, test::Ramp(1000), 2000); }
    test::ScriptedHost host;
    CClipFilter f;
};

TEST_F(ClipDialogTest, OpensWithTheRangeAndHighlightsInPlainModeOnly) {
    f.m_startMs = 100;
    f.m_endMs = 200;
    host.dialogScript = [&](ModuleDialog& d) {
        EXPECT_EQ(d.TemplateId(), 117);
        EXPECT_EQ(d.Title(), "クリップ設定");
        EXPECT_EQ(d.Text(1000), "100");
        EXPECT_EQ(d.Text(1002), "200");
        EXPECT_EQ(d.Text(1038), "0");
        EXPECT_EQ(d.Text(1039), "500");
        EXPECT_EQ(d.Check(CClipDlg::kCut), 0);
        EXPECT_EQ(f.m_rangeStart, 200);
        EXPECT_EQ(f.m_rangeEnd, 400);
        return false;
    };
    f.EditSettings();

    f.m_cut = 1;
    host.dialogScript = [&](ModuleDialog& d) {
        EXPECT_EQ(d.Check(CClipDlg::kCut), 1);
        EXPECT_EQ(f.m_rangeStart, -1);
        EXPECT_EQ(f.m_rangeEnd, -1);
        return false;
    };
    f.EditSettings();
}

TEST_F(ClipDialogTest, ApplyAndOkStoreRangeAndMode) {
    host.dialogScript = [&](ModuleDialog& d) {
        d.SetText(1000, "10");
        d.SetText(1002, "20");
        d.SetCheck(CClipDlg::kCut, 1);
        EXPECT_TRUE(d.Apply().ok);
        EXPECT_EQ(f.m_startMs, 10);
        EXPECT_EQ(f.m_endMs, 20);
        EXPECT_EQ(f.m_cut, 1);
        EXPECT_EQ(f.m_rangeStart, -1);  // cut mode: nothing highlighted

        d.SetCheck(CClipDlg::kCut, 0);
        EXPECT_TRUE(d.Apply().ok);
        EXPECT_EQ(f.m_cut, 0);
        EXPECT_EQ(f.m_rangeStart, 20);
        EXPECT_EQ(f.m_rangeEnd, 40);

        d.SetText(1002, "501");
        DialogCheck c = d.Apply();
        EXPECT_EQ(c.control, 1002);
        EXPECT_EQ(c.message, IntRangeMessage(10, 500));
        d.SetText(1002, "30");
        d.SetCheck(CClipDlg::kCut, 1);
        return test::PressOk(d);
    };
    EXPECT_EQ(f.EditSettings(), 1);
    EXPECT_EQ(f.m_endMs, 30);
    EXPECT_EQ(f.m_cut, 1);
    EXPECT_EQ(f.m_rangeStart, -1);
    EXPECT_EQ(f.m_rangeEnd, -1);
}

TEST_F(ClipDialogTest, DamagedNegativeRangeOpensUnsignedAndTakesACorrectedEntry) {
    f.m_startMs = -5;
    f.m_endMs = -3;
    host.dialogScript = [&](ModuleDialog& d) {
        EXPECT_EQ(d.Text(1000), "4294967291");
        EXPECT_EQ(d.Text(1002), "4294967293");
        d.SetText(1000, "100");
        d.SetText(1002, "200");
        EXPECT_TRUE(d.Apply().ok);
        return test::PressOk(d);
    };
    EXPECT_EQ(f.EditSettings(), 1);
    EXPECT_EQ(f.m_startMs, 100);
    EXPECT_EQ(f.m_endMs, 200);
}

TEST_F(ClipDialogTest, RangeDraggedInThePreviewFillsMilliseconds) {
    host.dialogScript = [&](ModuleDialog& d) {
        d.OnRangeSelected(200, 400);
        EXPECT_EQ(d.Text(1000), "100");
        EXPECT_EQ(d.Text(1002), "200");
        return false;
    };
    f.EditSettings();
}

}  // namespace
}  // namespace tavrel
