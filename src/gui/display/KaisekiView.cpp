#include "gui/display/KaisekiView.h"

#include <QCheckBox>
#include <QLayout>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegion>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <vector>

#include "document/BandLayout.h"
#include "document/EventMarks.h"
#include "document/ParallelChannels.h"
#include "gui/display/BurstShading.h"
#include "gui/display/GraphPrinting.h"
#include "gui/display/GraphReadout.h"
#include "gui/display/MainFrame.h"
#include "gui/display/ViewState.h"
#include "gui/platform/QPainterSurface.h"
#include "gui/platform/Translation.h"
#include "platform/Host.h"

namespace tavrel::qt {

namespace {

bool Intersects(const Rect& a, const Rect& b) {
    return std::max(a.left, b.left) < std::min(a.right, b.right) &&
           std::max(a.top, b.top) < std::min(a.bottom, b.bottom);
}

QRect ToQRect(const Rect& r) {
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

}  // namespace

CKaisekiView::CKaisekiView(CKaisekiDoc* doc, QWidget* parent)
    : QAbstractScrollArea(parent), m_doc(doc) {
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    // The readout follows the pointer without a button held.
    viewport()->setMouseTracking(true);
    if (m_doc) m_doc->AddView(this);
    RefreshLayout();
    UpdateScrollBars();
}

CKaisekiView::~CKaisekiView() {
    if (m_doc) m_doc->RemoveView(this);
}

CMainFrame* CKaisekiView::Frame() const {
    return qobject_cast<CMainFrame*>(window());
}

ViewState* CKaisekiView::State() const {
    CMainFrame* frame = Frame();
    return frame ? frame->State() : nullptr;
}

bool CKaisekiView::ShowsEvents() const {
    const ViewState* state = State();
    return !state || state->ShowEvents();
}

int CKaisekiView::TotalWidth() const {
    const ViewState* state = State();
    if (state && state->FitWidth()) return std::max(viewport()->width(), 160) * m_xZoom;
    return kBaseWidth * m_xZoom;
}

int CKaisekiView::TotalHeight() const {
    return BandHeight() * static_cast<int>(m_shown.size());
}

Rect CKaisekiView::BandRect(int channel) const {
    const auto at = std::find(m_shown.begin(), m_shown.end(), channel);
    if (at == m_shown.end()) return {};
    const int row = static_cast<int>(at - m_shown.begin());
    const int h = BandHeight();
    return {0, row * h, TotalWidth(), (row + 1) * h};
}

int CKaisekiView::ChannelAt(int y) const {
    if (m_shown.empty()) return 0;
    const int row = std::clamp(y / BandHeight(), 0, static_cast<int>(m_shown.size()) - 1);
    return m_shown[static_cast<std::size_t>(row)];
}

void CKaisekiView::RefreshLayout() {
    const ViewState* state = State();
    std::vector<int> shown;
    if (m_doc) {
        shown = tavrel::ShownChannels(*m_doc, state && state->HideEmpty());
    } else {
        for (int k = 0; k < CKaisekiDoc::kChannels; ++k)
            shown.push_back(k);
    }
    if (shown == m_shown) return;
    m_shown = std::move(shown);
    m_pictureValid = QRegion();
    UpdateScrollBars();
}

QPoint CKaisekiView::ScrollPosition() const {
    return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

void CKaisekiView::ScrollTo(const QPoint& position) {
    horizontalScrollBar()->setValue(position.x());
    verticalScrollBar()->setValue(position.y());
}

// ---- document notifications and scrolling geometry --------------------------------------------

void CKaisekiView::OnUpdate() {
    RefreshLayout();
    m_pictureValid = QRegion();
    if (CMainFrame* frame = Frame()) frame->OnViewUpdate();
    viewport()->update();
}

void CKaisekiView::SetZoom(int xZoom, int yZoom) {
    // Factors come from the document's commands; anything out of the supported set is limited
    // so that the scrolling area stays within what a scroll bar can address.
    m_xZoom = std::clamp(xZoom, 1, 100);
    m_yZoom = std::clamp(yZoom, 1, 100);
    ApplyScrollSizes();
}

void CKaisekiView::OnInitialUpdate() {
    if (m_doc) {
        m_xZoom = std::clamp(m_doc->m_display.m_zoomX, 1, 100);
        m_yZoom = std::clamp(m_doc->m_display.m_zoomY, 1, 100);
    }
    ApplyScrollSizes();
    // A new or newly opened document is shown from its start: the zoom factors are the running
    // program's, but the place scrolled to in the previous document means nothing for this one.
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    viewport()->update();
}

void CKaisekiView::UpdateScrollBars() {
    const int width = TotalWidth();
    const int height = TotalHeight();
    const QSize client = viewport()->size();
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    // Page step: a tenth of the total size; line step: a tenth of the page step.
    h->setRange(0, std::max(0, width - client.width()));
    h->setPageStep(std::max(1, width / 10));
    h->setSingleStep(std::max(1, width / 100));
    v->setRange(0, std::max(0, height - client.height()));
    v->setPageStep(std::max(1, height / 10));
    v->setSingleStep(std::max(1, height / 100));
}

void CKaisekiView::ApplyScrollSizes() {
    m_pictureValid = QRegion();
    UpdateScrollBars();
    viewport()->update();
    // Only the main frame is shrunk; a view on its own (or a maximised frame) keeps its size.
    QWidget* top = Frame();
    if (!top || top->isMaximized() || top->isFullScreen()) return;
    if (QLayout* layout = top->layout()) layout->activate();
    // Shrink only: take away what the view shows beyond the scrolling area (a graph area that
    // follows the window's width never stands out).
    const QSize client = viewport()->size();
    const ViewState* state = State();
    const int excessX = state && state->FitWidth() ? 0 : std::max(0, client.width() - TotalWidth());
    const int excessY = std::max(0, client.height() - TotalHeight());
    if (excessX == 0 && excessY == 0) return;
    const QSize size = top->size();
    top->resize(std::max(top->minimumWidth(), size.width() - excessX),
                std::max(top->minimumHeight(), size.height() - excessY));
    UpdateScrollBars();
}

void CKaisekiView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    const ViewState* state = State();
    if (state && state->FitWidth()) {
        // The graphs are as wide as the window: a new width draws them anew.
        m_pictureValid = QRegion();
        viewport()->update();
    }
    UpdateScrollBars();
}

void CKaisekiView::scrollContentsBy(int dx, int dy) {
    // The picture moves with the graphs; what comes into view is drawn when it is painted.
    if (!m_picture.isNull() && m_picture.devicePixelRatio() == 1.0) {
        m_picture.scroll(dx, dy, m_picture.rect());
        m_pictureValid.translate(dx, dy);
        m_pictureValid &= viewport()->rect();
    } else {
        m_pictureValid = QRegion();
    }
    // The drag outline lives in client coordinates, so while it is shown everything repaints.
    if (m_capturing) {
        viewport()->update();
    } else {
        viewport()->scroll(dx, dy);
    }
}

void CKaisekiView::wheelEvent(QWheelEvent* event) {
    if (ZoomWithWheel(event)) return;
    const QPoint delta = event->angleDelta();
    // Shift turns the wheel into horizontal scrolling.
    if ((event->modifiers() & Qt::ShiftModifier) && delta.x() == 0 && delta.y() != 0) {
        QScrollBar* h = horizontalScrollBar();
        const int lines = delta.y() / 40;  // 3 lines per notch of 120
        h->setValue(h->value() - (lines != 0 ? lines : (delta.y() > 0 ? 1 : -1)) * h->singleStep());
        event->accept();
        return;
    }
    QAbstractScrollArea::wheelEvent(event);
}

void CKaisekiView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    emit activated(this);
}

void CKaisekiView::focusOutEvent(QFocusEvent* event) {
    // A popup or another window that takes the focus takes the mouse as well.
    LoseCapture();
    QAbstractScrollArea::focusOutEvent(event);
}

// ---- drawing -----------------------------------------------------------------------------------

void CKaisekiView::OnDraw(Surface& surface, const Rect& visible) {
    if (!m_doc) return;
    WaitCursor wait;
    // Measured over all channels on every paint, visible or not.
    m_doc->MeasureCommonMax();
    DrawBands(surface, visible);
}

void CKaisekiView::DrawBands(Surface& surface, const Rect& visible) {
    if (!m_doc) return;
    ComputeVisibleChannels([&](const Rect& band) { return Intersects(band, visible); });
    const bool events = ShowsEvents();
    for (int k : m_shown) {
        const Rect band = BandRect(k);
        if (!Intersects(band, visible)) continue;
        ShadeBursts(surface, *m_doc, band, k, nullptr);
        if (events) DrawEvents(surface, *m_doc, band, k, nullptr, k == m_shown.front());
        m_doc->DrawChannel(&surface, band, k, nullptr);
    }
}

void CKaisekiView::ComputeVisibleChannels(const std::function<bool(const Rect&)>& drawn) {
    std::vector<int> channels;
    for (int k : m_shown) {
        if (drawn(BandRect(k))) channels.push_back(k);
    }
    ComputeChannelOutputs(*m_doc, channels);
}

void CKaisekiView::DrawPicture(const QRegion& region) {
    QPainter painter(&m_picture);
    painter.setClipRegion(region);
    painter.fillRect(region.boundingRect(), Qt::white);
    m_pictureValid += region;
    if (!m_doc) return;
    WaitCursor wait;
    const QPoint scroll = ScrollPosition();
    painter.translate(-scroll);
    const QRegion area = region.translated(scroll);
    QPainterSurface surface(painter, area.boundingRect());
    m_doc->MeasureCommonMax();
    ComputeVisibleChannels([&](const Rect& band) { return area.intersects(ToQRect(band)); });
    const bool events = ShowsEvents();
    // Each band once, however many rectangles of the region it crosses: a band's chain is
    // computed once per paint.
    for (int k : m_shown) {
        const Rect band = BandRect(k);
        if (!area.intersects(ToQRect(band))) continue;
        ShadeBursts(surface, *m_doc, band, k, nullptr);
        if (events) DrawEvents(surface, *m_doc, band, k, nullptr, k == m_shown.front());
        m_doc->DrawChannel(&surface, band, k, nullptr);
    }
}

void CKaisekiView::paintEvent(QPaintEvent* event) {
    const QRegion region = event->region();
    const qreal ratio = viewport()->devicePixelRatioF();
    const QSize size = viewport()->size();
    if (m_picture.isNull() || m_picture.devicePixelRatio() != ratio ||
        m_picture.deviceIndependentSize().toSize() != size) {
        m_picture = QPixmap(size * ratio);
        m_picture.setDevicePixelRatio(ratio);
        m_pictureValid = QRegion();
    }
    // Outside a drag everything asked for is drawn anew; during one, only what the picture
    // does not hold yet (after scrolling, say).
    const QRegion stale = m_capturing ? region.subtracted(m_pictureValid) : region;
    if (!stale.isEmpty()) DrawPicture(stale);

    QPainter painter(viewport());
    painter.setClipRegion(region);
    painter.drawPixmap(0, 0, m_picture);
    DrawCursors(painter);

    if (m_capturing) {
        // The selection outline, inverted over the graphs.
        QPainterSurface surface(painter);
        const Rect& d = m_dragRect;
        if (d.right > d.left && d.bottom > d.top) {
            surface.InvertRect({d.left, d.top, d.right, d.top + 1});
            if (d.bottom - 1 > d.top) surface.InvertRect({d.left, d.bottom - 1, d.right, d.bottom});
            if (d.bottom - 1 > d.top + 1) {
                surface.InvertRect({d.left, d.top + 1, d.left + 1, d.bottom - 1});
                if (d.right - 1 > d.left)
                    surface.InvertRect({d.right - 1, d.top + 1, d.right, d.bottom - 1});
            }
        }
    }
}

// ---- rubber-band selection ---------------------------------------------------------------------

void CKaisekiView::UpdateOutline(const Rect& r) {
    if (r.right <= r.left || r.bottom <= r.top) return;
    QRegion region;
    region += QRect(r.left, r.top, r.right - r.left, 1);
    region += QRect(r.left, r.bottom - 1, r.right - r.left, 1);
    region += QRect(r.left, r.top, 1, r.bottom - r.top);
    region += QRect(r.right - 1, r.top, 1, r.bottom - r.top);
    viewport()->update(region);
}

void CKaisekiView::mousePressEvent(QMouseEvent* event) {
    if (StartPan(event)) return;
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const QPoint p = event->position().toPoint();
    m_dragRect = {p.x(), p.y(), p.x(), p.y()};
    m_anchor = p;
    m_capturing = true;
    event->accept();
}

void CKaisekiView::mouseMoveEvent(QMouseEvent* event) {
    if (m_panning) {
        ScrollTo(m_panScroll - (event->position().toPoint() - m_panStart));
        return;
    }
    if (!m_capturing) {
        ShowPointer(event->position().toPoint());
        return;
    }
    if (!(event->buttons() & Qt::LeftButton)) {
        // The button came up where the view did not see it.
        LoseCapture();
        return;
    }
    const QPoint q = event->position().toPoint();
    const Rect next{std::min(m_anchor.x(), q.x()), std::min(m_anchor.y(), q.y()),
                    std::max(m_anchor.x(), q.x()), std::max(m_anchor.y(), q.y())};
    UpdateOutline(m_dragRect);
    m_dragRect = next;
    UpdateOutline(m_dragRect);
}

void CKaisekiView::mouseReleaseEvent(QMouseEvent* event) {
    if (m_panning) {
        if (!(event->buttons() & (Qt::MiddleButton | Qt::LeftButton))) m_panning = false;
        return;
    }
    if (event->button() != Qt::LeftButton || !m_capturing) return;
    m_capturing = false;
    UpdateOutline(m_dragRect);
    if (!m_doc) return;
    const QPoint scroll = ScrollPosition();
    const Rect selection{m_dragRect.left + scroll.x(), m_dragRect.top + scroll.y(),
                         m_dragRect.right + scroll.x(), m_dragRect.bottom + scroll.y()};
    // A selection starting below the last band (a window taller than the area) or above the
    // first one belongs to the nearest band.
    const int channel = ChannelAt(selection.top);
    int range[2] = {selection.left, selection.top};
    m_doc->ChannelPixelsToRange(channel, 0, {0, 0, TotalWidth(), TotalHeight()}, selection, range);
    if (CMainFrame* frame = Frame()) frame->ShowMagnifier(channel, range);
}

void CKaisekiView::LoseCapture() {
    if (!m_capturing) return;
    // The selection rectangle stays as it was; the next button release is ignored.
    m_capturing = false;
    UpdateOutline(m_dragRect);
}

void CKaisekiView::hideEvent(QHideEvent* event) {
    // A hidden view cannot hold the mouse.
    LoseCapture();
    QAbstractScrollArea::hideEvent(event);
}

// ---- printing ----------------------------------------------------------------------------------

int CKaisekiView::PageCount() const {
    return PrintPageCount(m_channelsPerPage, static_cast<int>(m_shown.size()));
}

bool CKaisekiView::OnPreparePrinting(QPrinter& printer) {
    QPrintDialog dialog(&printer, this);
    dialog.setMinMax(1, PageCount());
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    QCheckBox* cursors = nullptr;
    const ViewState* state = State();
    if (state && state->AnyCursorSet()) {
        auto* tab = new QWidget;
        tab->setWindowTitle(Tr("GraphView", "カーソル"));
        cursors = new QCheckBox(Tr("GraphView", "カーソルを印刷する"), tab);
        cursors->setObjectName(QStringLiteral("printCursors"));
        cursors->setChecked(m_printCursors);
        (new QVBoxLayout(tab))->addWidget(cursors);
        dialog.setOptionTabs({tab});
    }
    if (dialog.exec() != QDialog::Accepted) return false;
    if (cursors) m_printCursors = cursors->isChecked();
    return true;
}

void CKaisekiView::OnPrepareDC(QPainter& painter, int dpiX, int dpiY) {
    SetPrintMapping(painter, dpiX, dpiY);
    SetPrintFont(painter);
}

void CKaisekiView::OnPrint(QPainter& painter, int page) {
    if (!m_doc) return;
    QPainterSurface surface(painter, QRect(0, 0, kPrintPageWidth, kPrintPageHeight));
    PrintPage(*m_doc, surface, page, m_channelsPerPage, &m_shown, PrintOverlay(), ShowsEvents());
}

bool CKaisekiView::PrintTo(QPrinter& printer) {
    if (!m_doc) return false;
    RefreshLayout();
    const bool printed =
        PrintPages(*m_doc, printer, m_channelsPerPage, &m_shown, PrintOverlay(), ShowsEvents());
    OnEndPrinting();
    return printed;
}

}  // namespace tavrel::qt
