// The graph view: scrolling geometry under the zoom factors, drawing only visible bands with the
// absolute measuring pass over all channels, and the rubber-band selection that opens the
// magnifier.
#include "gui/display/KaisekiView.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include "gui/display/DisplayTestSupport.h"
#include "gui/display/MagView.h"
#include "gui/display/MagWnd.h"
#include "gui/display/MainFrame.h"
#include "modules/filters/DiodeFilter.h"
#include "pipeline/DmyPipe.h"
#include "platform/RecordingSurface.h"
#include "support/ScriptedHost.h"

namespace tavrel::qt {
namespace {

class KaisekiViewTest : public ::testing::Test {
  protected:
    KaisekiViewTest() { doc.OnNewDocument(); }
    tavrel::test::ScriptedHost host;
    CKaisekiDoc doc;
};

TEST_F(KaisekiViewTest, ScrollingAreaFollowsTheZoomFactors) {
    CKaisekiView view(&doc);
    view.resize(400, 300);
    view.OnInitialUpdate();
    EXPECT_EQ(view.TotalWidth(), 770);
    EXPECT_EQ(view.TotalHeight(), 2560);
    EXPECT_EQ(view.BandHeight(), 160);
    EXPECT_EQ(view.BandRect(15), (Rect{0, 2400, 770, 2560}));
    view.SetZoom(1, 2);
    EXPECT_EQ(view.TotalHeight(), 5120);
    EXPECT_EQ(view.BandHeight(), 320);
    view.SetZoom(40, 1);
    EXPECT_EQ(view.TotalWidth(), 30800);
    QScrollBar* h = view.horizontalScrollBar();
    EXPECT_EQ(h->maximum(), 30800 - view.viewport()->width());
    EXPECT_EQ(h->pageStep(), 3080);
    EXPECT_EQ(h->singleStep(), 308);
    EXPECT_EQ(view.verticalScrollBar()->pageStep(), 256);
    view.SetZoom(100, 1);
    EXPECT_EQ(view.TotalWidth(), 77000);
    // The initial update takes the document's factors.
    doc.m_display.m_zoomX = 10;
    doc.m_display.m_zoomY = 2;
    CKaisekiView second(&doc);
    second.OnInitialUpdate();
    EXPECT_EQ(second.TotalWidth(), 7700);
    EXPECT_EQ(second.TotalHeight(), 5120);
}

TEST_F(KaisekiViewTest, DrawsVisibleBandsButMeasuresAllChannels) {
    display_test::FillSines(doc, 500);
    doc.m_display.m_absoluteScale = 1;
    CKaisekiView view(&doc);
    view.OnInitialUpdate();
    RecordingSurface surface;
    // Only band 5 (channel 6) is visible.
    view.OnDraw(surface, {0, 5 * 160 + 10, 770, 5 * 160 + 150});
    EXPECT_EQ(display_test::ChannelLabels(surface), std::vector<std::string>{"CH[6]"});
    // Channel 16 peaks near 16: only a pass over every channel finds it.
    EXPECT_NEAR(doc.m_display.m_commonMax, 16.0, 0.01);
    // Two bands: the edge row of band 6 still counts, the first row of band 8 does not.
    surface.Clear();
    view.OnDraw(surface, {100, 6 * 160 + 159, 200, 8 * 160});
    EXPECT_EQ(display_test::ChannelLabels(surface), (std::vector<std::string>{"CH[7]", "CH[8]"}));
}

TEST_F(KaisekiViewTest, MeasuringPassOnlyInAbsoluteDisplay) {
    CKaisekiView view(&doc);
    view.OnInitialUpdate();
    RecordingSurface surface;
    view.OnDraw(surface, {0, 0, 770, 2560});
    EXPECT_EQ(doc.m_display.m_commonMax, 10.0);
    EXPECT_EQ(display_test::ChannelLabels(surface).size(), 16u);
    doc.m_display.m_absoluteScale = 1;
    view.OnDraw(surface, {0, 0, 770, 100});
    EXPECT_EQ(doc.m_display.m_commonMax, 0.0);  // no data anywhere
}

TEST_F(KaisekiViewTest, WheelScrollsVerticallyAndWithShiftHorizontally) {
    CKaisekiView view(&doc);
    view.resize(400, 300);
    view.SetZoom(4, 1);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    auto wheel = [&](Qt::KeyboardModifiers modifiers) {
        const QPointF at(50, 50);
        QWheelEvent event(at, view.viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120),
                          Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view.viewport(), &event);
    };
    wheel(Qt::NoModifier);
    EXPECT_GT(view.ScrollPosition().y(), 0);
    EXPECT_EQ(view.ScrollPosition().x(), 0);
    const int y = view.ScrollPosition().y();
    wheel(Qt::ShiftModifier);
    EXPECT_GT(view.ScrollPosition().x(), 0);
    EXPECT_EQ(view.ScrollPosition().y(), y);
}

// Counts the paint events of a widget.
class PaintCounter : public QObject {
  public:
    explicit PaintCounter(int* paints) : m_paints(paints) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++*m_paints;
        return false;
    }

  private:
    int* m_paints;
};

class SelectionTest : public KaisekiViewTest {
  protected:
    SelectionTest() {
        display_test::FillSines(doc, 2000);
        frame = std::make_unique<CMainFrame>(&doc);
        frame->resize(820, 700);
        frame->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
        view = frame->GetActiveView();
    }
    // Drags from `from` to `to` in the view's client coordinates.
    void Drag(QPoint from, QPoint to) {
        QWidget* port = view->viewport();
        QTest::mousePress(port, Qt::LeftButton, {}, from);
        QTest::mouseMove(port, (from + to) / 2);
        QTest::mouseMove(port, to);
        QTest::mouseRelease(port, Qt::LeftButton, {}, to);
    }
    std::pair<int, int> ExpectedRange(int channel, Rect selection) {
        int out[2] = {selection.left, selection.top};
        doc.ChannelPixelsToRange(channel, 0, {0, 0, view->TotalWidth(), view->TotalHeight()},
                                 selection, out);
        return {out[0], out[1]};
    }
    std::unique_ptr<CMainFrame> frame;
    CKaisekiView* view = nullptr;
};

TEST_F(SelectionTest, DragAcrossBandOpensAndThenUpdatesTheMagnifier) {
    view->ScrollTo({0, 100});
    const QPoint scroll = view->ScrollPosition();
    ASSERT_EQ(scroll.y(), 100);
    // Band 3 spans 480 .. 640 in the scrolling area.
    Drag({300, 500 - 100}, {150, 600 - 100});
    CMagWnd* mag = frame->Magnifier();
    ASSERT_NE(mag, nullptr);
    EXPECT_TRUE(mag->isVisible());
    EXPECT_EQ(mag->windowTitle(), "拡大");
    EXPECT_EQ(mag->View()->m_channel, 3);
    const auto range = ExpectedRange(3, {150, 500, 300, 600});
    EXPECT_EQ(mag->View()->m_firstSample, range.first);
    EXPECT_EQ(mag->View()->m_lastSample, range.second);
    // The window rectangle, frame and caption included, is 600 x 250 centred on the frame.
    const QRect f = frame->frameGeometry();
    const QPoint centre((f.left() + f.left() + f.width()) / 2,
                        (f.top() + f.top() + f.height()) / 2);
    EXPECT_EQ(mag->frameGeometry(), QRect(centre - QPoint(300, 125), QSize(600, 250)));

    // A second drag changes what the open magnifier shows, not where it is.
    mag->move(mag->pos() + QPoint(37, 21));
    const QRect placed = mag->geometry();
    Drag({100, 5 * 160 + 20 - 100}, {400, 5 * 160 + 30 - 100});
    EXPECT_EQ(frame->Magnifier(), mag);
    EXPECT_EQ(mag->View()->m_channel, 5);
    EXPECT_EQ(mag->geometry(), placed);

    // Closed, it only hides; the next selection shows it where it was.
    mag->close();
    EXPECT_FALSE(mag->isVisible());
    EXPECT_EQ(frame->Magnifier(), mag);
    Drag({100, 2 * 160 + 20 - 100}, {200, 2 * 160 + 40 - 100});
    EXPECT_TRUE(mag->isVisible());
    EXPECT_EQ(mag->geometry(), placed);
    EXPECT_EQ(mag->View()->m_channel, 2);
}

TEST_F(SelectionTest, DraggingRedrawsOnlyTheOutlineOverThePictureOfThePress) {
    doc.m_display.m_absoluteScale = 1;
    QWidget* port = view->viewport();
    const QImage before = port->grab().toImage();
    QTest::mousePress(port, Qt::LeftButton, {}, QPoint(100, 200));
    // From here on, a paint that drew the channels would measure them again.
    doc.m_display.m_commonMax = -1.0;
    QTest::mouseMove(port, QPoint(180, 260));
    QTest::mouseMove(port, QPoint(300, 290));
    const QImage during = port->grab().toImage();
    EXPECT_EQ(doc.m_display.m_commonMax, -1.0);
    // The outline (100, 200) .. (300, 290) is the inverse of the graphs; inside and outside it
    // the graphs are as they were, and the first outline has gone.
    const QRgb corner = before.pixel(100, 200);
    EXPECT_EQ(during.pixel(100, 200),
              qRgb(255 - qRed(corner), 255 - qGreen(corner), 255 - qBlue(corner)));
    EXPECT_EQ(during.pixel(299, 289),
              qRgb(255 - qRed(before.pixel(299, 289)), 255 - qGreen(before.pixel(299, 289)),
                   255 - qBlue(before.pixel(299, 289))));
    EXPECT_EQ(during.pixel(150, 240), before.pixel(150, 240));
    EXPECT_EQ(during.pixel(179, 259), before.pixel(179, 259));
    EXPECT_EQ(during.pixel(400, 400), before.pixel(400, 400));
    QTest::mouseRelease(port, Qt::LeftButton, {}, QPoint(300, 290));
    // After the drag, paints draw and measure the channels again.
    port->grab();
    EXPECT_NEAR(doc.m_display.m_commonMax, 16.0, 0.01);
    EXPECT_EQ(port->grab().toImage(), before);
}

TEST_F(SelectionTest, ClickWithoutMoveSelectsTheEmptyRectangleAtThePress) {
    QWidget* port = view->viewport();
    QTest::mouseClick(port, Qt::LeftButton, {}, QPoint(200, 170));
    ASSERT_NE(frame->Magnifier(), nullptr);
    EXPECT_EQ(frame->Magnifier()->View()->m_channel, 1);
    const auto range = ExpectedRange(1, {200, 170, 200, 170});
    EXPECT_EQ(frame->Magnifier()->View()->m_firstSample, range.first);
    EXPECT_EQ(frame->Magnifier()->View()->m_lastSample, range.second);
}

TEST_F(SelectionTest, ReleaseWithoutPressIsIgnored) {
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, QPoint(200, 170));
    EXPECT_EQ(frame->Magnifier(), nullptr);
}

TEST_F(SelectionTest, LostMouseGrabEndsTheDrag) {
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    view->setFocus();
    QWidget* port = view->viewport();
    const QImage before = port->grab().toImage();
    QTest::mousePress(port, Qt::LeftButton, {}, QPoint(100, 200));
    QTest::mouseMove(port, QPoint(300, 290));
    // A popup takes the pointer before the button comes up: the outline goes with the drag.
    QMenu popup;
    popup.addAction(QStringLiteral("x"));
    popup.popup(frame->mapToGlobal(QPoint(20, 20)));
    popup.close();
    QApplication::processEvents();
    EXPECT_EQ(port->grab().toImage(), before);
    // The release that arrives later belongs to no drag.
    QTest::mouseRelease(port, Qt::LeftButton, {}, QPoint(300, 290));
    EXPECT_EQ(frame->Magnifier(), nullptr);
}

// A chain end that counts its computations and yields no output, so that nothing computed is
// kept from one drawing of its band to the next.
class CountingModule : public CModBase {
  public:
    explicit CountingModule(int* computes) : m_computes(computes) {}
    int Compute() override {
        ++*m_computes;
        return -1;
    }

  private:
    int* m_computes;
};

TEST_F(SelectionTest, EachBandIsComputedOncePerPaintAndNotForTheDragPicture) {
    int computes = 0;
    auto* module = new CountingModule(&computes);
    module->m_doc = &doc;
    CModBase::AppendModule(doc.m_chains[0].get(), module);
    QWidget* port = view->viewport();
    port->repaint();
    ASSERT_EQ(computes, 1);
    // Two pieces of band 0 in one paint: its chain is computed once.
    computes = 0;
    QRegion region(QRect(100, 10, 30, 30));
    region += QRect(400, 100, 30, 30);
    port->repaint(region);
    EXPECT_EQ(computes, 1);
    // Pressing the button takes the picture on screen; nothing is drawn again for it.
    computes = 0;
    QTest::mousePress(port, Qt::LeftButton, {}, QPoint(100, 200));
    QTest::mouseMove(port, QPoint(300, 290));
    port->repaint();
    EXPECT_EQ(computes, 0);
    QTest::mouseRelease(port, Qt::LeftButton, {}, QPoint(300, 290));
}

TEST_F(SelectionTest, ZoomShrinksTheFrameButNeverEnlargesIt) {
    const QSize before = frame->size();
    frame->resize(1400, before.height());
    QTest::qWait(10);
    view->ApplyScrollSizes();
    // The graphs are 770 wide: the frame keeps only what shows them.
    EXPECT_EQ(view->viewport()->width(), 770);
    const QSize shrunk = frame->size();
    EXPECT_LT(shrunk.width(), 1400);
    frame->Action(32785)->trigger();  // x10
    EXPECT_EQ(frame->size(), shrunk);
    EXPECT_EQ(view->horizontalScrollBar()->maximum(), 7700 - 770);
}

TEST_F(SelectionTest, DocumentUpdatesRepaintTheMagnifier) {
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(200, 30));
    CMagWnd* mag = frame->Magnifier();
    ASSERT_NE(mag, nullptr);
    bool attached = false;
    for (DocView* v : doc.Views())
        attached |= v == mag->View();
    EXPECT_TRUE(attached);
    // Zoom reaches only graph views: the magnifier is not zoomed.
    frame->Action(32782)->trigger();
    EXPECT_FALSE(mag->View()->IsGraphView());
}

TEST_F(SelectionTest, ProbeDisplayRepaintsTheMagnifierWithTheProbeData) {
    // Channel 1: a probe on the sine, then a full-wave rectifier.
    auto append = [this](CModBase* module) {
        module->m_doc = &doc;
        CModBase::AppendModule(doc.m_chains[1].get(), module);
    };
    auto* probe = new CDmyPipe;
    probe->m_probeOn = 1;
    append(probe);
    auto* rectifier = new CDiodeFilter;
    rectifier->m_halfWave = 0;
    append(rectifier);
    doc.m_chains[1]->ClearBuffers();
    // As after every change of a chain, the views are drawn again before the user drags.
    doc.UpdateAllViews();
    view->viewport()->repaint();
    Drag({150, 160 + 20}, {400, 160 + 120});
    CMagWnd* mag = frame->Magnifier();
    ASSERT_NE(mag, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(mag));
    CMagView* magView = mag->View();
    ASSERT_EQ(magView->m_channel, 1);
    const SampleRange range{magView->m_firstSample, magView->m_lastSample};
    ASSERT_LT(range.first, range.last);
    auto drawing = [&](int probeDisplay) {
        const int kept = doc.m_display.m_probeDisplay;
        doc.m_display.m_probeDisplay = probeDisplay;
        RecordingSurface surface;
        doc.DrawChannel(&surface, {0, 0, magView->width(), magView->height()}, 1, &range);
        doc.m_display.m_probeDisplay = kept;
        return surface.Log();
    };
    ASSERT_NE(drawing(0), drawing(1));

    int paints = 0;
    PaintCounter counter(&paints);
    magView->installEventFilter(&counter);
    frame->Action(32777)->trigger();
    QTest::qWait(20);
    EXPECT_GT(paints, 0);
    RecordingSurface shown;
    magView->OnDraw(shown);
    EXPECT_EQ(shown.Log(), drawing(1));
    // The same channel and range as before.
    EXPECT_EQ(magView->m_channel, 1);
    EXPECT_EQ(magView->m_firstSample, range.first);
    EXPECT_EQ(magView->m_lastSample, range.last);
}

}  // namespace
}  // namespace tavrel::qt
