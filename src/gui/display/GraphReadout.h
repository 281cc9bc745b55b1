// What the graph view and the magnifier share for the pointer and the cursors: the status-bar
// texts of the readout and of the cursor figures (from the core's reading of the drawn graph), the
// right-click menu that places the cursors, and the drawing of the cursor lines over the graphs.
#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "document/CursorMeasure.h"
#include "document/KaisekiDoc.h"

class QMenu;
class QPainter;
class QWidget;

namespace tavrel::qt {

class CMainFrame;
class ViewState;
struct ViewCursor;

// A time for the user: milliseconds, or seconds above 10 s.
QString TimeText(double ms);
// "CH3  12.5 ms  1.25 [mV]".
QString ReadoutText(const GraphPoint& point);
// Δt, then for the channel the values at A and B, their difference, mean and RMS between them.
QString CursorFiguresText(int channel, const CursorStats& stats);

// The cursor figures for the band of `channel` (-1, or a channel without a reading: that of
// cursor A); empty unless both cursors are set.
QString CursorFigures(CKaisekiDoc& doc, const ViewState& state, int channel);

// The main frame a graph view or the magnifier belongs to (null for a window on its own).
CMainFrame* FrameOf(const QWidget* widget);

// Shows the readout of `point` (none: the pointer is off the graphs) and, while both cursors are
// set, the cursor figures of `channel` (-1: no band under the pointer, the channel of cursor A).
void ShowPointer(CMainFrame* frame, CKaisekiDoc& doc, const std::optional<GraphPoint>& point,
                 int channel);

// The right-click menu of a band: "カーソル A をここに置く", "カーソル B をここに置く" (at
// `point`'s time; greyed without one) and "カーソルを消す". The caller runs and deletes it.
QMenu* CreateCursorMenu(QWidget* parent, ViewState& state, const std::optional<GraphPoint>& point);

// Draws the set cursors as vertical lines over a widget `height` tall; `xOf` places a cursor
// (none: it cannot be placed and is left out).
void DrawCursorLines(QPainter& painter, const ViewState& state, int height,
                     const std::function<std::optional<int>(const ViewCursor&)>& xOf);

}  // namespace tavrel::qt
