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
                                                                   bool releaseBuffers) {
    std::array<ChannelExport, CKaisekiDoc::kChannels> channels;
    ParallelForCollecting(CKaisekiDoc::kChannels, [&](int d) {
        ChannelExport& channel = channels[static_cast<std::size_t>(d)];
        // The outputs are used where they are (or taken over when the chain lets go of its
        // buffers anyway); their times are not listed.
        channel.stepTimes = true;
        int count = 0;
        if (!releaseBuffers) {
            const double* samples =
                doc.ViewChannelData(&channel.label, &count, &channel.timeStep, d);
            if (samples) channel.samples = {samples, static_cast<std::size_t>(count)};
            return;
        }
        channel.output = doc.TakeChannelData(&channel.label, &count, &channel.timeStep, d);
        if (channel.output) channel.samples = {channel.output.get(), static_cast<std::size_t>(count)};
        if (CHeadFilter* head = doc.Head(d)) head->ClearBuffers();
    });
    return channels;
}

}  // namespace tavrel
