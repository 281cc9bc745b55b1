#include "gui/pipeline/PreviewWnd.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>

#include "gui/platform/QPainterSurface.h"
#include "pipeline/ModBase.h"
#include "platform/Host.h"

#include <algorithm>

namespace tavrel::qt {

CPreviewWnd::CPreviewWnd(QWidget* parent) : QWidget(parent) {
    setObjectName(QString::number(kControlId));
    setGeometry(QRect(QPoint(kLeft, kTop), QPoint(kRight - 1, kBottom - 1)));
    // The whole window is painted from the cached picture, so Qt need not erase it first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CPreviewWnd::SetModule(CModBase* module) {
    m_module = module;
    m_pictureValid = false;
    update();
}

void CPreviewWnd::Redraw() {
    m_pictureValid = false;
    repaint();
}

void CPreviewWnd::RenderModule() {
    const qreal ratio = devicePixelRatioF();
    m_picture = QPixmap(size() * ratio);
    m_picture.setDevicePixelRatio(ratio);
    // The background is the dialog's own colour.
    m_picture.fill(palette().color(QPalette::Window));
    if (m_module) {
        QPainter painter(&m_picture);
        painter.setFont(font());
        QPainterSurface surface(painter);
        const Rect client{0, 0, width(), height()};
        WaitCursor wait;
        m_module->Draw(&surface, client, DisplayOf(*m_module), nullptr);
        ++m_drawCount;
    }
    m_pictureValid = true;
}

void CPreviewWnd::paintEvent(QPaintEvent*) {
    if (!m_pictureValid) RenderModule();
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_picture);
    if (m_dragging) {
        // The rubber band: a one-pixel outline that inverts what lies under it, visible on the
        // background and on the curve alike.
        const QRect band = DragRect();
        painter.setCompositionMode(QPainter::RasterOp_NotDestination);
        painter.setPen(QPen(Qt::black, 0));
        painter.setBrush(Qt::NoBrush);
        if (band.width() <= 1 || band.height() <= 1)
            painter.fillRect(band, Qt::black);
        else
            painter.drawRect(band.adjusted(0, 0, -1, -1));
    }
}

void CPreviewWnd::resizeEvent(QResizeEvent*) {
    m_pictureValid = false;
}

QRect CPreviewWnd::DragRect() const {
    // Normalised: the columns and rows from the smaller to the larger corner, both included.
    return QRect(m_dragAnchor, m_dragPoint).normalized();
}

void CPreviewWnd::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    m_dragAnchor = event->position().toPoint();
    m_dragPoint = m_dragAnchor;
    m_dragging = true;
    // Qt holds the mouse for this window from the press to the release (the capture).
    update();
}

void CPreviewWnd::mouseMoveEvent(QMouseEvent* event) {
    if (!m_dragging) return;
    m_dragPoint = event->position().toPoint();
    update();
}

void CPreviewWnd::mouseReleaseEvent(QMouseEvent* event) {
    if (!m_dragging || event->button() != Qt::LeftButton) return;
    m_dragPoint = event->position().toPoint();
    m_dragging = false;
    update();
    const int left = std::min(m_dragAnchor.x(), m_dragPoint.x());
    const int right = std::max(m_dragAnchor.x(), m_dragPoint.x());
    const int top = std::min(m_dragAnchor.y(), m_dragPoint.y());
    const int bottom = std::max(m_dragAnchor.y(), m_dragPoint.y());
    int range[2] = {0, 0};
    if (m_module) {
        // The mapping draws nothing; the surface only lends its device.
        QImage scratch(1, 1, QImage::Format_RGB32);
        QPainter painter(&scratch);
        QPainterSurface surface(painter);
        m_module->PixelsToRange(&surface, Rect{0, 0, width(), height()},
                                Rect{left, top, right, bottom}, range);
    }
    emit rangeSelected(range[0], range[1]);
}

}  // namespace tavrel::qt
