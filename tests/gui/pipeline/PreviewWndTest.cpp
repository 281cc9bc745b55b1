// The preview: drawing the module over the dialog's colour, and the rubber-band selection mapped
// to samples of the module's output.
#include <gtest/gtest.h>

#include <cmath>

#include <QSignalSpy>

#include "DialogTestSupport.h"
#include "gui/pipeline/PreviewWnd.h"
#include "support/ScriptedHost.h"

namespace tavrel::test {
namespace {

using qt::CPreviewWnd;

class PreviewWndTest : public ::testing::Test {
  protected:
    PreviewWndTest() {
        SignalDocument::StartEditing(*module);
        preview.SetModule(module);
        preview.show();
        QApplication::processEvents();
    }

    std::pair<int, int> Drag(QPoint from, QPoint to) {
        QSignalSpy spy(&preview, &CPreviewWnd::rangeSelected);
        QTest::mousePress(&preview, Qt::LeftButton, {}, from);
        QTest::mouseMove(&preview, to);
        QTest::mouseRelease(&preview, Qt::LeftButton, {}, to);
        EXPECT_EQ(spy.count(), 1);
        if (spy.count() != 1) return {-1, -1};
        return {spy[0][0].toInt(), spy[0][1].toInt()};
    }

    ScriptedHost host;
    // One sample per plot pixel: sample k lies at x = 40 + k.
    SignalDocument signal{604};
    CModBase* module = signal.Append(std::make_unique<CModBase>());
    CPreviewWnd preview;
};

TEST_F(PreviewWndTest, IsTheFixedChildWindowAboveTheSeparator) {
    EXPECT_EQ(preview.objectName(), "4096");
    EXPECT_EQ(preview.size(), QSize(684, 158));
}

TEST_F(PreviewWndTest, DragMapsTheHorizontalExtentToSamplesInEitherDirection) {
    EXPECT_EQ(Drag({140, 10}, {240, 150}), std::make_pair(100, 200));
    EXPECT_EQ(Drag({240, 150}, {140, 10}), std::make_pair(100, 200));
    // Beyond the plot on both sides: clamped to the output.
    EXPECT_EQ(Drag({2, 50}, {683, 50}), std::make_pair(0, 604));
}

TEST_F(PreviewWndTest, ClickWithoutMovementSelectsOneSample) {
    EXPECT_EQ(Drag({90, 80}, {90, 80}), std::make_pair(50, 50));
}

TEST_F(PreviewWndTest, ReleaseWithoutAPressInThePreviewDoesNothing) {
    QSignalSpy spy(&preview, &CPreviewWnd::rangeSelected);
    QTest::mouseRelease(&preview, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mousePress(&preview, Qt::RightButton, {}, QPoint(100, 100));
    QTest::mouseRelease(&preview, Qt::RightButton, {}, QPoint(200, 100));
    EXPECT_EQ(spy.count(), 0);
    EXPECT_FALSE(preview.IsDragging());
}

TEST_F(PreviewWndTest, WithoutAModuleTheRangeIsZeroAndOnlyTheBackgroundIsDrawn) {
    preview.SetModule(nullptr);
    EXPECT_EQ(Drag({100, 10}, {300, 10}), std::make_pair(0, 0));
    const QImage image = preview.grab().toImage();
    const QColor background = preview.palette().color(QPalette::Window);
    EXPECT_EQ(image.pixelColor(5, 5), background);
    EXPECT_EQ(image.pixelColor(340, 80), background);
}

TEST_F(PreviewWndTest, DrawsTheModuleOverTheDialogColourWithTheWaitCursor) {
    const int waits = host.waitCursors;
    const QImage image = [&] {
        preview.Redraw();
        return preview.grab().toImage();
    }();
    EXPECT_GT(host.waitCursors, waits);
    EXPECT_EQ(host.waitDepth, 0);
    EXPECT_EQ(image.pixelColor(2, 2), preview.palette().color(QPalette::Window));
    // Something other than the background is drawn in the plot: the frame and the curve.
    int drawn = 0;
    for (int x = 40; x < 644; ++x) {
        for (int y = 0; y < 158; ++y) {
            drawn += image.pixelColor(x, y) != preview.palette().color(QPalette::Window);
        }
    }
    EXPECT_GT(drawn, 300);
}

TEST_F(PreviewWndTest, RubberBandIsShownDuringTheDragAndGoneAfterIt) {
    const QImage before = preview.grab().toImage();
    QTest::mousePress(&preview, Qt::LeftButton, {}, QPoint(100, 20));
    QTest::mouseMove(&preview, QPoint(300, 120));
    ASSERT_TRUE(preview.IsDragging());
    const QImage during = preview.grab().toImage();
    // The outline inverts what lies under it; inside and outside stay as they were. On a
    // scaled screen the one-pixel outline covers one device pixel of the logical pixel.
    const double ratio = during.devicePixelRatio();
    auto changed = [&](int x, int y) {
        for (int dy = 0; dy < static_cast<int>(std::ceil(ratio)); ++dy) {
            for (int dx = 0; dx < static_cast<int>(std::ceil(ratio)); ++dx) {
                const QPoint p(static_cast<int>(x * ratio) + dx, static_cast<int>(y * ratio) + dy);
                if (during.pixelColor(p) != before.pixelColor(p)) return true;
            }
        }
        return false;
    };
    const int beside = ratio == 1.0 ? 1 : 2;
    EXPECT_TRUE(changed(200, 20));
    EXPECT_TRUE(changed(100, 70));
    EXPECT_FALSE(changed(200, 20 + beside));
    EXPECT_FALSE(changed(200, 20 - beside));
    QTest::mouseRelease(&preview, Qt::LeftButton, {}, QPoint(300, 120));
    EXPECT_EQ(preview.grab().toImage(), before);
}

TEST_F(PreviewWndTest, DraggingDoesNotRecomputeTheModule) {
    preview.grab();
    const int draws = preview.DrawCount();
    QTest::mousePress(&preview, Qt::LeftButton, {}, QPoint(100, 20));
    for (int x = 110; x < 300; x += 10) {
        QTest::mouseMove(&preview, QPoint(x, 60));
        preview.grab();
    }
    QTest::mouseRelease(&preview, Qt::LeftButton, {}, QPoint(300, 60));
    EXPECT_EQ(preview.DrawCount(), draws);
    preview.Redraw();
    EXPECT_EQ(preview.DrawCount(), draws + 1);
}

}  // namespace
}  // namespace tavrel::test
