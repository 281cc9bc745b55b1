// The bursts that the results window's burst tab lists, shaded from onset to offset behind the
// traces of the graph view and the magnifier while that tab is shown. The window fills it; the
// views shade a channel's bursts before they draw the channel.
#pragma once

#include <array>

#include "document/BurstTable.h"
#include "document/KaisekiDoc.h"
#include "platform/Surface.h"

namespace tavrel::qt {

// A light orange, under the black trace.
inline constexpr Color kBurstShadeColor{255, 222, 173};

struct BurstShading {
    bool active = false;
    const CKaisekiDoc* doc = nullptr;  // the document the bursts were found in
    std::array<BurstShade, CKaisekiDoc::kChannels> channels;
};

// The program's one shading.
BurstShading& CurrentBurstShading();

// Shades the bursts of `channel` inside `band` (the band as CKaisekiDoc::DrawChannel gets it)
// with the visible samples `range` (null: all), when the shading is active for this document and
// the chain's end still holds the output the bursts were found in (not the spectrum a spectrum
// view draws). Returns the number of rectangles filled.
int ShadeBursts(Surface& surface, CKaisekiDoc& doc, const Rect& band, int channel,
                const SampleRange* range);

}  // namespace tavrel::qt
