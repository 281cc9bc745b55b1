// The common graph drawing of a module's output.
#include "document/KaisekiDoc.h"
#include "pipeline/ModBase.h"

namespace tavrel {

void CModBase::DrawGraph(Surface* surface, const Rect& plot, const SampleRange*) {
    int scale[2] = {1, 1};
    if (m_doc) m_doc->GetPrintScale(scale);
    const int sx = scale[0];
    const int sy = scale[1];
    surface->FrameRect(plot, {10, 10, 10});
    int top = plot.top + 20 * sy;
    int bottom = plot.bottom - 20 * sy;
    int x0 = plot.left + 40 * sx;
    int ym = (top + bottom) / 2;
    surface->MoveTo(x0, ym);
    surface->LineTo(plot.right - 40 * sx, ym);
}

}  // namespace tavrel
