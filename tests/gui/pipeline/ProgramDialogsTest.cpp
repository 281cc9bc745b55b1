// The module dialogs and the processing-list editor as the program wires them: the channel's
// "設定" in the processing-settings dialog opens the editor on a copy of the chain, Change shows
// the module's own window, and OK puts the edited copy in the document.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QListWidget>
#include <QMessageBox>

#include "DialogTestSupport.h"
#include "gui/app/KaisekiApp.h"
#include "gui/document/ProcSetDlg.h"
#include "gui/pipeline/DialogTemplates.h"
#include "gui/pipeline/PreviewWnd.h"
#include "modules/filters/LPFilter.h"
#include "modules/filters/SmothFilter.h"

namespace tavrel::test {
namespace {

using qt::Control;

struct EditorReset {
    ~EditorReset() { qt::CProcSetDlg::SetChainEditor({}); }
};

TEST(ProgramDialogs, ChannelSettingsOpenTheEditorWhoseChangeShowsTheModuleWindow) {
    EditorReset reset;
    qt::QtHost host;
    qt::InstallDialogs(host);
    SignalDocument signal(2000);
    signal.doc.m_channelEnabled[0] = 1;
    qt::CProcSetDlg procSet(&signal.doc);

    QString editorTitle;
    QString moduleTitle;
    bool previewDrawn = false;
    WhenModalOpens([&](QWidget* editor) {
        editorTitle = editor->windowTitle();
        // Low-pass filter from the menu, added, selected, changed to 80 Hz with OK.
        auto* menu = Control<QComboBox>(editor, 1035);
        menu->setCurrentIndex(5);
        emit menu->activated(5);
        Click(editor, 1001);
        Control<QListWidget>(editor, 1036)->setCurrentRow(0);
        WhenModalOpens(
            [&](QWidget* modal) {
                EXPECT_TRUE(QTest::qWaitForWindowExposed(modal));
                moduleTitle = modal->windowTitle();
                // The preview draws the module, which holds the channel's samples pulled
                // through the copied chain from the document.
                auto* preview = Control<qt::CPreviewWnd>(modal, 4096);
                previewDrawn = preview && preview->Module() && preview->DrawCount() > 0 &&
                               preview->Module()->m_inputCount == 2000;
                Type(modal, 1000, "80");
                Click(modal, qt::kIdOk);
            },
            editor);
        Click(editor, 1004);
        Click(editor, qt::kIdOk);
    });
    procSet.OnChannelSettings(0);

    EXPECT_EQ(editorTitle, QString::fromUtf8("CH1処理設定"));
    EXPECT_EQ(moduleTitle, QString::fromUtf8("低域通過フィルタ設定"));
    EXPECT_TRUE(previewDrawn);
    auto* lp = dynamic_cast<CLPFilter*>(signal.doc.m_chains[0]->m_next);
    ASSERT_NE(lp, nullptr);
    EXPECT_DOUBLE_EQ(lp->m_cutoff, 0.08);
    EXPECT_EQ(lp->m_editing, 0);
    EXPECT_EQ(lp->m_next, nullptr);
}

TEST(ProgramDialogs, CancelledEditorLeavesTheDocumentsChainAlone) {
    EditorReset reset;
    qt::QtHost host;
    qt::InstallDialogs(host);
    SignalDocument signal(200);
    auto* smooth = signal.Append(std::make_unique<CSmothFilter>());
    qt::CProcSetDlg procSet(&signal.doc);

    WhenModalOpens([&](QWidget* editor) {
        Control<QListWidget>(editor, 1036)->setCurrentRow(0);
        Click(editor, 1003);  // delete the only module of the copy
        EXPECT_EQ(Control<QListWidget>(editor, 1036)->count(), 0);
        // The changed copy is discarded once the user agrees.
        WhenModalOpens(
            [](QWidget* question) {
                auto* box = qobject_cast<QMessageBox*>(question);
                ASSERT_NE(box, nullptr);
                EXPECT_EQ(box->text(), QStringLiteral("変更を破棄しますか?"));
                box->buttons().at(0)->click();  // はい
            },
            editor);
        Click(editor, qt::kIdCancel);
    });
    procSet.OnChannelSettings(0);
    EXPECT_EQ(signal.doc.m_chains[0]->m_next, smooth);
}

}  // namespace
}  // namespace tavrel::test
