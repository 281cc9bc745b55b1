// The document's channel operations on chains: refreshing the chains of channels that are not
// enabled from the nearest enabled channel before them, enabling and disabling a channel, and
// putting a channel's edited chain in place.
#pragma once

#include <functional>

#include "document/KaisekiDoc.h"

namespace tavrel {

// Gives channels `channel` .. 15 that are not enabled copies of the chain of the channel before
// them (each keeping its own channel number), stopping at the first enabled channel. The old
// chains are deleted.
void PropagateChains(CKaisekiDoc& doc, int channel);

// The enabled flag of channel 1-15 as its check box in the processing-settings dialog sets it.
// Enabling keeps the channel's current chain as its own list and marks the document modified;
// disabling gives it and the disabled channels after it copies of the chain before it, updates
// the views and marks the document modified.
void SetChannelEnabled(CKaisekiDoc& doc, int channel, bool enabled);

// Edits channel 0-15's processing list: `edit` (the processing-list editor) runs on a working copy
// of the channel's chain (a new head on the document when the channel has none) and returns true
// for OK. On OK the copy takes the channel's place, the channels after it are refreshed, the
// document is marked modified and its views updated before the old chain is deleted; otherwise
// the copy is deleted and the document is unchanged. Returns the editor's answer.
bool EditChannelChain(CKaisekiDoc& doc, int channel,
                      const std::function<bool(CHeadFilter* working)>& edit);

}  // namespace tavrel
