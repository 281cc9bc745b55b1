#include "document/EventMarks.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "document/CursorMeasure.h"
#include "document/KaisekiDoc.h"
#include "modules/analysis/ClipFilter.h"
#include "platform/Rounding.h"

namespace tavrel {

namespace {

// The time of the recording, in ms, at which the chain end's sample 0 lies: a clip that cuts out
// a range starts its output at the range's first sample; the other modules keep sample 0 at the
// time of their input's sample 0.
double ChainStartMs(CKaisekiDoc& doc, int channel) {
    double start = 0.0;
    CModBase* head = doc.Head(channel);
    if (!head) return start;
    const CModBase* end = CModBase::ChainEnd(head);
    for (const CModBase* m = head; m != end && m->m_next; m = m->m_next) {
        const auto* clip = dynamic_cast<const CClipFilter*>(m->m_next);
        if (!clip || !clip->IsCutMode() || clip->m_samplingRate <= 0) continue;
        // The first sample Compute keeps, of the range it fitted into its input.
        const int first = std::clamp(RoundToInt(clip->m_samplingRate * 0.001 * clip->m_startMs), 0,
                                     std::max(clip->m_inputCount, 0));
        start += 1000.0 / clip->m_samplingRate * first;
    }
    return start;
}

}  // namespace

std::vector<EventMark> PlaceEvents(CKaisekiDoc& doc, int channel, const Rect& band,
                                   const SampleRange* range) {
    std::vector<EventMark> marks;
    const std::vector<RecordingEvent>& events = doc.Events();
    if (events.empty()) return marks;
    const std::optional<BandPlacement> at = PlaceBand(doc, channel, band, range);
    if (!at) return marks;
    const double first = static_cast<double>(at->first);
    const double last = static_cast<double>(at->last);
    // A time's position in samples of the chain end's output, not rounded to a sample: sample i
    // lies at x0 + round((i - first) p), an event between two samples between their columns.
    const double perMs = at->rate * 0.001;
    const double startMs = ChainStartMs(doc, channel);
    auto column = [&](double sample) {
        return AddCoord(at->frame.x0, RoundToInt((sample - first) * at->p));
    };
    const int lineWidth = std::max(at->frame.sx, 1);
    for (std::size_t i = 0; i < events.size(); ++i) {
        const RecordingEvent& event = events[i];
        if (!std::isfinite(event.onsetMs) || !std::isfinite(event.durationMs)) continue;
        const double onset = perMs * (event.onsetMs - startMs);
        const double end = perMs * (event.onsetMs - startMs + std::max(event.durationMs, 0.0));
        // Inside the data area: from the first visible sample to the end of the last one.
        if (end < first || onset > last) continue;
        EventMark mark;
        mark.event = i;
        mark.onsetShown = onset >= first;
        mark.x = mark.onsetShown ? column(onset) : at->frame.x0;
        mark.left = mark.x;
        mark.right = std::max(column(std::min(end, last)), mark.left + lineWidth);
        mark.top = at->frame.top1;
        mark.bottom = at->frame.bottom1;
        marks.push_back(mark);
    }
    return marks;
}

int DrawEvents(Surface& surface, CKaisekiDoc& doc, const Rect& band, int channel,
               const SampleRange* range, bool labels) {
    if (doc.Events().empty()) return 0;
    // Placing needs the output the band is about to draw.
    if (CHeadFilter* head = doc.Head(channel); head && head->ChainNeedsOutput())
        head->ChainComputeOutput();
    const std::vector<EventMark> marks = PlaceEvents(doc, channel, band, range);
    if (marks.empty()) return 0;
    int scale[2];
    doc.m_display.GetPrintScale(scale);
    const Rect clip = surface.GetClipBox();
    auto needed = [&](int left, int right) { return right > clip.left && left < clip.right; };
    const Color background = surface.GetBkColor();
    int drawn = 0;
    for (const EventMark& m : marks) {
        if (!needed(m.left, m.right)) continue;
        ++drawn;
        if (m.right - m.left > scale[0])
            surface.FillSolidRect({m.left, m.top, m.right, m.bottom}, kEventSpanColor);
    }
    for (const EventMark& m : marks) {
        if (m.onsetShown && needed(m.x, m.x + scale[0]))
            surface.FillSolidRect({m.x, m.top, m.x + scale[0], m.bottom}, kEventColor);
    }
    surface.SetBkColor(background);
    if (!labels) return drawn;
    // Inside the band's outline, in the strip above the graph's inner area.
    const Rect inside{band.left + 1, band.top + 1, band.right - 1, band.bottom - 1};
    const std::vector<RecordingEvent>& events = doc.Events();
    for (const EventMark& m : marks) {
        const int x = AddCoord(m.left, 3LL * scale[0]);
        // Text only runs to the right, so a label starting left of the box may still reach it.
        if (x >= clip.right || events[m.event].text.empty()) continue;
        surface.TextOutClipped(x, AddCoord(band.top, 2LL * scale[1]), inside, kEventColor,
                               events[m.event].text);
    }
    return drawn;
}

}  // namespace tavrel
