// Printing the graphs: three pages of six bands in 1/400-inch units with the print scale, the
// measuring pass per page, printing to PDF without a printer, and the image export.
#include "gui/display/GraphPrinting.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>

#include "gui/display/DisplayTestSupport.h"
#include "gui/display/KaisekiView.h"
#include "platform/RecordingSurface.h"
#include "support/ScriptedHost.h"
#include "support/TempDir.h"

namespace tavrel::qt {
namespace {

class PrintingTest : public ::testing::Test {
  protected:
    PrintingTest() {
        doc.OnNewDocument();
        display_test::FillSines(doc, 400);
    }
    std::vector<Rect> Frames(const RecordingSurface& surface) {
        std::vector<Rect> frames;
        for (const auto& call : surface.Calls())
            if (call.kind == RecordingSurface::Call::Kind::Frame && call.color == Color{0, 0, 0})
                frames.push_back(call.rect);
        return frames;
    }
    tavrel::test::ScriptedHost host;
    CKaisekiDoc doc;
};

TEST_F(PrintingTest, PagesHoldSixBandsEachAndPageThreeTheLastFour) {
    EXPECT_EQ(PrintPageCount(6), 3);
    RecordingSurface page3;
    PrintPage(doc, page3, 3, 6);
    EXPECT_EQ(display_test::ChannelLabels(page3),
              (std::vector<std::string>{"CH[13]", "CH[14]", "CH[15]", "CH[16]"}));
    const std::vector<Rect> frames = Frames(page3);
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(frames[0], (Rect{0, 320, 3080, 960}));
    EXPECT_EQ(frames[3], (Rect{0, 320 + 3 * 640, 3080, 960 + 3 * 640}));
    // The label sits 10 pixels in at the print scale of 4.
    for (const auto& call : page3.Calls()) {
        if (call.kind == RecordingSurface::Call::Kind::Text) {
            EXPECT_EQ(call.rect.left, 40);
            EXPECT_EQ(call.rect.top, 360);
            break;
        }
    }
    EXPECT_EQ(doc.m_display.m_printing, 0);
    RecordingSurface page1;
    PrintPage(doc, page1, 1, 6);
    EXPECT_EQ(display_test::ChannelLabels(page1).front(), "CH[1]");
    EXPECT_EQ(display_test::ChannelLabels(page1).back(), "CH[6]");
}

TEST_F(PrintingTest, AbsoluteDisplayMeasuresAllChannelsForEveryPage) {
    doc.m_display.m_absoluteScale = 1;
    doc.m_display.m_commonMax = 3.0;
    RecordingSurface page1;
    PrintPage(doc, page1, 1, 6);
    EXPECT_NEAR(doc.m_display.m_commonMax, 16.0, 0.01);
    doc.m_display.m_absoluteScale = 0;
    doc.m_display.m_commonMax = 3.0;
    PrintPage(doc, page1, 1, 6);
    EXPECT_EQ(doc.m_display.m_commonMax, 3.0);
}

TEST_F(PrintingTest, MappingCoversSevenPointSevenInchesAtTheDeviceResolution) {
    QImage image(100, 100, QImage::Format_RGB32);
    QPainter painter(&image);
    SetPrintMapping(painter, 600, 300);
    EXPECT_EQ(painter.window(), QRect(0, 0, 3080, 10240));
    EXPECT_EQ(painter.viewport(), QRect(0, 0, 3080 * 600 / 400, 10240 * 300 / 400));
}

TEST_F(PrintingTest, PrintsThreePagesToPdfAndRestoresTheScrollSizes) {
    tavrel::test::TempDir dir;
    CKaisekiView view(&doc);
    view.resize(500, 400);
    view.SetZoom(10, 2);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(dir.File("graphs.pdf")));
    ASSERT_TRUE(view.PrintTo(printer));
    const std::string pdf = tavrel::test::ReadFileBytes(dir.File("graphs.pdf"));
    ASSERT_GT(pdf.size(), 1000u);
    EXPECT_EQ(pdf.substr(0, 4), "%PDF");
    EXPECT_EQ(display_test::PdfPageCount(pdf), 3u);
    EXPECT_EQ(view.TotalWidth(), 7700);
    EXPECT_EQ(view.horizontalScrollBar()->maximum(), 7700 - view.viewport()->width());
    EXPECT_EQ(doc.m_display.m_printing, 0);
}

TEST_F(PrintingTest, PrintsOnlyThePagesThePrinterNames) {
    tavrel::test::TempDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(dir.File("p3.pdf")));
    printer.setFromTo(3, 5);  // beyond the last page: only page 3 exists
    ASSERT_TRUE(PrintPages(doc, printer, 6));
    EXPECT_EQ(display_test::PdfPageCount(tavrel::test::ReadFileBytes(dir.File("p3.pdf"))), 1u);
    printer.setOutputFileName(QString::fromStdString(dir.File("p12.pdf")));
    printer.setFromTo(1, 2);
    ASSERT_TRUE(PrintPages(doc, printer, 6));
    EXPECT_EQ(display_test::PdfPageCount(tavrel::test::ReadFileBytes(dir.File("p12.pdf"))), 2u);
}

TEST_F(PrintingTest, ImageExportWritesPngSvgAndPdf) {
    tavrel::test::TempDir dir;
    QString error;
    const QString png = QString::fromStdString(dir.File("g.png"));
    ASSERT_TRUE(ExportGraphImage(doc, png, 6, &error));
    QImage image(png);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), 3080 * 150 / 400);
    // The first band's outline darkens the top-left corner (smoothed: one print unit is less than
    // a pixel); the page is white below the last band.
    EXPECT_LT(qGray(image.pixel(0, 0)), 200);
    EXPECT_EQ(image.pixelColor(image.width() / 2, image.height() - 2), QColor(Qt::white));
    ASSERT_TRUE(ExportGraphImage(doc, QString::fromStdString(dir.File("g.svg")), 6, &error));
    EXPECT_NE(tavrel::test::ReadFileBytes(dir.File("g.svg")).find("<svg"), std::string::npos);
    ASSERT_TRUE(ExportGraphImage(doc, QString::fromStdString(dir.File("g.pdf")), 6, &error));
    EXPECT_EQ(tavrel::test::ReadFileBytes(dir.File("g.pdf")).substr(0, 4), "%PDF");
    EXPECT_FALSE(ExportGraphImage(doc, QString::fromStdString(dir.File("g.bmpx")), 6, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(
        ExportGraphImage(doc, QString::fromStdString(dir.File("missing/g.png")), 6, &error));
    EXPECT_EQ(doc.m_display.m_printing, 0);
}

}  // namespace
}  // namespace tavrel::qt
