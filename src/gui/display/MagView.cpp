#include "gui/display/MagView.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>
#include <memory>

#include "document/EventMarks.h"
#include "gui/display/BurstShading.h"
#include "gui/display/GraphReadout.h"
#include "gui/display/MainFrame.h"
#include "gui/display/ViewState.h"
#include "gui/platform/QPainterSurface.h"
#include "pipeline/GraphGeometry.h"

namespace tavrel::qt {

namespace {
// One wheel notch (120) zooms by this factor, or moves the range by a tenth of its length.
constexpr double kZoomPerNotch = 0.5;
}  // namespace

CMagView::CMagView(CKaisekiDoc* doc, QWidget* parent) : QWidget(parent), m_doc(doc) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(1, 1);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
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
    const CMainFrame* frame = FrameOf(this);
    if (!frame || frame->State()->ShowEvents())
        DrawEvents(surface, *m_doc, band, m_channel, &range, true);
    m_doc->DrawChannel(&surface, band, m_channel, &range);
}

void CMagView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::white);
    {
        QPainterSurface surface(painter, event->rect());
        OnDraw(surface);
    }
    CMainFrame* frame = FrameOf(this);
    if (!frame || !m_doc || !frame->State()->AnyCursorSet()) return;
    const SampleRange range = Range();
    DrawCursorLines(painter, *frame->State(), height(), [this, range](const ViewCursor& cursor) {
        return TimeToBandX(*m_doc, m_channel, Band(), cursor.ms, &range);
    });
}

// ---- reading, zooming and moving ---------------------------------------------------------------

std::optional<GraphPoint> CMagView::PointAt(const QPoint& client) const {
    if (!m_doc) return std::nullopt;
    const SampleRange range = Range();
    return ReadGraphPoint(*m_doc, m_channel, Band(), client.x(), &range);
}

void CMagView::SetRange(const SampleRange& range) {
    if (range.first == m_firstSample && range.last == m_lastSample) return;
    m_firstSample = range.first;
    m_lastSample = range.last;
    update();
}

void CMagView::ZoomAt(int x, double factor) {
    if (!m_doc) return;
    const int count = DrawnSampleCount(*m_doc, m_channel);
    const std::optional<GraphPoint> point = PointAt({x, 0});
    if (count <= 0 || !point) return;
    const GraphFrame frame = MakeGraphFrame({70, 0, width(), height()}, 1, 1);
    const double fraction =
        frame.width > 0 ? (x - frame.x0) / static_cast<double>(frame.width) : 0.5;
    SetRange(ZoomRange(Range(), count, point->sample, fraction, factor));
}

void CMagView::PanBy(long long samples) {
    if (!m_doc) return;
    const int count = DrawnSampleCount(*m_doc, m_channel);
    if (count > 0) SetRange(PanRange(Range(), count, samples));
}

void CMagView::wheelEvent(QWheelEvent* event) {
    const QPoint angle = event->angleDelta();
    const int delta = angle.y() != 0 ? angle.y() : angle.x();
    event->accept();
    if (delta == 0 || !m_doc) return;
    const double notches = delta / 120.0;
    if (event->modifiers() & Qt::ControlModifier) {
        ZoomAt(event->position().toPoint().x(), std::pow(kZoomPerNotch, notches));
        return;
    }
    // Without Ctrl the wheel moves in time, a tenth of the range a notch.
    const int count = DrawnSampleCount(*m_doc, m_channel);
    const SampleRange range = m_lastSample > m_firstSample ? Range() : SampleRange{0, count};
    const double step = std::max(1.0, (range.last - range.first) / 10.0);
    PanBy(-static_cast<long long>(std::lround(notches * step)));
}

void CMagView::mousePressEvent(QMouseEvent* event) {
    const bool middle = event->button() == Qt::MiddleButton;
    if (!m_doc || !(middle || (event->button() == Qt::LeftButton && m_spaceHeld))) {
        QWidget::mousePressEvent(event);
        return;
    }
    const int count = DrawnSampleCount(*m_doc, m_channel);
    m_panRange = m_lastSample > m_firstSample ? Range() : SampleRange{0, count};
    const GraphFrame frame = MakeGraphFrame({70, 0, width(), height()}, 1, 1);
    m_panSamplesPerPixel =
        frame.width > 0 ? (m_panRange.last - m_panRange.first) / static_cast<double>(frame.width)
                        : 0.0;
    m_panStart = event->position().toPoint();
    m_panning = count > 0;
    event->accept();
}

void CMagView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (m_panning) {
        const int count = DrawnSampleCount(*m_doc, m_channel);
        const long long shift = std::llround((m_panStart.x() - p.x()) * m_panSamplesPerPixel);
        SetRange(PanRange(m_panRange, count, shift));
        return;
    }
    if (m_doc) ShowPointer(FrameOf(this), *m_doc, PointAt(p), m_channel);
}

void CMagView::mouseReleaseEvent(QMouseEvent* event) {
    if (m_panning && !(event->buttons() & (Qt::MiddleButton | Qt::LeftButton))) m_panning = false;
    QWidget::mouseReleaseEvent(event);
}

void CMagView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) m_spaceHeld = true;
    QWidget::keyPressEvent(event);
}

void CMagView::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) m_spaceHeld = false;
    QWidget::keyReleaseEvent(event);
}

void CMagView::contextMenuEvent(QContextMenuEvent* event) {
    CMainFrame* frame = FrameOf(this);
    if (!frame) return;
    std::unique_ptr<QMenu> menu(CreateCursorMenu(this, *frame->State(), PointAt(event->pos())));
    menu->exec(event->globalPos());
}

}  // namespace tavrel::qt
