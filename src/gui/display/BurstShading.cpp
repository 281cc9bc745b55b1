#include "gui/display/BurstShading.h"

#include "modules/filters/SpectrumView.h"
#include "pipeline/ModBase.h"

namespace tavrel::qt {

BurstShading& CurrentBurstShading() {
    static BurstShading shading;
    return shading;
}

int ShadeBursts(Surface& surface, CKaisekiDoc& doc, const Rect& band, int channel,
                const SampleRange* range) {
    const BurstShading& shading = CurrentBurstShading();
    if (!shading.active || shading.doc != &doc || channel < 0 || channel >= CKaisekiDoc::kChannels)
        return 0;
    CHeadFilter* head = doc.Head(channel);
    if (!head || shading.channels[static_cast<std::size_t>(channel)].samples.empty()) return 0;
    // The shading lies behind the trace, so it is drawn first: the chain's output it is placed by
    // is computed here when this paint has not computed it yet (drawing then reuses it).
    if (head->ChainNeedsOutput()) head->ChainComputeOutput();
    const CModBase* end = CModBase::ChainEnd(head);
    // A spectrum view draws a spectrum, not the values the bursts were found in.
    if (!end->m_output || dynamic_cast<const CSpectrumView*>(end)) return 0;
    const std::vector<Rect> rects =
        BurstShadeRects(band, shading.channels[static_cast<std::size_t>(channel)],
                        end->m_outputCount, range ? range->first : 0, range ? range->last : 0);
    if (rects.empty()) return 0;
    const Color background = surface.GetBkColor();
    for (const Rect& r : rects)
        surface.FillSolidRect(r, kBurstShadeColor);
    surface.SetBkColor(background);
    return static_cast<int>(rects.size());
}

}  // namespace tavrel::qt
