// The options dialog and the row limit it sets: stored per user, applied to every reading of a
// data file by the program, and a notice in the status bar and the processing-settings dialog
// while a file is cut at the limit.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTest>

#include "document/DataSettings.h"
#include "gui/app/KaisekiApp.h"
#include "gui/app/OptionsDlg.h"
#include "gui/display/CommandIds.h"
#include "gui/display/MainFrame.h"
#include "gui/document/DocumentCommands.h"
#include "gui/document/ModalHelper.h"
#include "gui/document/ProcSetDlg.h"
#include "gui/platform/DialogLayout.h"
#include "platform/WorkerPool.h"
#include "support/TempDir.h"

using namespace tavrel::qt;

namespace {

const QString kNotice8192 = QStringLiteral(
    "データファイルの先頭 8192 行だけを読み込みました（上限はオプションで変更できます）");

std::unique_ptr<CKaisekiApp> StartApp(const tavrel::test::TempDir& dir) {
    auto app = std::make_unique<CKaisekiApp>(
        std::make_unique<RecentFileList>(QString::fromStdString(dir.File("recent.ini"))));
    app->SetRestoreWindowState(false);
    EXPECT_TRUE(app->InitInstance({}));
    return app;
}

// Five minutes at 360 Hz: a header row, a time column and one channel.
std::string SaveLongRecording(const tavrel::test::TempDir& dir) {
    std::string text = "time,ecg\r\n";
    for (int i = 0; i < 108000; ++i)
        text += std::to_string(i) + "," + std::to_string(i % 360) + "\r\n";
    tavrel::CKaisekiDoc doc;
    doc.OnNewDocument();
    doc.m_dataFilePath = dir.Write("ecg.csv", text);
    tavrel::DataFileSettings settings = tavrel::FillDataFileSettings(doc);
    settings.m_rateChoice = 0;
    settings.m_rateValue = 360;
    settings.m_headerCheck = 1;
    settings.m_headerRowsValue = 1;
    settings.m_skipCheck = 1;
    settings.m_skipColumnsValue = 1;
    tavrel::ApplyDataFileSettings(doc, settings);
    const std::string path = dir.File("ecg.kcd");
    EXPECT_TRUE(doc.SaveDocumentFile(path));
    return path;
}

QString StatusText(CKaisekiApp& app) {
    return Control<QLabel>(app.MainFrame()->statusBar(), ID_IDLE_MESSAGE)->text();
}

// Runs the options dialog from the menu; `answer` plays the user.
void RunOptions(CKaisekiApp& app, std::function<void(COptionsDlg*)> answer) {
    tavrel::test::OnNextModal([answer](QWidget* w) {
        auto* dialog = qobject_cast<COptionsDlg*>(w);
        ASSERT_NE(dialog, nullptr);
        answer(dialog);
    });
    app.MainFrame()->Action(ID_TOOLS_OPTIONS)->trigger();
}

// Enters `refused` in the edit and presses OK: the standard message comes (its text into
// `message`) and the dialog stays open; then enters `accepted` and presses OK.
void EnterRefusedThenAccepted(COptionsDlg* dialog, QLineEdit* edit, const QString& refused,
                              const QString& accepted, QString* message) {
    edit->setText(refused);
    tavrel::test::CloseNextMessage(message, dialog);
    Control<QPushButton>(dialog, 1)->click();
    EXPECT_TRUE(dialog->isVisible());
    edit->setText(accepted);
    Control<QPushButton>(dialog, 1)->click();
}

}  // namespace

// The language list shows the stored choice; while TAVREL_LANG chooses the language of the run,
// a line says so.
TEST(Options, TheLanguageListShowsTheStoredChoiceAndSaysWhenTheEnvironmentOverridesIt) {
    const QByteArray before = qgetenv("TAVREL_LANG");
    for (const char* environment : {"", "en", "ja", "fr"}) {
        SCOPED_TRACE(environment);
        qputenv("TAVREL_LANG", environment);
        COptionsDlg dialog;
        dialog.m_options.language = Language::Japanese;
        tavrel::test::OnNextModal([](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
        dialog.exec();
        tavrel::test::EndModalWaits();
        EXPECT_EQ(Control<QComboBox>(&dialog, COptionsDlg::kLanguageList)->currentIndex(), 0);
        auto* note = Control<QLabel>(&dialog, COptionsDlg::kLanguageOverride);
        ASSERT_NE(note, nullptr);
        const bool set = std::string(environment) == "en" || std::string(environment) == "ja";
        EXPECT_EQ(!note->isHidden(), set);
        EXPECT_EQ(note->text(), QStringLiteral("TAVREL_LANG が優先されています。"));
    }
    if (before.isNull())
        qunsetenv("TAVREL_LANG");
    else
        qputenv("TAVREL_LANG", before);
}

TEST(Options, TheDialogValidatesTheLimitAndStoresItForTheNextStart) {
    QSettings().remove(QStringLiteral("Options"));
    tavrel::test::TempDir dir;
    auto app = StartApp(dir);
    EXPECT_EQ(app->Document().m_rowLimit, 8192);

    QString refusal;
    RunOptions(*app, [&](COptionsDlg* dialog) {
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("オプション"));
        auto* rows = Control<QLineEdit>(dialog, COptionsDlg::kMaxRowsEdit);
        auto* noLimit = Control<QCheckBox>(dialog, COptionsDlg::kNoLimitCheck);
        EXPECT_EQ(rows->text(), QStringLiteral("8192"));
        EXPECT_EQ(noLimit->text(), QStringLiteral("制限しない"));
        EXPECT_TRUE(rows->isEnabled());
        noLimit->click();
        EXPECT_FALSE(rows->isEnabled());
        noLimit->click();
        // Below the range: refused with the standard message, the dialog stays open.
        EnterRefusedThenAccepted(dialog, rows, QStringLiteral("100"), QStringLiteral("200000"),
                                 &refusal);
    });
    EXPECT_TRUE(refusal.contains(QStringLiteral("8192"))) << refusal.toStdString();
    EXPECT_EQ(app->Document().m_rowLimit, 200000);

    // A new start reads the stored choice; "制限しない" keeps the number entered before.
    app.reset();
    app = StartApp(dir);
    EXPECT_EQ(app->Document().m_rowLimit, 200000);
    RunOptions(*app, [](COptionsDlg* dialog) {
        Control<QCheckBox>(dialog, COptionsDlg::kNoLimitCheck)->click();
        Control<QPushButton>(dialog, 1)->click();
    });
    EXPECT_EQ(app->Document().m_rowLimit, 0);
    EXPECT_EQ(UserOptions::Load().maxRows, 200000);
    QSettings().remove(QStringLiteral("Options"));
}

// "計算スレッド数": 0 (as many as the processor runs) until changed; a number beyond 1024 is
// refused; the choice is stored for the next start and becomes the thread setting, unless
// TAVREL_THREADS names one for the run.
TEST(Options, TheThreadCountIsValidatedStoredAndAppliedUnlessTheEnvironmentNamesOne) {
    QSettings().remove(QStringLiteral("Options"));
    const QByteArray environment = qgetenv("TAVREL_THREADS");
    const int saved = tavrel::ThreadSetting();
    qunsetenv("TAVREL_THREADS");
    tavrel::test::TempDir dir;
    auto app = StartApp(dir);
    EXPECT_EQ(tavrel::ThreadSetting(), 0);
    QString refusal;
    RunOptions(*app, [&](COptionsDlg* dialog) {
        auto* threads = Control<QLineEdit>(dialog, COptionsDlg::kThreadsEdit);
        EXPECT_EQ(threads->text(), QStringLiteral("0"));
        EnterRefusedThenAccepted(dialog, threads, QStringLiteral("1025"), QStringLiteral("3"),
                                 &refusal);
    });
    EXPECT_TRUE(refusal.contains(QStringLiteral("1024"))) << refusal.toStdString();
    EXPECT_EQ(tavrel::ThreadSetting(), 3);

    // The next start takes the stored count; with TAVREL_THREADS set, the run keeps its own.
    tavrel::SetThreadSetting(0);
    app.reset();
    app = StartApp(dir);
    EXPECT_EQ(tavrel::ThreadSetting(), 3);
    qputenv("TAVREL_THREADS", "2");
    tavrel::SetThreadSetting(2);
    RunOptions(*app, [](COptionsDlg* dialog) {
        EXPECT_EQ(Control<QLineEdit>(dialog, COptionsDlg::kThreadsEdit)->text(),
                  QStringLiteral("3"));
        Control<QLineEdit>(dialog, COptionsDlg::kThreadsEdit)->setText(QStringLiteral("5"));
        Control<QPushButton>(dialog, 1)->click();
    });
    EXPECT_EQ(tavrel::ThreadSetting(), 2);
    EXPECT_EQ(UserOptions::Load().threads, 5);

    QSettings().remove(QStringLiteral("Options"));
    if (environment.isNull())
        qunsetenv("TAVREL_THREADS");
    else
        qputenv("TAVREL_THREADS", environment);
    tavrel::SetThreadSetting(saved);
}

TEST(Options, ALongRecordingIsCutAtTheLimitWithANoticeOrReadWhole) {
    QSettings().remove(QStringLiteral("Options"));
    tavrel::test::TempDir dir;
    const std::string document = SaveLongRecording(dir);
    auto app = StartApp(dir);
    tavrel::CKaisekiDoc& doc = app->Document();
    EXPECT_EQ(StatusText(*app), QStringLiteral("ﾚﾃﾞｨ"));

    // The default limit: 8192 rows, and the user is told in the status bar and the dialog.
    ASSERT_TRUE(app->Commands().OpenDocumentFile(QString::fromStdString(document)));
    EXPECT_EQ(doc.m_rowCount, 8192);
    EXPECT_EQ(StatusText(*app), kNotice8192);
    app->MainFrame()->Action(ID_PROC_SETTINGS)->trigger();
    auto* procSet = app->MainFrame()->findChild<CProcSetDlg*>();
    ASSERT_NE(procSet, nullptr);
    auto* notice = Control<QLabel>(procSet, CProcSetDlg::kRowsNotice);
    EXPECT_EQ(notice->text(), kNotice8192);
    EXPECT_FALSE(notice->isHidden());
    // The notice fits: it wraps inside the path's box and the channel buttons move down.
    EXPECT_GE(notice->height(), notice->heightForWidth(notice->width()));
    EXPECT_GT(Control(procSet, CProcSetDlg::kAssignButton)->y(), notice->geometry().bottom());

    // A raised limit reads the whole file; the time axis reaches its end and the notice goes.
    RunOptions(*app, [](COptionsDlg* dialog) {
        Control<QLineEdit>(dialog, COptionsDlg::kMaxRowsEdit)->setText(QStringLiteral("200000"));
        Control<QPushButton>(dialog, 1)->click();
    });
    ASSERT_TRUE(app->Commands().OpenDocumentFile(QString::fromStdString(document)));
    EXPECT_EQ(doc.m_rowCount, 108000);
    std::vector<double> values, times;
    std::string label;
    doc.GetChannelData(&values, &label, &times, 0);
    ASSERT_EQ(times.size(), 108000u);
    EXPECT_GT(times.back(), 299990.0);
    EXPECT_EQ(StatusText(*app), QStringLiteral("ﾚﾃﾞｨ"));
    EXPECT_TRUE(notice->isHidden());
    QSettings().remove(QStringLiteral("Options"));
}

// The options dialog and the main window over a whole long recording, for docs/ (written when
// TAVREL_SCREENSHOT_DIR is set).
TEST(Options, Screenshots) {
    const char* folder = std::getenv("TAVREL_SCREENSHOT_DIR");
    if (!folder) GTEST_SKIP() << "set TAVREL_SCREENSHOT_DIR to write the screenshots";
    const QDir out(QString::fromLocal8Bit(folder));
    QDir().mkpath(out.path());
    QSettings().remove(QStringLiteral("Options"));
    tavrel::test::TempDir dir;
    const std::string document = SaveLongRecording(dir);
    auto app = StartApp(dir);
    RunOptions(*app, [&](COptionsDlg* dialog) {
        Control<QLineEdit>(dialog, COptionsDlg::kMaxRowsEdit)->setText(QStringLiteral("200000"));
        QTest::qWait(100);
        EXPECT_TRUE(dialog->grab().save(out.filePath(QStringLiteral("options-dialog.png"))));
        Control<QPushButton>(dialog, 1)->click();
    });
    ASSERT_TRUE(app->Commands().OpenDocumentFile(QString::fromStdString(document)));
    app->MainFrame()->resize(900, 640);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(app->MainFrame()));
    QTest::qWait(200);
    EXPECT_TRUE(app->MainFrame()->grab().save(out.filePath(QStringLiteral("long-recording.png"))));
    QSettings().remove(QStringLiteral("Options"));
}
