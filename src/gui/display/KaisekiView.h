// CKaisekiView: the graph view that fills the main window. It shows the sixteen channels of the
// document as bands stacked in one scrolling area whose size follows the zoom factors, scales
// them relative or absolute, prints them six to a page and turns a rectangle dragged with the
// left button into a magnifier request to the main frame.
#pragma once

#include <QAbstractScrollArea>
#include <QPixmap>
#include <QPoint>
#include <QRegion>
#include <functional>
#include <optional>
#include <vector>

#include "document/CursorMeasure.h"
#include "document/KaisekiDoc.h"
#include "platform/Surface.h"

class QPainter;
class QPrinter;

namespace tavrel::qt {

class CMainFrame;
class ViewState;

class CKaisekiView : public QAbstractScrollArea, public DocView {
    Q_OBJECT

  public:
    static constexpr int kBaseWidth = 770;
    static constexpr int kBaseHeight = 2560;

    explicit CKaisekiView(CKaisekiDoc* doc, QWidget* parent = nullptr);
    ~CKaisekiView() override;

    CKaisekiDoc* GetDocument() const { return m_doc; }

    // Document notifications.
    void OnUpdate() override;
    bool IsGraphView() const override { return true; }
    void SetZoom(int xZoom, int yZoom) override;

    // Takes the document's zoom factors and sizes the scrolling area.
    void OnInitialUpdate();
    // Sets the scrolling area to the zoomed size and shrinks (never enlarges) the main window so
    // that it is no larger than needed to show the whole area.
    void ApplyScrollSizes();

    // Size of the scrolling area (W x H) and the height of one band. W is 770 x the time zoom,
    // or with "ウィンドウ幅に合わせる" the window's width x the time zoom; H holds one band per
    // channel shown.
    int TotalWidth() const;
    int TotalHeight() const;
    int BandHeight() const { return kBaseHeight * m_yZoom / CKaisekiDoc::kChannels; }
    // The band of a channel (empty when the channel is hidden).
    Rect BandRect(int channel) const;
    // The channels shown, top to bottom: all sixteen, or with "データのないチャネルを隠す" those
    // with data. Brought up to date on every document update and option change.
    const std::vector<int>& ShownChannels() const { return m_shown; }
    void RefreshLayout();
    // The channel whose band holds the scrolling-area row y (clamped to the bands).
    int ChannelAt(int y) const;
    // The reading of the graph under a client point (none off the graph areas or without data).
    std::optional<GraphPoint> PointAt(const QPoint& client) const;
    // Sets cursor A or B (ViewState::Which) at the time under a client point; false when there
    // is nothing to read there.
    bool PlaceCursor(int which, const QPoint& client);
    int XZoom() const { return m_xZoom; }
    int YZoom() const { return m_yZoom; }
    QPoint ScrollPosition() const;
    void ScrollTo(const QPoint& position);
    const Rect& DragRect() const { return m_dragRect; }

    // Draws the part `visible` of the scrolling area (in scrolling-area coordinates): the
    // measuring pass of absolute display over all channels, then the bands that intersect it.
    void OnDraw(Surface& surface, const Rect& visible);

    // Printing: three pages of six bands in units of 1/400 inch.
    int PageCount() const;
    // Offers the print dialog for the printer (pages 1 to PageCount); true when accepted.
    bool OnPreparePrinting(QPrinter& printer);
    // Draws page `page` (1-based) on a painter already set up for the device by OnPrepareDC.
    void OnPrint(QPainter& painter, int page);
    // The 1/400-inch mapping on a device of the given resolution.
    static void OnPrepareDC(QPainter& painter, int dpiX, int dpiY);
    void OnEndPrinting() { ApplyScrollSizes(); }
    // Prints the pages the printer names (all pages when it names none); false when the printer
    // could not be opened.
    bool PrintTo(QPrinter& printer);
    // Whether printing draws the measuring cursors over the bands (chosen in the print dialog,
    // which offers it while a cursor is set; off by default).
    void SetPrintCursors(bool on) { m_printCursors = on; }
    bool PrintCursors() const { return m_printCursors; }
    // The cursor lines drawn over each printed band; none unless chosen and a cursor is set.
    std::function<void(Surface&, const Rect&, int)> PrintOverlay() const;

  signals:
    // The view got the focus: it is now the active view of the frame.
    void activated(CKaisekiView* view);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    ViewState* State() const;
    // "イベントを表示": the recording's events drawn and printed with the bands.
    bool ShowsEvents() const;
    void UpdateScrollBars();
    // Navigation (KaisekiViewNav.cpp): Ctrl+wheel steps the time zoom keeping the time under the
    // pointer in place, Ctrl+Shift+wheel the value zoom; the middle button, or Space with the
    // left button, drags the graphs.
    bool ZoomWithWheel(QWheelEvent* event);
    bool StartPan(QMouseEvent* event);
    void ShowPointer(const QPoint& client);
    void DrawCursors(QPainter& painter);
    void DrawBands(Surface& surface, const Rect& visible);
    // Computes the chains of the bands `drawn` accepts side by side, before they are drawn.
    void ComputeVisibleChannels(const std::function<bool(const Rect&)>& drawn);
    // Draws the graphs of `region` (client coordinates) into the picture: the measuring pass,
    // then each band that crosses the region, once.
    void DrawPicture(const QRegion& region);
    // The mouse went elsewhere before the button came up (a popup, another window, the window
    // manager): the drag ends without a selection and its outline goes.
    void LoseCapture();
    // Repaints the one-pixel outline of a rectangle in client coordinates.
    void UpdateOutline(const Rect& rect);
    CMainFrame* Frame() const;

    CKaisekiDoc* m_doc;
    Rect m_dragRect;
    const int m_channelsPerPage = 6;
    int m_yZoom = 1;
    int m_xZoom = 1;
    QPoint m_anchor;
    bool m_capturing = false;
    // The graphs as last drawn, and the part of the client area where they are still current.
    // Paints draw into it and show it; while a selection is dragged the graphs do not change,
    // so the picture is shown under the moving outline instead of drawing and measuring the
    // channels again for every mouse move.
    QPixmap m_picture;
    QRegion m_pictureValid;
    std::vector<int> m_shown;
    bool m_printCursors = false;
    bool m_panning = false;
    bool m_spaceHeld = false;
    QPoint m_panStart;
    QPoint m_panScroll;
};

}  // namespace tavrel::qt
