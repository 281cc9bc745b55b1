#include "document/ChannelChains.h"

#include <algorithm>

#include "pipeline/ChainEdit.h"

namespace tavrel {

namespace {

bool ValidChannel(const CKaisekiDoc& doc, int channel) {
    return channel >= 0 && channel < CKaisekiDoc::kChannels &&
           channel < static_cast<int>(doc.m_chains.size());
}

}  // namespace

void PropagateChains(CKaisekiDoc& doc, int channel) {
    if (channel < 1) return;
    auto& chains = doc.m_chains;
    const int count = std::min<int>(CKaisekiDoc::kChannels, static_cast<int>(chains.size()));
    for (int a = channel; a < count; ++a) {
        const auto index = static_cast<std::size_t>(a);
        if (index < doc.m_channelEnabled.size() && doc.m_channelEnabled[index] == 1) break;
        HeadPtr copy = CopyChain(chains[index - 1].get());
        if (chains[index] && copy) copy->m_channel = chains[index]->m_channel;
        // The old chain goes when `old` does, after the copy has taken its place.
        HeadPtr old = std::move(chains[index]);
        chains[index] = std::move(copy);
    }
}

void SetChannelEnabled(CKaisekiDoc& doc, int channel, bool enabled) {
    if (channel < 1 || channel >= CKaisekiDoc::kChannels ||
        doc.m_channelEnabled.size() < static_cast<std::size_t>(CKaisekiDoc::kChannels)) {
        return;
    }
    const auto index = static_cast<std::size_t>(channel);
    if (enabled) {
        // The channel keeps its current chain (a copy of the one before it) as its own list.
        doc.m_channelEnabled[index] = 1;
        doc.SetModifiedFlag();
        return;
    }
    doc.m_channelEnabled[index] = 0;
    PropagateChains(doc, channel);
    doc.UpdateAllViews();
    doc.SetModifiedFlag();
}

bool EditChannelChain(CKaisekiDoc& doc, int channel,
                      const std::function<bool(CHeadFilter* working)>& edit) {
    if (!ValidChannel(doc, channel)) return false;
    const auto index = static_cast<std::size_t>(channel);
    HeadPtr working = CopyChain(doc.m_chains[index].get());
    if (!working) {
        working.reset(new CHeadFilter);
        working->m_doc = &doc;
    }
    if (!edit(working.get())) return false;
    // The views repaint from the new chain while the old one still exists; it goes last.
    HeadPtr old = std::move(doc.m_chains[index]);
    doc.m_chains[index] = std::move(working);
    PropagateChains(doc, channel + 1);
    doc.SetModifiedFlag();
    doc.UpdateAllViews();
    return true;
}

}  // namespace tavrel
