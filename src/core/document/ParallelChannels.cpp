#include "document/ParallelChannels.h"

#include <vector>

#include "platform/WorkerPool.h"

namespace tavrel {

void ComputeChannelOutputs(CKaisekiDoc& doc, std::span<const int> channels) {
    std::vector<CHeadFilter*> pending;
    for (int channel : channels) {
        CHeadFilter* head = doc.Head(channel);
        if (head && head->ChainNeedsOutput()) pending.push_back(head);
    }
    // One chain is computed by its drawing, as always.
    if (pending.size() < 2 || ThreadCount() < 2) return;
    ParallelForCollecting(static_cast<int>(pending.size()), [&](int i) {
        pending[static_cast<std::size_t>(i)]->ChainComputeOutput();
    });
}

void ComputeAllChannelOutputs(CKaisekiDoc& doc) {
    std::array<int, CKaisekiDoc::kChannels> all{};
    for (int k = 0; k < CKaisekiDoc::kChannels; ++k)
        all[static_cast<std::size_t>(k)] = k;
    ComputeChannelOutputs(doc, all);
}

std::array<ChannelExport, CKaisekiDoc::kChannels> GatherChannelData(CKaisekiDoc& doc,
                                                                   bool releaseBuffers,
                                                                   bool allTimes) {
    std::array<ChannelExport, CKaisekiDoc::kChannels> channels;
    ParallelForCollecting(CKaisekiDoc::kChannels, [&](int d) {
        ChannelExport& channel = channels[static_cast<std::size_t>(d)];
        doc.GetChannelData(&channel.values, &channel.label, &channel.times, d);
        if (!releaseBuffers) return;
        if (CHeadFilter* head = doc.Head(d)) head->ClearBuffers();
    });
    if (releaseBuffers && !allTimes) {
        // The time column follows the first channel with the most values.
        std::size_t timesFrom = 0;
        for (std::size_t d = 1; d < channels.size(); ++d) {
            if (channels[d].values.size() > channels[timesFrom].values.size()) timesFrom = d;
        }
        for (std::size_t d = 0; d < channels.size(); ++d) {
            if (d != timesFrom) std::vector<double>().swap(channels[d].times);
        }
    }
    return channels;
}

}  // namespace tavrel
