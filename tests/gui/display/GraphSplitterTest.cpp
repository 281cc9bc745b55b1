// The splitter of graph views: up to 2 x 2 panes on one document, split from the split boxes and
// joined by dragging a split bar to the edge; a column of panes scrolls sideways together, a row
// up and down together.
#include "gui/display/GraphSplitter.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include "gui/display/KaisekiView.h"

namespace tavrel::qt {
namespace {

class GraphSplitterTest : public ::testing::Test {
  protected:
    GraphSplitterTest() {
        doc.OnNewDocument();
        doc.m_display.m_zoomX = 4;
        splitter = std::make_unique<GraphSplitter>(&doc);
        splitter->resize(800, 600);
        splitter->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(splitter.get()));
    }
    int GraphViews() {
        int n = 0;
        for (DocView* v : doc.Views())
            n += v->IsGraphView() ? 1 : 0;
        return n;
    }
    CKaisekiDoc doc;
    std::unique_ptr<GraphSplitter> splitter;
};

TEST_F(GraphSplitterTest, SplitsUpToTwoByTwoPanesOnOneDocument) {
    EXPECT_EQ(splitter->Panes().size(), 1);
    splitter->Pane(0, 0)->ScrollTo({500, 300});
    ASSERT_TRUE(splitter->SplitRows());
    EXPECT_FALSE(splitter->SplitRows());
    ASSERT_TRUE(splitter->SplitColumns(300));
    EXPECT_FALSE(splitter->SplitColumns());
    EXPECT_EQ(splitter->RowCount(), 2);
    EXPECT_EQ(splitter->ColumnCount(), 2);
    EXPECT_EQ(GraphViews(), 4);
    for (CKaisekiView* view : splitter->Panes())
        EXPECT_EQ(view->TotalWidth(), 3080);
    // A new pane starts where the pane it came from was.
    EXPECT_EQ(splitter->Pane(1, 0)->ScrollPosition(), QPoint(500, 300));
    EXPECT_EQ(splitter->Pane(1, 1)->ScrollPosition(), QPoint(500, 300));
    EXPECT_NEAR(splitter->Pane(0, 0)->width(), 300, 2);
    // Zooming reaches every pane.
    doc.m_display.m_zoomX = 10;
    doc.ApplyZoomToViews();
    for (CKaisekiView* view : splitter->Panes())
        EXPECT_EQ(view->TotalWidth(), 7700);
}

TEST_F(GraphSplitterTest, ColumnsShareAHorizontalAndRowsAVerticalScrollBar) {
    ASSERT_TRUE(splitter->SplitRows());
    ASSERT_TRUE(splitter->SplitColumns());
    auto pane = [&](int r, int c) { return splitter->Pane(r, c); };
    // One horizontal bar under each column, one vertical bar beside each row.
    EXPECT_FALSE(pane(0, 0)->horizontalScrollBar()->isVisible());
    EXPECT_FALSE(pane(0, 1)->horizontalScrollBar()->isVisible());
    EXPECT_TRUE(pane(1, 0)->horizontalScrollBar()->isVisible());
    EXPECT_TRUE(pane(1, 1)->horizontalScrollBar()->isVisible());
    EXPECT_FALSE(pane(0, 0)->verticalScrollBar()->isVisible());
    EXPECT_FALSE(pane(1, 0)->verticalScrollBar()->isVisible());
    EXPECT_TRUE(pane(0, 1)->verticalScrollBar()->isVisible());
    EXPECT_TRUE(pane(1, 1)->verticalScrollBar()->isVisible());

    pane(1, 0)->horizontalScrollBar()->setValue(700);
    pane(0, 1)->verticalScrollBar()->setValue(900);
    EXPECT_EQ(pane(0, 0)->ScrollPosition(), QPoint(700, 900));
    EXPECT_EQ(pane(1, 0)->ScrollPosition(), QPoint(700, 0));
    EXPECT_EQ(pane(0, 1)->ScrollPosition(), QPoint(0, 900));
    EXPECT_EQ(pane(1, 1)->ScrollPosition(), QPoint(0, 0));
    // The wheel over a pane without a bar of its own moves its whole row.
    QWheelEvent wheel(QPointF(50, 50), pane(1, 0)->viewport()->mapToGlobal(QPointF(50, 50)),
                      QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                      false);
    QApplication::sendEvent(pane(1, 0)->viewport(), &wheel);
    EXPECT_GT(pane(1, 1)->ScrollPosition().y(), 0);
    EXPECT_EQ(pane(1, 1)->ScrollPosition().y(), pane(1, 0)->ScrollPosition().y());

    // Joined again, the remaining pane has both bars.
    splitter->DeleteRow(1);
    splitter->DeleteColumn(1);
    QTest::qWait(10);
    EXPECT_TRUE(pane(0, 0)->horizontalScrollBar()->isVisible());
    EXPECT_TRUE(pane(0, 0)->verticalScrollBar()->isVisible());
    EXPECT_EQ(pane(0, 0)->ScrollPosition(), QPoint(700, 900));
}

TEST_F(GraphSplitterTest, RefusesPanesBelowTheMinimumSize) {
    EXPECT_FALSE(splitter->SplitRows(100));
    EXPECT_FALSE(splitter->SplitColumns(50));
    EXPECT_FALSE(splitter->SplitColumns(splitter->width() - 40));
    EXPECT_EQ(splitter->Panes().size(), 1);
    EXPECT_TRUE(splitter->SplitRows(130));
}

TEST_F(GraphSplitterTest, DraggingASplitBarToTheEdgeJoinsThePanes) {
    ASSERT_TRUE(splitter->SplitRows());
    ASSERT_TRUE(splitter->SplitColumns());
    // The user drags the row bar to the top: the upper row collapses.
    splitter->setSizes({0, 600});
    emit splitter->splitterMoved(0, 1);
    QTest::qWait(20);
    EXPECT_EQ(splitter->RowCount(), 1);
    EXPECT_EQ(GraphViews(), 2);
    auto* row = qobject_cast<QSplitter*>(splitter->widget(0));
    ASSERT_NE(row, nullptr);
    row->setSizes({800, 0});
    emit row->splitterMoved(800, 1);
    QTest::qWait(20);
    EXPECT_EQ(splitter->ColumnCount(), 1);
    EXPECT_EQ(GraphViews(), 1);
    splitter->DeleteRow(0);  // never the last pane
    EXPECT_EQ(splitter->Panes().size(), 1);
}

TEST_F(GraphSplitterTest, SplitBoxClickSplitsInTheMiddleAndHidesWhenSplit) {
    CKaisekiView* view = splitter->Pane(0, 0);
    auto* rows = view->findChild<QWidget*>("splitRows");
    auto* columns = view->findChild<QWidget*>("splitColumns");
    ASSERT_NE(rows, nullptr);
    ASSERT_NE(columns, nullptr);
    EXPECT_TRUE(rows->isVisible());
    QTest::mouseClick(rows, Qt::LeftButton);
    QTest::qWait(20);
    ASSERT_EQ(splitter->RowCount(), 2);
    EXPECT_NEAR(splitter->Pane(0, 0)->height(), splitter->Pane(1, 0)->height(), 2);
    EXPECT_FALSE(rows->isVisible());
    QTest::mouseClick(columns, Qt::LeftButton);
    QTest::qWait(20);
    EXPECT_EQ(splitter->ColumnCount(), 2);
}

TEST_F(GraphSplitterTest, ActiveViewFollowsTheFocus) {
    ASSERT_TRUE(splitter->SplitColumns());
    EXPECT_EQ(splitter->ActiveView(), splitter->Pane(0, 0));
    splitter->ActivateNext(false);
    EXPECT_EQ(splitter->ActiveView(), splitter->Pane(0, 1));
    splitter->DeleteColumn(1);
    EXPECT_EQ(splitter->ActiveView(), splitter->Pane(0, 0));
}

}  // namespace
}  // namespace tavrel::qt
