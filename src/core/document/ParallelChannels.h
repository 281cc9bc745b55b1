// The work on several channels at once: each channel's chain computed on its own thread (the
// chains are independent of each other), the results used in channel order on the calling thread.
// What a chain shows the user while computing is shown afterwards, in channel order (see
// ParallelForCollecting). Every result is the one computing the channels one after another gives.
#pragma once

#include <array>
#include <span>

#include "document/ExportWriter.h"
#include "document/KaisekiDoc.h"

namespace tavrel {

// Computes the outputs of the listed channels' chains that drawing them would compute, in
// parallel when more than one needs it; drawing them afterwards computes nothing.
void ComputeChannelOutputs(CKaisekiDoc& doc, std::span<const int> channels);
// The same for all sixteen channels.
void ComputeAllChannelOutputs(CKaisekiDoc& doc);

// Every channel's export data (GetChannelData, each chain computing afresh), the chains computed
// in parallel, without copies: the samples are those the chain ends keep (ViewChannelData; valid
// until a chain computes again), or with `releaseBuffers` taken over (TakeChannelData) and every
// chain's buffers let go of once it delivered.
std::array<ChannelExport, CKaisekiDoc::kChannels> GatherChannelData(CKaisekiDoc& doc,
                                                                   bool releaseBuffers);

}  // namespace tavrel
