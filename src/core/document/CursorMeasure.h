// Reading a channel's graph at a point, and measuring between two cursors, from what the chain's
// end delivered to its last drawing. The sample under a pixel comes from the graph geometry the
// drawing uses (MakeGraphFrame, with the band's graph area 70 units right of its left edge), so a
// readout names exactly the sample drawn there. Nothing is computed: a chain end that holds no
// output (never drawn, or its buffers cleared since) gives no reading.
#pragma once

#include <optional>
#include <string>

#include "pipeline/GraphGeometry.h"
#include "pipeline/ModBase.h"
#include "platform/Surface.h"

namespace tavrel {

class CKaisekiDoc;

// A sample of a channel's drawn output.
struct GraphPoint {
    int channel = 0;
    int sample = 0;       // index into the chain end's output
    double timeMs = 0.0;  // 1000 / rate x sample
    double value = 0.0;
    std::string unit;  // the unit label of the data ("[mV]", "1000x[mV]", ...)
};

// The sample under the x coordinate `x` of the band `band` in which DrawChannel drew `channel`
// with `range` (null: the whole output, as in the graph view). Points left or right of the data
// area give its first or last sample. None when the chain end holds no output, has no samples,
// draws a spectrum instead of its samples or has no positive rate.
std::optional<GraphPoint> ReadGraphPoint(CKaisekiDoc& doc, int channel, const Rect& band, int x,
                                         const SampleRange* range = nullptr);

// Where the band drawn as above shows the chain end's output, as DrawGraph places it: sample i
// (at the chain end's rate) at x0 + round((i - first) p) for the visible samples first .. last - 1;
// the data area runs from x0 to x0 + (last - first) p. None as for ReadGraphPoint.
struct BandPlacement {
    GraphFrame frame;
    long long first = 0;
    long long last = 0;
    double p = 0.0;  // pixels per sample
    int rate = 0;    // the chain end's rate
};
std::optional<BandPlacement> PlaceBand(CKaisekiDoc& doc, int channel, const Rect& band,
                                       const SampleRange* range = nullptr);

// The x coordinate at which the band drawn as above shows the time `ms` (the sample of that time
// at the chain end's rate). None as for ReadGraphPoint.
std::optional<int> TimeToBandX(CKaisekiDoc& doc, int channel, const Rect& band, double ms,
                               const SampleRange* range = nullptr);

// The figures between two cursors at times msA and msB on one channel.
struct CursorStats {
    int sampleA = 0;
    int sampleB = 0;
    double valueA = 0.0;
    double valueB = 0.0;
    double difference = 0.0;  // valueB - valueA
    double deltaMs = 0.0;     // msB - msA
    long long count = 0;      // samples from the earlier cursor to the later one, both included
    double mean = 0.0;
    double rms = 0.0;
    std::string unit;
};

// Values at A and B (the samples of the two times at the chain end's rate, limited to its output)
// and the mean and RMS of the output from the earlier to the later of them, sums taken in index
// order. None as for ReadGraphPoint.
std::optional<CursorStats> MeasureBetweenCursors(CKaisekiDoc& doc, int channel, double msA,
                                                 double msB);

// The number of samples the channel's band shows from its chain end's output (0 as for no
// reading): the magnifier zooms and pans within it.
int DrawnSampleCount(CKaisekiDoc& doc, int channel);

// The magnifier's range after zooming by `factor` (below 1 zooms in) about the sample `anchor`,
// which stays at the same place: `anchorFraction` of the way across the data area. The range keeps
// at least `minSamples` samples and stays within 0 .. count; a range reaching the whole output is
// the whole output. `current` with last <= first stands for the whole output.
SampleRange ZoomRange(SampleRange current, int count, int anchor, double anchorFraction,
                      double factor, int minSamples = 2);
// The range moved by `delta` samples, kept within 0 .. count with its length.
SampleRange PanRange(SampleRange current, int count, long long delta);

// The graph view's horizontal scroll position that keeps the point under the client x `mouseX`
// in place when the scrolling area's width goes from `oldWidth` to `newWidth`: the point's share
// of the data area (MakeGraphFrame of the band's graph area) stays the same.
int ScrollKeepingPoint(int oldWidth, int newWidth, int scroll, int mouseX);

}  // namespace tavrel
