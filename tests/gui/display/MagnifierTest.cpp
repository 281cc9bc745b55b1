// The magnifier window: one band over its whole client area with the range it was given, and a
// close box that only hides it.
#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QTest>

#include "gui/display/DisplayTestSupport.h"
#include "gui/display/MagView.h"
#include "gui/display/MagWnd.h"
#include "platform/RecordingSurface.h"

namespace tavrel::qt {
namespace {

TEST(Magnifier, DrawsOneBandOverTheWholeView) {
    CKaisekiDoc doc;
    doc.OnNewDocument();
    display_test::FillSines(doc, 300);
    CMagWnd wnd(&doc, nullptr);
    wnd.resize(600, 250);
    wnd.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&wnd));
    CMagView* view = wnd.View();
    EXPECT_EQ(view->objectName(), "59648");
    view->m_channel = 4;
    RecordingSurface surface;
    view->OnDraw(surface);
    ASSERT_FALSE(surface.Calls().empty());
    EXPECT_EQ(surface.Calls()[0].kind, RecordingSurface::Call::Kind::Frame);
    EXPECT_EQ(surface.Calls()[0].rect, (Rect{0, 0, view->width(), view->height()}));
    EXPECT_EQ(display_test::ChannelLabels(surface), std::vector<std::string>{"CH[5]"});
    // Resized, the band follows the new client size.
    wnd.resize(800, 300);
    QTest::qWait(10);
    surface.Clear();
    view->OnDraw(surface);
    EXPECT_EQ(surface.Calls()[0].rect, (Rect{0, 0, view->width(), view->height()}));
    EXPECT_EQ(view->width(), 800);
}

TEST(Magnifier, CloseOnlyHides) {
    CKaisekiDoc doc;
    doc.OnNewDocument();
    CMagWnd wnd(&doc, nullptr);
    wnd.setGeometry(120, 140, 600, 250);
    wnd.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&wnd));
    EXPECT_FALSE(wnd.close());
    EXPECT_FALSE(wnd.isVisible());
    wnd.show();
    EXPECT_EQ(wnd.geometry(), QRect(120, 140, 600, 250));
}

}  // namespace
}  // namespace tavrel::qt
