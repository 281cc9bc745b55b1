#include "document/BandLayout.h"

#include "document/KaisekiDoc.h"

namespace tavrel {

bool ChannelHasData(const CKaisekiDoc& doc, int channel) {
    const CHeadFilter* head = doc.Head(channel);
    if (!head || doc.m_rowCount <= 0) return false;
    const auto own = static_cast<std::size_t>(head->m_channel);
    if (head->m_channel < 0 || own >= doc.m_channelSource.size()) return false;
    const std::size_t column = doc.m_channelSource[own];
    return column < CKaisekiDoc::kChannels && column < doc.m_columns.size() &&
           !doc.m_columns[column].empty();
}

std::vector<int> ShownChannels(const CKaisekiDoc& doc, bool hideEmpty) {
    std::vector<int> all;
    std::vector<int> withData;
    for (int k = 0; k < CKaisekiDoc::kChannels; ++k) {
        all.push_back(k);
        if (ChannelHasData(doc, k)) withData.push_back(k);
    }
    return hideEmpty && !withData.empty() ? withData : all;
}

}  // namespace tavrel
