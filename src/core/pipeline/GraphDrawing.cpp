// The common graph drawing of a module's output: frame, zero line, waveform, time ticks with
// millisecond labels, amplitude ticks with one scale label, the highlighted range and the marked
// sample, in that order.
//
// Every real value that becomes a coordinate goes through the saturating rounding helpers, and
// sums of coordinates are formed in 64 bits, so neither a hostile document (rate, range, marker,
// zoom) nor non-finite samples can overflow an int or make a loop run away.
#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "pipeline/GraphGeometry.h"
#include "pipeline/ModBase.h"
#include "platform/Rounding.h"

namespace tavrel {

namespace {

constexpr Color kFrameColor{10, 10, 10};
constexpr Color kMarkerColor{255, 64, 64};

void DrawLine(Surface* s, int x1, int y1, int x2, int y2) {
    s->MoveTo(x1, y1);
    s->LineTo(x2, y2);
}

// Screen offset of a value from the centre line, -round(q * v) (values above zero go up).
// An infinite sample (or one far beyond the scale) is drawn to the edge of the plot rectangle,
// whatever the scale; NaN rounds to 0 and lies on the centre line. For all other values the
// offset never rises (q > 0) or never falls (q < 0) as the value grows.
int SampleOffset(const WaveTrace& t, double v) {
    if (std::isinf(v)) return static_cast<int>(v > 0 ? t.minOffset : t.maxOffset);
    const long long f = -static_cast<long long>(RoundToInt(t.q * v));
    return static_cast<int>(std::clamp(f, t.minOffset, t.maxOffset));
}

// The samples [i1, i2) read, as the clipping box asks; i1 > i2 when nothing is under it.
void ClippedSamples(const Surface* s, const GraphFrame& g, const WaveTrace& t, long long& i1,
                    long long& i2) {
    const Rect clip = s->GetClipBox();
    i1 = RoundToInt((static_cast<double>(clip.left) - g.x0 - 5) / t.p);
    i1 = std::max(i1 + t.first - 1, t.first);
    i2 = RoundToInt((static_cast<double>(clip.right) - g.x0 + 5) / t.p);
    i2 = std::min(i2 + t.first + 1, t.last);
}

// Pixel column of sample i; never falls as i grows when p > 0.
int ColumnOf(const WaveTrace& t, long long i) {
    return RoundToInt(static_cast<double>(i - t.first) * t.p);
}

// The first sample after i (below `end`) outside sample i's column x, or `end`: a guess of one
// column's worth of samples, then doubling steps until past the column, then halving steps. Only
// ColumnOf decides, so the split is exactly the one sample-by-sample reading makes.
long long ColumnEnd(const WaveTrace& t, long long i, int x, long long end) {
    long long inside = i;
    long long step = 1;
    if (t.p < 1.0) step = static_cast<long long>(std::min(1.0 / t.p, static_cast<double>(end - i)));
    step = std::max(step, 1LL);
    long long outside = end;
    for (;;) {
        const long long probe = inside + step;
        if (probe >= end) break;
        if (ColumnOf(t, probe) != x) {
            outside = probe;
            break;
        }
        inside = probe;
        step *= 2;
    }
    while (outside - inside > 1) {
        const long long middle = inside + (outside - inside) / 2;
        (ColumnOf(t, middle) == x ? inside : outside) = middle;
    }
    return outside;
}

// What decides the offsets of the samples data[from, to): the smallest and largest finite value
// (none: low > high), whether any is +infinity, -infinity or NaN. Finite values have offsets
// that are monotonic in the value, so the extremes of the offsets are among those of these.
struct ValueExtremes {
    double low;
    double high;
    bool plusInfinity;
    bool minusInfinity;
    bool nan;
};
ValueExtremes ExtremesOf(const double* data, long long from, long long to) {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    // Four running extremes apiece, so the comparisons overlap; NaN fails every comparison.
    double low[4] = {kInf, kInf, kInf, kInf};
    double high[4] = {-kInf, -kInf, -kInf, -kInf};
    bool nan[4] = {false, false, false, false};
    long long i = from;
    for (; i + 4 <= to; i += 4) {
        for (int k = 0; k < 4; ++k) {
            const double v = data[i + k];
            low[k] = v < low[k] ? v : low[k];
            high[k] = v > high[k] ? v : high[k];
            nan[k] = nan[k] || v != v;
        }
    }
    for (; i < to; ++i) {
        const double v = data[i];
        low[0] = v < low[0] ? v : low[0];
        high[0] = v > high[0] ? v : high[0];
        nan[0] = nan[0] || v != v;
    }
    ValueExtremes e{std::min({low[0], low[1], low[2], low[3]}),
                    std::max({high[0], high[1], high[2], high[3]}), false, false,
                    nan[0] || nan[1] || nan[2] || nan[3]};
    if (e.low > -kInf && e.high < kInf) return e;
    // An infinity among them (rare): the finite extremes again, apart from it.
    e.low = kInf;
    e.high = -kInf;
    for (i = from; i < to; ++i) {
        const double v = data[i];
        if (v == kInf) {
            e.plusInfinity = true;
        } else if (v == -kInf) {
            e.minusInfinity = true;
        } else {
            e.low = v < e.low ? v : e.low;
            e.high = v > e.high ? v : e.high;
        }
    }
    return e;
}

// What the waveform drawing carries from column to column: the last column, its highest and
// lowest offset and its last sample's offset; and the newest sample read.
struct WavePen {
    int lastX = -1;
    int prevY = 0;
    int hi = 0;
    int lo = 0;
    int x = 0;
    int f = 0;
    // Ends the last column at the sample (x, f) that starts the next one, or at its own last
    // sample: its vertical line where its samples differ, then the line on to (x, f).
    void EndColumn(Surface* s, const GraphFrame& g) const {
        const int columnX = AddCoord(g.x0, lastX);
        if (hi != lo) DrawLine(s, columnX, AddCoord(g.ym, hi), columnX, AddCoord(g.ym, lo));
        DrawLine(s, columnX, AddCoord(g.ym, prevY), AddCoord(g.x0, x), AddCoord(g.ym, f));
    }
};

}  // namespace

void DrawWaveformBySample(Surface* s, const GraphFrame& g, const WaveTrace& t) {
    long long i1 = 0;
    long long i2 = 0;
    ClippedSamples(s, g, t, i1, i2);
    WavePen pen;
    for (long long i = i1; i <= i2; ++i) {
        // The step i = i2 reads nothing: it only flushes the last column.
        const bool read = i < i2;
        if (read) {
            pen.x = ColumnOf(t, i);
            pen.f = SampleOffset(t, t.data[i]);
        }
        if (read && pen.x == pen.lastX) {
            // "F above hi, else F below lo": as lo <= hi always, the two are independent, and
            // without branches the thousands of samples of one column do not stall on them.
            pen.hi = std::max(pen.hi, pen.f);
            pen.lo = std::min(pen.lo, pen.f);
        } else {
            pen.EndColumn(s, g);
            pen.hi = pen.lo = pen.f;
            pen.lastX = pen.x;
        }
        pen.prevY = pen.f;
    }
}

void DrawWaveform(Surface* s, const GraphFrame& g, const WaveTrace& t) {
    // Columns never fall and start at 0 only with a positive scale; otherwise (a plot of no or
    // negative width) sample by sample.
    if (!(t.p > 0.0)) {
        DrawWaveformBySample(s, g, t);
        return;
    }
    long long i1 = 0;
    long long i2 = 0;
    ClippedSamples(s, g, t, i1, i2);
    if (i1 > i2) return;  // no step at all, not even the flush
    // The state DrawWaveformBySample has after each column (the first sample's column is never
    // the -1 it starts with, as samples at or after `first` lie at 0 or to the right).
    WavePen pen;
    for (long long i = i1; i < i2;) {
        pen.x = ColumnOf(t, i);
        const long long end = ColumnEnd(t, i, pen.x, i2);
        pen.f = SampleOffset(t, t.data[i]);
        pen.EndColumn(s, g);
        // The column's highest and lowest offsets are those of its extreme values (and 0, the
        // offset of NaN, if it holds any).
        const ValueExtremes values = ExtremesOf(t.data, i, end);
        pen.hi = pen.lo = pen.f;
        const auto include = [&pen](int offset) {
            pen.hi = std::max(pen.hi, offset);
            pen.lo = std::min(pen.lo, offset);
        };
        if (values.low <= values.high) {
            include(SampleOffset(t, values.low));
            include(SampleOffset(t, values.high));
        }
        constexpr double kInf = std::numeric_limits<double>::infinity();
        if (values.plusInfinity) include(SampleOffset(t, kInf));
        if (values.minusInfinity) include(SampleOffset(t, -kInf));
        if (values.nan) include(0);
        pen.lastX = pen.x;
        pen.f = pen.prevY = SampleOffset(t, t.data[end - 1]);
        i = end;
    }
    pen.EndColumn(s, g);  // the flush of the last column
}

namespace {

// Ticks along the bottom of the inner area, labelled with the absolute time in ms; the last
// label carries the time unit.
void DrawTimeAxis(Surface* s, const GraphFrame& g, int plotBottom, const WaveTrace& t, int rate,
                  int refinements, const std::string& timeUnit) {
    const long long span = TimeSpanMs(rate, t.last - t.first);
    const TimeTicks ticks = ChooseTimeTicks(span, refinements);
    // round(1000 / rate * first) in 64 bits: a long record at a low rate passes the int range.
    const long long startMs =
        static_cast<long long>(1000.0 / rate * static_cast<double>(t.first) + 0.5);
    const int tickTop = AddCoord(g.bottom1, -5LL * g.sy);
    for (long long j = 0; j <= ticks.count; ++j) {
        const long long ms = j * ticks.step;
        const int sample = MsToSample(rate, static_cast<double>(ms));
        const int x = AddCoord(RoundToInt(sample * t.p), g.x0);
        DrawLine(s, x, tickTop, x, g.bottom1);
        std::string label = std::to_string(startMs + ms);
        if (j == ticks.count) label += "[" + timeUnit + "]";
        const long long cx = static_cast<long long>(x) + g.sy;
        s->DrawTextCentered({AddCoord(cx, -10LL * g.sx), AddCoord(g.bottom1, g.sy),
                             AddCoord(cx, 10LL * g.sx), plotBottom},
                            label);
    }
}

}  // namespace

void CModBase::DrawGraph(Surface* surface, const Rect& plot, const DisplayState& display,
                         const SampleRange* range) {
    int scale[2];
    display.GetPrintScale(scale);
    const GraphFrame g = MakeGraphFrame(plot, scale[0], scale[1]);

    surface->FrameRect(plot, kFrameColor);
    DrawLine(surface, g.x0, g.ym, g.xEnd, g.ym);
    if (!m_output) return;

    // Visible samples; a range whose last does not exceed its first shows the whole output.
    long long first = 0;
    long long last = m_outputCount;
    if (range && range->last > range->first) {
        first = std::max(range->first, 0);
        last = std::min(range->last, m_outputCount);
    }
    // An output of zero samples, or a range lying wholly beyond the output, leaves nothing to
    // place: the scale p below would divide by zero or run backwards.
    if (last <= first) return;

    WaveTrace t;
    t.data = m_output.get();
    t.first = first;
    t.last = last;
    t.p = g.width / static_cast<double>(last - first);
    t.minOffset = std::min(static_cast<long long>(plot.top) - g.ym, 0LL);
    t.maxOffset = std::max(static_cast<long long>(plot.bottom) - 1 - g.ym, 0LL);

    // Vertical maximum: the visible samples', or the common maximum in absolute scaling when no
    // range was passed at all (a passed range, even an empty one, always scales to the module's
    // own samples).
    const bool common = display.m_absoluteScale && !range;
    double maximum =
        common ? display.m_commonMax : MaxAbs(static_cast<int>(first), static_cast<int>(last));
    if (!std::isfinite(maximum)) {
        // An infinite sample (or common maximum) would flatten the trace; scale to the finite
        // samples instead and draw the infinite ones at the edge of the plot.
        maximum = 0.0;
        for (long long i = first; i < last; ++i) {
            const double v = std::fabs(t.data[i]);
            if (std::isfinite(v) && v > maximum) maximum = v;
        }
    }
    t.q = (g.bottom1 - static_cast<double>(g.top1)) / maximum * 0.5 * 0.8;
    AmplitudeTicks amplitude = ChooseAmplitudeTicks(maximum);
    if (!std::isfinite(t.q) || !(maximum > 0.0)) {
        // All-zero output (or a maximum too small to divide by): a flat trace on the centre line,
        // no amplitude ticks, and the scale label reads x0.
        t.q = 0.0;
        amplitude = {};
    }

    DrawWaveform(surface, g, t);

    const int rate = GetSamplingRate();
    if (rate > 0) {
        const bool zoomed = m_editing == 0 && !range && display.m_printing == 0;
        DrawTimeAxis(surface, g, plot.bottom, t, rate,
                     zoomed ? ZoomRefinements(display.m_zoomX) : 0, m_timeUnit);
    }

    const int tickLeft = AddCoord(plot.left, 35LL * g.sx);
    for (int j = 1; j <= amplitude.count; ++j) {
        const int dy = RoundToInt(j * amplitude.spacing * t.q);
        DrawLine(surface, tickLeft, AddCoord(g.ym, -static_cast<long long>(dy)), g.x0,
                 AddCoord(g.ym, -static_cast<long long>(dy)));
        DrawLine(surface, tickLeft, AddCoord(g.ym, dy), g.x0, AddCoord(g.ym, dy));
    }
    surface->TextOut(
        AddCoord(plot.left, 5LL * g.sx), AddCoord(plot.top, 2LL * g.sy),
        ScaleLabel(m_unitFactor, amplitude.spacing, OutputUnit(), GetTimeExponent(), m_timeUnit));

    // The highlighted range is clamped into the output (this writes the module's own fields),
    // then inverted over everything drawn so far. Its insets of 5 are not scaled.
    if (m_rangeStart >= 0 && m_rangeEnd >= 0) {
        if (m_rangeEnd > m_outputCount) m_rangeEnd = m_outputCount;
        if (m_rangeStart > m_rangeEnd) m_rangeStart = m_rangeEnd;
        const int xa = AddCoord(g.x0, RoundToInt((m_rangeStart - first) * t.p));
        const int xb = AddCoord(g.x0, RoundToInt((m_rangeEnd - first) * t.p));
        surface->InvertRect({xa, AddCoord(g.top1, 5), xb, AddCoord(g.bottom1, -5)});
    }

    // The marked sample: a one-unit column, also at index last (the right end of the data).
    const long long mk = GetMarkerIndex();
    if (mk < 0 || mk < first || mk > last) return;
    const int xm = AddCoord(g.x0, RoundToInt(static_cast<double>(mk - first) * t.p));
    const Color background = surface->GetBkColor();
    surface->FillSolidRect(
        {xm, AddCoord(g.top1, 5LL * g.sy), AddCoord(xm, 1), AddCoord(g.bottom1, -5LL * g.sy)},
        kMarkerColor);
    surface->SetBkColor(background);
}

}  // namespace tavrel
