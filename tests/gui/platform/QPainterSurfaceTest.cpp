#include "gui/platform/QPainterSurface.h"

#include <gtest/gtest.h>

#include <QImage>

namespace tavrel::qt {
namespace {

QImage White(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

TEST(QPainterSurface, FrameStaysInsideItsRectangle) {
    QImage image = White(20, 20);
    {
        QPainter painter(&image);
        QPainterSurface surface(painter);
        surface.FrameRect({2, 3, 10, 8}, {10, 10, 10});
    }
    EXPECT_EQ(image.pixelColor(2, 3), QColor(10, 10, 10));
    EXPECT_EQ(image.pixelColor(9, 7), QColor(10, 10, 10));
    EXPECT_EQ(image.pixelColor(10, 7), QColor(Qt::white));  // right edge excluded
    EXPECT_EQ(image.pixelColor(9, 8), QColor(Qt::white));   // bottom edge excluded
    EXPECT_EQ(image.pixelColor(5, 5), QColor(Qt::white));   // inside untouched
}

TEST(QPainterSurface, LinesDoNotPaintTheirEndPoint) {
    QImage image = White(20, 20);
    {
        QPainter painter(&image);
        QPainterSurface surface(painter);
        surface.MoveTo(2, 5);
        surface.LineTo(8, 5);
        surface.MoveTo(4, 10);
        surface.LineTo(4, 2);
        surface.MoveTo(10, 10);
        surface.LineTo(14, 14);
    }
    EXPECT_EQ(image.pixelColor(2, 5), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(7, 5), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(8, 5), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(4, 10), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(4, 3), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(4, 2), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(13, 13), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(14, 14), QColor(Qt::white));
}

TEST(QPainterSurface, InvertAndFillCoverExactlyTheRectangle) {
    QImage image = White(20, 20);
    {
        QPainter painter(&image);
        QPainterSurface surface(painter);
        surface.FillSolidRect({0, 0, 5, 5}, {255, 64, 64});
        EXPECT_EQ(surface.GetBkColor(), (Color{255, 64, 64}));
        surface.InvertRect({3, 3, 8, 8});
    }
    EXPECT_EQ(image.pixelColor(4, 4), QColor(0, 191, 191));
    EXPECT_EQ(image.pixelColor(7, 7), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(8, 8), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(2, 2), QColor(255, 64, 64));
}

}  // namespace
}  // namespace tavrel::qt
