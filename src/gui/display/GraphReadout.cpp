#include "gui/display/GraphReadout.h"

#include <QMenu>
#include <QPainter>
#include <cmath>

#include "gui/display/MainFrame.h"
#include "gui/display/ViewState.h"
#include "gui/platform/Translation.h"

namespace tavrel::qt {

namespace {

QString Number(double v, int digits = 7) {
    return QString::number(v, 'g', digits);
}

const QColor kCursorColors[2] = {QColor(0, 0, 224), QColor(0, 150, 0)};

}  // namespace

QString TimeText(double ms) {
    if (std::fabs(ms) > 10000.0) return Tr("GraphReadout", "%1 s").arg(Number(ms / 1000.0));
    return Tr("GraphReadout", "%1 ms").arg(Number(ms));
}

QString ReadoutText(const GraphPoint& point) {
    return Tr("GraphReadout", "CH%1  時間 %2  値 %3 %4")
        .arg(point.channel + 1)
        .arg(TimeText(point.timeMs), Number(point.value), QString::fromStdString(point.unit));
}

QString CursorFiguresText(int channel, const CursorStats& stats) {
    return Tr("GraphReadout", "Δt %1  CH%2  A %3  B %4  B-A %5  平均 %6  RMS %7 %8")
        .arg(TimeText(stats.deltaMs))
        .arg(channel + 1)
        .arg(Number(stats.valueA, 5), Number(stats.valueB, 5), Number(stats.difference, 5),
             Number(stats.mean, 5), Number(stats.rms, 5), QString::fromStdString(stats.unit));
}

CMainFrame* FrameOf(const QWidget* widget) {
    // The graph views sit in the frame; the magnifier is a window the frame owns.
    QWidget* w = widget ? widget->window() : nullptr;
    while (w) {
        if (auto* frame = qobject_cast<CMainFrame*>(w)) return frame;
        QWidget* owner = w->parentWidget();
        w = owner ? owner->window() : nullptr;
    }
    return nullptr;
}

QString CursorFigures(CKaisekiDoc& doc, const ViewState& state, int channel) {
    if (!state.BothCursorsSet()) return {};
    const ViewCursor& a = state.Cursor(ViewState::A);
    const ViewCursor& b = state.Cursor(ViewState::B);
    if (channel < 0) channel = a.channel;
    auto stats = MeasureBetweenCursors(doc, channel, a.ms, b.ms);
    if (!stats && channel != a.channel) {
        channel = a.channel;
        stats = MeasureBetweenCursors(doc, channel, a.ms, b.ms);
    }
    return stats ? CursorFiguresText(channel, *stats)
                 : Tr("GraphReadout", "Δt %1").arg(TimeText(b.ms - a.ms));
}

void ShowPointer(CMainFrame* frame, CKaisekiDoc& doc, const std::optional<GraphPoint>& point,
                 int channel) {
    if (!frame) return;
    frame->ShowReadout(point ? ReadoutText(*point) : QString());
    frame->ShowCursorFigures(CursorFigures(doc, *frame->State(), channel));
}

QMenu* CreateCursorMenu(QWidget* parent, ViewState& state, const std::optional<GraphPoint>& point) {
    auto* menu = new QMenu(parent);
    const char* const texts[2] = {QT_TRANSLATE_NOOP("GraphReadout", "カーソル A をここに置く"),
                                  QT_TRANSLATE_NOOP("GraphReadout", "カーソル B をここに置く")};
    for (int which : {ViewState::A, ViewState::B}) {
        QAction* place = menu->addAction(Tr("GraphReadout", texts[which]));
        place->setEnabled(point.has_value());
        if (point) {
            const int channel = point->channel;
            const double ms = point->timeMs;
            QObject::connect(place, &QAction::triggered, &state,
                             [&state, which, channel, ms] { state.SetCursor(which, channel, ms); });
        }
    }
    QAction* clear = menu->addAction(Tr("GraphReadout", "カーソルを消す"));
    clear->setEnabled(state.AnyCursorSet());
    QObject::connect(clear, &QAction::triggered, &state, [&state] { state.ClearCursors(); });
    return menu;
}

void DrawCursorLines(QPainter& painter, const ViewState& state, int height,
                     const std::function<std::optional<int>(const ViewCursor&)>& xOf) {
    for (int which : {ViewState::A, ViewState::B}) {
        const ViewCursor& cursor = state.Cursor(which);
        if (!cursor.set) continue;
        const std::optional<int> x = xOf(cursor);
        if (!x) continue;
        painter.setPen(QPen(kCursorColors[which], 1, Qt::DashLine));
        painter.drawLine(*x, 0, *x, height);
        painter.drawText(*x + 3, 12,
                         which == ViewState::A ? QStringLiteral("A") : QStringLiteral("B"));
    }
}

}  // namespace tavrel::qt
