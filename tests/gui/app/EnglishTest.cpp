// The program in English: every window, dialog, menu and message box a user reaches shows English
// texts that fit their controls, module names follow the display language only where they are
// the class's default, and the document file does not depend on the language.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "gui/app/AboutDlg.h"
#include "gui/app/KaisekiApp.h"
#include "gui/document/DataReading.h"
#include "gui/app/OptionsDlg.h"
#include "gui/display/CommandIds.h"
#include "gui/display/MagWnd.h"
#include "gui/display/MainFrame.h"
#include "gui/document/ChAssignDlg.h"
#include "gui/document/DataFileDlg.h"
#include "gui/document/DataSetDlg.h"
#include "gui/document/DocumentCommands.h"
#include "gui/document/ExportSetDlg.h"
#include "gui/document/ModalHelper.h"
#include "gui/document/ProcSetDlg.h"
#include "gui/document/ProgressDlg.h"
#include "gui/pipeline/ChProcDlg.h"
#include "gui/pipeline/DialogTemplates.h"
#include "gui/pipeline/DialogTestSupport.h"
#include "gui/pipeline/FilterDlgBase.h"
#include "gui/platform/DialogLayout.h"
#include "gui/platform/QtHost.h"
#include "gui/platform/Translation.h"
#include "pipeline/ModuleRegistry.h"
#include "support/TempDir.h"

namespace tavrel::qt {
namespace {

using test::OnNextModal;

// Hiragana, Katakana (full and half width), CJK ideographs and punctuation, full-width forms.
bool HasJapanese(const QString& text) {
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u >= 0x3000 && u <= 0x30FF) || (u >= 0x31F0 && u <= 0x31FF) ||
            (u >= 0x4E00 && u <= 0x9FFF) || (u >= 0xFF00 && u <= 0xFFEF))
            return true;
    }
    return false;
}

class English : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(InstallLanguage(Language::English)); }
    void TearDown() override { InstallLanguage(Language::Japanese); }

    // A text the user reads: English, and not empty where `needed`. `data` are texts that are
    // the user's own (a stored module name, a path) and stay as they are.
    void ExpectText(const QString& text, const QString& where, bool needed = false) {
        ++checked;
        if (data.contains(text)) return;
        EXPECT_FALSE(HasJapanese(text)) << where.toStdString() << ": " << text.toStdString();
        if (needed) {
            EXPECT_FALSE(text.isEmpty()) << where.toStdString() << ": an empty caption";
        }
    }

    void ExpectMenu(const QMenu* menu, const QString& where) {
        ExpectText(menu->title(), where, true);
        for (const QAction* action : menu->actions()) {
            if (action->isSeparator() || !action->isVisible()) continue;
            const QString at = where + QLatin1Char('>') + action->text();
            if (action->menu()) {
                ExpectMenu(action->menu(), at);
                continue;
            }
            ExpectText(action->text(), at, true);
            ExpectText(action->statusTip(), at);
            ExpectText(action->toolTip(), at);
        }
    }

    // Every text of `window` and its visible children; in a dialog laid out from dialog units,
    // every caption fits its control and no two controls overlap.
    void ExpectWindow(QWidget* window, const QString& where) {
        ExpectText(window->windowTitle(), where);
        const QList<QWidget*> children = window->findChildren<QWidget*>();
        for (QWidget* w : children) {
            if (!w->isVisibleTo(window)) continue;
            const QString at = where + QLatin1Char('/') + w->objectName();
            const QFontMetrics metrics = w->fontMetrics();
            ExpectText(w->toolTip(), at);
            ExpectText(w->statusTip(), at);
            if (auto* label = qobject_cast<QLabel*>(w)) {
                ExpectText(label->text(), at);
                if (!label->wordWrap() && !Qt::mightBeRichText(label->text())) {
                    EXPECT_LE(metrics.horizontalAdvance(label->text()), label->width() + 1)
                        << at.toStdString() << ": " << label->text().toStdString();
                }
            } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
                const bool iconOnly = !button->icon().isNull() && button->text().isEmpty();
                ExpectText(button->text(), at, !iconOnly && qobject_cast<QPushButton*>(w));
                QString text = button->text();
                text.remove(QLatin1Char('&'));
                const int need = qobject_cast<QPushButton*>(w) ? metrics.horizontalAdvance(text) + 4
                                                               : button->sizeHint().width();
                if (!text.isEmpty()) {
                    EXPECT_LE(need, button->width())
                        << at.toStdString() << ": " << text.toStdString();
                }
            } else if (auto* box = qobject_cast<QGroupBox*>(w)) {
                ExpectText(box->title(), at);
                EXPECT_LE(metrics.horizontalAdvance(box->title()), box->width())
                    << at.toStdString();
            } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
                for (int i = 0; i < combo->count(); ++i) {
                    // A separator between entries has no caption.
                    const bool separator =
                        combo->itemData(i, Qt::AccessibleDescriptionRole).toString() ==
                        QLatin1String("separator");
                    ExpectText(combo->itemText(i), at, !separator);
                }
            } else if (auto* list = qobject_cast<QListWidget*>(w)) {
                for (int i = 0; i < list->count(); ++i)
                    ExpectText(list->item(i)->text(), at, true);
            } else if (auto* table = qobject_cast<QTableWidget*>(w)) {
                for (int i = 0; i < table->columnCount(); ++i)
                    ExpectText(table->horizontalHeaderItem(i)->text(), at, true);
            } else if (auto* bar = qobject_cast<QMenuBar*>(w)) {
                for (const QAction* action : bar->actions())
                    ExpectMenu(action->menu(), where);
            } else if (auto* tools = qobject_cast<QToolBar*>(w)) {
                ExpectText(tools->windowTitle(), at, true);
                for (const QAction* action : tools->actions())
                    if (!action->isSeparator()) ExpectText(action->toolTip(), at, true);
            }
        }
        if (qobject_cast<QDialog*>(window) && !window->layout()) ExpectNoOverlap(window, where);
    }

    void ExpectNoOverlap(QWidget* dialog, const QString& where) {
        std::vector<QWidget*> controls;
        for (QObject* child : dialog->children()) {
            auto* w = qobject_cast<QWidget*>(child);
            if (!w || w->isWindow() || !w->isVisibleTo(dialog) || qobject_cast<QGroupBox*>(w))
                continue;
            EXPECT_TRUE(dialog->rect().contains(w->geometry()))
                << where.toStdString() << "/" << w->objectName().toStdString() << " is outside";
            controls.push_back(w);
        }
        for (std::size_t i = 0; i < controls.size(); ++i) {
            for (std::size_t j = i + 1; j < controls.size(); ++j) {
                EXPECT_FALSE(controls[i]->geometry().intersects(controls[j]->geometry()))
                    << where.toStdString() << ": " << Describe(controls[i]) << " overlaps "
                    << Describe(controls[j]);
            }
        }
    }

    static std::string Describe(const QWidget* w) {
        QString text = w->property("text").toString();
        return (w->objectName() + QLatin1Char(' ') + text).toStdString();
    }

    // Shows a dialog as the user sees it, checks it and hides it again.
    void ExpectDialog(QDialog& dialog, const QString& where) {
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        ExpectWindow(&dialog, where);
        dialog.hide();
    }

    QStringList data;
    int checked = 0;
};

TEST_F(English, EveryWindowDialogMenuAndMessageIsEnglishAndFits) {
    QSettings().remove(QStringLiteral("Options"));
    test::TempDir dir;
    CKaisekiApp app(std::make_unique<RecentFileList>(QString::fromStdString(dir.File("r.ini"))));
    app.SetRestoreWindowState(false);
    ASSERT_TRUE(app.InitInstance({}));
    ASSERT_TRUE(app.Commands().OpenDocumentFile(
        QStringLiteral(TAVREL_SOURCE_DIR "/examples/emg-demo.kcd")));
    CMainFrame* frame = app.MainFrame();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame));
    ExpectWindow(frame, QStringLiteral("main window"));
    EXPECT_EQ(frame->Action(ID_FILE_OPEN)->text(), QStringLiteral("&Open...\tCtrl+O"));
    EXPECT_EQ(Control<QLabel>(frame->statusBar(), ID_IDLE_MESSAGE)->text(),
              QStringLiteral("Ready"));

    // The processing settings, the measurements table and the magnifier.
    frame->Action(ID_PROC_SETTINGS)->trigger();
    auto* procSet = frame->findChild<CProcSetDlg*>();
    ASSERT_NE(procSet, nullptr);
    data << QString::fromStdString(app.Document().m_dataFilePath);
    ExpectWindow(procSet, QStringLiteral("processing settings"));
    EXPECT_EQ(procSet->windowTitle(), QStringLiteral("Processing Settings"));
    frame->Action(ID_VIEW_MEASUREMENTS)->trigger();
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String("measurements") && w->isVisible())
            ExpectWindow(w, QStringLiteral("measurements"));
    }
    CMagWnd magnifier(&app.Document(), nullptr);
    magnifier.show();
    ExpectWindow(&magnifier, QStringLiteral("magnifier"));
    magnifier.hide();

    // The options dialog, with the language choice.
    OnNextModal([&](QWidget* w) {
        ExpectWindow(w, QStringLiteral("options"));
        auto* language = Control<QComboBox>(w, COptionsDlg::kLanguageList);
        EXPECT_EQ(language->currentIndex(), 0);
        language->setCurrentIndex(1);
        Control<QPushButton>(w, 1)->click();
    });
    frame->Action(ID_TOOLS_OPTIONS)->trigger();
    EXPECT_EQ(StoredLanguage(), Language::English);
    qputenv("TAVREL_LANG", "ja");
    EXPECT_EQ(StartupLanguage(), Language::Japanese);
    qunsetenv("TAVREL_LANG");
    EXPECT_EQ(StartupLanguage(), Language::English);
    QSettings().remove(QStringLiteral("Options"));
    EXPECT_EQ(StartupLanguage(), Language::Japanese);

    // The document dialogs, the progress window and the about box.
    CChAssignDlg assign;
    assign.m_doc = &app.Document();
    assign.OnInitDialog();
    ExpectDialog(assign, QStringLiteral("channel assignment"));
    CDataFileDlg dataFile;
    dataFile.OnInitDialog();
    ExpectDialog(dataFile, QStringLiteral("data file"));
    CDataSetDlg dataSet;
    dataSet.OnInitDialog();
    ExpectDialog(dataSet, QStringLiteral("data settings"));
    CExportSetDlg exportSet;
    exportSet.OnInitDialog();
    ExpectDialog(exportSet, QStringLiteral("export settings"));
    CProgressDlg progress;
    ExpectDialog(progress, QStringLiteral("progress"));
    CAboutDlg about;
    ExpectDialog(about, QStringLiteral("about"));

    // Message boxes: a core message and the question before a modified document is closed.
    QString message;
    test::CloseNextMessage(&message);
    EXPECT_FALSE(app.Commands().OpenDocumentFile(QString::fromStdString(dir.File("none.kcd"))));
    EXPECT_TRUE(message.startsWith(QStringLiteral("The document cannot be opened.")))
        << message.toStdString();
    app.Document().SetModifiedFlag();
    OnNextModal([&](QWidget* w) {
        ExpectWindow(w, QStringLiteral("save question"));
        static_cast<QDialog*>(w)->reject();
    });
    app.Commands().SaveModified();
    app.Document().SetModifiedFlag(false);
    EXPECT_GT(checked, 300);
}

// EDFlib's reasons reach the user in the language of the interface, as every other message.
TEST_F(English, RecordingReasonsFollowTheLanguage) {
    test::TempDir dir;
    std::string header(256, ' ');
    header.replace(0, 8, "0       ");
    CKaisekiDoc doc;
    doc.OnNewDocument();
    doc.m_dataFilePath = dir.Write("damaged.edf", header + "garbage");
    QtHost host;
    QString message;
    test::CloseNextMessage(&message);
    tavrel::qt::ReadDataFile(doc);
    test::EndModalWaits();
    EXPECT_TRUE(message.contains("\nEDFlib: the file contains format errors"))
        << message.toStdString();
    EXPECT_FALSE(HasJapanese(message)) << message.toStdString();
    InstallLanguage(Language::Japanese);
    test::CloseNextMessage(&message);
    tavrel::qt::ReadDataFile(doc);
    test::EndModalWaits();
    EXPECT_TRUE(message.contains(QString::fromUtf8("\nEDFlib: ファイルの形式に誤りがあります")))
        << message.toStdString();
}

TEST_F(English, ModuleDialogsCatalogueAndListAreEnglishWhileTheDocumentStaysTheSame) {
    QtHost host;
    InstallModuleDialogs(host);
    test::SignalDocument signal(4000);
    // Every module dialog, opened as the processing-list editor opens it.
    std::vector<std::unique_ptr<CModBase>> shown;
    for (const ModuleClass* c : CatalogueClasses()) {
        std::unique_ptr<CModBase> module = CreateModule(c->className);
        CModBase* m = signal.Append(std::move(module));
        test::SignalDocument::StartEditing(*m);
        OnNextModal([&, c](QWidget* w) {
            ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
            ExpectWindow(w, QString::fromLatin1(c->className));
            test::Click(w, kIdCancel);
        });
        m->EditSettings();
        m->m_editing = 0;
        m->ClearBuffers();
        CModBase::RemoveModuleAt(signal.Head(), 1);
        shown.emplace_back(m);
    }
    // A refused entry's message.
    auto* smoothing = CreateModule("CSmothFilter").release();
    CModBase::AppendModule(signal.Head(), smoothing);
    test::SignalDocument::StartEditing(*smoothing);
    QString refusal;
    OnNextModal([&](QWidget* w) {
        test::Type(w, 1000, QStringLiteral("0"));
        test::CloseNextMessage(&refusal, w);
        test::Click(w, kIdOk);
        QTimer::singleShot(0, w, [w] { test::Click(w, kIdCancel); });
    });
    smoothing->EditSettings();
    EXPECT_TRUE(refusal.startsWith(QStringLiteral("Enter a whole number from")))
        << refusal.toStdString();
    smoothing->m_editing = 0;

    // The editor: English catalogue; the list shows a default name in English and a name of the
    // user's own as stored.
    shown.front()->m_name = "私の前処理";
    data << QStringLiteral("私の前処理");
    for (auto& module : shown)
        CModBase::AppendModule(signal.Head(), module.release());
    CChProcDlg editor(nullptr, signal.Head(), 0);
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    ExpectWindow(&editor, QStringLiteral("processing-list editor"));
    EXPECT_EQ(editor.windowTitle(), QStringLiteral("CH1 Processing"));
    auto* catalogue = Control<QComboBox>(&editor, 1035);
    EXPECT_NE(catalogue->findText(QStringLiteral("Low-pass filter")), -1);
    auto* list = Control<QListWidget>(&editor, 1036);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("Moving average"));
    EXPECT_EQ(list->item(1)->text(), QStringLiteral("私の前処理"));
    editor.hide();

    // The document file is the same in either language: stored names are data.
    test::TempDir dir;
    ASSERT_TRUE(signal.doc.SaveDocumentFile(dir.File("en.kcd")));
    InstallLanguage(Language::Japanese);
    ASSERT_TRUE(signal.doc.SaveDocumentFile(dir.File("ja.kcd")));
    EXPECT_EQ(test::ReadFileBytes(dir.File("en.kcd")), test::ReadFileBytes(dir.File("ja.kcd")));
    EXPECT_EQ(ShownModuleName(*signal.Head()->m_next), "移動平均");
}

}  // namespace
}  // namespace tavrel::qt
