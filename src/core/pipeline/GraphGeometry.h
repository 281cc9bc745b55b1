// Geometry of the common module graph, as pure functions: where the inner area, the data origin
// and the centre line of a plot rectangle lie, the step of the time ticks, the spacing of the
// amplitude ticks and the text of the scale label. The drawing (DrawGraph) uses them; anything
// that has to place or read a point of a graph (the FFT view, a renderer, tests) can too.
#pragma once

#include <string>

#include "platform/Surface.h"

namespace tavrel {

// The fixed parts of a plot rectangle (L, T, R, B) under the print scale (sx, sy). Every value
// is computed in 64 bits and saturated to int, so no plot rectangle or scale can overflow.
struct GraphFrame {
    int sx = 1;
    int sy = 1;
    int top1 = 0;     // T1 = T + 20 sy, top of the inner area
    int bottom1 = 0;  // B1 = B - 20 sy, bottom of the inner area
    int x0 = 0;       // L + 40 sx, data origin
    int xEnd = 0;     // R - 40 sx, right end of the data area
    int width = 0;    // W = R - L - 80 sx, data width
    int ym = 0;       // (T1 + B1) / 2, centre line
};
GraphFrame MakeGraphFrame(const Rect& plot, int sx, int sy);

// Sum of two coordinates, saturated to the int range.
int AddCoord(long long a, long long b);

// The samples first .. last - 1 of a module's output, placed in a plot.
struct WaveTrace {
    const double* data = nullptr;
    long long first = 0;
    long long last = 0;
    double p = 0.0;  // pixels per sample
    double q = 0.0;  // pixels per unit of value (0 draws a flat trace)
    // Bounds of a sample's screen offset from the centre line: the rows of the plot rectangle.
    long long minOffset = 0;
    long long maxOffset = 0;
};
// The waveform of a trace over the samples under the surface's clipping box (5 pixels and one
// sample more on either side), so a partial repaint costs time in proportion to its width: per
// pixel column a line from the previous column's last sample to the column's first, and a
// vertical line from its highest to its lowest sample where they differ. DrawWaveformBySample
// takes the samples one at a time and is the definition. DrawWaveform draws exactly the same
// lines in the same order, finding where each column's samples end and their extremes in one
// pass over them (a sample's height is a monotonic function of its value, NaN aside), which on a
// long output is many times faster; a plot without a positive width goes sample by sample.
void DrawWaveform(Surface* s, const GraphFrame& g, const WaveTrace& t);
void DrawWaveformBySample(Surface* s, const GraphFrame& g, const WaveTrace& t);

// Span of n samples in whole milliseconds, round(1000 / rate * n); 0 for a rate <= 0.
long long TimeSpanMs(int rate, long long n);

// Step of the time ticks for a span of S ms: a quarter, a half or a whole power of ten, chosen by
// the first third of the decade S lies in; each refinement (0, 1 or 2, from the time zoom)
// divides it by ten. Never below 1. A span of 0 ms gives the step 1 (one tick at the start).
long long TimeTickStep(long long spanMs, int refinements);

struct TimeTicks {
    long long step = 1;
    long long count = 0;  // k: the ticks are at 0, step, ..., k * step
};
// The time ticks for a span of S ms with the refinements the zoom asks for (0, 1 or 2). The step
// rule keeps k at most 10 unrefined and about 1100 with both refinements, whatever the sample
// count, rate or zoom, so no stored value can make the tick loop run away.
TimeTicks ChooseTimeTicks(long long spanMs, int refinements);

// Number of refinements the time zoom factor asks for: 1 from 10, 2 from 100.
int ZoomRefinements(int zoomX);

// Spacing P of the amplitude ticks for a maximum M > 0: 0.5, 1 or 2.5 times 10^floor(log10 M),
// by the third of the decade M lies in; c ticks on each side of the centre line. For an M that is
// not a positive finite number, or whose spacing cannot be represented, P = 0 and c = 0.
struct AmplitudeTicks {
    double spacing = 0.0;
    int count = 0;
};
AmplitudeTicks ChooseAmplitudeTicks(double maximum);

// The scale label: "x" and unitFactor * spacing as "%1.2G", then "[unit]", then for a nonzero
// time exponent "*" or "/", "[timeUnit]" and, for a magnitude above 1, "^" and that magnitude.
std::string ScaleLabel(int unitFactor, double spacing, const std::string& unit, int timeExponent,
                       const std::string& timeUnit);

}  // namespace tavrel
