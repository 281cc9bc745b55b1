// Screenshots of the main window and the magnifier for the documentation. Runs only when
// TAVREL_SCREENSHOT_DIR names the folder to write to (best under Xvfb with QT_QPA_PLATFORM=xcb);
// it opens TAVREL_SCREENSHOT_DOCUMENT when given and otherwise shows sixteen synthetic channels.
#include <gtest/gtest.h>

#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTest>
#include <cmath>
#include <cstdlib>

#include "gui/display/GraphSplitter.h"
#include "gui/display/KaisekiView.h"
#include "gui/display/MagWnd.h"
#include "gui/display/MainFrame.h"
#include "gui/display/ViewState.h"
#include "gui/platform/Translation.h"
#include "modules/filters/ReSmplFilter.h"
#include "support/Loading.h"
#include "support/ScriptedHost.h"

namespace tavrel::qt {
namespace {

// Muscle-like bursts on a small baseline noise, a different rhythm and size per channel.
void FillBursts(CKaisekiDoc& doc, int rows) {
    unsigned state = 12345u;
    auto noise = [&] {
        state = state * 1103515245u + 12345u;
        return static_cast<double>((state >> 16) & 0x7FFF) / 16384.0 - 1.0;
    };
    for (int k = 0; k < CKaisekiDoc::kChannels; ++k) {
        std::vector<double>& column = doc.m_columns[static_cast<std::size_t>(k)];
        column.resize(static_cast<std::size_t>(rows));
        const double period = 900.0 + 130.0 * k;
        for (int i = 0; i < rows; ++i) {
            const double phase = std::fmod(i + 70.0 * k, period) / period;
            const double envelope = phase < 0.35 ? std::sin(phase / 0.35 * M_PI) : 0.0;
            column[static_cast<std::size_t>(i)] = (0.05 + envelope) * (0.2 + 0.15 * k) * noise();
        }
    }
    doc.m_rowCount = rows;
}

TEST(Screenshots, MainWindowAndMagnifier) {
    const char* dir = std::getenv("TAVREL_SCREENSHOT_DIR");
    if (!dir) GTEST_SKIP() << "set TAVREL_SCREENSHOT_DIR to write the screenshots";
    QDir().mkpath(QString::fromLocal8Bit(dir));
    auto save = [&](QWidget* widget, const char* name) {
        QTest::qWait(200);
        EXPECT_TRUE(widget->grab().save(QDir(QString::fromLocal8Bit(dir)).filePath(name)));
    };
    tavrel::test::ScriptedHost host;
    CKaisekiDoc doc;
    doc.OnNewDocument();
    if (const char* document = std::getenv("TAVREL_SCREENSHOT_DOCUMENT")) {
        ASSERT_TRUE(test::OpenDocument(doc, document));
    } else {
        FillBursts(doc, 8192);
    }
    CMainFrame frame(&doc);
    frame.resize(820, 720);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    save(&frame, "main-x1-relative.png");
    frame.Action(32779)->trigger();
    save(&frame, "main-x1-absolute.png");
    frame.Action(32778)->trigger();
    frame.Action(32785)->trigger();
    // Scrolled to the first burst of the first channels (about 0.8 s in).
    frame.GetActiveView()->ScrollTo({1540, 0});
    save(&frame, "main-x10-relative.png");
    frame.Action(32779)->trigger();
    save(&frame, "main-x10-absolute.png");
    frame.Action(32778)->trigger();
    frame.Action(32780)->trigger();
    frame.GetActiveView()->ScrollTo({0, 0});

    CKaisekiView* view = frame.GetActiveView();
    // Across the first burst of CH[1] (about 0.6 s to 1.4 s).
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, QPoint(200, 30));
    QTest::mouseMove(view->viewport(), QPoint(330, 120));
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, QPoint(330, 120));
    ASSERT_NE(frame.Magnifier(), nullptr);
    save(frame.Magnifier(), "magnifier.png");

    frame.Splitter()->SplitColumns();
    frame.Splitter()->SplitRows();
    frame.Splitter()->Pane(1, 1)->ScrollTo({300, 1200});
    save(&frame, "main-split.png");

    // The graphs as the image export writes them (the printed layout), and the print preview.
    EXPECT_TRUE(frame.ExportImageTo(QDir(QString::fromLocal8Bit(dir)).filePath("export.png")));
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        QPrintPreviewDialog preview(&printer, &frame);
        QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &frame,
                         [&](QPrinter* p) { frame.GetActiveView()->PrintTo(*p); });
        preview.resize(900, 760);
        preview.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&preview));
        auto* pages = preview.findChild<QPrintPreviewWidget*>();
        ASSERT_NE(pages, nullptr);
        pages->setAllPagesViewMode();
        save(&preview, "print-preview.png");
        pages->setSinglePageViewMode();
        pages->setZoomFactor(1.0);
        save(&preview, "print-preview-100.png");
    }

    QMenu* viewMenu = frame.menuBar()->actions()[2]->menu();
    viewMenu->popup(frame.mapToGlobal(QPoint(100, 30)));
    save(viewMenu, "menu-view.png");
    viewMenu->hide();
    QMenu* zoom = frame.Menu(Tr("MainFrame", "X軸拡大率"));  // in the language of the run
    zoom->popup(frame.mapToGlobal(QPoint(100, 30)));
    save(zoom, "menu-zoom-x.png");
    zoom->hide();
    QMenu* file = frame.menuBar()->actions()[0]->menu();
    file->popup(frame.mapToGlobal(QPoint(10, 30)));
    save(file, "menu-file.png");
    file->hide();
}

// The two measuring cursors on a burst of the example, with the readout and the cursor figures in
// the status bar.
TEST(Screenshots, CursorsAndReadout) {
    const char* dir = std::getenv("TAVREL_SCREENSHOT_DIR");
    if (!dir) GTEST_SKIP() << "set TAVREL_SCREENSHOT_DIR to write the screenshots";
    QDir().mkpath(QString::fromLocal8Bit(dir));
    tavrel::test::ScriptedHost host;
    CKaisekiDoc doc;
    doc.OnNewDocument();
    if (const char* document = std::getenv("TAVREL_SCREENSHOT_DOCUMENT")) {
        ASSERT_TRUE(test::OpenDocument(doc, document));
    } else {
        FillBursts(doc, 8192);
    }
    CMainFrame frame(&doc);
    frame.resize(1000, 720);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    frame.Action(32782)->trigger();  // x4
    frame.resize(1100, 720);
    CKaisekiView* view = frame.GetActiveView();
    view->repaint();
    EXPECT_TRUE(view->PlaceCursor(ViewState::A, QPoint(260, 300)));
    EXPECT_TRUE(view->PlaceCursor(ViewState::B, QPoint(610, 300)));
    QTest::mouseMove(view->viewport(), QPoint(420, 250));
    QTest::qWait(200);
    EXPECT_TRUE(frame.grab().save(QDir(QString::fromLocal8Bit(dir)).filePath("cursors.png")));
}

// Markers of a recording on the graphs: a stimulus before each burst of CH1 and a comment spanning
// 0.9 s, with CH2 decimated by 4 and still showing them at their time.
TEST(Screenshots, Events) {
    const char* dir = std::getenv("TAVREL_SCREENSHOT_DIR");
    if (!dir) GTEST_SKIP() << "set TAVREL_SCREENSHOT_DIR to write the screenshots";
    tavrel::test::ScriptedHost host;
    CKaisekiDoc doc;
    doc.OnNewDocument();
    FillBursts(doc, 8192);
    for (int k = 4; k < CKaisekiDoc::kChannels; ++k)
        doc.m_channelSource[static_cast<std::size_t>(k)] = CKaisekiDoc::kNoSource;
    // The bursts of CH1 start every 450 ms; the stimuli come 60 ms before.
    doc.m_events = {{2860.0, 900.0, "rest"}};
    for (int n = 1; n * 450 - 60 < 4096; ++n)
        doc.m_events.push_back({n * 450.0 - 60.0, 0.0, "S " + std::to_string(n)});
    auto* decimate = new CReSmplFilter;
    decimate->m_step = 4;
    decimate->m_doc = &doc;
    CModBase::AppendModule(doc.Head(1), decimate);
    CMainFrame frame(&doc);
    frame.resize(1000, 760);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    frame.Action(32802)->trigger();  // only the four channels with data
    QTest::qWait(200);
    EXPECT_TRUE(frame.grab().save(QDir(QString::fromLocal8Bit(dir)).filePath("events.png")));
    frame.Action(32802)->trigger();
}

}  // namespace
}  // namespace tavrel::qt
