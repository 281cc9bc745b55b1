// Start-up of the application object: the command line, a new or opened document, a document that
// cannot be opened, dropped files, the about box and the processing-settings dialog of the frame.
#include <gtest/gtest.h>

#include <QAction>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QPrinterInfo>
#include <QScrollBar>
#include <QTest>
#include <QUrl>

#include "gui/app/AboutDlg.h"
#include "gui/app/KaisekiApp.h"
#include "gui/display/CommandIds.h"
#include "gui/display/KaisekiView.h"
#include "gui/display/MainFrame.h"
#include "gui/document/DocumentCommands.h"
#include "gui/document/ModalHelper.h"
#include "gui/document/ProcSetDlg.h"
#include "gui/document/RecentFileList.h"
#include "support/TempDir.h"

using namespace tavrel::qt;
using tavrel::test::CloseNextMessage;
using tavrel::test::OnNextModal;
using Action = CommandLine::Action;

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

std::unique_ptr<CKaisekiApp> MakeApp(const tavrel::test::TempDir& dir) {
    auto app = std::make_unique<CKaisekiApp>(
        std::make_unique<RecentFileList>(Q(dir.File("settings.ini"))));
    app->SetRestoreWindowState(false);
    return app;
}

// Saves a new document with channel `enabled` switched on, as a distinguishable file.
std::string SaveDocument(const tavrel::test::TempDir& dir, const std::string& name, int enabled) {
    tavrel::CKaisekiDoc doc;
    doc.OnNewDocument();
    doc.m_channelEnabled[static_cast<std::size_t>(enabled)] = 1;
    std::string path = dir.File(name);
    EXPECT_TRUE(doc.SaveDocumentFile(path));
    return path;
}

}  // namespace

TEST(CommandLine, NoneOneFileOrPrint) {
    EXPECT_EQ(ParseCommandLine({}).action, Action::New);
    CommandLine open = ParseCommandLine({"a.kcd"});
    EXPECT_EQ(open.action, Action::Open);
    EXPECT_EQ(open.file, "a.kcd");
    CommandLine print = ParseCommandLine({"--print", "b.kcd"});
    EXPECT_EQ(print.action, Action::Print);
    EXPECT_EQ(print.file, "b.kcd");
    EXPECT_EQ(ParseCommandLine({"/p", "c.kcd"}).action, Action::Print);
    EXPECT_FALSE(ParseCommandLine({"--print"}).error.isEmpty());
    EXPECT_FALSE(ParseCommandLine({"--bogus"}).error.isEmpty());
    EXPECT_FALSE(ParseCommandLine({"a.kcd", "b.kcd"}).error.isEmpty());
}

TEST(KaisekiApp, StartsWithANewDocumentInAShownFrame) {
    tavrel::test::TempDir dir;
    auto app = MakeApp(dir);
    ASSERT_TRUE(app->InitInstance({}));
    ASSERT_NE(app->MainFrame(), nullptr);
    EXPECT_TRUE(app->MainFrame()->isVisible());
    EXPECT_EQ(app->MainFrame()->windowTitle(), QStringLiteral("無題 - Tavrel"));
    EXPECT_EQ(app->Document().m_chains.size(), 16u);
    EXPECT_EQ(app->Document().m_rowCount, 0);
    EXPECT_TRUE(app->MainFrame()->acceptDrops());

    // The frame's processing-settings command creates the program's dialog on the document.
    app->MainFrame()->Action(ID_PROC_SETTINGS)->trigger();
    auto* procSet = qobject_cast<CProcSetDlg*>(app->MainFrame()->ProcSetDlg());
    ASSERT_NE(procSet, nullptr);
    EXPECT_EQ(procSet->m_doc, &app->Document());
    EXPECT_TRUE(procSet->isVisible());
}

TEST(KaisekiApp, OpensTheDocumentNamedOnTheCommandLine) {
    tavrel::test::TempDir dir;
    std::string path = SaveDocument(dir, "set-up.kcd", 6);
    auto app = MakeApp(dir);
    ASSERT_TRUE(app->InitInstance({Q(path)}));
    EXPECT_EQ(app->Document().m_channelEnabled[6], 1);
    EXPECT_EQ(app->MainFrame()->windowTitle(), QStringLiteral("set-up.kcd - Tavrel"));
    EXPECT_EQ(app->MainFrame()->RecentFiles().value(0), Q(path));
}

TEST(KaisekiApp, PrintSwitchPrintsAndEndsWithoutAWindow) {
    if (!QPrinterInfo::defaultPrinter().isNull()) GTEST_SKIP() << "would print on a real printer";
    tavrel::test::TempDir dir;
    std::string path = SaveDocument(dir, "to-print.kcd", 1);
    auto app = MakeApp(dir);
    // Without a printer the pages go into a PDF beside the document.
    ASSERT_TRUE(app->InitInstance({QStringLiteral("--print"), Q(path)}));
    EXPECT_TRUE(app->EndsAfterStartUp());  // the program does not wait for a window to close
    EXPECT_FALSE(app->MainFrame()->isVisible());
    EXPECT_GT(std::filesystem::file_size(dir.File("to-print.pdf")), 0u);

    auto opened = MakeApp(dir);
    ASSERT_TRUE(opened->InitInstance({Q(path)}));
    EXPECT_FALSE(opened->EndsAfterStartUp());
}

TEST(KaisekiApp, UnreadableDocumentIsReportedAndTheProgramStartsWithANewOne) {
    tavrel::test::TempDir dir;
    std::string bad = dir.Write("bad.kcd", "garbage");
    auto app = MakeApp(dir);
    QString message;
    CloseNextMessage(&message);
    EXPECT_TRUE(app->InitInstance({Q(bad)}));
    EXPECT_TRUE(message.contains(QStringLiteral("ドキュメントを開くことができません。")))
        << message.toStdString();
    ASSERT_TRUE(app->MainFrame());
    EXPECT_TRUE(app->MainFrame()->isVisible());
    EXPECT_FALSE(app->EndsAfterStartUp());
    EXPECT_TRUE(app->Document().GetPathName().empty());
    EXPECT_EQ(app->Document().m_chains.size(), 16u);
    // Printing a document that cannot be opened still fails.
    auto printing = MakeApp(dir);
    CloseNextMessage(&message);
    EXPECT_FALSE(printing->InitInstance({QStringLiteral("--print"), Q(bad)}));
}

TEST(KaisekiApp, DroppedDocumentsOpenInTurnAndTheLastStays) {
    tavrel::test::TempDir dir;
    std::string first = SaveDocument(dir, "first.kcd", 2);
    std::string second = SaveDocument(dir, "second.kcd", 9);
    auto app = MakeApp(dir);
    ASSERT_TRUE(app->InitInstance({}));

    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(Q(first)), QUrl(QStringLiteral("https://example.org/x.kcd")),
                  QUrl::fromLocalFile(Q(second))});
    EXPECT_EQ(DroppedFiles(mime), (QStringList{Q(first), Q(second)}));
    // Dragged over the main window the files are accepted, and dropped they open in turn.
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(app->MainFrame(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(app->MainFrame(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    // Opened once the drop has finished, so the dragging program is not kept waiting.
    EXPECT_EQ(app->Document().m_channelEnabled[2], 0);
    EXPECT_EQ(app->Document().m_channelEnabled[9], 0);
    QTest::qWait(20);
    EXPECT_EQ(app->Document().m_channelEnabled[9], 1);
    EXPECT_EQ(app->Document().m_channelEnabled[2], 0);
    EXPECT_EQ(app->MainFrame()->windowTitle(), QStringLiteral("second.kcd - Tavrel"));
    EXPECT_EQ(app->MainFrame()->RecentFiles(), (QStringList{Q(second), Q(first)}));
}

// Opening shows the document from its start; the zoom factors stay those of the running program.
TEST(KaisekiApp, OpeningADocumentShowsItFromItsStartAtTheProgramsZoom) {
    tavrel::test::TempDir dir;
    std::string first = SaveDocument(dir, "first.kcd", 2);
    std::string second = SaveDocument(dir, "second.kcd", 9);
    auto app = MakeApp(dir);
    ASSERT_TRUE(app->InitInstance({Q(first)}));
    app->MainFrame()->Action(ID_ZOOMX_40)->trigger();
    CKaisekiView* view = app->MainFrame()->GetActiveView();
    ASSERT_TRUE(view);
    QScrollBar* h = view->horizontalScrollBar();
    QScrollBar* v = view->verticalScrollBar();
    h->setValue(h->maximum());
    v->setValue(v->maximum());
    ASSERT_GT(h->value(), 0);
    ASSERT_GT(v->value(), 0);
    for (const QString& next : {Q(second), QString()}) {
        if (next.isEmpty())
            app->MainFrame()->Action(ID_FILE_NEW)->trigger();
        else
            app->MainFrame()->recentFileRequested(next);
        EXPECT_EQ(h->value(), 0);
        EXPECT_EQ(v->value(), 0);
        EXPECT_EQ(app->Document().m_display.m_zoomX, 40);
        EXPECT_EQ(h->pageStep(), 770 * 40 / 10);  // a tenth of the x40 width
        h->setValue(h->maximum());
        v->setValue(v->maximum());
    }
}

TEST(KaisekiApp, OnlyLocalFilesAreAcceptedForDropping) {
    tavrel::test::TempDir dir;
    auto app = MakeApp(dir);
    ASSERT_TRUE(app->InitInstance({}));
    QMimeData web;
    web.setUrls({QUrl(QStringLiteral("https://example.org/x.kcd"))});
    QDragEnterEvent webEnter(QPoint(50, 50), Qt::CopyAction, &web, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(app->MainFrame(), &webEnter);
    EXPECT_FALSE(webEnter.isAccepted());
    QMimeData text;
    text.setText(QStringLiteral("no files"));
    QDragEnterEvent textEnter(QPoint(50, 50), Qt::CopyAction, &text, Qt::LeftButton,
                              Qt::NoModifier);
    QApplication::sendEvent(app->MainFrame(), &textEnter);
    EXPECT_FALSE(textEnter.isAccepted());
}

TEST(KaisekiApp, NewAndOpenGiveTheViewsTheirInitialUpdate) {
    tavrel::test::TempDir dir;
    const std::string path = SaveDocument(dir, "a.kcd", 3);
    auto app = MakeApp(dir);
    ASSERT_TRUE(app->InitInstance({}));
    CMainFrame* frame = app->MainFrame();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame));
    QTest::qWait(20);
    auto widened = [&] {
        frame->resize(1400, frame->height());
        QTest::qWait(20);
        return frame->width() == 1400;
    };
    // The zoom factors are taken from the document and the frame shrinks to the graphs.
    ASSERT_TRUE(widened());
    app->Document().m_display.m_zoomY = 2;
    frame->Action(ID_FILE_NEW)->trigger();
    EXPECT_EQ(frame->GetActiveView()->TotalHeight(), 5120);
    EXPECT_LT(frame->width(), 1400);
    ASSERT_TRUE(widened());
    ASSERT_TRUE(app->Commands().OpenDocumentFile(Q(path)));
    EXPECT_LT(frame->width(), 1400);
}

TEST(KaisekiApp, ClosingAModifiedDocumentAsksFirst) {
    tavrel::test::TempDir dir;
    auto app = MakeApp(dir);
    ASSERT_TRUE(app->InitInstance({}));
    int asked = 0;
    app->Commands().askSaveChanges = [&](const QString&) {
        ++asked;
        return DocumentCommands::SaveAnswer::Cancel;
    };
    app->Document().SetModifiedFlag();
    app->MainFrame()->Action(ID_APP_EXIT)->trigger();
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(app->MainFrame()->isVisible());

    app->Commands().askSaveChanges = [](const QString&) {
        return DocumentCommands::SaveAnswer::Discard;
    };
    app->MainFrame()->Action(ID_APP_EXIT)->trigger();
    EXPECT_FALSE(app->MainFrame()->isVisible());
}

TEST(AboutDlg, ShowsTheVersion) {
    tavrel::test::TempDir dir;
    auto app = MakeApp(dir);
    ASSERT_TRUE(app->InitInstance({}));
    QStringList texts;
    QString title;
    OnNextModal([&](QWidget* w) {
        title = w->windowTitle();
        for (QLabel* label : w->findChildren<QLabel*>())
            texts << label->text();
        static_cast<QDialog*>(w)->accept();
    });
    app->MainFrame()->Action(ID_APP_ABOUT)->trigger();
    EXPECT_EQ(title, QStringLiteral("Tavrelのﾊﾞｰｼﾞｮﾝ情報"));
    EXPECT_TRUE(texts.contains(QStringLiteral("Tavrel Version 1.0.1")));
    EXPECT_FALSE(AppIcon().isNull());
}
