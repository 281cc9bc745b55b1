#include "document/CursorMeasure.h"

#include <algorithm>
#include <cmath>

#include "document/KaisekiDoc.h"
#include "modules/filters/SpectrumView.h"
#include "pipeline/GraphGeometry.h"
#include "platform/Rounding.h"

namespace tavrel {

namespace {

// The module whose output the channel's band shows, when it holds samples it draws as a waveform
// at a positive rate.
const CModBase* DrawnEnd(CKaisekiDoc& doc, int channel) {
    CHeadFilter* head = doc.Head(channel);
    if (!head) return nullptr;
    const CModBase* end = CModBase::ChainEnd(head);
    // A spectrum view draws the spectrum of its data, not its samples.
    if (dynamic_cast<const CSpectrumView*>(end)) return nullptr;
    if (!end->m_output || end->m_outputCount <= 0 || end->GetSamplingRate() <= 0) return nullptr;
    return end;
}

std::optional<BandPlacement> Place(const CKaisekiDoc& doc, const CModBase& end, const Rect& band,
                                   const SampleRange* range) {
    int scale[2];
    doc.m_display.GetPrintScale(scale);
    const Rect plot{AddCoord(band.left, 70LL * scale[0]), band.top, band.right, band.bottom};
    BandPlacement at;
    at.frame = MakeGraphFrame(plot, scale[0], scale[1]);
    at.last = end.m_outputCount;
    if (range && range->last > range->first) {
        at.first = std::max(range->first, 0);
        at.last = std::min<long long>(range->last, end.m_outputCount);
    }
    if (at.last <= at.first || at.frame.width <= 0) return std::nullopt;
    at.p = at.frame.width / static_cast<double>(at.last - at.first);
    at.rate = end.GetSamplingRate();
    return at;
}

int SampleOfTime(const CModBase& end, double ms) {
    return std::clamp(MsToSample(end.GetSamplingRate(), ms), 0, end.m_outputCount - 1);
}

}  // namespace

std::optional<GraphPoint> ReadGraphPoint(CKaisekiDoc& doc, int channel, const Rect& band, int x,
                                         const SampleRange* range) {
    const CModBase* end = DrawnEnd(doc, channel);
    if (!end) return std::nullopt;
    const std::optional<BandPlacement> at = Place(doc, *end, band, range);
    if (!at) return std::nullopt;
    // The inverse of the drawing's x = x0 + round((i - first) * p), rounded to the nearest sample.
    const long long offset = RoundToInt((static_cast<double>(x) - at->frame.x0) / at->p);
    const long long sample = std::clamp(at->first + offset, at->first, at->last - 1);
    GraphPoint point;
    point.channel = channel;
    point.sample = static_cast<int>(sample);
    point.timeMs = 1000.0 / end->GetSamplingRate() * static_cast<double>(sample);
    point.value = end->m_output[static_cast<std::size_t>(sample)];
    point.unit = end->BuildUnitLabel();
    return point;
}

std::optional<BandPlacement> PlaceBand(CKaisekiDoc& doc, int channel, const Rect& band,
                                       const SampleRange* range) {
    const CModBase* end = DrawnEnd(doc, channel);
    if (!end) return std::nullopt;
    return Place(doc, *end, band, range);
}

std::optional<int> TimeToBandX(CKaisekiDoc& doc, int channel, const Rect& band, double ms,
                               const SampleRange* range) {
    const std::optional<BandPlacement> at = PlaceBand(doc, channel, band, range);
    if (!at) return std::nullopt;
    const double sample = MsToSample(at->rate, ms);
    return AddCoord(at->frame.x0, RoundToInt((sample - static_cast<double>(at->first)) * at->p));
}

std::optional<CursorStats> MeasureBetweenCursors(CKaisekiDoc& doc, int channel, double msA,
                                                 double msB) {
    const CModBase* end = DrawnEnd(doc, channel);
    if (!end) return std::nullopt;
    CursorStats stats;
    stats.sampleA = SampleOfTime(*end, msA);
    stats.sampleB = SampleOfTime(*end, msB);
    const double* data = end->m_output.get();
    stats.valueA = data[stats.sampleA];
    stats.valueB = data[stats.sampleB];
    stats.difference = stats.valueB - stats.valueA;
    stats.deltaMs = msB - msA;
    const int lo = std::min(stats.sampleA, stats.sampleB);
    const int hi = std::max(stats.sampleA, stats.sampleB);
    double sum = 0.0;
    double squares = 0.0;
    for (int i = lo; i <= hi; ++i) {
        sum += data[i];
        squares += data[i] * data[i];
    }
    stats.count = static_cast<long long>(hi) - lo + 1;
    stats.mean = sum / static_cast<double>(stats.count);
    stats.rms = std::sqrt(squares / static_cast<double>(stats.count));
    stats.unit = end->BuildUnitLabel();
    return stats;
}

int DrawnSampleCount(CKaisekiDoc& doc, int channel) {
    const CModBase* end = DrawnEnd(doc, channel);
    return end ? end->m_outputCount : 0;
}

SampleRange ZoomRange(SampleRange current, int count, int anchor, double anchorFraction,
                      double factor, int minSamples) {
    if (count <= 0) return {};
    if (current.last <= current.first) current = {0, count};
    const long long length = static_cast<long long>(current.last) - current.first;
    const long long wanted = std::max<long long>(
        std::min<long long>(RoundToInt(static_cast<double>(length) * factor), count),
        std::min(minSamples, count));
    if (wanted >= count) return {0, count};
    const double fraction = std::clamp(anchorFraction, 0.0, 1.0);
    long long first = anchor - RoundToInt(fraction * static_cast<double>(wanted));
    first = std::clamp<long long>(first, 0, count - wanted);
    return {static_cast<int>(first), static_cast<int>(first + wanted)};
}

SampleRange PanRange(SampleRange current, int count, long long delta) {
    if (count <= 0) return {};
    if (current.last <= current.first) current = {0, count};
    const long long length = std::min<long long>(current.last - current.first, count);
    const long long first = std::clamp<long long>(current.first + delta, 0, count - length);
    return {static_cast<int>(first), static_cast<int>(first + length)};
}

int ScrollKeepingPoint(int oldWidth, int newWidth, int scroll, int mouseX) {
    const GraphFrame before = MakeGraphFrame({70, 0, oldWidth, 1}, 1, 1);
    const GraphFrame after = MakeGraphFrame({70, 0, newWidth, 1}, 1, 1);
    if (before.width <= 0 || after.width <= 0) return scroll;
    const double share =
        (static_cast<double>(scroll) + mouseX - before.x0) / static_cast<double>(before.width);
    return std::max(0, RoundToInt(after.x0 + share * after.width - mouseX));
}

}  // namespace tavrel
