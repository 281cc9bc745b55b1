// CMagView: the view of the magnifier. It draws one channel over a sample range as a single band
// that fills the whole window, and repaints whenever the document updates its views. The wheel
// and the middle button (or Space and the left button) zoom and move the range down to single
// samples; the pointer's readout and the measuring cursors work as in the graph view.
#pragma once

#include <QPoint>
#include <QWidget>
#include <optional>

#include "document/CursorMeasure.h"
#include "document/KaisekiDoc.h"

namespace tavrel::qt {

class CMagView : public QWidget, public DocView {
    Q_OBJECT

  public:
    explicit CMagView(CKaisekiDoc* doc, QWidget* parent = nullptr);
    ~CMagView() override;

    CKaisekiDoc* GetDocument() const { return m_doc; }

    void OnUpdate() override { update(); }
    // Draws the channel band over the whole client rectangle with the range shown.
    void OnDraw(Surface& surface);

    // The reading of the graph under a client point (none without data).
    std::optional<GraphPoint> PointAt(const QPoint& client) const;
    // Zooms by `factor` (below 1: in) about the sample under client x, which stays in place.
    void ZoomAt(int x, double factor);
    // Moves the range by `samples`.
    void PanBy(long long samples);

    // Set directly by the main frame's ShowMagnifier.
    int m_firstSample = 0;
    int m_lastSample = 0;
    int m_channel = 0;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    Rect Band() const { return {0, 0, width(), height()}; }
    SampleRange Range() const { return {m_firstSample, m_lastSample}; }
    void SetRange(const SampleRange& range);

    CKaisekiDoc* m_doc;
    bool m_panning = false;
    bool m_spaceHeld = false;
    QPoint m_panStart;
    SampleRange m_panRange;
    double m_panSamplesPerPixel = 0.0;
};

}  // namespace tavrel::qt
