// CPreviewWnd: the preview of a module settings dialog. It draws the module being edited with the
// common graph drawing over the whole window and lets the user pick a sample range by dragging a
// rubber band; on release it maps the band's horizontal extent to samples of the module's output
// and reports them with rangeSelected.
#pragma once

#include <QPixmap>
#include <QPoint>
#include <QWidget>

namespace tavrel {
class CModBase;
}

namespace tavrel::qt {

class CPreviewWnd : public QWidget {
    Q_OBJECT
  public:
    // The control id and the client rectangle (pixels) of the preview inside its dialog.
    static constexpr int kControlId = 4096;
    static constexpr int kLeft = 16;
    static constexpr int kTop = 2;
    static constexpr int kRight = 700;
    static constexpr int kBottom = 160;

    explicit CPreviewWnd(QWidget* parent = nullptr);

    // The module to draw (not owned); none draws only the background.
    void SetModule(CModBase* module);
    CModBase* Module() const { return m_module; }

    // Draws the module anew at once (after its settings changed).
    void Redraw();

    // How often the module has been drawn (each drawing recomputes an editing module's output).
    int DrawCount() const { return m_drawCount; }
    // Whether a drag is in progress (between button down and button up with the capture held).
    bool IsDragging() const { return m_dragging; }

  signals:
    // The sample range (first, last) of the module's output picked with the mouse.
    void rangeSelected(int first, int last);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    // Draws background and module into the cached picture the paint events show; a drag only
    // moves the rubber band over that picture and never recomputes the module.
    void RenderModule();
    QRect DragRect() const;

    CModBase* m_module = nullptr;
    QPixmap m_picture;
    bool m_pictureValid = false;
    int m_drawCount = 0;
    // The drag: the press point (anchor) and the latest mouse point.
    QPoint m_dragAnchor;
    QPoint m_dragPoint;
    bool m_dragging = false;
};

}  // namespace tavrel::qt
