// The recording's events on the screen: an EDF+ file's annotation drawn in the graph view across
// the bands with data, labelled in the first band, in the magnifier over its range, and gone
// while "イベントを表示" is off.
#include <edflib.h>
#include <gtest/gtest.h>

#include <QImage>
#include <QTest>

#include "gui/display/KaisekiView.h"
#include "gui/display/MagView.h"
#include "gui/display/MagWnd.h"
#include "gui/display/MainFrame.h"
#include "support/EdfWriter.h"
#include "support/Loading.h"
#include "support/ScriptedHost.h"
#include "support/TempDir.h"

namespace tavrel::qt {
namespace {

const QColor kPurple(170, 0, 170);

// Pixels of the event's colour, or blended from it and white (antialiased text), in a rectangle.
int PurplePixels(const QImage& image, const QRect& area) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += image.pixelColor(x, y).green() < 150 && image.pixelColor(x, y).blue() > 150;
    return count;
}

TEST(GraphEvents, AnAnnotationIsDrawnAtItsTimeOnEveryBandWithDataUnlessHidden) {
    test::TempDir dir;
    const std::string edf = dir.File("r.edf");
    ASSERT_TRUE(test::WriteEdf(edf, test::ThreeSines(EDFLIB_FILETYPE_EDFPLUS)));
    test::ScriptedHost host;
    CKaisekiDoc doc;
    doc.OnNewDocument();
    doc.m_dataFilePath = edf;
    ASSERT_TRUE(test::LoadDataFile(doc, true));
    ASSERT_EQ(doc.Events().size(), 1u);  // "burst" at 500 ms of three channels of 3 s at 2000 Hz

    CMainFrame frame(&doc);
    frame.resize(820, 700);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    CKaisekiView* view = frame.GetActiveView();
    EXPECT_TRUE(frame.Action(32803)->isChecked());
    // 6000 samples over the 620 pixels from x = 110: 500 ms at 110 + round(1000 * 620 / 6000),
    // above the traces, which reach 40 % of the inner area above its centre (y = 80).
    const int x = 213;
    QImage image = view->viewport()->grab().toImage();
    for (int band : {0, 1, 2})
        EXPECT_EQ(image.pixelColor(x, band * 160 + 25), kPurple) << band;
    EXPECT_EQ(image.pixelColor(x, 3 * 160 + 25), QColor(Qt::white));  // no data, no event
    EXPECT_GT(PurplePixels(image, QRect(x + 3, 2, 60, 17)), 10);      // "burst"
    EXPECT_EQ(PurplePixels(image, QRect(x + 3, 162, 60, 17)), 0);

    const int range[2] = {0, 2000};
    ASSERT_EQ(frame.ShowMagnifier(0, range), 1);
    CMagView* mag = frame.Magnifier()->View();
    // 2000 samples over width - 150 pixels from x = 110.
    const int magX = 110 + static_cast<int>(1000.0 * (mag->width() - 150) / 2000 + 0.5);
    EXPECT_EQ(mag->grab().toImage().pixelColor(magX, 25), kPurple);

    frame.Action(32803)->trigger();
    EXPECT_FALSE(frame.Action(32803)->isChecked());
    image = view->viewport()->grab().toImage();
    EXPECT_EQ(PurplePixels(image, QRect(100, 0, 200, 3 * 160)), 0);
    EXPECT_EQ(PurplePixels(mag->grab().toImage(), mag->rect()), 0);
    frame.Action(32803)->trigger();  // back to the default for the other tests
}

}  // namespace
}  // namespace tavrel::qt
