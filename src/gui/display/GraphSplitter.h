// The client area of the main frame: a dynamic splitter of up to 2 x 2 graph views, all showing
// the one document. The scroll bars belong to the splitter: the panes of a column share one
// horizontal bar (under the column) and scroll sideways together, the panes of a row share one
// vertical bar (beside the row) and scroll up and down together. Dragging the small split box at
// the top of a vertical scroll bar (or the left end of a horizontal one) splits the panes there,
// a click on it splits in the middle; dragging a split bar to the edge joins the panes again.
#pragma once

#include <QPointer>
#include <QSplitter>

#include "document/KaisekiDoc.h"

namespace tavrel::qt {

class CKaisekiView;

class GraphSplitter : public QSplitter {
    Q_OBJECT

  public:
    static constexpr int kMaxRows = 2;
    static constexpr int kMaxColumns = 2;
    static constexpr int kMinPaneWidth = 60;
    static constexpr int kMinPaneHeight = 120;

    explicit GraphSplitter(CKaisekiDoc* doc, QWidget* parent = nullptr);

    int RowCount() const;
    int ColumnCount() const;
    CKaisekiView* Pane(int row, int column) const;
    // All panes, row by row.
    QList<CKaisekiView*> Panes() const;

    // The pane that had the focus last (the first pane until one had it).
    CKaisekiView* ActiveView() const;
    void SetActiveView(CKaisekiView* view);

    // Splits into two rows at `y` (two columns at `x`), in the splitter's coordinates; a
    // negative position splits in the middle. False when the panes are already split that way
    // or a part would be smaller than the minimum pane size.
    bool SplitRows(int y = -1);
    bool SplitColumns(int x = -1);
    // Removes a row or a column of panes (never the last one).
    void DeleteRow(int row);
    void DeleteColumn(int column);

    // Moves the focus to the next pane (F6) or the previous one (Shift+F6), row by row.
    void ActivateNext(bool previous);

  private:
    QSplitter* Row(int row) const;
    CKaisekiView* CreateView(QSplitter* row, int index, const CKaisekiView* like);
    QSplitter* CreateRow(int index);
    // Shows each column's horizontal bar under its last row and each row's vertical bar beside
    // its last column, and the split boxes while a split that way is still possible.
    void UpdateSplitBoxes();
    // A pane scrolled: the other panes of its column (horizontal) or row (vertical) follow.
    void OnPaneScrolled(CKaisekiView* view, Qt::Orientation orientation, int value);
    void OnRowsMoved();
    void OnColumnsMoved(QSplitter* source);

    CKaisekiDoc* m_doc;
    QPointer<CKaisekiView> m_active;
    bool m_syncing = false;
};

}  // namespace tavrel::qt
