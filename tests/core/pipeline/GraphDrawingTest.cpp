// The graph drawing asserted call by call on the recording surface: the worked examples, the
// drawing order, the clipping box, the scaling modes and the print scale.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "document/KaisekiDoc.h"
#include "pipeline/GraphGeometry.h"
#include "pipeline/ModBase.h"
#include "platform/RecordingSurface.h"

namespace tavrel {
namespace {

using Kind = RecordingSurface::Call::Kind;
using Line = RecordingSurface::Line;

void SetOutput(CModBase& m, const std::vector<double>& values) {
    m.m_output = AllocSamples(static_cast<long long>(values.size()));
    for (std::size_t i = 0; i < values.size(); ++i)
        m.m_output[i] = values[i];
    m.m_outputCount = static_cast<int>(values.size());
}

// A sine of the given amplitude over n samples (two periods), so M is the amplitude.
std::vector<double> Sine(int n, double amplitude) {
    std::vector<double> v(n);
    for (int i = 0; i < n; ++i)
        v[i] = amplitude * std::sin(4.0 * M_PI * (i + 0.5) / n);
    v[n / 8] = amplitude;
    return v;
}

// Calls from the first tick line (MoveTo at the tick's top) to the end; the ticks are the
// vertical lines ending on B1 and the centred labels.
struct Tick {
    int x;
    std::string label;
    Rect box;
};
std::vector<Tick> TimeTicks(const RecordingSurface& s) {
    std::vector<Tick> ticks;
    const auto& calls = s.Calls();
    for (std::size_t i = 0; i + 2 < calls.size(); ++i) {
        if (calls[i + 2].kind != Kind::CenteredText) continue;
        ticks.push_back({calls[i].rect.left, calls[i + 2].text, calls[i + 2].rect});
    }
    return ticks;
}

TEST(GraphDrawing, CompleteDrawingInOrder) {
    // Plot (0, 0, 180, 100): T1 = 20, B1 = 80, x0 = 40, W = 100, ym = 50. Four samples: p = 25,
    // M = 2, q = 60 / 2 * 0.4 = 12.
    CModBase m;
    SetOutput(m, {1.0, -2.0, 0.5, 2.0});
    m.m_rangeStart = 1;
    m.m_rangeEnd = 9;
    m.m_markerIndex = 2;
    RecordingSurface s;
    m.DrawGraph(&s, {0, 0, 180, 100}, DisplayOf(m), nullptr);
    const std::vector<std::string> expected = {
        "Frame 0 0 180 100 10,10,10",
        "MoveTo 40 50",
        "LineTo 140 50",  // zero line
        // Waveform: the first line starts one pixel left of the origin on the centre line.
        // -2 gives -round(-24) = 23 (rounding adds 0.5 before truncating toward zero).
        "MoveTo 39 50",
        "LineTo 40 38",
        "MoveTo 40 38",
        "LineTo 65 73",
        "MoveTo 65 73",
        "LineTo 90 44",
        "MoveTo 90 44",
        "LineTo 115 26",
        "MoveTo 115 26",
        "LineTo 115 26",  // the flush step
        // S = 2 ms: step 1, ticks at samples 0, 2, 4.
        "MoveTo 40 75",
        "LineTo 40 80",
        "Centered 31 81 51 100 0",
        "MoveTo 90 75",
        "LineTo 90 80",
        "Centered 81 81 101 100 1",
        "MoveTo 140 75",
        "LineTo 140 80",
        "Centered 131 81 151 100 2[ms]",
        // P = 0.5, four ticks each side at round(j * 6).
        "MoveTo 35 44",
        "LineTo 40 44",
        "MoveTo 35 56",
        "LineTo 40 56",
        "MoveTo 35 38",
        "LineTo 40 38",
        "MoveTo 35 62",
        "LineTo 40 62",
        "MoveTo 35 32",
        "LineTo 40 32",
        "MoveTo 35 68",
        "LineTo 40 68",
        "MoveTo 35 26",
        "LineTo 40 26",
        "MoveTo 35 74",
        "LineTo 40 74",
        "Text 5 2 x0.5[mV]",
        "Invert 65 25 140 75",  // range 1 .. 9 clamped to 1 .. 4
        "Fill 90 25 91 75 255,64,64",
        "SetBk 255,255,255",
    };
    EXPECT_EQ(s.Log(), expected);
    EXPECT_EQ(m.m_rangeEnd, 4);
    EXPECT_EQ(m.m_rangeStart, 1);
}

TEST(GraphDrawing, SamplesInOnePixelColumnCollapseIntoABar) {
    // W = 2 for 8 samples: p = 0.25, columns 0, 0, 1, 1, 1, 1, 2, 2. M = 2, q = 12.
    CModBase m;
    SetOutput(m, {0, 1, -1, 0.5, 0, 0, 2, -2});
    RecordingSurface s;
    m.DrawGraph(&s, {0, 0, 82, 100}, DisplayOf(m), nullptr);
    std::vector<Line> lines = s.Lines();
    lines.resize(9);
    const std::vector<Line> expected = {
        {40, 50, 42, 50},  // zero line
        {39, 50, 40, 50},
        {40, 50, 40, 38},  // column 0: 0 .. -12
        {40, 38, 41, 61},  // from the column's last sample (1) to the next column's first (-1)
        {41, 61, 41, 44},  // column 1: 11 .. -6
        {41, 50, 42, 26},
        {42, 73, 42, 26},  // column 2, flushed: 23 .. -24
        {42, 73, 42, 73},
        {35, 44, 40, 44},  // first amplitude tick follows the waveform and the time ticks
    };
    // The time ticks sit between the waveform and the amplitude ticks; skip them.
    std::vector<Line> all = s.Lines();
    std::vector<Line> got(all.begin(), all.begin() + 8);
    got.push_back(s.Lines()[all.size() - 8]);
    EXPECT_EQ(got, expected);
}

TEST(GraphDrawing, TimeTicksOfTheWorkedExample) {
    // 2000 samples at 2000 Hz over W = 800: S = 1000 ms, step 250, x = round(2t * 0.4) + 40.
    CModBase m;
    SetOutput(m, Sine(2000, 1.0));
    RecordingSurface s;
    m.DrawGraph(&s, {0, 0, 880, 160}, DisplayOf(m), nullptr);
    const std::vector<Tick> ticks = TimeTicks(s);
    ASSERT_EQ(ticks.size(), 5u);
    const int xs[] = {40, 240, 440, 640, 840};
    const char* labels[] = {"0", "250", "500", "750", "1000[ms]"};
    for (int j = 0; j < 5; ++j) {
        EXPECT_EQ(ticks[j].x, xs[j]);
        EXPECT_EQ(ticks[j].label, labels[j]);
        EXPECT_EQ(ticks[j].box, (Rect{xs[j] + 1 - 10, 141, xs[j] + 1 + 10, 160}));
    }
}

TEST(GraphDrawing, ZoomTenRefinesTheStepToTwentyFive) {
    CKaisekiDoc doc;
    doc.m_display.m_zoomX = 10;
    CModBase m;
    m.m_doc = &doc;
    SetOutput(m, Sine(2000, 1.0));
    RecordingSurface s;
    // Ten times wider: W = 8000, p = 4, tick j at 25j ms = sample 50j, x = 200j + 40.
    m.DrawGraph(&s, {0, 0, 8080, 160}, DisplayOf(m), nullptr);
    const std::vector<Tick> ticks = TimeTicks(s);
    ASSERT_EQ(ticks.size(), 41u);
    for (int j = 0; j <= 40; ++j) {
        EXPECT_EQ(ticks[j].x, 200 * j + 40);
        EXPECT_EQ(ticks[j].label, std::to_string(25 * j) + (j == 40 ? "[ms]" : ""));
    }

    // No refinement while the module's dialog is open, while printing, or with a range.
    m.m_editing = 1;
    s.Clear();
    m.DrawGraph(&s, {0, 0, 8080, 160}, DisplayOf(m), nullptr);
    EXPECT_EQ(TimeTicks(s).size(), 5u);
    m.m_editing = 0;
    SampleRange whole{0, 2000};
    s.Clear();
    m.DrawGraph(&s, {0, 0, 8080, 160}, DisplayOf(m), &whole);
    EXPECT_EQ(TimeTicks(s).size(), 5u);
    doc.m_display.m_printing = 1;
    s.Clear();
    m.DrawGraph(&s, {0, 0, 8080, 160}, DisplayOf(m), nullptr);
    EXPECT_EQ(TimeTicks(s).size(), 5u);

    // Zoom 100 divides once more: step 2.5 truncates to 2, 501 ticks.
    doc.m_display.m_printing = 0;
    doc.m_display.m_zoomX = 100;
    s.Clear();
    m.DrawGraph(&s, {0, 0, 80080, 160}, DisplayOf(m), nullptr);
    EXPECT_EQ(TimeTicks(s).size(), 501u);
}

// The amplitude ticks: the lines from L + 35 to x0 after the time labels, and the scale label.
struct Amplitude {
    std::vector<int> upper;  // dy of the ticks above the centre line
    std::vector<int> lower;
    std::string label;
};
Amplitude AmplitudeOf(const RecordingSurface& s, int ym) {
    Amplitude a;
    for (const Line& l : s.Lines()) {
        if (l.x1 != 35 || l.x2 != 40 || l.y1 != l.y2) continue;
        if (l.y1 < ym) a.upper.push_back(ym - l.y1);
        if (l.y1 > ym) a.lower.push_back(l.y1 - ym);
    }
    const auto texts = s.CallsOf(Kind::Text);
    if (!texts.empty()) a.label = texts.back().text;
    return a;
}

TEST(GraphDrawing, AmplitudeTicksOfTheWorkedExamples) {
    CModBase m;
    RecordingSurface s;
    // Plot (0, 0, 880, 160): inner height 120, ym = 80.
    SetOutput(m, Sine(400, 3.7));  // q = 120 / 3.7 * 0.4, P = 1: dy 13, 26, 39
    m.DrawGraph(&s, {0, 0, 880, 160}, DisplayOf(m), nullptr);
    Amplitude a = AmplitudeOf(s, 80);
    EXPECT_EQ(a.upper, (std::vector<int>{13, 26, 39}));
    EXPECT_EQ(a.lower, (std::vector<int>{13, 26, 39}));
    EXPECT_EQ(a.label, "x1[mV]");

    SetOutput(m, Sine(400, -0.9));  // q = 53.33, P = 0.25: dy 13, 27, 40
    s.Clear();
    m.DrawGraph(&s, {0, 0, 880, 160}, DisplayOf(m), nullptr);
    a = AmplitudeOf(s, 80);
    EXPECT_EQ(a.upper, (std::vector<int>{13, 27, 40}));
    EXPECT_EQ(a.lower, (std::vector<int>{13, 27, 40}));
    EXPECT_EQ(a.label, "x0.25[mV]");
    EXPECT_EQ(s.CallsOf(Kind::Text).back().rect, (Rect{5, 2, 5, 2}));
}

TEST(GraphDrawing, ScaleLabelCarriesUnitFactorAndTimeExponent) {
    CModBase m;
    RecordingSurface s;
    SetOutput(m, {1.0, -0.5});  // P = 0.5
    m.m_unitFactor = 10;
    m.DrawGraph(&s, {0, 0, 880, 160}, DisplayOf(m), nullptr);
    EXPECT_EQ(s.CallsOf(Kind::Text).back().text, "x5[mV]");

    struct Integrated : CModBase {
        int GetTimeExponent() const override { return 2; }
    } integrated;
    SetOutput(integrated, {3.0});  // P = 1
    integrated.m_unitFactor = 1;
    integrated.m_unit = "V";
    s.Clear();
    integrated.DrawGraph(&s, {0, 0, 880, 160}, DisplayOf(integrated), nullptr);
    EXPECT_EQ(s.CallsOf(Kind::Text).back().text, "x1[V]*[ms]^2");
}

TEST(GraphDrawing, RangeSelectsSamplesScaleAndAbsoluteStartTime) {
    // Samples 0 .. 999 have amplitude 8, 1000 .. 1999 amplitude 2; the range shows the second
    // half: its own maximum, ticks every 100 ms labelled from 500 ms.
    std::vector<double> v(2000, 0.0);
    v[10] = 8.0;
    v[1500] = 2.0;
    v[1999] = -1.0;
    CModBase m;
    SetOutput(m, v);
    RecordingSurface s;
    SampleRange range{1000, 5000};  // last clamped to the output
    m.DrawGraph(&s, {0, 0, 1080, 160}, DisplayOf(m), &range);
    const std::vector<Tick> ticks = TimeTicks(s);
    ASSERT_EQ(ticks.size(), 6u);
    EXPECT_EQ(ticks[0].label, "500");
    EXPECT_EQ(ticks[5].label, "1000[ms]");
    EXPECT_EQ(ticks[5].x, 1040);  // W = 1000 for 1000 samples
    EXPECT_EQ(AmplitudeOf(s, 80).label, "x0.5[mV]");

    // A range whose last does not exceed its first shows the whole output.
    SampleRange empty{700, 700};
    s.Clear();
    m.DrawGraph(&s, {0, 0, 1080, 160}, DisplayOf(m), &empty);
    EXPECT_EQ(TimeTicks(s).back().label, "1000[ms]");
    EXPECT_EQ(TimeTicks(s).front().label, "0");
    EXPECT_EQ(AmplitudeOf(s, 80).label, "x2.5[mV]");
}

TEST(GraphDrawing, AbsoluteScaleUsesTheCommonMaximumOnlyWithoutARange) {
    CKaisekiDoc doc;
    doc.m_display.m_absoluteScale = 1;
    doc.m_display.m_commonMax = 0.9;
    CModBase m;
    m.m_doc = &doc;
    SetOutput(m, Sine(400, 3.7));
    RecordingSurface s;
    m.DrawGraph(&s, {0, 0, 880, 160}, DisplayOf(m), nullptr);
    EXPECT_EQ(AmplitudeOf(s, 80).label, "x0.25[mV]");
    EXPECT_EQ(AmplitudeOf(s, 80).upper, (std::vector<int>{13, 27, 40}));

    // The magnifier always passes a range, even one it ignores: the module's own maximum.
    SampleRange click{5, 5};
    s.Clear();
    m.DrawGraph(&s, {0, 0, 880, 160}, DisplayOf(m), &click);
    EXPECT_EQ(AmplitudeOf(s, 80).label, "x1[mV]");

    // A quiet channel draws small against a larger common maximum.
    doc.m_display.m_commonMax = 10.0;
    SetOutput(m, {1.0});
    s.Clear();
    m.DrawGraph(&s, {0, 0, 880, 160}, DisplayOf(m), nullptr);
    // q = 120 / 10 * 0.4 = 4.8: the sample lies 5 pixels above the centre line.
    EXPECT_EQ(s.Lines()[1], (Line{39, 80, 40, 75}));
    EXPECT_EQ(AmplitudeOf(s, 80).label, "x5[mV]");
}

TEST(GraphDrawing, HighlightedRangeIsClampedAndWrittenBack) {
    CModBase m;
    SetOutput(m, std::vector<double>(100, 1.0));
    m.m_rangeStart = 150;
    m.m_rangeEnd = 120;
    RecordingSurface s;
    m.DrawGraph(&s, {0, 0, 180, 100}, DisplayOf(m), nullptr);  // W = 100, p = 1
    EXPECT_EQ(m.m_rangeEnd, 100);
    EXPECT_EQ(m.m_rangeStart, 100);  // a start beyond the end collapses onto the end
    ASSERT_EQ(s.CallsOf(Kind::Invert).size(), 1u);
    EXPECT_EQ(s.CallsOf(Kind::Invert)[0].rect, (Rect{140, 25, 140, 75}));

    // Clamped into the output even when the drawing shows only part of it.
    m.m_rangeStart = 10;
    m.m_rangeEnd = 500;
    SampleRange part{50, 75};  // p = 4
    s.Clear();
    m.DrawGraph(&s, {0, 0, 180, 100}, DisplayOf(m), &part);
    EXPECT_EQ(m.m_rangeEnd, 100);
    // round(-160) = trunc(-159.5) = -159: rounding truncates toward zero after adding 0.5.
    EXPECT_EQ(s.CallsOf(Kind::Invert)[0].rect, (Rect{40 - 159, 25, 40 + 200, 75}));

    // No highlight while either end is negative.
    m.m_rangeStart = -1;
    s.Clear();
    m.DrawGraph(&s, {0, 0, 180, 100}, DisplayOf(m), nullptr);
    EXPECT_TRUE(s.CallsOf(Kind::Invert).empty());
}

TEST(GraphDrawing, MarkerAtLastIsDrawnBeyondItIsNot) {
    CModBase m;
    SetOutput(m, std::vector<double>(100, 1.0));
    RecordingSurface s;
    SampleRange part{20, 60};  // p = 2.5
    m.m_markerIndex = 60;
    m.DrawGraph(&s, {0, 0, 180, 100}, DisplayOf(m), &part);
    ASSERT_EQ(s.CallsOf(Kind::Fill).size(), 1u);
    EXPECT_EQ(s.CallsOf(Kind::Fill)[0].rect, (Rect{140, 25, 141, 75}));
    EXPECT_EQ(s.Calls().back().kind, Kind::SetBk);

    for (int marker : {61, 19, -1}) {
        m.m_markerIndex = marker;
        s.Clear();
        m.DrawGraph(&s, {0, 0, 180, 100}, DisplayOf(m), &part);
        EXPECT_TRUE(s.CallsOf(Kind::Fill).empty()) << marker;
    }
    m.m_markerIndex = 20;
    s.Clear();
    m.DrawGraph(&s, {0, 0, 180, 100}, DisplayOf(m), &part);
    EXPECT_EQ(s.CallsOf(Kind::Fill)[0].rect.left, 40);
}

TEST(GraphDrawing, MarkerRestoresTheCallersBackgroundColour) {
    CModBase m;
    SetOutput(m, {1.0, 2.0});
    m.m_markerIndex = 0;
    RecordingSurface s;
    s.SetBkColor({1, 2, 3});
    s.Clear();
    m.DrawGraph(&s, {0, 0, 180, 100}, DisplayOf(m), nullptr);
    EXPECT_EQ(s.Calls().back().color, (Color{1, 2, 3}));
    EXPECT_EQ(s.GetBkColor(), (Color{1, 2, 3}));
}

TEST(GraphDrawing, PrintScaleMultipliesTheScaledOffsetsOnly) {
    CKaisekiDoc doc;
    doc.m_display.m_printing = 1;  // scale (4, 4)
    CModBase m;
    m.m_doc = &doc;
    SetOutput(m, {1.0, -1.0, 0.5, 0.25});
    m.m_rangeStart = 0;
    m.m_rangeEnd = 2;
    m.m_markerIndex = 1;
    RecordingSurface s;
    // Plot (280, 320, 3080, 960): T1 = 400, B1 = 880, x0 = 440, W = 2480, ym = 640, p = 620.
    m.DrawGraph(&s, {280, 320, 3080, 960}, DisplayOf(m), nullptr);
    const auto lines = s.Lines();
    EXPECT_EQ(lines[0], (Line{440, 640, 2920, 640}));
    const std::vector<Tick> ticks = TimeTicks(s);  // S = 2 ms, step 1: samples 0, 2, 4
    ASSERT_EQ(ticks.size(), 3u);
    EXPECT_EQ(ticks[1].x, 440 + 1240);
    EXPECT_EQ(ticks[1].box, (Rect{1680 + 4 - 40, 884, 1680 + 4 + 40, 960}));
    bool tickFound = false;
    for (const Line& l : lines)
        tickFound |= l == Line{1680, 860, 1680, 880};
    EXPECT_TRUE(tickFound);
    // Amplitude ticks from L + 140; M = 1: P = 0.5, q = 480 * 0.4 = 192, dy = 96 and 192.
    bool ampFound = false;
    for (const Line& l : lines)
        ampFound |= l == Line{420, 544, 440, 544};
    EXPECT_TRUE(ampFound);
    EXPECT_EQ(s.CallsOf(Kind::Text)[0].rect, (Rect{300, 328, 300, 328}));
    // The highlight's insets of 5 are not scaled, the marker's are; the marker stays 1 wide.
    EXPECT_EQ(s.CallsOf(Kind::Invert)[0].rect, (Rect{440, 405, 1680, 875}));
    EXPECT_EQ(s.CallsOf(Kind::Fill)[0].rect, (Rect{1060, 420, 1061, 860}));
}

TEST(GraphDrawing, RepaintVisitsOnlySamplesUnderTheClippingBox) {
    // p = 1: the clip (540, 0, 640, 160) gives i1 = round(495) - 1 = 494 and
    // i2 = round(605) + 1 = 606; samples 494 .. 605 are read, then the flush.
    CModBase m;
    SetOutput(m, Sine(1000, 1.0));
    RecordingSurface s({540, 0, 640, 160});
    m.DrawGraph(&s, {0, 0, 1080, 160}, DisplayOf(m), nullptr);
    std::vector<Line> wave;
    for (const Line& l : s.Lines()) {
        if (l.x1 == l.x2 && (l.y2 == 140 || l.x1 == 35)) continue;  // ticks
        if (l.x1 == 35) continue;
        wave.push_back(l);
    }
    wave.erase(wave.begin());  // zero line
    ASSERT_EQ(wave.size(), 113u);
    EXPECT_EQ(wave.front().x1, 39);
    EXPECT_EQ(wave.front().x2, 40 + 494);
    EXPECT_EQ(wave[1].x2, 40 + 495);
    EXPECT_EQ(wave.back().x1, 40 + 605);
    EXPECT_EQ(wave.back().x2, 40 + 605);
}

TEST(GraphDrawing, WaveformByColumnsDrawsWhatSampleBySampleDraws) {
    // Long runs per column, one sample per column and several columns per sample; values with
    // NaN, infinities, plateaus and extremes beyond the plot; scales up, flat and inverted; the
    // clipping box over everything, over a strip, at the edges and beyond the data.
    std::mt19937 random(7);
    std::uniform_real_distribution<double> uniform(-3.0, 3.0);
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<double> data(20000);
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = std::sin(static_cast<double>(i) / 300.0) + 0.2 * uniform(random);
        if (i % 997 == 3) data[i] = std::numeric_limits<double>::quiet_NaN();
        if (i % 1499 == 5) data[i] = i % 2 ? inf : -inf;
        if (i >= 5000 && i < 5600) data[i] = i < 5300 ? 0.75 : -0.0;
        if (i % 3001 == 11) data[i] = 1e300;
    }
    const GraphFrame g = MakeGraphFrame({0, 0, 1080, 160}, 1, 1);
    int cases = 0;
    for (const double p : {1e-9, 0.0137, 0.05, 0.5, 1.0, 1.7, 6.25})
        for (const double q : {31.0, 0.0, -12.5, 1e10})
            for (const Rect clip :
                 {Rect{0, 0, 1080, 160}, Rect{540, 0, 640, 160}, Rect{0, 0, 45, 160},
                  Rect{1075, 0, 1080, 160}, Rect{-500, 0, -400, 160}})
                for (const long long first : {0LL, 4321LL}) {
                    WaveTrace t;
                    t.data = data.data();
                    t.first = first;
                    t.last =
                        first + std::min<long long>(static_cast<long long>(g.width / p) + 1,
                                                    static_cast<long long>(data.size()) - first);
                    t.p = p;
                    t.q = q;
                    t.minOffset = -80;
                    t.maxOffset = 79;
                    RecordingSurface bySample(clip);
                    RecordingSurface byColumn(clip);
                    DrawWaveformBySample(&bySample, g, t);
                    DrawWaveform(&byColumn, g, t);
                    ASSERT_EQ(byColumn.Log(), bySample.Log())
                        << "p " << p << " q " << q << " clip " << clip.left << " first " << first;
                    cases += bySample.Calls().size() > 2 ? 1 : 0;
                }
    EXPECT_GT(cases, 150);  // most cases draw a waveform, not just the flush
}

// Waveform lines only: the connecting lines and column bars between the zero line and the first
// time tick (which starts at B1 - 5).
std::vector<Line> WaveformOf(const RecordingSurface& s, int tickTop) {
    std::vector<Line> all = s.Lines();
    std::vector<Line> wave;
    for (std::size_t i = 1; i < all.size(); ++i) {
        if (all[i].y1 == tickTop && all[i].x1 == all[i].x2) break;
        wave.push_back(all[i]);
    }
    return wave;
}

TEST(GraphDrawing, AllZeroOutputDrawsAFlatTraceWithoutTicks) {
    CModBase m;
    SetOutput(m, std::vector<double>(50, 0.0));
    RecordingSurface s;
    m.DrawGraph(&s, {0, 0, 180, 100}, DisplayOf(m), nullptr);  // ym = 50, B1 = 80
    const std::vector<Line> wave = WaveformOf(s, 75);
    ASSERT_FALSE(wave.empty());
    for (const Line& l : wave) {
        EXPECT_EQ(l.y1, 50);
        EXPECT_EQ(l.y2, 50);
    }
    Amplitude a = AmplitudeOf(s, 50);
    EXPECT_TRUE(a.upper.empty());
    EXPECT_TRUE(a.lower.empty());
    EXPECT_EQ(a.label, "x0[mV]");
    // The time axis is still there: 50 samples at 2000 Hz are 25 ms.
    EXPECT_EQ(TimeTicks(s).back().label, "25[ms]");

    // The same with a common maximum of 0 in absolute scaling, and with a NaN one.
    CKaisekiDoc doc;
    doc.m_display.m_absoluteScale = 1;
    m.m_doc = &doc;
    SetOutput(m, {0.0, 0.0, 0.0});
    for (double common : {0.0, std::nan("")}) {
        doc.m_display.m_commonMax = common;
        s.Clear();
        m.DrawGraph(&s, {0, 0, 180, 100}, DisplayOf(m), nullptr);
        EXPECT_EQ(AmplitudeOf(s, 50).label, "x0[mV]") << common;
        for (const Line& l : WaveformOf(s, 75))
            EXPECT_EQ(l.y2, 50) << common;
    }
}

TEST(GraphDrawing, NonFiniteSamplesAreDrawnAtTheBandEdgesAndDoNotSetTheScale) {
    // Plot (0, 0, 180, 100): ym = 50, rows 0 .. 99. The finite samples give M = 2 (P = 0.5,
    // q = 12); +inf is drawn on the top row, -inf on the bottom row, NaN on the centre line.
    const double inf = std::numeric_limits<double>::infinity();
    CModBase m;
    SetOutput(m, {2.0, inf, -inf, std::nan(""), -1.0});
    RecordingSurface s;
    m.DrawGraph(&s, {0, 0, 180, 100}, DisplayOf(m), nullptr);  // p = 20
    const std::vector<Line> expected = {
        {39, 50, 40, 26},  {40, 26, 60, 0},    {60, 0, 80, 99},
        {80, 99, 100, 50}, {100, 50, 120, 61}, {120, 61, 120, 61},  // -1: -round(-12) = 11
    };
    EXPECT_EQ(WaveformOf(s, 75), expected);
    EXPECT_EQ(AmplitudeOf(s, 50).label, "x0.5[mV]");
    EXPECT_EQ(AmplitudeOf(s, 50).upper, (std::vector<int>{6, 12, 18, 24}));

    // Finite values far beyond the scale (an absolute scale measured before) stay in the band.
    CKaisekiDoc doc;
    doc.m_display.m_absoluteScale = 1;
    doc.m_display.m_commonMax = 1.0;
    m.m_doc = &doc;
    SetOutput(m, {1e300, -1e300});
    s.Clear();
    m.DrawGraph(&s, {0, 0, 180, 100}, DisplayOf(m), nullptr);
    EXPECT_EQ(WaveformOf(s, 75)[0], (Line{39, 50, 40, 0}));
    EXPECT_EQ(WaveformOf(s, 75)[1], (Line{40, 0, 90, 99}));

    // An infinite common maximum (a channel holding infinity) scales to the own finite samples;
    // an output of nothing but non-finite samples draws like an all-zero one.
    doc.m_display.m_commonMax = inf;
    SetOutput(m, {inf, 4.0});
    s.Clear();
    m.DrawGraph(&s, {0, 0, 180, 100}, DisplayOf(m), nullptr);
    EXPECT_EQ(AmplitudeOf(s, 50).label, "x1[mV]");
    SetOutput(m, {inf, -inf, std::nan("")});
    s.Clear();
    m.DrawGraph(&s, {0, 0, 180, 100}, DisplayOf(m), nullptr);
    EXPECT_EQ(AmplitudeOf(s, 50).label, "x0[mV]");
    for (const std::string& t : s.Texts()) {
        EXPECT_EQ(t.find("inf"), std::string::npos) << t;
        EXPECT_EQ(t.find("nan"), std::string::npos) << t;
    }
}

TEST(GraphDrawing, RateOfZeroOrBelowSkipsOnlyTheTimeAxis) {
    CModBase m;
    SetOutput(m, {1.0, -1.0, 0.5});
    m.m_markerIndex = 1;
    for (int rate : {0, -2000, std::numeric_limits<int>::min()}) {
        m.m_samplingRate = rate;
        RecordingSurface s;
        m.DrawGraph(&s, {0, 0, 180, 100}, DisplayOf(m), nullptr);
        EXPECT_TRUE(s.CallsOf(Kind::CenteredText).empty()) << rate;
        EXPECT_EQ(AmplitudeOf(s, 50).label, "x0.5[mV]") << rate;
        EXPECT_EQ(s.CallsOf(Kind::Fill).size(), 1u) << rate;
    }
}

TEST(GraphDrawing, HostileGeometryNeitherOverflowsNorRunsAway) {
    CKaisekiDoc doc;
    doc.m_display.m_zoomX = std::numeric_limits<int>::max();
    CModBase m;
    m.m_doc = &doc;
    m.m_samplingRate = 1;  // a huge span: 10^5 samples at 1 Hz are 10^8 ms
    SetOutput(m, std::vector<double>(100000, 1.0));
    m.m_rangeStart = 0;
    m.m_rangeEnd = std::numeric_limits<int>::max();
    m.m_markerIndex = 99999;
    RecordingSurface s;
    m.DrawGraph(&s, {0, 0, 880, 160}, DisplayOf(m), nullptr);
    // Step 10^8 / 4 refined twice: 250000 ms, 401 ticks.
    EXPECT_EQ(TimeTicks(s).size(), 401u);
    EXPECT_EQ(TimeTicks(s).back().label, "100000000[ms]");
    EXPECT_EQ(m.m_rangeEnd, 100000);

    // A plot narrower than its margins (no data width) and one at the edge of the int range.
    s.Clear();
    m.DrawGraph(&s, {0, 0, 50, 30}, DisplayOf(m), nullptr);
    EXPECT_EQ(s.Calls().front().kind, Kind::Frame);
    const int big = std::numeric_limits<int>::max();
    s.Clear();
    m.DrawGraph(&s, {big - 100, big - 100, big, big}, DisplayOf(m), nullptr);
    EXPECT_EQ(s.Calls().back().kind, Kind::SetBk);

    // A range lying wholly beyond the output: frame and zero line only.
    SampleRange beyond{200000, 300000};
    s.Clear();
    m.DrawGraph(&s, {0, 0, 880, 160}, DisplayOf(m), &beyond);
    EXPECT_EQ(s.Calls().size(), 3u);
}

TEST(GraphDrawing, NoOutputAndEmptyOutputDrawFrameAndZeroLineOnly) {
    CModBase m;
    RecordingSurface s;
    m.DrawGraph(&s, {0, 0, 180, 100}, DisplayOf(m), nullptr);
    const std::vector<std::string> expected = {"Frame 0 0 180 100 10,10,10", "MoveTo 40 50",
                                               "LineTo 140 50"};
    EXPECT_EQ(s.Log(), expected);
    SetOutput(m, {});
    m.m_markerIndex = 0;
    s.Clear();
    m.DrawGraph(&s, {0, 0, 180, 100}, DisplayOf(m), nullptr);
    EXPECT_EQ(s.Log(), expected);
}

TEST(GraphDrawing, ShortSpanGivesOneTickAtTheStartTime) {
    // One sample at 4000 Hz: S = round(0.25) = 0 ms.
    CModBase m;
    m.m_samplingRate = 4000;
    SetOutput(m, {1.0});
    RecordingSurface s;
    m.DrawGraph(&s, {0, 0, 180, 100}, DisplayOf(m), nullptr);
    ASSERT_EQ(TimeTicks(s).size(), 1u);
    EXPECT_EQ(TimeTicks(s)[0].label, "0[ms]");
    EXPECT_EQ(TimeTicks(s)[0].x, 40);
}

TEST(GraphDrawing, PixelsToRangeReversesTheDrawnPositions) {
    // A marker drawn at sample k lies at x0 + round(k * p); with p >= 1 selecting from there
    // maps back to k, on screen and at the print scale.
    CKaisekiDoc doc;
    CModBase m;
    m.m_doc = &doc;
    SetOutput(m, std::vector<double>(500, 1.0));  // p = 1.6 on screen, 4.96 printed
    for (int printing : {0, 1}) {
        doc.m_display.m_printing = printing;
        const Rect plot = printing ? Rect{280, 320, 3080, 960} : Rect{70, 0, 950, 160};
        for (int k : {0, 1, 123, 499, 500}) {
            m.m_markerIndex = k;
            RecordingSurface s;
            m.DrawGraph(&s, plot, DisplayOf(m), nullptr);
            const int x = s.CallsOf(Kind::Fill).at(0).rect.left;
            int out[2] = {-1, -1};
            EXPECT_EQ(m.PixelsToRange(nullptr, plot, {x, 0, x, 0}, out), k) << printing;
            EXPECT_EQ(out[0], k) << printing;
        }
    }
    // A plot without data width maps every selection to sample 0 instead of dividing by zero.
    int out[2] = {-1, -1};
    doc.m_display.m_printing = 0;
    EXPECT_EQ(m.PixelsToRange(nullptr, {0, 0, 80, 100}, {10, 0, 70, 10}, out), 0);
    EXPECT_EQ(out[0], 0);
}

TEST(GraphDrawing, VerticalMaximumFindsTheExtremeWhereverItLies) {
    // The scan runs four samples at a time: the extreme may sit in any of the four positions or
    // in the tail, and NaN samples are passed over.
    CModBase m;
    for (int n : {1, 3, 4, 5, 8, 11}) {
        for (int at = 0; at < n; ++at) {
            for (double extreme : {9.5, -9.5}) {
                std::vector<double> v(n, 1.0);
                v[0] = std::nan("");
                v[at] = extreme;
                SetOutput(m, v);
                EXPECT_EQ(m.MaxAbs(0, n), 9.5) << n << " " << at;
                EXPECT_EQ(m.MaxAbs(at + 1, n), at + 1 < n ? 1.0 : 0.0) << n << " " << at;
            }
        }
    }
}

}  // namespace
}  // namespace tavrel
