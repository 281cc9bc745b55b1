// Reading the drawn graph under a pixel, measuring between two cursors, the set-up snapshot that
// undo restores, and the channels shown when empty ones are hidden.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "document/BandLayout.h"
#include "document/CursorMeasure.h"
#include "document/KaisekiDoc.h"
#include "document/SetupSnapshot.h"
#include "modules/filters/ReSmplFilter.h"
#include "modules/filters/SmothFilter.h"
#include "platform/RecordingSurface.h"
#include "support/ScriptedHost.h"

namespace tavrel {
namespace {

class CursorMeasure : public ::testing::Test {
  protected:
    void SetUp() override {
        doc.OnNewDocument();
        // Channel k: the ramp (k + 1) * i over 200 samples at 2000 Hz.
        for (int k = 0; k < CKaisekiDoc::kChannels; ++k) {
            auto& column = doc.m_columns[static_cast<std::size_t>(k)];
            for (int i = 0; i < 200; ++i)
                column.push_back((k + 1) * static_cast<double>(i));
        }
        doc.m_rowCount = 200;
    }
    void Draw(int channel, const SampleRange* range = nullptr) {
        doc.DrawChannel(&surface, band, channel, range);
    }

    test::ScriptedHost host;
    CKaisekiDoc doc;
    RecordingSurface surface;
    const Rect band{0, 0, 770, 160};
};

TEST_F(CursorMeasure, ReadsTheSampleDrawnUnderAPixelAndNothingUndrawn) {
    EXPECT_FALSE(ReadGraphPoint(doc, 1, band, 300).has_value());  // not drawn yet
    Draw(1);
    // The data area runs from x0 = 70 + 40 to 770 - 40: 620 pixels for 200 samples.
    const double p = 620.0 / 200;
    for (int i : {0, 1, 57, 123, 199}) {
        const int x = 110 + static_cast<int>(std::lround(i * p));
        auto point = ReadGraphPoint(doc, 1, band, x);
        ASSERT_TRUE(point.has_value());
        EXPECT_EQ(point->sample, i);
        EXPECT_DOUBLE_EQ(point->value, 2.0 * i);
        EXPECT_DOUBLE_EQ(point->timeMs, i * 0.5);
        EXPECT_EQ(point->unit, "[mV]");
        EXPECT_EQ(TimeToBandX(doc, 1, band, point->timeMs), x);
    }
    EXPECT_EQ(ReadGraphPoint(doc, 1, band, 5)->sample, 0);
    EXPECT_EQ(ReadGraphPoint(doc, 1, band, 769)->sample, 199);
    // A range spreads its samples over the same area.
    const SampleRange range{100, 110};
    Draw(1, &range);
    EXPECT_EQ(ReadGraphPoint(doc, 1, band, 110 + 62 * 3, &range)->sample, 103);
    // Buffers cleared: nothing is computed for a reading.
    doc.Head(1)->ClearBuffers();
    EXPECT_FALSE(ReadGraphPoint(doc, 1, band, 300).has_value());
}

TEST_F(CursorMeasure, TimesFollowTheRateOfTheChainEnd) {
    auto* decimate = new CReSmplFilter;
    decimate->m_step = 2;  // every 2nd sample: 1000 Hz
    decimate->m_doc = &doc;
    CModBase::AppendModule(doc.Head(0), decimate);
    Draw(0);
    auto point = ReadGraphPoint(doc, 0, band, 770 - 40);
    ASSERT_TRUE(point.has_value());
    EXPECT_EQ(point->sample, 99);
    EXPECT_DOUBLE_EQ(point->timeMs, 99.0);
    EXPECT_DOUBLE_EQ(point->value, 198.0);
}

TEST_F(CursorMeasure, StatisticsBetweenCursorsInEitherOrder) {
    Draw(2);                                                 // 3 * i
    auto stats = MeasureBetweenCursors(doc, 2, 10.0, 30.0);  // samples 20 and 60
    ASSERT_TRUE(stats.has_value());
    EXPECT_EQ(stats->sampleA, 20);
    EXPECT_EQ(stats->sampleB, 60);
    EXPECT_DOUBLE_EQ(stats->valueA, 60.0);
    EXPECT_DOUBLE_EQ(stats->valueB, 180.0);
    EXPECT_DOUBLE_EQ(stats->difference, 120.0);
    EXPECT_DOUBLE_EQ(stats->deltaMs, 20.0);
    EXPECT_EQ(stats->count, 41);
    EXPECT_DOUBLE_EQ(stats->mean, 120.0);
    double squares = 0.0;
    for (int i = 20; i <= 60; ++i)
        squares += 9.0 * i * i;
    EXPECT_NEAR(stats->rms, std::sqrt(squares / 41), 1e-9);
    auto reversed = MeasureBetweenCursors(doc, 2, 30.0, 10.0);
    EXPECT_DOUBLE_EQ(reversed->deltaMs, -20.0);
    EXPECT_DOUBLE_EQ(reversed->difference, -120.0);
    EXPECT_DOUBLE_EQ(reversed->mean, stats->mean);
    // Times beyond the record are limited to its samples.
    EXPECT_EQ(MeasureBetweenCursors(doc, 2, -5.0, 1e6)->count, 200);
    EXPECT_FALSE(MeasureBetweenCursors(doc, 3, 0.0, 1.0).has_value());
}

TEST_F(CursorMeasure, SnapshotRestoresTheSetUpAndKeepsTheData) {
    const std::string before = TakeSetupSnapshot(doc);
    doc.SetModifiedFlag(true);
    auto* smooth = new CSmothFilter;
    smooth->m_doc = &doc;
    CModBase::AppendModule(doc.Head(0), smooth);
    doc.m_channelEnabled[3] = 1;
    Draw(0);
    ASSERT_NE(TakeSetupSnapshot(doc), before);

    EXPECT_FALSE(RestoreSetupSnapshot(doc, before).dataSourceChanged);
    EXPECT_EQ(TakeSetupSnapshot(doc), before);
    EXPECT_EQ(doc.m_rowCount, 200);
    EXPECT_DOUBLE_EQ(doc.m_columns[0][199], 199.0);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.Head(0)->m_next, nullptr);
    EXPECT_FALSE(doc.Head(0)->m_output);
    Draw(0);
    EXPECT_DOUBLE_EQ(ReadGraphPoint(doc, 0, band, 730)->value, 199.0);

    doc.m_dataFilePath = "other.csv";
    EXPECT_TRUE(RestoreSetupSnapshot(doc, before).dataSourceChanged);
    EXPECT_EQ(doc.m_dataFilePath, "");
    EXPECT_ANY_THROW(RestoreSetupSnapshot(doc, "not a document"));
    EXPECT_EQ(doc.m_rowCount, 200);
    EXPECT_EQ(doc.m_chains.size(), 16u);
}

TEST_F(CursorMeasure, HiddenEmptyChannelsLeaveTheOthersInOrder) {
    for (int k = 1; k < CKaisekiDoc::kChannels; k += 2)
        doc.m_channelSource[static_cast<std::size_t>(k)] = CKaisekiDoc::kNoSource;
    EXPECT_EQ(ShownChannels(doc, false).size(), 16u);
    EXPECT_EQ(ShownChannels(doc, true), (std::vector<int>{0, 2, 4, 6, 8, 10, 12, 14}));
    doc.m_rowCount = 0;
    EXPECT_EQ(ShownChannels(doc, true).size(), 16u);
}

}  // namespace
}  // namespace tavrel
