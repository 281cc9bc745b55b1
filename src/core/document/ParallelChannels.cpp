#include "document/ParallelChannels.h"

#include <atomic>
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
    const auto threads = static_cast<std::size_t>(ThreadCount());
    if (pending.size() < 2 || threads < 2) return;
    // Whole rounds of chains side by side, one chain per thread. The chains left over after the
    // last whole round (fewer than the threads) are left to their drawing, which computes each
    // alone with its filterings split over the threads, rather than to a last round in which
    // some threads wait.
    const std::size_t together =
        pending.size() <= threads ? pending.size() : pending.size() - pending.size() % threads;
    ParallelForCollecting(static_cast<int>(together), [&](int i) {
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
                                                                    Gathering gathering) {
    std::array<ChannelExport, CKaisekiDoc::kChannels> channels;
    // Consumed: the chains still to deliver that read each source column (only a chain's head
    // reads the source data).
    std::array<std::atomic<int>, CKaisekiDoc::kChannels> readers{};
    const auto columnOf = [&doc](int d) { return doc.Head(d) ? doc.SourceColumn(d) : -1; };
    if (gathering == Gathering::Consume) {
        for (int d = 0; d < CKaisekiDoc::kChannels; ++d)
            if (const int column = columnOf(d); column >= 0)
                ++readers[static_cast<std::size_t>(column)];
    }
    ParallelForCollecting(CKaisekiDoc::kChannels, [&](int d) {
        ChannelExport& channel = channels[static_cast<std::size_t>(d)];
        // The outputs are used where they are (or taken over when the chain lets go of its
        // buffers anyway); their times are not listed.
        channel.stepTimes = true;
        int count = 0;
        if (gathering == Gathering::View) {
            const double* samples =
                doc.ViewChannelData(&channel.label, &count, &channel.timeStep, d);
            if (samples) channel.samples = {samples, static_cast<std::size_t>(count)};
            return;
        }
        channel.output = doc.TakeChannelData(&channel.label, &count, &channel.timeStep, d);
        if (channel.output)
            channel.samples = {channel.output.get(), static_cast<std::size_t>(count)};
        if (CHeadFilter* head = doc.Head(d)) head->ClearBuffers();
        if (const int column = gathering == Gathering::Consume ? columnOf(d) : -1;
            column >= 0 && --readers[static_cast<std::size_t>(column)] == 0)
            std::vector<double>().swap(doc.m_columns[static_cast<std::size_t>(column)]);
    });
    return channels;
}

}  // namespace tavrel
