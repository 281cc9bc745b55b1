#include "document/KaisekiDoc.h"

#include <gtest/gtest.h>

#include "platform/RecordingSurface.h"

namespace tavrel {
namespace {

using Kind = RecordingSurface::Call::Kind;

TEST(KaisekiDoc, NewDocumentSetUp) {
    CKaisekiDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    ASSERT_EQ(doc.m_chains.size(), 16u);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(doc.m_channelEnabled[i], i == 0 ? 1 : 0);
        EXPECT_EQ(doc.m_channelSource[i], i);
        EXPECT_EQ(doc.Head(i)->m_channel, i);
        EXPECT_EQ(doc.Head(i)->m_doc, &doc);
        EXPECT_EQ(doc.Head(i)->m_next, nullptr);
    }
    EXPECT_TRUE(doc.m_dataFilePath.empty());
    EXPECT_EQ(doc.m_rowCount, 0);
}

TEST(KaisekiDoc, NewDocumentKeepsReadingAndDisplaySettings) {
    CKaisekiDoc doc;
    doc.OnNewDocument();
    doc.m_headerRows = 3;
    doc.m_display.m_zoomX = 10;
    doc.m_dataFilePath = "a.csv";
    doc.OnNewDocument();
    EXPECT_EQ(doc.m_headerRows, 3);
    EXPECT_EQ(doc.m_display.m_zoomX, 10);
    EXPECT_TRUE(doc.m_dataFilePath.empty());
    EXPECT_EQ(doc.m_chains.size(), 16u);
}

class DataDoc : public ::testing::Test {
  protected:
    void SetUp() override {
        doc.OnNewDocument();
        for (int c = 0; c < 16; ++c)
            doc.m_columns[c] = {double(c), double(c) + 0.5};
        doc.m_rowCount = 2;
    }
    CKaisekiDoc doc;
};

TEST_F(DataDoc, ChannelWithoutSourceDeliversNothing) {
    doc.m_channelSource[5] = 255;
    std::vector<double> values, times;
    std::string label;
    doc.GetChannelData(&values, &label, &times, 5);
    EXPECT_TRUE(values.empty());
    EXPECT_TRUE(label.empty());
    EXPECT_TRUE(times.empty());
}

TEST_F(DataDoc, ChannelWithoutSourceDrawsItsOutlineAndLabelAndMeasuresZero) {
    doc.m_channelSource[5] = CKaisekiDoc::kNoSource;
    RecordingSurface s;
    doc.DrawChannel(&s, {0, 160, 900, 320}, 5, nullptr);
    // The head alone is its chain's end: its empty graph (frame and centre line) follows.
    EXPECT_EQ(s.Log(), (std::vector<std::string>{"Frame 0 160 900 320 0,0,0", "Text 10 170 CH[6]",
                                                 "Frame 70 160 900 320 10,10,10", "MoveTo 110 240",
                                                 "LineTo 860 240"}));
    double max = -1;
    max = doc.MeasureChannel(5);
    EXPECT_EQ(max, 0.0);

    // Behind a longer chain the end has nothing to draw: outline and label only.
    CModBase::AppendModule(doc.Head(5), new CModBase);
    s.Clear();
    doc.DrawChannel(&s, {0, 160, 900, 320}, 5, nullptr);
    EXPECT_EQ(s.Log(),
              (std::vector<std::string>{"Frame 0 160 900 320 0,0,0", "Text 10 170 CH[6]"}));
}

TEST_F(DataDoc, RemappedSourceFeedsTheChannelsOwnChain) {
    doc.m_channelSource[2] = 7;
    std::vector<double> values, times;
    std::string label;
    doc.GetChannelData(&values, &label, &times, 2);
    EXPECT_EQ(values, (std::vector<double>{7.0, 7.5}));
    EXPECT_EQ(label, "[mV]");
}

TEST_F(DataDoc, ReassignedColumnShowsAfterClearingBuffers) {
    double max = 0;
    max = doc.MeasureChannel(3);
    EXPECT_EQ(max, 3.5);
    doc.m_channelSource[3] = 7;
    doc.Head(3)->ClearBuffers();
    max = doc.MeasureChannel(3);
    EXPECT_EQ(max, 7.5);
}

TEST(KaisekiDoc, HeadAloneWithoutDataDrawsFrameAndCentreLineAndMeasuresZero) {
    CKaisekiDoc doc;
    doc.OnNewDocument();
    RecordingSurface s;
    doc.DrawChannel(&s, {0, 0, 840, 160}, 0, nullptr);
    ASSERT_GE(s.Calls().size(), 3u);
    EXPECT_EQ(s.Calls()[0].kind, Kind::Frame);
    EXPECT_EQ(s.Calls()[0].rect, (Rect{0, 0, 840, 160}));
    EXPECT_EQ(s.Calls()[0].color, (Color{0, 0, 0}));
    EXPECT_EQ(s.Calls()[1].kind, Kind::Text);
    EXPECT_EQ(s.Calls()[1].text, "CH[1]");
    EXPECT_EQ(s.Calls()[1].rect.left, 10);
    EXPECT_EQ(s.Calls()[2].kind, Kind::Frame);
    EXPECT_EQ(s.Calls()[2].rect, (Rect{70, 0, 840, 160}));
    EXPECT_EQ(s.Calls()[2].color, (Color{10, 10, 10}));
    auto lines = s.Lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], (RecordingSurface::Line{110, 80, 800, 80}));

    double max = -1;
    max = doc.MeasureChannel(0);
    EXPECT_EQ(max, 0.0);
}

TEST(KaisekiDoc, PrintScaleMultipliesBandOffsetsButNotTheMeasuringOffset) {
    CKaisekiDoc doc;
    doc.OnNewDocument();
    doc.m_display.m_printing = 1;
    RecordingSurface s;
    doc.DrawChannel(&s, {100, 200, 3000, 800}, 5, nullptr);
    EXPECT_EQ(s.Calls()[1].rect.left, 140);
    EXPECT_EQ(s.Calls()[1].rect.top, 240);
    EXPECT_EQ(s.Calls()[1].text, "CH[6]");
    EXPECT_EQ(s.Calls()[2].rect.left, 380);

    doc.m_columns[0] = {1.0, 2.0};
    doc.m_rowCount = 2;
    doc.MeasureChannel(0);  // the head fetches its data
    int out[2] = {-1, -1};
    // Plot left 0 moves to 280; data origin 280 + 160; width 3000 - 280 - 320 = 2400.
    doc.ChannelPixelsToRange(0, 0, {0, 0, 3000, 800}, {440, 0, 1640, 10}, out);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[1], 1);
}

TEST(KaisekiDoc, ApplyZoomToViewsSetsGraphViewsThenUpdatesAll) {
    struct View : DocView {
        explicit View(bool graph) : graph(graph) {}
        void OnUpdate() override { ++updates; }
        bool IsGraphView() const override { return graph; }
        void SetZoom(int x, int y) override {
            zx = x;
            zy = y;
        }
        bool graph;
        int updates = 0, zx = 0, zy = 0;
    } graph(true), other(false);
    CKaisekiDoc doc;
    doc.OnNewDocument();
    doc.AddView(&graph);
    doc.AddView(&other);
    doc.m_display.m_zoomX = 20;
    doc.m_display.m_zoomY = 2;
    doc.ApplyZoomToViews();
    EXPECT_EQ(graph.zx, 20);
    EXPECT_EQ(graph.zy, 2);
    EXPECT_EQ(other.zx, 0);
    EXPECT_EQ(graph.updates, 1);
    EXPECT_EQ(other.updates, 1);
    doc.UpdateAllViews(&graph);
    EXPECT_EQ(graph.updates, 1);
    EXPECT_EQ(other.updates, 2);
}

}  // namespace
}  // namespace tavrel
