// The graph view's navigation and pointer: zooming with Ctrl+wheel, dragging with the middle
// button (or Space and the left button), the time keys, the readout of the point under the
// pointer, the measuring cursors and their right-click menu.
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <iterator>
#include <memory>

#include "gui/display/GraphReadout.h"
#include "gui/display/KaisekiView.h"
#include "gui/display/MainFrame.h"
#include "gui/display/ViewState.h"

namespace tavrel::qt {

namespace {

// The time zoom steps of the "X軸拡大率" menu and the value zoom steps of "Y軸拡大率".
constexpr int kZoomX[] = {1, 2, 4, 10, 20, 40};
constexpr int kZoomY[] = {1, 2};

// The next step from `current` in the direction of `up`; `current` itself at either end.
template <std::size_t N>
int NextStep(const int (&steps)[N], int current, bool up) {
    if (up) {
        for (int step : steps)
            if (step > current) return step;
        return current;
    }
    for (auto it = std::rbegin(steps); it != std::rend(steps); ++it)
        if (*it < current) return *it;
    return current;
}

}  // namespace

bool CKaisekiView::ZoomWithWheel(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier) || !m_doc) return false;
    event->accept();
    // Some platforms turn Shift+wheel into a sideways turn.
    const QPoint angle = event->angleDelta();
    const int delta = angle.y() != 0 ? angle.y() : angle.x();
    if (delta == 0) return true;
    const bool up = delta > 0;
    if (event->modifiers() & Qt::ShiftModifier) {
        const int factor = NextStep(kZoomY, m_doc->m_display.m_zoomY, up);
        if (factor == m_doc->m_display.m_zoomY) return true;
        if (CMainFrame* frame = Frame()) {
            frame->SetZoomY(factor);
            frame->UpdateCommandUI();
        } else {
            m_doc->m_display.m_zoomY = factor;
            m_doc->ApplyZoomToViews();
        }
        return true;
    }
    const int factor = NextStep(kZoomX, m_doc->m_display.m_zoomX, up);
    if (factor == m_doc->m_display.m_zoomX) return true;
    const int mouseX = event->position().toPoint().x();
    const int oldWidth = TotalWidth();
    const int scroll = horizontalScrollBar()->value();
    if (CMainFrame* frame = Frame()) {
        frame->SetZoomX(factor);
        frame->UpdateCommandUI();
    } else {
        m_doc->m_display.m_zoomX = factor;
        m_doc->ApplyZoomToViews();
    }
    horizontalScrollBar()->setValue(ScrollKeepingPoint(oldWidth, TotalWidth(), scroll, mouseX));
    return true;
}

bool CKaisekiView::StartPan(QMouseEvent* event) {
    const bool middle = event->button() == Qt::MiddleButton;
    const bool spaceDrag = event->button() == Qt::LeftButton && m_spaceHeld;
    if (!middle && !spaceDrag) return false;
    m_panning = true;
    m_panStart = event->position().toPoint();
    m_panScroll = ScrollPosition();
    event->accept();
    return true;
}

void CKaisekiView::keyPressEvent(QKeyEvent* event) {
    QScrollBar* h = horizontalScrollBar();
    switch (event->key()) {
        case Qt::Key_Space:
            if (!event->isAutoRepeat()) m_spaceHeld = true;
            break;
        case Qt::Key_Left:
            h->triggerAction(QAbstractSlider::SliderSingleStepSub);
            break;
        case Qt::Key_Right:
            h->triggerAction(QAbstractSlider::SliderSingleStepAdd);
            break;
        case Qt::Key_PageUp:
            h->triggerAction(QAbstractSlider::SliderPageStepSub);
            break;
        case Qt::Key_PageDown:
            h->triggerAction(QAbstractSlider::SliderPageStepAdd);
            break;
        case Qt::Key_Home:
            h->triggerAction(QAbstractSlider::SliderToMinimum);
            break;
        case Qt::Key_End:
            h->triggerAction(QAbstractSlider::SliderToMaximum);
            break;
        default:
            QAbstractScrollArea::keyPressEvent(event);
            return;
    }
    event->accept();
}

void CKaisekiView::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) m_spaceHeld = false;
    QAbstractScrollArea::keyReleaseEvent(event);
}

// ---- readout and cursors -----------------------------------------------------------------------

std::optional<GraphPoint> CKaisekiView::PointAt(const QPoint& client) const {
    if (!m_doc || m_shown.empty()) return std::nullopt;
    const QPoint area = client + ScrollPosition();
    if (area.y() < 0 || area.y() >= TotalHeight() || area.x() >= TotalWidth()) return std::nullopt;
    const int channel = ChannelAt(area.y());
    const Rect band = BandRect(channel);
    // Only the graph area counts, not the label column left of it.
    if (area.x() < band.left + 70) return std::nullopt;
    return ReadGraphPoint(*m_doc, channel, band, area.x());
}

void CKaisekiView::ShowPointer(const QPoint& client) {
    CMainFrame* frame = Frame();
    if (!frame || !m_doc) return;
    const std::optional<GraphPoint> point = PointAt(client);
    const int y = client.y() + ScrollPosition().y();
    const int channel = y >= 0 && y < TotalHeight() ? ChannelAt(y) : -1;
    tavrel::qt::ShowPointer(frame, *m_doc, point, channel);
}

void CKaisekiView::leaveEvent(QEvent* event) {
    if (CMainFrame* frame = Frame()) frame->ShowReadout(QString());
    QAbstractScrollArea::leaveEvent(event);
}

bool CKaisekiView::PlaceCursor(int which, const QPoint& client) {
    ViewState* state = State();
    const std::optional<GraphPoint> point = PointAt(client);
    if (!state || !point) return false;
    state->SetCursor(which, point->channel, point->timeMs);
    return true;
}

void CKaisekiView::contextMenuEvent(QContextMenuEvent* event) {
    ViewState* state = State();
    if (!state) return;
    std::unique_ptr<QMenu> menu(CreateCursorMenu(this, *state, PointAt(event->pos())));
    menu->exec(event->globalPos());
}

void CKaisekiView::DrawCursors(QPainter& painter) {
    const ViewState* state = State();
    if (!state || !state->AnyCursorSet() || !m_doc) return;
    const QPoint scroll = ScrollPosition();
    DrawCursorLines(painter, *state, viewport()->height(),
                    [this, scroll](const ViewCursor& cursor) -> std::optional<int> {
                        // Placed by its own channel, or by any band that has been drawn.
                        std::vector<int> order{cursor.channel};
                        order.insert(order.end(), m_shown.begin(), m_shown.end());
                        for (int channel : order) {
                            const Rect band = BandRect(channel);
                            if (band.right <= band.left) continue;
                            if (auto x = TimeToBandX(*m_doc, channel, band, cursor.ms))
                                return *x - scroll.x();
                        }
                        return std::nullopt;
                    });
}

std::function<void(Surface&, const Rect&, int)> CKaisekiView::PrintOverlay() const {
    const ViewState* state = State();
    if (!m_printCursors || !state || !state->AnyCursorSet() || !m_doc) return {};
    const ViewCursor cursors[2] = {state->Cursor(ViewState::A), state->Cursor(ViewState::B)};
    CKaisekiDoc* doc = m_doc;
    return [doc, cursors](Surface& surface, const Rect& band, int channel) {
        int scale[2];
        doc->m_display.GetPrintScale(scale);
        const Color background = surface.GetBkColor();
        for (int which : {ViewState::A, ViewState::B}) {
            const ViewCursor& cursor = cursors[which];
            if (!cursor.set) continue;
            const std::optional<int> x = TimeToBandX(*doc, channel, band, cursor.ms);
            if (!x) continue;
            surface.FillSolidRect({*x, band.top + 1, *x + scale[0], band.bottom - 1},
                                  which == ViewState::A ? Color{0, 0, 224} : Color{0, 150, 0});
        }
        surface.SetBkColor(background);
    };
}

}  // namespace tavrel::qt
