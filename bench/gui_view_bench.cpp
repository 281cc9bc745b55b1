// Repaint cost of the graph view with sixteen channels loaded through the core: the strip that a
// line scroll uncovers, a whole window, and a window after zooming to x10, in relative display
// and in absolute display (which measures all sixteen channels on every paint). Each paint draws
// through the QPainter surface into an image, the way the view's paint event does. A last case
// moves the outline of a selection drag.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>
#include <cstdlib>

#include "document/KaisekiDoc.h"
#include "gui/display/KaisekiView.h"
#include "gui/platform/QPainterSurface.h"

namespace {

using tavrel::CKaisekiDoc;
using tavrel::qt::CKaisekiView;

constexpr int kWidth = 770;
constexpr int kHeight = 600;

void Fill(CKaisekiDoc& doc, int rows) {
    for (int k = 0; k < CKaisekiDoc::kChannels; ++k) {
        std::vector<double>& column = doc.m_columns[static_cast<std::size_t>(k)];
        column.resize(static_cast<std::size_t>(rows));
        for (int i = 0; i < rows; ++i) {
            column[static_cast<std::size_t>(i)] =
                (k + 1) * std::sin(2.0 * M_PI * 50.0 * i / 2000.0) +
                0.3 * std::sin(2.0 * M_PI * 731.0 * i / 2000.0);
        }
    }
    doc.m_rowCount = rows;
}

// Paints the part `strip` of the window (client coordinates) with the view scrolled to `scroll`.
void Paint(benchmark::State& state, int zoomX, bool absolute, QRect strip, QPoint scroll) {
    CKaisekiDoc doc;
    doc.OnNewDocument();
    Fill(doc, static_cast<int>(state.range(0)));
    doc.m_display.m_absoluteScale = absolute ? 1 : 0;
    CKaisekiView view(&doc);
    view.resize(kWidth + 20, kHeight + 20);
    view.SetZoom(zoomX, 1);
    QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setClipRect(strip);
        painter.translate(-scroll);
        const QRect area = strip.translated(scroll);
        tavrel::qt::QPainterSurface surface(painter, area);
        view.OnDraw(surface, {area.left(), area.top(), area.left() + area.width(),
                              area.top() + area.height()});
    }
    state.SetItemsProcessed(state.iterations());
}

// A line scroll down by 25 pixels uncovers a strip 25 pixels high across one band.
void BM_LineScrollStrip(benchmark::State& state) {
    Paint(state, 1, false, QRect(0, kHeight - 25, kWidth, 25), QPoint(0, 1000));
}
BENCHMARK(BM_LineScrollStrip)->Arg(8192)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_LineScrollStripAbsolute(benchmark::State& state) {
    Paint(state, 1, true, QRect(0, kHeight - 25, kWidth, 25), QPoint(0, 1000));
}
BENCHMARK(BM_LineScrollStripAbsolute)->Arg(8192)->Arg(1000000)->Unit(benchmark::kMillisecond);

// The whole window: four or five bands.
void BM_WholeWindow(benchmark::State& state) {
    Paint(state, 1, false, QRect(0, 0, kWidth, kHeight), QPoint(0, 1000));
}
BENCHMARK(BM_WholeWindow)->Arg(8192)->Arg(1000000)->Unit(benchmark::kMillisecond);

// After zooming to x10 the window shows a tenth of each band's time axis.
void BM_WholeWindowZoom10(benchmark::State& state) {
    Paint(state, 10, false, QRect(0, 0, kWidth, kHeight), QPoint(3000, 1000));
}
BENCHMARK(BM_WholeWindowZoom10)->Arg(8192)->Arg(1000000)->Unit(benchmark::kMillisecond);

// One mouse move of a selection drag in absolute display: the outline moves by a few pixels and
// the view repaints the old and the new outline (a shown view on the offscreen platform).
void BM_SelectionDragMove(benchmark::State& state) {
    CKaisekiDoc doc;
    doc.OnNewDocument();
    Fill(doc, static_cast<int>(state.range(0)));
    doc.m_display.m_absoluteScale = 1;
    CKaisekiView view(&doc);
    view.resize(kWidth + 20, kHeight + 20);
    view.show();
    QApplication::processEvents();
    QWidget* port = view.viewport();
    auto send = [port](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
        QMouseEvent event(type, QPointF(at), port->mapToGlobal(QPointF(at)), Qt::LeftButton,
                          buttons, Qt::NoModifier);
        QApplication::sendEvent(port, &event);
    };
    send(QEvent::MouseButtonPress, {100, 100}, Qt::LeftButton);
    int step = 0;
    for (auto _ : state) {
        step = (step + 1) % 200;
        send(QEvent::MouseMove, {300 + step, 250 + step}, Qt::LeftButton);
        port->repaint();
    }
    send(QEvent::MouseButtonRelease, {300, 250}, Qt::NoButton);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SelectionDragMove)->Arg(8192)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace
