// The results window: opened from the view menu, refreshed with every view update (data read,
// chain edited, probe display), its copy and save buttons.
#include "gui/display/MeasureWnd.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QDoubleSpinBox>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <cstdlib>

#include "document/Measurements.h"
#include "gui/display/BurstShading.h"
#include "gui/display/DisplayTestSupport.h"
#include "gui/display/KaisekiView.h"
#include "gui/display/MagWnd.h"
#include "gui/display/MainFrame.h"
#include "gui/platform/ScriptedFileChooser.h"
#include "modules/filters/ReSmplFilter.h"
#include "pipeline/DmyPipe.h"
#include "support/Loading.h"
#include "support/ScriptedHost.h"
#include "support/TempDir.h"

namespace tavrel::qt {
namespace {

class MeasureWndTest : public ::testing::Test {
  protected:
    MeasureWndTest() {
        doc.OnNewDocument();
        doc.m_dataFilePath = "/data/run 1, left.csv";
        for (int k = 2; k < CKaisekiDoc::kChannels; ++k)
            doc.m_channelSource[static_cast<std::size_t>(k)] = CKaisekiDoc::kNoSource;
    }
    MeasureWndTest(const MeasureWndTest&) = delete;
    MeasureWndTest& operator=(const MeasureWndTest&) = delete;
    ~MeasureWndTest() override { frame.reset(); }

    CMeasureWnd* Open() {
        frame->Action(32791)->trigger();
        return qobject_cast<CMeasureWnd*>(frame->MeasureWnd());
    }
    QString Cell(CMeasureWnd* wnd, int row, int column) {
        const QTableWidgetItem* item = wnd->Table()->item(row, column);
        return item ? item->text() : QString();
    }

    tavrel::test::ScriptedHost host;
    tavrel::test::TempDir dir;
    CKaisekiDoc doc;
    std::unique_ptr<CMainFrame> frame = std::make_unique<CMainFrame>(&doc);
};

TEST_F(MeasureWndTest, ShowsTheTableAndFollowsEveryViewUpdate) {
    CMeasureWnd* wnd = Open();
    ASSERT_TRUE(wnd);
    EXPECT_TRUE(wnd->isVisible());
    EXPECT_EQ(wnd->windowTitle(), QStringLiteral("計測結果"));
    EXPECT_EQ(frame->Action(32791)->text(), QStringLiteral("計測結果"));
    QStringList headings;
    for (int c = 0; c < wnd->Table()->columnCount(); ++c)
        headings << wnd->Table()->horizontalHeaderItem(c)->text();
    EXPECT_EQ(headings.join(' '), QStringLiteral("CH 単位 サンプル数 周波数[Hz] 時間[ms] 最小 最大 "
                                                 "平均 RMS 最大絶対値 マーカー マーカー[ms] 最終値 "
                                                 "平均周波数[Hz] 中央周波数[Hz] 傾き[/s]"));
    EXPECT_EQ(wnd->Table()->rowCount(), 0);  // nothing read yet

    // Data read: two channels of sines (channel k peaks at k + 1).
    display_test::FillSines(doc, 1000);
    doc.UpdateAllViews();
    ASSERT_EQ(wnd->Table()->rowCount(), 2);
    EXPECT_EQ(Cell(wnd, 1, 0), "2");
    EXPECT_EQ(Cell(wnd, 0, 1), "[mV]");
    EXPECT_EQ(Cell(wnd, 0, 2), "1000");
    EXPECT_EQ(Cell(wnd, 0, 4), "500");
    EXPECT_EQ(Cell(wnd, 1, 10), "");  // no marker

    // A chain edited: a probe then a decimation by 4 on channel 1.
    auto* probe = new CDmyPipe;
    probe->m_probeOn = 1;
    CModBase::AppendModule(doc.Head(0), probe);
    CModBase::AppendModule(doc.Head(0), new CReSmplFilter);
    static_cast<CReSmplFilter*>(probe->m_next)->m_step = 4;
    for (CModBase* m = doc.Head(0); m; m = m->m_next)
        m->m_doc = &doc;
    doc.Head(0)->ClearBuffers();
    doc.UpdateAllViews();
    EXPECT_EQ(Cell(wnd, 0, 2), "250");
    EXPECT_EQ(Cell(wnd, 0, 3), "500");
    // Probe display through the menu command.
    frame->Action(32777)->trigger();
    EXPECT_EQ(Cell(wnd, 0, 2), "1000");
    frame->Action(32776)->trigger();
    EXPECT_EQ(Cell(wnd, 0, 2), "250");

    // Hidden, it measures nothing; shown again, it is up to date.
    wnd->hide();
    doc.Head(1)->m_samplingRate = 1000;
    doc.Head(1)->ClearBuffers();
    doc.UpdateAllViews();
    EXPECT_EQ(Cell(wnd, 1, 3), "2000");
    frame->Action(32791)->trigger();
    EXPECT_EQ(frame->MeasureWnd(), wnd);
    EXPECT_EQ(Cell(wnd, 1, 3), "1000");
}

TEST_F(MeasureWndTest, CopyAndSaveWriteTheTable) {
    display_test::FillSines(doc, 600);
    CMeasureWnd* wnd = Open();
    ASSERT_TRUE(wnd);
    wnd->findChild<QPushButton*>("copy")->click();
    const QString copied = QApplication::clipboard()->text();
    const QStringList lines = copied.split('\n');
    ASSERT_EQ(lines.size(), 4);  // header, two rows, the empty rest after the last LF
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("CH\t単位\tサンプル数\t")));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("1\t[mV]\t600\t2000\t300\t")));
    EXPECT_EQ(lines[1].count('\t'), 15);

    // "保存..." asks for the file, then writes the CSV of the core.
    const QString path = QString::fromStdString(dir.File("table.csv"));
    tavrel::test::ScriptedFileChooser files;
    files.Answer(path);
    wnd->findChild<QPushButton*>("save")->click();
    ASSERT_EQ(files.questions.size(), 1u);
    EXPECT_EQ(files.questions[0].proposed, QStringLiteral("計測結果.csv"));
    std::string expected;
    AppendMeasurementHeader(expected);
    AppendMeasurementRows(expected, MeasureDocument(doc, doc.m_dataFilePath));
    EXPECT_EQ(tavrel::test::ReadFileBytes(path.toStdString()), expected);
    EXPECT_EQ(expected.substr(expected.find('\n') + 1, 30), "\"/data/run 1, left.csv\",1,[mV]");
    // Cancelled: nothing written; a folder that does not exist: the user is told.
    wnd->findChild<QPushButton*>("save")->click();  // no answer left: cancelled
    EXPECT_EQ(files.questions.size(), 2u);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_FALSE(wnd->SaveTo(QString::fromStdString(dir.File("no/such/folder.csv"))));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], "ファイルが開けませんでした。");
}

// The number of pixels of the burst shade in a picture.
int ShadePixels(const QImage& image) {
    const QRgb shade = qRgb(kBurstShadeColor.r, kBurstShadeColor.g, kBurstShadeColor.b);
    int count = 0;
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x)
            count += (rgb.pixel(x, y) & 0xffffff) == (shade & 0xffffff);
    return count;
}

// The burst tab on the bundled example: the bursts listed, shaded in the graph view and the
// magnifier while the tab is shown and not otherwise; the settings measure again; copy takes the
// burst table.
TEST_F(MeasureWndTest, BurstTabListsAndShadesTheExamplesBursts) {
    ASSERT_TRUE(test::OpenDocument(doc, TAVREL_SOURCE_DIR "/examples/emg-demo.kcd"));
    frame->show();
    CMeasureWnd* wnd = Open();
    ASSERT_TRUE(wnd);
    CKaisekiView* view = frame->GetActiveView();
    ASSERT_TRUE(view);
    EXPECT_EQ(ShadePixels(view->grab().toImage()), 0);
    auto* tabs = wnd->findChild<QTabWidget*>(QStringLiteral("tabs"));
    ASSERT_TRUE(tabs);
    tabs->setCurrentIndex(1);
    EXPECT_TRUE(wnd->ShowsBursts());
    const int listed = wnd->BurstTable()->rowCount();
    ASSERT_GT(listed, 0);
    EXPECT_EQ(wnd->BurstTable()->item(0, 0)->text(), QStringLiteral("1"));
    const int shaded = ShadePixels(view->grab().toImage());
    EXPECT_GT(shaded, 1000);
    const int range[2] = {1000, 3000};  // samples of CH1, the first burst inside
    frame->ShowMagnifier(0, range);
    ASSERT_TRUE(frame->Magnifier());
    QTest::qWait(50);
    EXPECT_GT(ShadePixels(frame->Magnifier()->grab().toImage()), 100);

    // A larger factor lists fewer bursts.
    auto* factor = wnd->findChild<QDoubleSpinBox*>(QStringLiteral("factor"));
    ASSERT_TRUE(factor);
    factor->setValue(1000.0);
    EXPECT_LT(wnd->BurstTable()->rowCount(), listed);
    factor->setValue(3.0);
    EXPECT_EQ(wnd->BurstTable()->rowCount(), listed);
    wnd->CopyToClipboard();
    EXPECT_TRUE(QApplication::clipboard()->text().startsWith(QStringLiteral("CH\tバースト\t")));

    tabs->setCurrentIndex(0);
    EXPECT_EQ(ShadePixels(view->grab().toImage()), 0);
    tabs->setCurrentIndex(1);
    wnd->hide();
    EXPECT_EQ(ShadePixels(view->grab().toImage()), 0);
}

// The window for docs/measurements.png (written when TAVREL_SCREENSHOT_DIR is set).
TEST_F(MeasureWndTest, Screenshot) {
    const char* folder = std::getenv("TAVREL_SCREENSHOT_DIR");
    if (!folder) GTEST_SKIP() << "set TAVREL_SCREENSHOT_DIR to write the screenshot";
    if (const char* document = std::getenv("TAVREL_SCREENSHOT_DOCUMENT")) {
        ASSERT_TRUE(test::OpenDocument(doc, document));
    } else {
        display_test::FillSines(doc, 8192);
    }
    CMeasureWnd* wnd = Open();
    ASSERT_TRUE(wnd);
    wnd->resize(1130, 330);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(wnd));
    QTest::qWait(200);
    QDir().mkpath(QString::fromLocal8Bit(folder));
    EXPECT_TRUE(
        wnd->grab().save(QDir(QString::fromLocal8Bit(folder)).filePath("measurements.png")));
}

// docs/burst-tab.png: the graph view of the example with its bursts shaded above the burst tab.
TEST_F(MeasureWndTest, BurstScreenshot) {
    const char* folder = std::getenv("TAVREL_SCREENSHOT_DIR");
    if (!folder) GTEST_SKIP() << "set TAVREL_SCREENSHOT_DIR to write the screenshot";
    ASSERT_TRUE(test::OpenDocument(doc, TAVREL_SOURCE_DIR "/examples/emg-demo.kcd"));
    frame->resize(1130, 560);
    frame->show();
    CMeasureWnd* wnd = Open();
    ASSERT_TRUE(wnd);
    wnd->resize(1130, 300);
    wnd->Tabs()->setCurrentIndex(1);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(wnd));
    QTest::qWait(200);
    const QPixmap top = frame->grab();
    const QPixmap bottom = wnd->grab();
    QPixmap both(std::max(top.width(), bottom.width()), top.height() + bottom.height());
    both.fill(Qt::white);
    QPainter painter(&both);
    painter.drawPixmap(0, 0, top);
    painter.drawPixmap(0, top.height(), bottom);
    painter.end();
    QDir().mkpath(QString::fromLocal8Bit(folder));
    EXPECT_TRUE(both.save(QDir(QString::fromLocal8Bit(folder)).filePath("burst-tab.png")));
}

}  // namespace
}  // namespace tavrel::qt
