// The recording's events on a band: placed by their time at the rate of each chain's end, shaded
// over their duration, labelled in the labelled band, drawn only where the surface needs it.
#include <gtest/gtest.h>

#include <limits>

#include "document/EventMarks.h"
#include "document/KaisekiDoc.h"
#include "modules/analysis/ClipFilter.h"
#include "modules/filters/ReSmplFilter.h"
#include "platform/RecordingSurface.h"
#include "support/ScriptedHost.h"

namespace tavrel {
namespace {

TEST(EventMarks, DrawnAtTheirTimeWhateverTheChainsRateAndOnlyWhereNeeded) {
    test::ScriptedHost host;
    CKaisekiDoc doc;
    doc.OnNewDocument();
    // 200 samples at 2000 Hz (100 ms) on channels 1 and 2; channel 1 keeps every 2nd sample.
    for (int k = 0; k < 2; ++k)
        doc.m_columns[static_cast<std::size_t>(k)].assign(200, 1.0);
    doc.m_rowCount = 200;
    auto* decimate = new CReSmplFilter;
    decimate->m_step = 2;
    decimate->m_doc = &doc;
    CModBase::AppendModule(doc.Head(0), decimate);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    doc.m_events = {{50.0, 0.0, "tap"},
                    {20.0, 10.0, "stim"},
                    {150.0, 0.0, "late"},
                    {nan, 0.0, "broken"},
                    {-30.0, 40.0, "before"}};
    const Rect band{0, 0, 770, 160};

    // The data area: x0 = 110, 620 pixels for 100 ms. Nothing was computed before.
    for (int channel : {0, 1}) {
        RecordingSurface surface;
        EXPECT_EQ(DrawEvents(surface, doc, band, channel, nullptr, channel == 0), 3);
        std::vector<std::string> expected = {
            "Fill 234 20 296 140 244,222,244",  // "stim" over 20-30 ms
            "Fill 110 20 172 140 244,222,244",  // "before", cut at the start of the data area
            "Fill 420 20 421 140 170,0,170",    // the onsets shown
            "Fill 234 20 235 140 170,0,170",   "SetBk 255,255,255",
        };
        if (channel == 0) {
            expected.push_back("ClippedText 423 2 1 1 769 159 170,0,170 tap");
            expected.push_back("ClippedText 237 2 1 1 769 159 170,0,170 stim");
            expected.push_back("ClippedText 113 2 1 1 769 159 170,0,170 before");
        }
        EXPECT_EQ(surface.Log(), expected) << channel;
    }

    // The magnifier's samples 100-200 (50-100 ms): only "tap", at the start.
    RecordingSurface magnified;
    const SampleRange range{100, 200};
    EXPECT_EQ(DrawEvents(magnified, doc, band, 1, &range, false), 1);
    EXPECT_EQ(magnified.Log().front(), "Fill 110 20 111 140 170,0,170");

    // A repaint of x 300-400 crosses no line or span; labels starting left of it may reach it.
    RecordingSurface part({300, 0, 400, 160});
    EXPECT_EQ(DrawEvents(part, doc, band, 1, nullptr, true), 0);
    EXPECT_EQ(part.Texts(), (std::vector<std::string>{"stim", "before"}));

    // Cut out from 20 ms: 160 samples over 620 pixels, "tap" 30 ms in, "stim" at the start.
    auto* clip = new CClipFilter;
    clip->m_cut = 1;
    clip->m_startMs = 20;
    clip->m_doc = &doc;
    CModBase::AppendModule(doc.Head(1), clip);
    RecordingSurface cut;
    EXPECT_EQ(DrawEvents(cut, doc, band, 1, nullptr, false), 2);
    const std::vector<EventMark> marks = PlaceEvents(doc, 1, band);
    ASSERT_EQ(marks.size(), 2u);
    EXPECT_EQ(marks[0].x, 343);
    EXPECT_EQ(marks[1].x, 110);

    // Without events nothing is drawn, nor computed.
    doc.m_events.clear();
    doc.Head(1)->ClearBuffers();
    RecordingSurface none;
    EXPECT_EQ(DrawEvents(none, doc, band, 1, nullptr, true), 0);
    EXPECT_TRUE(none.Calls().empty());
    EXPECT_TRUE(doc.Head(1)->ChainNeedsOutput());
}

}  // namespace
}  // namespace tavrel
