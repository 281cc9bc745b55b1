// The common graph drawing of a module's output: frame, zero line, waveform, time ticks with
// millisecond labels, amplitude ticks with one scale label, the highlighted range and the marked
// sample, in that order.
//
// Every real value that becomes a coordinate goes through the saturating rounding helpers, and
// sums of coordinates are formed in 64 bits, so neither a hostile document (rate, range, marker,
// zoom) nor non-finite samples can overflow an int or make a loop run away.
#include <algorithm>
#include <cmath>
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

// The samples first .. last - 1 of a module's output, placed in a plot.
struct Trace {
    const double* data;
    long long first;
    long long last;
    double p;  // pixels per sample
    double q;  // pixels per unit of value (0 draws a flat trace)
    // Bounds of a sample's screen offset from the centre line: the rows of the plot rectangle.
    long long minOffset;
    long long maxOffset;
};

// Screen offset of a value from the centre line, -round(q * v) (values above zero go up).
// An infinite sample (or one far beyond the scale) is drawn to the edge of the plot rectangle,
// whatever the scale; NaN rounds to 0 and lies on the centre line.
int SampleOffset(const Trace& t, double v) {
    if (std::isinf(v)) return static_cast<int>(v > 0 ? t.minOffset : t.maxOffset);
    const long long f = -static_cast<long long>(RoundToInt(t.q * v));
    return static_cast<int>(std::clamp(f, t.minOffset, t.maxOffset));
}

// Min/max per pixel column over the samples under the clipping box (5 pixels and one sample
// more on either side), so a partial repaint costs time in proportion to its width.
void DrawWaveform(Surface* s, const GraphFrame& g, const Trace& t) {
    const Rect clip = s->GetClipBox();
    long long i1 = RoundToInt((static_cast<double>(clip.left) - g.x0 - 5) / t.p);
    i1 = std::max(i1 + t.first - 1, t.first);
    long long i2 = RoundToInt((static_cast<double>(clip.right) - g.x0 + 5) / t.p);
    i2 = std::min(i2 + t.first + 1, t.last);

    int lastX = -1;
    int prevY = 0;
    int hi = 0;
    int lo = 0;
    int x = 0;
    int f = 0;
    for (long long i = i1; i <= i2; ++i) {
        // The step i = i2 reads nothing: it only flushes the last column.
        const bool read = i < i2;
        if (read) {
            x = RoundToInt(static_cast<double>(i - t.first) * t.p);
            f = SampleOffset(t, t.data[i]);
        }
        if (read && x == lastX) {
            // "F above hi, else F below lo": as lo <= hi always, the two are independent, and
            // without branches the thousands of samples of one column do not stall on them.
            hi = std::max(hi, f);
            lo = std::min(lo, f);
        } else {
            const int columnX = AddCoord(g.x0, lastX);
            if (hi != lo) DrawLine(s, columnX, AddCoord(g.ym, hi), columnX, AddCoord(g.ym, lo));
            DrawLine(s, columnX, AddCoord(g.ym, prevY), AddCoord(g.x0, x), AddCoord(g.ym, f));
            hi = lo = f;
            lastX = x;
        }
        prevY = f;
    }
}

// Ticks along the bottom of the inner area, labelled with the absolute time in ms; the last
// label carries the time unit.
void DrawTimeAxis(Surface* s, const GraphFrame& g, int plotBottom, const Trace& t, int rate,
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

    Trace t;
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
