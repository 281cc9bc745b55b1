#include "gui/display/MagView.h"

#include <QPaintEvent>
#include <QPainter>

#include "gui/display/BurstShading.h"
#include "gui/platform/QPainterSurface.h"

namespace tavrel::qt {

CMagView::CMagView(CKaisekiDoc* doc, QWidget* parent) : QWidget(parent), m_doc(doc) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(1, 1);
    if (m_doc) m_doc->AddView(this);
}

CMagView::~CMagView() {
    if (m_doc) m_doc->RemoveView(this);
}

void CMagView::OnDraw(Surface& surface) {
    if (!m_doc) return;
    const SampleRange range{m_firstSample, m_lastSample};
    const Rect band{0, 0, width(), height()};
    ShadeBursts(surface, *m_doc, band, m_channel, &range);
    m_doc->DrawChannel(&surface, band, m_channel, &range);
}

void CMagView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::white);
    QPainterSurface surface(painter, event->rect());
    OnDraw(surface);
}

}  // namespace tavrel::qt
