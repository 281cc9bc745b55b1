#include "gui/display/KaisekiView.h"

#include <QLayout>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegion>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <vector>

#include "gui/display/GraphPrinting.h"
#include "gui/display/MainFrame.h"
#include "gui/platform/QPainterSurface.h"
#include "document/ParallelChannels.h"
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
    if (m_doc) m_doc->AddView(this);
    UpdateScrollBars();
}

CKaisekiView::~CKaisekiView() {
    if (m_doc) m_doc->RemoveView(this);
}

CMainFrame* CKaisekiView::Frame() const {
    return qobject_cast<CMainFrame*>(window());
}

int CKaisekiView::TotalWidth() const {
    return kBaseWidth * m_xZoom;
}

int CKaisekiView::TotalHeight() const {
    return kBaseHeight * m_yZoom;
}

Rect CKaisekiView::BandRect(int channel) const {
    const int h = BandHeight();
    return {0, channel * h, TotalWidth(), (channel + 1) * h};
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
    // Shrink only: take away what the view shows beyond the scrolling area.
    const QSize client = viewport()->size();
    const int excessX = std::max(0, client.width() - TotalWidth());
    const int excessY = std::max(0, client.height() - TotalHeight());
    if (excessX == 0 && excessY == 0) return;
    const QSize size = top->size();
    top->resize(std::max(top->minimumWidth(), size.width() - excessX),
                std::max(top->minimumHeight(), size.height() - excessY));
    UpdateScrollBars();
}

void CKaisekiView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
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
    for (int k = 0; k < CKaisekiDoc::kChannels; ++k) {
        const Rect band = BandRect(k);
        if (Intersects(band, visible)) m_doc->DrawChannel(&surface, band, k, nullptr);
    }
}

void CKaisekiView::ComputeVisibleChannels(const std::function<bool(const Rect&)>& drawn) {
    std::vector<int> channels;
    for (int k = 0; k < CKaisekiDoc::kChannels; ++k) {
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
    // Each band once, however many rectangles of the region it crosses: a band's chain is
    // computed once per paint.
    for (int k = 0; k < CKaisekiDoc::kChannels; ++k) {
        const Rect band = BandRect(k);
        if (area.intersects(ToQRect(band))) m_doc->DrawChannel(&surface, band, k, nullptr);
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
    if (!m_capturing) return;
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
    if (event->button() != Qt::LeftButton || !m_capturing) return;
    m_capturing = false;
    UpdateOutline(m_dragRect);
    if (!m_doc) return;
    const QPoint scroll = ScrollPosition();
    const Rect selection{m_dragRect.left + scroll.x(), m_dragRect.top + scroll.y(),
                         m_dragRect.right + scroll.x(), m_dragRect.bottom + scroll.y()};
    // A selection starting below the last band (a window taller than the area) or above the
    // first one belongs to the nearest band.
    const int channel = std::clamp(selection.top / BandHeight(), 0, CKaisekiDoc::kChannels - 1);
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
    return PrintPageCount(m_channelsPerPage);
}

bool CKaisekiView::OnPreparePrinting(QPrinter& printer) {
    QPrintDialog dialog(&printer, this);
    dialog.setMinMax(1, PageCount());
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    return dialog.exec() == QDialog::Accepted;
}

void CKaisekiView::OnPrepareDC(QPainter& painter, int dpiX, int dpiY) {
    SetPrintMapping(painter, dpiX, dpiY);
    SetPrintFont(painter);
}

void CKaisekiView::OnPrint(QPainter& painter, int page) {
    if (!m_doc) return;
    QPainterSurface surface(painter, QRect(0, 0, kPrintPageWidth, kPrintPageHeight));
    PrintPage(*m_doc, surface, page, m_channelsPerPage);
}

bool CKaisekiView::PrintTo(QPrinter& printer) {
    if (!m_doc) return false;
    const bool printed = PrintPages(*m_doc, printer, m_channelsPerPage);
    OnEndPrinting();
    return printed;
}

}  // namespace tavrel::qt
