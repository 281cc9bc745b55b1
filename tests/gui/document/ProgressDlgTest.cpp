// The progress window: the bar advances in batches, Cancel is seen at the next PumpMessages, and
// a read cancelled through the window keeps the rows read so far.
#include <gtest/gtest.h>

#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>
#include <memory>
#include <string>

#include "document/KaisekiDoc.h"
#include "gui/document/DataReading.h"
#include "gui/document/ProgressDlg.h"
#include "gui/platform/DialogLayout.h"
#include "gui/platform/EventPump.h"
#include "gui/platform/QtHost.h"
#include "support/Loading.h"
#include "support/TempDir.h"

using tavrel::qt::Control;
using tavrel::qt::CProgressDlg;

TEST(ProgressDlg, BarAdvancesOnlyWhenPendingStepsExceedTheThreshold) {
    CProgressDlg window;
    EXPECT_EQ(window.windowTitle(), QStringLiteral("処理中"));
    window.SetRange(0, 1000);  // threshold 10
    window.show();
    window.Step(4);
    window.Step(6);  // exactly the threshold: not yet
    EXPECT_EQ(window.Bar()->value(), 0);
    window.Step(1);
    EXPECT_EQ(window.Bar()->value(), 11);
    window.Step(3);  // the last small steps are never shown
    EXPECT_EQ(window.Bar()->value(), 11);
    // Steps beyond the range keep the bar full instead of being ignored.
    window.Step(2000);
    EXPECT_EQ(window.Bar()->value(), 1000);
}

TEST(ProgressDlg, CancelBetweenStepsIsSeenAtTheNextPump) {
    CProgressDlg window;
    window.SetRange(0, 50);
    window.show();
    EXPECT_EQ(window.PumpMessages(), 0);
    QTest::mouseClick(Control<QPushButton>(&window, 2), Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
    window.Step(1);
    EXPECT_NE(window.PumpMessages(), 0);
    EXPECT_NE(window.PumpMessages(), 0);  // never cleared again
}

// The window here serves the user interface at every line, so that the passes of the timer
// below count lines.
std::unique_ptr<tavrel::Progress> EveryLineProgressWindow(QWidget* parent) {
    std::unique_ptr<tavrel::Progress> window = tavrel::qt::CreateProgressWindow(parent);
    dynamic_cast<CProgressDlg&>(*window).SetPumpInterval(0);
    return window;
}

TEST(ProgressDlg, CancelledReadKeepsTheRowsRead) {
    tavrel::qt::QtHost host;
    host.progressFactory = EveryLineProgressWindow;
    tavrel::test::TempDir dir;
    tavrel::CKaisekiDoc doc;
    doc.OnNewDocument();
    doc.m_dataFilePath = dir.Write("d.csv", "1\n2\n3\n4\n5\n6\n");

    // The user presses Cancel while the fourth line is being read.
    int passes = 0;
    QTimer timer;
    timer.setInterval(0);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (++passes == 4) {
            if (auto* progress = qobject_cast<CProgressDlg*>(QApplication::activeModalWidget()))
                QTest::mouseClick(Control<QPushButton>(progress, 2), Qt::LeftButton);
        }
    });
    timer.start();
    tavrel::qt::ReadDataFile(doc);
    timer.stop();
    EXPECT_EQ(doc.m_rowCount, 3);
    EXPECT_EQ(doc.m_columns[0], (std::vector<double>{1, 2, 3}));
}

// Serving the user interface costs about as much as reading a line: a long reading serves it
// every few milliseconds, not at every line, and still reads every line.
TEST(ProgressDlg, LongReadServesTheUserInterfaceEveryFewMilliseconds) {
    tavrel::qt::QtHost host;
    host.progressFactory = tavrel::qt::CreateProgressWindow;
    tavrel::test::TempDir dir;
    std::string text;
    for (int r = 0; r < 200000; ++r)
        text += std::to_string(r) + ",1\n";
    tavrel::CKaisekiDoc doc;
    doc.OnNewDocument();
    doc.m_rowLimit = 0;
    doc.m_dataFilePath = dir.Write("long.csv", text);
    int passes = 0;
    QTimer timer;
    timer.setInterval(0);
    QObject::connect(&timer, &QTimer::timeout, [&] { ++passes; });
    timer.start();
    tavrel::qt::ReadDataFile(doc);
    timer.stop();
    EXPECT_EQ(doc.m_rowCount, 200000);
    EXPECT_GE(passes, 1);
    EXPECT_LT(passes, 2000);
}

// Offers that come more than an interval apart (a recording's blocks) are each served.
TEST(ProgressDlg, OffersAnIntervalApartAreEachServed) {
    tavrel::qt::EventPump pump;
    int passes = 0;
    QTimer timer;
    timer.setInterval(0);
    QObject::connect(&timer, &QTimer::timeout, [&] { ++passes; });
    timer.start();
    for (int offer = 0; offer < 6; ++offer) {
        QTest::qSleep(tavrel::qt::EventPump::kDefaultIntervalMs + 5);
        pump.Offer();
    }
    timer.stop();
    EXPECT_EQ(passes, 6);
}

TEST(ProgressDlg, ShownOnlyOnceItHasItsRangeAndNeverBusy) {
    std::unique_ptr<tavrel::Progress> progress = tavrel::qt::CreateProgressWindow(nullptr);
    auto* window = dynamic_cast<CProgressDlg*>(progress.get());
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(window->isVisible());
    // An empty file: a range of (0, 0) shows an empty bar, not the endless busy animation
    // (which a bar shows when its minimum and maximum are equal).
    progress->SetRange(0, 0);
    EXPECT_TRUE(window->isVisible());
    EXPECT_LT(window->Bar()->minimum(), window->Bar()->maximum());
    EXPECT_EQ(window->Bar()->value(), window->Bar()->minimum());
}
