// The main frame: its menu tree, toolbar, status bar and accelerators, and the display, zoom and
// processing-settings commands following the document.
#include "gui/display/MainFrame.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QSettings>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <functional>

#include "gui/display/CommandIds.h"
#include "gui/display/DisplayTestSupport.h"
#include "gui/display/GraphSplitter.h"
#include "gui/display/KaisekiView.h"
#include "gui/display/ToolBarIcons.h"
#include "support/ScriptedHost.h"
#include "support/TempDir.h"

namespace tavrel::qt {
namespace {

// A menu as a list: ids of commands, "-" for separators, "title[...]" for submenus.
QStringList Describe(const QMenu* menu) {
    QStringList items;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator()) {
            items << QStringLiteral("-");
        } else if (action->menu()) {
            items << action->menu()->title() + QLatin1Char('[') +
                         Describe(action->menu()).join(QLatin1Char(' ')) + QLatin1Char(']');
        } else {
            items << action->objectName();
        }
    }
    return items;
}

// Looks at the active modal window from the event loop every 20 ms until `handle` takes it
// (returns true); after two seconds closes whatever modal window is open so the test goes on.
void PollModalWindow(QObject* context, std::function<bool(QWidget*)> handle, int tries) {
    if (handle(QApplication::activeModalWidget())) return;
    if (tries < 100) {
        QTimer::singleShot(
            20, context, [context, handle, tries] { PollModalWindow(context, handle, tries + 1); });
    } else if (QWidget* modal = QApplication::activeModalWidget()) {
        modal->close();
    }
}

void HandleModalWindow(QObject* context, std::function<bool(QWidget*)> handle) {
    QTimer::singleShot(0, context, [context, handle] { PollModalWindow(context, handle, 1); });
}

class MainFrameTest : public ::testing::Test {
  protected:
    MainFrameTest() { doc.OnNewDocument(); }
    void OpenMenus() {
        for (QMenu* menu : frame->menuBar()->findChildren<QMenu*>())
            emit menu->aboutToShow();
    }
    bool Ticked(int id) { return frame->Action(id)->isChecked(); }

    tavrel::test::ScriptedHost host;
    CKaisekiDoc doc;
    std::unique_ptr<CMainFrame> frame = std::make_unique<CMainFrame>(&doc);
};

TEST_F(MainFrameTest, MenuBarHoldsTheCommandsInOrder) {
    QStringList titles;
    for (QAction* action : frame->menuBar()->actions())
        titles << action->text();
    EXPECT_EQ(titles, (QStringList{"ﾌｧｲﾙ(&F)", "編集(&E)", "表示(&V)", "処理設定", "ﾍﾙﾌﾟ(&H)"}));
    const QList<QAction*> top = frame->menuBar()->actions();
    EXPECT_EQ(Describe(top[0]->menu()).join(' '),
              "57600 57601 57603 57604 - 32772 32790 - 57607 57609 57606 - 57616 57617 57618 "
              "57619 - 57665");
    EXPECT_EQ(Describe(top[1]->menu()).join(' '), "57643 57644 - 57635 57634 57637");
    EXPECT_EQ(Describe(top[2]->menu()).join(' '),
              "59392 59393 - グラフ表示データ[32776 32777] グラフY軸表示[32778 32779] - "
              "X軸拡大率[32780 32781 32782 32785 32786 32787 32788] Y軸拡大率[32783 32784] - 32801 "
              "32802 32803 - 32791");
    EXPECT_EQ(Describe(top[3]->menu()).join(' '), "32771 - 32800");
    EXPECT_EQ(Describe(top[4]->menu()).join(' '), "57664");
}

TEST_F(MainFrameTest, CommandsCarryTheirCaptionsPromptsAndTooltips) {
    EXPECT_EQ(frame->Action(57600)->text(), "新規作成(&N)\tCtrl+N");
    EXPECT_EQ(frame->Action(57600)->statusTip(), "新規にﾌｧｲﾙを作成");
    EXPECT_EQ(frame->Action(57600)->toolTip(), "新規ﾌｧｲﾙ");
    EXPECT_EQ(frame->Action(32772)->text(), "処理データを保存...");
    EXPECT_EQ(frame->Action(32785)->statusTip(), "10倍で表示");
    EXPECT_EQ(frame->Action(32783)->text(), "x1");
    EXPECT_EQ(frame->Action(57664)->text(), "Tavrel のﾊﾞｰｼﾞｮﾝ情報(&A)...");
    EXPECT_EQ(frame->Action(57665)->toolTip(), "終了");
    // Every command of the table has a prompt, and every menu entry a caption.
    int count = 0;
    const CommandText* texts = CommandTexts(&count);
    for (int i = 0; i < count; ++i) {
        QAction* action = frame->Action(texts[i].id);
        ASSERT_NE(action, nullptr) << texts[i].id;
        EXPECT_FALSE(action->statusTip().isEmpty()) << texts[i].id;
    }
    EXPECT_EQ(frame->Action(12345), nullptr);
}

TEST_F(MainFrameTest, AcceleratorsAreTheProgramsKeys) {
    auto keys = [&](int id) {
        QStringList list;
        for (const QKeySequence& k : frame->Action(id)->shortcuts())
            list << k.toString();
        return list.join(' ');
    };
    EXPECT_EQ(keys(57600), "Ctrl+N");
    EXPECT_EQ(keys(57601), "Ctrl+O");
    EXPECT_EQ(keys(57603), "Ctrl+S");
    EXPECT_EQ(keys(57607), "Ctrl+P");
    EXPECT_EQ(keys(57643), "Ctrl+Z Alt+Backspace");
    EXPECT_EQ(keys(57635), "Ctrl+X Shift+Del");
    EXPECT_EQ(keys(57634), "Ctrl+C Ctrl+Ins");
    EXPECT_EQ(keys(57637), "Ctrl+V Shift+Ins");
    EXPECT_EQ(keys(57680), "F6");
    EXPECT_EQ(keys(57681), "Shift+F6");
}

TEST_F(MainFrameTest, TicksFollowTheDocument) {
    OpenMenus();
    EXPECT_TRUE(Ticked(32776));
    EXPECT_FALSE(Ticked(32777));
    EXPECT_TRUE(Ticked(32778));
    EXPECT_FALSE(Ticked(32779));
    EXPECT_TRUE(Ticked(32780));
    EXPECT_TRUE(Ticked(32783));
    doc.m_display.m_probeDisplay = 1;
    doc.m_display.m_absoluteScale = 1;
    doc.m_display.m_zoomX = 10;
    doc.m_display.m_zoomY = 2;
    OpenMenus();
    EXPECT_FALSE(Ticked(32776));
    EXPECT_TRUE(Ticked(32777));
    EXPECT_FALSE(Ticked(32778));
    EXPECT_TRUE(Ticked(32779));
    for (int id : {32780, 32781, 32782, 32786, 32787, 32788})
        EXPECT_FALSE(Ticked(id)) << id;
    EXPECT_TRUE(Ticked(32785));
    EXPECT_FALSE(Ticked(32783));
    EXPECT_TRUE(Ticked(32784));
}

TEST_F(MainFrameTest, WithoutDocumentNothingIsTickedAndCommandsDoNothing) {
    CMainFrame empty(nullptr);
    for (QMenu* menu : empty.menuBar()->findChildren<QMenu*>())
        emit menu->aboutToShow();
    for (int id : {32776, 32777, 32778, 32779, 32780, 32783})
        EXPECT_FALSE(empty.Action(id)->isChecked()) << id;
    EXPECT_FALSE(empty.Action(32772)->isEnabled());
    empty.Action(32782)->trigger();
    empty.Action(32779)->trigger();
    EXPECT_FALSE(empty.Action(32782)->isChecked());
    // Reached anyway, the processed-data save beeps.
    empty.OnSaveProcessedData();
    EXPECT_EQ(host.beeps, 1);
}

TEST_F(MainFrameTest, EditCommandsAndX100StayGreyedAndInert) {
    display_test::CountingView counter(doc);
    OpenMenus();
    for (int id : {57643, 57635, 57634, 57637, 32788})
        EXPECT_FALSE(frame->Action(id)->isEnabled());
    frame->Action(32788)->trigger();
    EXPECT_EQ(doc.m_display.m_zoomX, 1);
    EXPECT_EQ(counter.updates, 0);
}

TEST_F(MainFrameTest, ProcessedDataSaveNeedsData) {
    OpenMenus();
    EXPECT_FALSE(frame->Action(32772)->isEnabled());
    display_test::FillSines(doc, 100);
    OpenMenus();
    EXPECT_TRUE(frame->Action(32772)->isEnabled());
}

TEST_F(MainFrameTest, ZoomToTheCurrentFactorRedrawsNothing) {
    display_test::CountingView counter(doc);
    frame->Action(32782)->trigger();  // x4
    EXPECT_EQ(doc.m_display.m_zoomX, 4);
    EXPECT_EQ(counter.updates, 1);
    EXPECT_EQ(frame->GetActiveView()->TotalWidth(), 3080);
    EXPECT_TRUE(Ticked(32782));
    frame->Action(32782)->trigger();  // x4 again
    EXPECT_EQ(counter.updates, 1);
    EXPECT_TRUE(Ticked(32782));
    frame->Action(32784)->trigger();  // Y x2
    EXPECT_EQ(counter.updates, 2);
    EXPECT_EQ(frame->GetActiveView()->TotalHeight(), 5120);
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(MainFrameTest, DisplayFlagsChangeOnlyWhenDifferent) {
    display_test::CountingView counter(doc);
    frame->Action(32779)->trigger();  // absolute
    EXPECT_EQ(doc.m_display.m_absoluteScale, 1);
    EXPECT_EQ(counter.updates, 1);
    frame->Action(32779)->trigger();  // absolute again
    EXPECT_EQ(counter.updates, 1);
    EXPECT_TRUE(Ticked(32779));
    frame->Action(32778)->trigger();  // relative
    EXPECT_EQ(doc.m_display.m_absoluteScale, 0);
    EXPECT_EQ(counter.updates, 2);
    frame->Action(32777)->trigger();  // probe
    EXPECT_EQ(doc.m_display.m_probeDisplay, 1);
    frame->Action(32777)->trigger();
    EXPECT_EQ(counter.updates, 3);
    frame->Action(32776)->trigger();
    EXPECT_EQ(doc.m_display.m_probeDisplay, 0);
    EXPECT_EQ(counter.updates, 4);
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(MainFrameTest, ProcessingSettingsToggleShowsAndHidesOneDialog) {
    int created = 0;
    int refreshed = 0;
    frame->SetProcSetDlgFactory(
        [&](QWidget* parent) {
            ++created;
            return new QDialog(parent);
        },
        [&](QWidget*) { ++refreshed; });
    QAction* toggle = frame->Action(32771);
    OpenMenus();
    EXPECT_EQ(toggle->text(), "表示");
    toggle->trigger();
    ASSERT_NE(frame->ProcSetDlg(), nullptr);
    EXPECT_TRUE(frame->ProcSetDlg()->isVisible());
    OpenMenus();
    EXPECT_EQ(toggle->text(), "隠す");
    // Every update of a graph view refreshes the dialog.
    doc.UpdateAllViews();
    EXPECT_EQ(refreshed, 1);
    toggle->trigger();
    EXPECT_FALSE(frame->ProcSetDlg()->isVisible());
    OpenMenus();
    EXPECT_EQ(toggle->text(), "表示");
    toggle->trigger();
    frame->ProcSetDlg()->close();  // its own close box only hides it
    OpenMenus();
    EXPECT_EQ(toggle->text(), "表示");
    toggle->trigger();
    EXPECT_TRUE(frame->ProcSetDlg()->isVisible());
    EXPECT_EQ(created, 1);
}

TEST_F(MainFrameTest, ToolbarHoldsTheStandardButtons) {
    QStringList items;
    for (QAction* action : frame->ToolBar()->actions()) {
        items << (action->isSeparator() ? QStringLiteral("-") : action->objectName());
        if (!action->isSeparator()) {
            EXPECT_FALSE(action->icon().isNull()) << action->objectName().toStdString();
        }
    }
    EXPECT_EQ(items.join(' '), "57600 57601 57603 - 57635 57634 57637 - 57607 - 57664");
    // Without a theme that has them the program's own pictures stand in: one for each button,
    // each different and none blank.
    QList<QImage> drawn;
    for (int id : {57600, 57601, 57603, 57635, 57634, 57637, 57607, 57664}) {
        const QImage image = DrawnToolBarIcon(id).pixmap(16, 16).toImage();
        ASSERT_EQ(image.size(), QSize(16, 16)) << id;
        int inked = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                inked += qAlpha(image.pixel(x, y)) > 0;
        EXPECT_GT(inked, 40) << id;
        EXPECT_FALSE(drawn.contains(image)) << id;
        drawn << image;
    }
    EXPECT_TRUE(DrawnToolBarIcon(32776).isNull());
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    frame->Action(59392)->trigger();
    EXPECT_FALSE(frame->ToolBar()->isVisible());
    EXPECT_FALSE(Ticked(59392));
    frame->Action(59392)->trigger();
    EXPECT_TRUE(frame->ToolBar()->isVisible());
    EXPECT_TRUE(Ticked(59392));
    frame->Action(59393)->trigger();
    EXPECT_FALSE(frame->statusBar()->isVisible());
    EXPECT_FALSE(Ticked(59393));
}

TEST_F(MainFrameTest, StatusBarShowsPromptsAndKeyStatesAsReported) {
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    auto* idle = frame->statusBar()->findChild<QLabel*>("57345");
    ASSERT_NE(idle, nullptr);
    EXPECT_EQ(idle->text(), "ﾚﾃﾞｨ");
    EXPECT_TRUE(idle->isVisible());
    frame->Action(32782)->showStatusText(frame.get());
    EXPECT_EQ(frame->statusBar()->currentMessage(), "４倍で表示");
    EXPECT_FALSE(idle->isVisible());
    frame->statusBar()->clearMessage();
    EXPECT_TRUE(idle->isVisible());

    QStringList panes;
    for (const char* id : {"59142", "59137", "59138", "59139"}) {
        auto* label = frame->statusBar()->findChild<QLabel*>(id);
        ASSERT_NE(label, nullptr) << id;
        panes << label->text();
    }
    EXPECT_EQ(panes.join(' '), "ｶﾅ CAP NUM SCRL");
    KeyStates states;
    states.caps = KeyStates::On;
    states.num = KeyStates::Off;
    frame->SetKeyStateProvider([&] { return states; });
    EXPECT_TRUE(frame->statusBar()->findChild<QLabel*>("59137")->isEnabled());
    for (const char* id : {"59142", "59138", "59139"})
        EXPECT_FALSE(frame->statusBar()->findChild<QLabel*>(id)->isEnabled()) << id;
    states.caps = KeyStates::Off;
    frame->UpdateKeyStates();
    EXPECT_FALSE(frame->statusBar()->findChild<QLabel*>("59137")->isEnabled());
}

TEST_F(MainFrameTest, RecentFileEntries) {
    QAction* first = frame->Action(57616);
    EXPECT_EQ(first->text(), "最近使ったﾌｧｲﾙ");
    EXPECT_FALSE(first->isEnabled());
    frame->SetRecentFiles({"/data/a.kcd", "/data/b&c.kcd"});
    EXPECT_EQ(first->text(), "&1 /data/a.kcd");
    EXPECT_TRUE(first->isEnabled());
    EXPECT_EQ(frame->Action(57617)->text(), "&2 /data/b&&c.kcd");
    EXPECT_TRUE(frame->Action(57617)->isVisible());
    EXPECT_FALSE(frame->Action(57618)->isVisible());
    QSignalSpy chosen(frame.get(), &CMainFrame::recentFileRequested);
    frame->Action(57617)->trigger();
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen[0][0].toString(), "/data/b&c.kcd");
    // A long path is shortened to its file name, with the platform's separator.
    frame->SetRecentFiles({"/home/someone/measurements/2026/december/long-session.kcd"});
    EXPECT_EQ(first->text(), "&1 .../long-session.kcd");
    frame->SetRecentFiles({});
    EXPECT_EQ(first->text(), "最近使ったﾌｧｲﾙ");
    EXPECT_FALSE(first->isEnabled());
    EXPECT_FALSE(frame->Action(57617)->isVisible());
}

TEST_F(MainFrameTest, F6MovesThroughThePanes) {
    frame->resize(900, 800);
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    GraphSplitter* splitter = frame->Splitter();
    ASSERT_TRUE(splitter->SplitColumns());
    ASSERT_TRUE(splitter->SplitRows());
    ASSERT_EQ(splitter->Panes().size(), 4);
    EXPECT_EQ(frame->GetActiveView(), splitter->Pane(0, 0));
    frame->Action(57680)->trigger();
    EXPECT_EQ(frame->GetActiveView(), splitter->Pane(0, 1));
    frame->Action(57680)->trigger();
    EXPECT_EQ(frame->GetActiveView(), splitter->Pane(1, 0));
    frame->Action(57681)->trigger();
    frame->Action(57681)->trigger();
    frame->Action(57681)->trigger();
    EXPECT_EQ(frame->GetActiveView(), splitter->Pane(1, 1));
}

TEST_F(MainFrameTest, CloseQueryCanKeepTheWindowOpen) {
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    bool allow = false;
    frame->SetCloseQuery([&] { return allow; });
    frame->Action(57665)->trigger();
    EXPECT_TRUE(frame->isVisible());
    allow = true;
    frame->Action(57665)->trigger();
    EXPECT_FALSE(frame->isVisible());
}

TEST_F(MainFrameTest, WindowPlaceIsRememberedBetweenRuns) {
    // The per-user settings go to a private folder for this test.
    tavrel::test::TempDir dir;
    const QSettings::Format format = QSettings::defaultFormat();
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                       QString::fromStdString(dir.Path().string()));
    {
        CMainFrame first(&doc);
        first.RestoreWindowState();
        first.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&first));
        first.setGeometry(40, 50, 700, 500);
        QTest::qWait(20);
        first.close();
    }
    CMainFrame second(&doc);
    second.RestoreWindowState();
    EXPECT_EQ(second.geometry().size(), QSize(700, 500));
    EXPECT_EQ(second.geometry().topLeft(), QPoint(40, 50));
    // A frame that never restored its place does not store it either.
    {
        CMainFrame other(&doc);
        other.show();
        other.setGeometry(10, 10, 650, 450);
        other.close();
    }
    CMainFrame third(&doc);
    third.RestoreWindowState();
    EXPECT_EQ(third.geometry().size(), QSize(700, 500));
    QSettings::setDefaultFormat(format);
}

TEST_F(MainFrameTest, PrintPreviewShowsEveryPageAndKeepsThePrintRange) {
    display_test::FillSines(doc, 300);
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    QPrinter& printer = frame->Printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(3, 3);
    int pages = -1;
    // The preview is modal: look at it from the event loop, then close it.
    HandleModalWindow(frame.get(), [&](QWidget* modal) {
        auto* preview = qobject_cast<QPrintPreviewDialog*>(modal);
        auto* widget = preview ? preview->findChild<QPrintPreviewWidget*>() : nullptr;
        if (!widget || widget->pageCount() == 0) return false;
        pages = widget->pageCount();
        preview->reject();
        return true;
    });
    frame->Action(57609)->trigger();
    EXPECT_EQ(pages, 3);
    EXPECT_EQ(printer.printRange(), QPrinter::PageRange);
    EXPECT_EQ(printer.fromPage(), 3);
    EXPECT_EQ(printer.toPage(), 3);
    EXPECT_EQ(doc.m_display.m_printing, 0);
}

TEST_F(MainFrameTest, PrintCommandWritesThePagesToThePdfFileTheDialogNames) {
    display_test::FillSines(doc, 300);
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    tavrel::test::TempDir dir;
    const std::string file = dir.File("printed.pdf");
    QPrinter& printer = frame->Printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(file));
    int minPage = -1;
    int maxPage = -1;
    HandleModalWindow(frame.get(), [&](QWidget* modal) {
        auto* dialog = qobject_cast<QPrintDialog*>(modal);
        if (!dialog) return false;
        minPage = dialog->minPage();
        maxPage = dialog->maxPage();
        dialog->accept();
        return true;
    });
    frame->Action(57607)->trigger();
    EXPECT_EQ(minPage, 1);
    EXPECT_EQ(maxPage, 3);
    const std::string pdf = tavrel::test::ReadFileBytes(file);
    ASSERT_EQ(pdf.substr(0, 4), "%PDF");
    EXPECT_EQ(display_test::PdfPageCount(pdf), 3u);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(doc.m_display.m_printing, 0);
}

TEST_F(MainFrameTest, PrinterSetupChoosesThePrinterAndPrintsNothing) {
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    tavrel::test::TempDir dir;
    const QString file = QString::fromStdString(dir.File("setup.pdf"));
    QPrinter& printer = frame->Printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    bool chosen = false;
    HandleModalWindow(frame.get(), [&](QWidget* modal) {
        // The platform's print dialog, where the printer is chosen (its properties hold the
        // paper and the orientation), set up for choosing only: no page range.
        auto* dialog = qobject_cast<QPrintDialog*>(modal);
        if (!dialog) return false;
        chosen = dialog->printer() == &printer &&
                 !dialog->testOption(QAbstractPrintDialog::PrintPageRange);
        dialog->accept();
        return true;
    });
    frame->Action(57606)->trigger();
    EXPECT_TRUE(chosen);
    EXPECT_FALSE(QFileInfo::exists(file));
}

}  // namespace
}  // namespace tavrel::qt
