// Which channels the graphs show as bands: all sixteen, or, when empty channels are hidden, only
// those whose chain has source samples to deliver. The graph view, the magnifier's channel choice,
// printing and `tavrel-cli render --hide-empty` share it, so all of them leave out the same bands.
#pragma once

#include <vector>

namespace tavrel {

class CKaisekiDoc;

// Whether the head of `channel` has source samples: the document holds rows and the channel's
// source column is a column with values.
bool ChannelHasData(const CKaisekiDoc& doc, int channel);

// The channels shown, in order: 0 .. 15, or with `hideEmpty` those with data. When no channel has
// data nothing is hidden, so the graphs never go blank.
std::vector<int> ShownChannels(const CKaisekiDoc& doc, bool hideEmpty);

}  // namespace tavrel
