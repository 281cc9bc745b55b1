// The recording's events on the graphs: each event inside a band's visible range is a thin
// vertical line at its onset and, when it lasts, a shaded span to its end, in one colour on every
// band; the band that carries the labels writes each event's text at its top, cut off at the
// band's edges. Times become x coordinates through the placement of the chain end's output in the
// band (PlaceBand, as for the cursors), so a chain that decimates or otherwise changes the rate
// still shows every event at its time (and a clip that cuts out a range shows them where they lie
// in the data it kept). The graph view, the magnifier, printing and `tavrel-cli
// render` all draw them through DrawEvents, before the band itself, so the trace stays on top.
#pragma once

#include <cstddef>
#include <vector>

#include "pipeline/ModBase.h"
#include "platform/Surface.h"

namespace tavrel {

class CKaisekiDoc;

// A purple, apart from the cursors' blue and green and the bursts' orange; the span a pale tint.
inline constexpr Color kEventColor{170, 0, 170};
inline constexpr Color kEventSpanColor{244, 222, 244};

// Where one event lies in a band, in the band's units.
struct EventMark {
    std::size_t event = 0;  // index into the document's events
    bool onsetShown = false;
    int x = 0;  // the onset's column (when shown)
    // The columns the event covers within the data area: the onset's line alone for an instant,
    // its span otherwise (right exclusive).
    int left = 0;
    int right = 0;
    int top = 0;  // the graph's inner area
    int bottom = 0;
};

// The events of the document that fall inside what the band of `channel` shows (drawn as
// DrawChannel draws it, with the visible samples `range`, null: the whole output), in the
// document's order. None when the chain's end holds no drawn output (see PlaceBand). An event
// whose onset or duration is not a finite number is left out; a negative duration counts as 0.
std::vector<EventMark> PlaceEvents(CKaisekiDoc& doc, int channel, const Rect& band,
                                   const SampleRange* range = nullptr);

// Draws the events of the band of `channel` (spans, then onset lines, then, with `labels`, the
// texts at the top of the band), only where the surface's clipping box needs it. Call it before
// DrawChannel: the chain's output is computed here when the chain does not hold it yet, and only
// when the document has events. Returns the number of events whose line or span was drawn.
int DrawEvents(Surface& surface, CKaisekiDoc& doc, const Rect& band, int channel,
               const SampleRange* range, bool labels);

}  // namespace tavrel
