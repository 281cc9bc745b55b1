#include "gui/platform/QPainterSurface.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

#include "document/KaisekiDoc.h"
#include "pipeline/ModBase.h"

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

TEST(QPainterSurface, InversionKeepsAnOpaqueWindowOpaque) {
    // Widgets paint into a premultiplied image: the inverted area must not turn transparent.
    QImage image(10, 10, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        QPainterSurface surface(painter);
        surface.InvertRect({2, 2, 6, 6});
    }
    EXPECT_EQ(image.pixelColor(3, 3), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(3, 3).alpha(), 255);
    EXPECT_EQ(image.pixelColor(6, 6), QColor(Qt::white));
}

TEST(QPainterSurface, ClipBoxIsThePaintersClipOrTheGivenRectangle) {
    QImage image = White(100, 50);
    QPainter painter(&image);
    EXPECT_EQ(QPainterSurface(painter).GetClipBox(), (Rect{0, 0, 100, 50}));
    EXPECT_EQ(QPainterSurface(painter, QRect(10, 5, 20, 30)).GetClipBox(), (Rect{10, 5, 30, 35}));
    painter.setClipRect(QRect(40, 0, 25, 50));
    EXPECT_EQ(QPainterSurface(painter).GetClipBox(), (Rect{40, 0, 65, 50}));
}

// A band of 2000 samples of a sine at 2000 Hz with a highlighted range and a marker, drawn by the
// document into an image the size of the band. Set TAVREL_SCREENSHOT_DIR to keep the picture.
class GraphOnImage : public ::testing::Test {
  protected:
    void SetUp() override {
        doc.OnNewDocument();
        std::vector<double>& column = doc.m_columns[0];
        column.resize(2000);
        for (int i = 0; i < 2000; ++i)
            column[i] = 3.0 * std::sin(2.0 * M_PI * 5.0 * i / 2000.0);
        doc.m_rowCount = 2000;
        image = White(950, 160);
        QPainter painter(&image);
        QPainterSurface surface(painter);
        // Plot (70, 0, 950, 160): T1 = 20, B1 = 140, x0 = 110, W = 800, p = 0.4, ym = 80.
        doc.MeasureChannel(0);  // fetch the output
        CModBase* head = doc.Head(0);
        head->m_rangeStart = 1500;
        head->m_rangeEnd = 1750;
        head->m_markerIndex = 1000;
        doc.DrawChannel(&surface, {0, 0, 950, 160}, 0, nullptr);
        painter.end();
        if (const char* dir = std::getenv("TAVREL_SCREENSHOT_DIR"))
            image.save(QDir(QString::fromLocal8Bit(dir)).filePath("graph-band.png"));
    }

    CKaisekiDoc doc;
    QImage image;
};

TEST_F(GraphOnImage, FramesStayInsideTheBand) {
    const QColor black(Qt::black);
    const QColor frame(10, 10, 10);
    EXPECT_EQ(image.pixelColor(0, 0), black);  // band outline: first and last column and row
    EXPECT_EQ(image.pixelColor(0, 159), black);
    EXPECT_EQ(image.pixelColor(30, 159), black);
    EXPECT_EQ(image.pixelColor(500, 159), frame);  // the graph frame lies on the band's bottom
    EXPECT_EQ(image.pixelColor(70, 100), frame);   // graph frame, left at 70
    EXPECT_EQ(image.pixelColor(70, 1), frame);
    // The graph shares the band's right edge: its frame lies on the band's last column.
    EXPECT_EQ(image.pixelColor(949, 100), frame);
    EXPECT_EQ(image.pixelColor(948, 100), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(71, 100), QColor(Qt::white));
}

TEST_F(GraphOnImage, ZeroLineWaveformAndTimeTicks) {
    // Zero line from x0 = 110 up to, not including, 910; a crest of the sine (sample 100, value 3)
    // at x = 150, y = 80 - 48.
    EXPECT_EQ(image.pixelColor(110, 80), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(909, 80), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(910, 80), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(150, 32), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(150, 31), QColor(Qt::white));
    // Time ticks from B1 - 5 to B1 at 0, 250, ... ms: x = 110, 310, ...
    for (int x : {110, 310, 510, 710, 910}) {
        EXPECT_EQ(image.pixelColor(x, 135), QColor(Qt::black)) << x;
        EXPECT_EQ(image.pixelColor(x, 139), QColor(Qt::black)) << x;
        EXPECT_EQ(image.pixelColor(x, 140), QColor(Qt::white)) << x;
    }
    // Amplitude ticks from L + 35 = 105 to x0 at dy = round(j * 16).
    EXPECT_EQ(image.pixelColor(105, 64), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(109, 96), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(110, 64), QColor(Qt::white));
}

TEST_F(GraphOnImage, HighlightIsInvertedAndMarkerIsOneColumn) {
    // Samples 1500 .. 1750 are x 710 .. 810, rows T1 + 5 .. B1 - 5.
    EXPECT_EQ(image.pixelColor(711, 25), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(809, 134), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(810, 30), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(750, 24), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(750, 135), QColor(Qt::white));  // the row below: not inverted
    EXPECT_EQ(image.pixelColor(760, 80), QColor(Qt::white));   // the zero line, inverted
    // The marker at sample 1000: column 510, rows 25 .. 134.
    const QColor marker(255, 64, 64);
    EXPECT_EQ(image.pixelColor(510, 25), marker);
    EXPECT_EQ(image.pixelColor(510, 134), marker);
    EXPECT_NE(image.pixelColor(510, 24), marker);
    EXPECT_NE(image.pixelColor(510, 135), marker);
    EXPECT_NE(image.pixelColor(511, 60), marker);
    EXPECT_NE(image.pixelColor(509, 60), marker);
}

TEST_F(GraphOnImage, LabelsArePainted) {
    auto inked = [this](int left, int top, int right, int bottom) {
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                if (image.pixelColor(x, y) != QColor(Qt::white)) return true;
        return false;
    };
    EXPECT_TRUE(inked(10, 10, 60, 30));      // CH[1]
    EXPECT_TRUE(inked(75, 2, 140, 18));      // the scale label x1[mV]
    EXPECT_TRUE(inked(880, 141, 945, 159));  // 1000[ms]
}

TEST(QPainterSurface, ABandNeverPaintsIntoTheNextOne) {
    // Band 0 holds infinities (drawn to its edges) and a range and marker; band 1 below it stays
    // white, and the band's outline ends on its own last row.
    CKaisekiDoc doc;
    doc.OnNewDocument();
    std::vector<double>& column = doc.m_columns[0];
    column.assign(400, 1.0);
    column[100] = std::numeric_limits<double>::infinity();
    column[101] = -std::numeric_limits<double>::infinity();
    doc.m_rowCount = 400;
    QImage image = White(950, 320);
    {
        QPainter painter(&image);
        QPainterSurface surface(painter);
        doc.MeasureChannel(0);
        doc.Head(0)->m_rangeStart = 50;
        doc.Head(0)->m_rangeEnd = 150;
        doc.Head(0)->m_markerIndex = 120;
        doc.DrawChannel(&surface, {0, 0, 950, 160}, 0, nullptr);
    }
    EXPECT_EQ(image.pixelColor(20, 159), QColor(Qt::black));
    int touched = 0;
    for (int y = 160; y < 320; ++y)
        for (int x = 0; x < 950; ++x)
            touched += image.pixelColor(x, y) != QColor(Qt::white);
    EXPECT_EQ(touched, 0);
}

TEST(QPainterSurface, ScaledPainterDrawsInLogicalUnits) {
    // Printing: logical units four times smaller than pixels. A frame of 40 x 40 units covers
    // 10 x 10 pixels; a diagonal line lands on the pixels its logical end points map to.
    QImage image = White(20, 20);
    {
        QPainter painter(&image);
        painter.scale(0.25, 0.25);
        QPainterSurface surface(painter);
        EXPECT_EQ(surface.GetClipBox(), (Rect{0, 0, 80, 80}));
        surface.FrameRect({0, 0, 40, 40}, {10, 10, 10});
        surface.MoveTo(40, 40);
        surface.LineTo(72, 72);
    }
    EXPECT_EQ(image.pixelColor(0, 5), QColor(10, 10, 10));
    EXPECT_EQ(image.pixelColor(5, 5), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(14, 14), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(19, 19), QColor(Qt::white));
}

TEST(QPainterSurface, HighResolutionDeviceDrawsInLogicalUnits) {
    // A 2x (and a 1.5x) screen: 100 x 50 logical pixels on an image of twice (1.5 times) the
    // pixels. Fills, frames and straight lines land where their logical units map to, like the
    // diagonal lines and texts that Qt scales itself, and the clip box is the logical size.
    for (const double ratio : {2.0, 1.5}) {
        QImage image = White(static_cast<int>(100 * ratio), static_cast<int>(50 * ratio));
        image.setDevicePixelRatio(ratio);
        {
            QPainter painter(&image);
            QPainterSurface surface(painter);
            EXPECT_EQ(surface.GetClipBox(), (Rect{0, 0, 100, 50})) << ratio;
            surface.FillSolidRect({10, 10, 20, 20}, {0, 0, 0});
            surface.FrameRect({0, 0, 100, 50}, {200, 0, 0});
            surface.MoveTo(60, 10);
            surface.LineTo(60, 40);
        }
        auto at = [&](double x, double y) {
            return image.pixelColor(static_cast<int>(x * ratio), static_cast<int>(y * ratio));
        };
        EXPECT_EQ(at(15, 15), QColor(Qt::black)) << ratio;
        EXPECT_EQ(at(25, 25), QColor(Qt::white)) << ratio;
        EXPECT_EQ(at(30, 30), QColor(Qt::white)) << ratio;
        EXPECT_EQ(at(99.5, 25), QColor(200, 0, 0)) << ratio;  // the frame's right side
        EXPECT_EQ(at(50, 49.5), QColor(200, 0, 0)) << ratio;  // and its bottom
        EXPECT_EQ(at(60.2, 20), QColor(Qt::black)) << ratio;
        EXPECT_EQ(at(60.2, 45), QColor(Qt::white)) << ratio;
    }
}

}  // namespace
}  // namespace tavrel::qt
