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
// parallel when more than one needs it, in whole rounds of one chain per thread; drawing them
// afterwards computes only the chains left over after the last whole round (each alone, its
// filterings split over the threads).
void ComputeChannelOutputs(CKaisekiDoc& doc, std::span<const int> channels);
// The same for all sixteen channels.
void ComputeAllChannelOutputs(CKaisekiDoc& doc);

// What GatherChannelData does with the chains' outputs and the document's data.
enum class Gathering {
    // The samples are those the chain ends keep (ViewChannelData; valid until a chain computes
    // again).
    View,
    // The outputs are taken over (TakeChannelData) and every chain's buffers let go of once it
    // delivered.
    Take,
    // As Take, and each source column is freed as soon as the chains that read it delivered: the
    // document holds no data afterwards (for a document closed right after, as the command-line
    // export's). The system hands the freed memory, already touched, to the outputs computed
    // next, which costs less than fresh memory.
    Consume,
};

// Every channel's export data (GetChannelData, each chain computing afresh), the chains computed
// in parallel, without copies.
std::array<ChannelExport, CKaisekiDoc::kChannels> GatherChannelData(CKaisekiDoc& doc,
                                                                    Gathering gathering);

}  // namespace tavrel
