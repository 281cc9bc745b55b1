#include "gui/display/GraphSplitter.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOption>
#include <QTimer>
#include <algorithm>
#include <functional>

#include "gui/display/KaisekiView.h"
#include "gui/platform/Translation.h"

namespace tavrel::qt {

namespace {

// The split box at the top of a view's vertical scroll bar (splits into rows) or at the left of
// its horizontal one (splits into columns). Pressing and releasing it without moving splits in
// the middle; dragging it splits where the button is released.
class SplitBox : public QWidget {
  public:
    SplitBox(Qt::Orientation splitDirection,
             std::function<void(QPoint globalRelease, bool moved)> split, QWidget* parent)
        : QWidget(parent), m_direction(splitDirection), m_split(std::move(split)) {
        setCursor(m_direction == Qt::Vertical ? Qt::SplitVCursor : Qt::SplitHCursor);
        // As wide as the scroll bar it sits on, a few pixels long.
        if (m_direction == Qt::Vertical)
            setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        else
            setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
        setToolTip(m_direction == Qt::Vertical ? Tr("GraphSplitter", "ウィンドウを上下に分割")
                                               : Tr("GraphSplitter", "ウィンドウを左右に分割"));
    }

    QSize sizeHint() const override { return {7, 7}; }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        QStyleOptionFrame option;
        option.initFrom(this);
        option.rect = rect();
        option.lineWidth = 1;
        option.state |= QStyle::State_Raised;
        painter.fillRect(rect(), palette().button());
        style()->drawPrimitive(QStyle::PE_Frame, &option, &painter, this);
        painter.setPen(palette().dark().color());
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) m_press = event->globalPosition().toPoint();
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton) return;
        const QPoint release = event->globalPosition().toPoint();
        const bool moved = (release - m_press).manhattanLength() > 3;
        // The split creates and re-lays out widgets; leave this handler first.
        QTimer::singleShot(0, parentWidget(),
                           [split = m_split, release, moved] { split(release, moved); });
    }

  private:
    Qt::Orientation m_direction;
    std::function<void(QPoint, bool)> m_split;
    QPoint m_press;
};

}  // namespace

GraphSplitter::GraphSplitter(CKaisekiDoc* doc, QWidget* parent)
    : QSplitter(Qt::Vertical, parent), m_doc(doc) {
    setChildrenCollapsible(true);
    setOpaqueResize(true);
    connect(this, &QSplitter::splitterMoved, this, [this] { OnRowsMoved(); });
    QSplitter* row = CreateRow(0);
    CreateView(row, 0, nullptr);
    UpdateSplitBoxes();
}

int GraphSplitter::RowCount() const {
    return count();
}

int GraphSplitter::ColumnCount() const {
    QSplitter* first = Row(0);
    return first ? first->count() : 0;
}

QSplitter* GraphSplitter::Row(int row) const {
    if (row < 0 || row >= count()) return nullptr;
    return qobject_cast<QSplitter*>(widget(row));
}

CKaisekiView* GraphSplitter::Pane(int row, int column) const {
    QSplitter* r = Row(row);
    if (!r || column < 0 || column >= r->count()) return nullptr;
    return qobject_cast<CKaisekiView*>(r->widget(column));
}

QList<CKaisekiView*> GraphSplitter::Panes() const {
    QList<CKaisekiView*> panes;
    for (int r = 0; r < RowCount(); ++r) {
        for (int c = 0; c < ColumnCount(); ++c) {
            if (CKaisekiView* view = Pane(r, c)) panes.append(view);
        }
    }
    return panes;
}

CKaisekiView* GraphSplitter::ActiveView() const {
    if (m_active && Panes().contains(m_active.data())) return m_active.data();
    return Pane(0, 0);
}

void GraphSplitter::SetActiveView(CKaisekiView* view) {
    if (view && Panes().contains(view)) m_active = view;
}

QSplitter* GraphSplitter::CreateRow(int index) {
    auto* row = new QSplitter(Qt::Horizontal);
    row->setChildrenCollapsible(true);
    row->setOpaqueResize(true);
    insertWidget(index, row);
    setCollapsible(index, true);
    connect(row, &QSplitter::splitterMoved, this, [this, row] { OnColumnsMoved(row); });
    return row;
}

CKaisekiView* GraphSplitter::CreateView(QSplitter* row, int index, const CKaisekiView* like) {
    auto* view = new CKaisekiView(m_doc);
    view->setMinimumSize(kMinPaneWidth, kMinPaneHeight);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    row->insertWidget(index, view);
    row->setCollapsible(index, true);
    connect(view, &CKaisekiView::activated, this, [this](CKaisekiView* v) { SetActiveView(v); });
    connect(view->horizontalScrollBar(), &QScrollBar::valueChanged, this,
            [this, view](int value) { OnPaneScrolled(view, Qt::Horizontal, value); });
    connect(view->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this, view](int value) { OnPaneScrolled(view, Qt::Vertical, value); });

    auto* rowBox = new SplitBox(
        Qt::Vertical,
        [this](QPoint global, bool moved) { SplitRows(moved ? mapFromGlobal(global).y() : -1); },
        view);
    rowBox->setObjectName(QStringLiteral("splitRows"));
    view->addScrollBarWidget(rowBox, Qt::AlignTop);
    auto* columnBox = new SplitBox(
        Qt::Horizontal,
        [this](QPoint global, bool moved) { SplitColumns(moved ? mapFromGlobal(global).x() : -1); },
        view);
    columnBox->setObjectName(QStringLiteral("splitColumns"));
    view->addScrollBarWidget(columnBox, Qt::AlignLeft);

    view->OnInitialUpdate();
    if (like) view->ScrollTo(like->ScrollPosition());
    return view;
}

bool GraphSplitter::SplitRows(int y) {
    if (RowCount() >= kMaxRows) return false;
    const int total = height();
    const int handle = handleWidth();
    if (y < 0) y = (total - handle) / 2;
    if (y < kMinPaneHeight || total - handle - y < kMinPaneHeight) return false;
    QSplitter* upper = Row(0);
    QSplitter* lower = CreateRow(1);
    for (int c = 0; c < upper->count(); ++c) {
        CreateView(lower, c, qobject_cast<CKaisekiView*>(upper->widget(c)));
    }
    lower->setSizes(upper->sizes());
    setSizes({y, total - handle - y});
    UpdateSplitBoxes();
    return true;
}

bool GraphSplitter::SplitColumns(int x) {
    if (ColumnCount() >= kMaxColumns) return false;
    QSplitter* first = Row(0);
    const int total = first->width();
    const int handle = first->handleWidth();
    if (x < 0) x = (total - handle) / 2;
    if (x < kMinPaneWidth || total - handle - x < kMinPaneWidth) return false;
    m_syncing = true;
    for (int r = 0; r < RowCount(); ++r) {
        QSplitter* row = Row(r);
        CreateView(row, 1, qobject_cast<CKaisekiView*>(row->widget(0)));
        row->setSizes({x, total - handle - x});
    }
    m_syncing = false;
    UpdateSplitBoxes();
    return true;
}

void GraphSplitter::DeleteRow(int row) {
    if (RowCount() <= 1 || !Row(row)) return;
    QSplitter* doomed = Row(row);
    doomed->hide();
    doomed->setParent(nullptr);
    delete doomed;
    UpdateSplitBoxes();
}

void GraphSplitter::DeleteColumn(int column) {
    if (ColumnCount() <= 1 || column < 0 || column >= ColumnCount()) return;
    for (int r = 0; r < RowCount(); ++r) {
        QWidget* doomed = Row(r)->widget(column);
        doomed->hide();
        doomed->setParent(nullptr);
        delete doomed;
    }
    UpdateSplitBoxes();
}

void GraphSplitter::ActivateNext(bool previous) {
    const QList<CKaisekiView*> panes = Panes();
    if (panes.isEmpty()) return;
    int index = static_cast<int>(panes.indexOf(ActiveView()));
    if (index < 0) index = 0;
    const int n = static_cast<int>(panes.size());
    index = previous ? (index + n - 1) % n : (index + 1) % n;
    m_active = panes[index];
    panes[index]->setFocus(Qt::OtherFocusReason);
}

void GraphSplitter::UpdateSplitBoxes() {
    const bool canSplitRows = RowCount() < kMaxRows;
    const bool canSplitColumns = ColumnCount() < kMaxColumns;
    // A pane without a bar of its own still scrolls (its hidden bar follows the shared one), so
    // the wheel and the keys work in every pane.
    for (int r = 0; r < RowCount(); ++r) {
        for (int c = 0; c < ColumnCount(); ++c) {
            CKaisekiView* view = Pane(r, c);
            if (!view) continue;
            view->setHorizontalScrollBarPolicy(r == RowCount() - 1 ? Qt::ScrollBarAlwaysOn
                                                                   : Qt::ScrollBarAlwaysOff);
            view->setVerticalScrollBarPolicy(c == ColumnCount() - 1 ? Qt::ScrollBarAlwaysOn
                                                                    : Qt::ScrollBarAlwaysOff);
        }
    }
    for (CKaisekiView* view : Panes()) {
        if (auto* box = view->findChild<QWidget*>(QStringLiteral("splitRows")))
            box->setVisible(canSplitRows);
        if (auto* box = view->findChild<QWidget*>(QStringLiteral("splitColumns")))
            box->setVisible(canSplitColumns);
    }
}

void GraphSplitter::OnPaneScrolled(CKaisekiView* view, Qt::Orientation orientation, int value) {
    for (int r = 0; r < RowCount(); ++r) {
        for (int c = 0; c < ColumnCount(); ++c) {
            if (Pane(r, c) != view) continue;
            // Setting a bar to the value it has does nothing, so the panes settle at once.
            if (orientation == Qt::Horizontal) {
                for (int other = 0; other < RowCount(); ++other) {
                    if (CKaisekiView* pane = Pane(other, c))
                        pane->horizontalScrollBar()->setValue(value);
                }
            } else {
                for (int other = 0; other < ColumnCount(); ++other) {
                    if (CKaisekiView* pane = Pane(r, other))
                        pane->verticalScrollBar()->setValue(value);
                }
            }
            return;
        }
    }
}

void GraphSplitter::OnRowsMoved() {
    // A split bar dragged to the edge collapses a row: join the panes. The splitter is still in
    // its handle's mouse handler, so the row goes once that has returned.
    QTimer::singleShot(0, this, [this] {
        if (RowCount() < 2) return;
        const QList<int> sizes = this->sizes();
        for (int r = 0; r < sizes.size(); ++r) {
            if (sizes[r] == 0) {
                DeleteRow(r);
                return;
            }
        }
    });
}

void GraphSplitter::OnColumnsMoved(QSplitter* source) {
    if (m_syncing) return;
    // Columns line up across the rows, as in one grid.
    const QList<int> sizes = source->sizes();
    m_syncing = true;
    for (int r = 0; r < RowCount(); ++r) {
        if (Row(r) != source) Row(r)->setSizes(sizes);
    }
    m_syncing = false;
    QTimer::singleShot(0, this, [this] {
        if (ColumnCount() < 2) return;
        const QList<int> columnSizes = Row(0)->sizes();
        for (int c = 0; c < columnSizes.size(); ++c) {
            if (columnSizes[c] == 0) {
                DeleteColumn(c);
                return;
            }
        }
    });
}

}  // namespace tavrel::qt
