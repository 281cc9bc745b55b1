// The processing-list editor: the catalogue, the list kept in step with the chain, the enabling
// rules of its buttons, and Change with the backup restored on Cancel.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QListWidget>

#include "DialogTestSupport.h"
#include "gui/pipeline/ChProcDlg.h"
#include "pipeline/ModuleRegistry.h"
#include "support/ScriptedHost.h"

namespace tavrel::test {
namespace {

using qt::CChProcDlg;
using qt::Control;

// A module whose class is not registered, so that it cannot be cloned.
class Unclonable : public CModBase {
  public:
    const char* GetClassName() const override { return "CUnclonable"; }
};

// The names of the modules after the head, in chain order.
std::vector<std::string> ChainNames(CModBase* head) {
    std::vector<std::string> names;
    for (CModBase* m = head->m_next; m; m = m->m_next)
        names.push_back(m->m_name);
    return names;
}

class ChProcDlgTest : public ::testing::Test {
  protected:
    ChProcDlgTest() {
        a = signal.Append(std::make_unique<CModBase>());
        a->m_name = "A";
        b = signal.Append(std::make_unique<CModBase>());
        b->m_name = "B";
    }

    // The editor over channel 0 with a two-entry catalogue (and a class that does not exist).
    std::unique_ptr<CChProcDlg> Open() {
        auto dlg = std::make_unique<CChProcDlg>(
            nullptr, signal.Head(), 0,
            std::vector<const char*>{"CModBase", "CNoSuchModule", "CHeadFilter"});
        dlg->show();
        return dlg;
    }
    QListWidget* List(CChProcDlg& d) { return Control<QListWidget>(&d, 1036); }
    QComboBox* Menu(CChProcDlg& d) { return Control<QComboBox>(&d, 1035); }
    bool Enabled(CChProcDlg& d, int id) { return Control<QWidget>(&d, id)->isEnabled(); }
    std::vector<std::string> ListNames(CChProcDlg& d) {
        std::vector<std::string> names;
        for (int i = 0; i < List(d)->count(); ++i)
            names.push_back(List(d)->item(i)->text().toStdString());
        return names;
    }
    // Chooses a catalogue entry the way the user does (completing the choice).
    void Choose(CChProcDlg& d, int entry) {
        Menu(d)->setCurrentIndex(entry);
        emit Menu(d)->activated(entry);
    }
    // Clicks a list entry.
    void Select(CChProcDlg& d, int row) {
        QListWidget* list = List(d);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(row)).center());
    }

    ScriptedHost host;
    SignalDocument signal{400};
    CModBase* a = nullptr;
    CModBase* b = nullptr;
};

TEST_F(ChProcDlgTest, OpensWithTheChainTheCatalogueAndTheChannelInTheTitle) {
    auto dlg = Open();
    EXPECT_EQ(dlg->windowTitle(), QString::fromUtf8("CH1処理設定"));
    EXPECT_EQ(ListNames(*dlg), (std::vector<std::string>{"A", "B"}));
    ASSERT_EQ(Menu(*dlg)->count(), 2);  // the class that does not exist is left out
    EXPECT_EQ(Menu(*dlg)->itemText(0), QString::fromUtf8("ベースクラス"));
    EXPECT_EQ(Menu(*dlg)->itemText(1), "HeadFilter");
    EXPECT_EQ(Menu(*dlg)->currentIndex(), -1);
    for (int id : {1001, 1002, 1003, 1004})
        EXPECT_FALSE(Enabled(*dlg, id)) << id;

    CChProcDlg last(nullptr, signal.Head(), 15);
    EXPECT_EQ(last.windowTitle(), QString::fromUtf8("CH16処理設定"));
}

TEST_F(ChProcDlgTest, ChoosingEnablesAddAndInsertSelectingEnablesDeleteAndChange) {
    auto dlg = Open();
    Choose(*dlg, 0);
    EXPECT_TRUE(Enabled(*dlg, 1001));
    EXPECT_TRUE(Enabled(*dlg, 1002));
    EXPECT_FALSE(Enabled(*dlg, 1003));
    EXPECT_FALSE(Enabled(*dlg, 1004));
    Select(*dlg, 1);
    EXPECT_TRUE(Enabled(*dlg, 1003));
    EXPECT_TRUE(Enabled(*dlg, 1004));
    Click(dlg.get(), 1003);
    EXPECT_FALSE(Enabled(*dlg, 1003));
    EXPECT_FALSE(Enabled(*dlg, 1004));
    // Add and Insert stay enabled.
    EXPECT_TRUE(Enabled(*dlg, 1001));
    EXPECT_TRUE(Enabled(*dlg, 1002));
}

TEST_F(ChProcDlgTest, AddAppendsOrGoesAfterTheSelectionAndSelectsTheNewEntry) {
    auto dlg = Open();
    Choose(*dlg, 1);
    Click(dlg.get(), 1001);  // nothing selected: at the end
    EXPECT_EQ(ChainNames(signal.Head()), (std::vector<std::string>{"A", "B", "HeadFilter"}));
    EXPECT_EQ(List(*dlg)->selectedItems().size(), 0);

    Select(*dlg, 0);
    Choose(*dlg, 0);
    Click(dlg.get(), 1001);  // after A
    const std::vector<std::string> expected{"A", "ベースクラス", "B", "HeadFilter"};
    EXPECT_EQ(ChainNames(signal.Head()), expected);
    EXPECT_EQ(ListNames(*dlg), expected);
    EXPECT_EQ(List(*dlg)->currentRow(), 1);
    EXPECT_TRUE(List(*dlg)->item(1)->isSelected());

    Select(*dlg, 3);
    Click(dlg.get(), 1001);  // the last selected: appended, and selected
    EXPECT_EQ(ChainNames(signal.Head()).size(), 5u);
    EXPECT_EQ(ChainNames(signal.Head()).back(), "ベースクラス");
    EXPECT_TRUE(List(*dlg)->item(4)->isSelected());
    // The chain stays doubly linked.
    for (CModBase* m = signal.Head(); m->m_next; m = m->m_next)
        EXPECT_EQ(m->m_next->m_prev, m);
}

TEST_F(ChProcDlgTest, InsertGoesInFrontOfTheSelectionOrAtTheEnd) {
    auto dlg = Open();
    Choose(*dlg, 1);
    Click(dlg.get(), 1002);
    EXPECT_EQ(ChainNames(signal.Head()), (std::vector<std::string>{"A", "B", "HeadFilter"}));
    Select(*dlg, 0);
    Choose(*dlg, 0);
    Click(dlg.get(), 1002);  // directly after the head
    const std::vector<std::string> expected{"ベースクラス", "A", "B", "HeadFilter"};
    EXPECT_EQ(ChainNames(signal.Head()), expected);
    EXPECT_EQ(ListNames(*dlg), expected);
    EXPECT_EQ(signal.Head()->m_next->m_prev, signal.Head());
}

TEST_F(ChProcDlgTest, TwoClonesOfOneEntryAreIndependentFreshModules) {
    auto dlg = Open();
    dlg->Catalogue()[0]->m_samplingRate = 1234;  // the prototype's settings are what clones get
    Choose(*dlg, 0);
    Click(dlg.get(), 1001);
    Click(dlg.get(), 1001);
    CModBase* first = CModBase::ModuleAt(signal.Head(), 3);
    CModBase* second = CModBase::ModuleAt(signal.Head(), 4);
    ASSERT_TRUE(first && second);
    EXPECT_NE(first, second);
    EXPECT_NE(first, dlg->Catalogue()[0].get());
    EXPECT_EQ(first->m_samplingRate, 1234);
    first->m_samplingRate = 10;
    EXPECT_EQ(second->m_samplingRate, 1234);
}

TEST_F(ChProcDlgTest, DeleteRemovesTheEntryAndItsModule) {
    auto dlg = Open();
    Select(*dlg, 0);
    Click(dlg.get(), 1003);
    EXPECT_EQ(ChainNames(signal.Head()), std::vector<std::string>{"B"});
    EXPECT_EQ(ListNames(*dlg), std::vector<std::string>{"B"});
    EXPECT_EQ(List(*dlg)->selectedItems().size(), 0);
    EXPECT_EQ(signal.Head()->m_next, b);
    EXPECT_EQ(b->m_prev, signal.Head());
}

TEST_F(ChProcDlgTest, ChangeAcceptedKeepsTheEditedModuleAndClearsItsBuffers) {
    auto dlg = Open();
    int editingDuringDialog = -1;
    bool inputHeld = false;
    host.dialogScript = [&](ModuleDialog& d) {
        editingDuringDialog = d.Module().m_editing;
        inputHeld = d.Module().m_input != nullptr;
        d.Module().m_samplingRate = 999;  // stands for a changed setting
        return true;
    };
    Select(*dlg, 0);
    Click(dlg.get(), 1004);
    EXPECT_EQ(host.dialogsRun, 1);
    EXPECT_EQ(editingDuringDialog, 1);
    EXPECT_TRUE(inputHeld);
    EXPECT_EQ(signal.Head()->m_next, a);
    EXPECT_EQ(a->m_editing, 0);
    EXPECT_EQ(a->m_input, nullptr);
    EXPECT_EQ(a->m_samplingRate, 999);
}

TEST_F(ChProcDlgTest, ChangeCancelledPutsBackTheBackupClone) {
    auto dlg = Open();
    a->m_samplingRate = 500;
    host.dialogScript = [&](ModuleDialog& d) {
        d.Module().m_samplingRate = 999;  // an applied change, then Cancel
        return false;
    };
    Select(*dlg, 0);
    Click(dlg.get(), 1004);
    CModBase* now = signal.Head()->m_next;
    EXPECT_NE(now, a);  // a has been deleted; the backup took its place
    EXPECT_EQ(now->m_name, "A");
    EXPECT_EQ(now->m_samplingRate, 500);
    EXPECT_EQ(now->m_editing, 0);
    EXPECT_EQ(now->m_prev, signal.Head());
    EXPECT_EQ(now->m_next, b);
    EXPECT_EQ(b->m_prev, now);
    EXPECT_EQ(ListNames(*dlg), (std::vector<std::string>{"A", "B"}));
}

TEST_F(ChProcDlgTest, DoubleClickChangesAndProbeDisplayIsOffWhileTheDialogRuns) {
    auto dlg = Open();
    signal.doc.m_probeDisplay = 1;
    int probeDuringDialog = -1;
    host.dialogScript = [&](ModuleDialog&) {
        probeDuringDialog = signal.doc.m_probeDisplay;
        return true;
    };
    QListWidget* list = List(*dlg);
    const QPoint at = list->visualItemRect(list->item(1)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(host.dialogsRun, 1);
    EXPECT_EQ(probeDuringDialog, 0);
    EXPECT_EQ(signal.doc.m_probeDisplay, 1);
}

TEST_F(ChProcDlgTest, ChangeOnAModuleThatCannotBeClonedReportsMemoryAndChangesNothing) {
    CModBase* odd = signal.Append(std::make_unique<Unclonable>());
    auto dlg = Open();
    Select(*dlg, 2);
    Click(dlg.get(), 1004);
    EXPECT_EQ(host.messages, std::vector<std::string>{"メモリが不足しています。"});
    EXPECT_EQ(host.dialogsRun, 0);
    EXPECT_EQ(CModBase::ModuleAt(signal.Head(), 3), odd);
    EXPECT_EQ(odd->m_editing, 0);
}

TEST_F(ChProcDlgTest, OffersTheTwelveCatalogueModulesInMenuOrder) {
    ASSERT_EQ(CChProcDlg::CatalogueClasses().size(), 12u);
    CChProcDlg dlg(nullptr, signal.Head(), 0);
    const char* names[] = {"プローブ",         "クリップ",         "整流器",
                           "間引き",           "移動平均",         "低域通過フィルタ",
                           "高域通過フィルタ", "帯域通過フィルタ", "帯域阻止フィルタ",
                           "微分器",           "積分器",           "FFT View"};
    ASSERT_EQ(Menu(dlg)->count(), 12);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(Menu(dlg)->itemText(i), QString::fromUtf8(names[i]));
    // Each entry adds a fresh module of its class.
    for (int i = 0; i < 12; ++i) {
        EXPECT_STREQ(dlg.Catalogue()[static_cast<std::size_t>(i)]->GetClassName(),
                     CChProcDlg::CatalogueClasses()[static_cast<std::size_t>(i)]);
    }
}

TEST_F(ChProcDlgTest, ActivityDetectorsOfALoadedChainAreListedChangedAndDeletedButNotOffered) {
    // A chain as a document file brings it: the two detectors behind the head's modules.
    std::unique_ptr<CModBase> sd = CreateModule("CSDActDetFilter");
    std::unique_ptr<CModBase> amplitude = CreateModule("CAActDetFilter");
    ASSERT_TRUE(sd && amplitude);
    CModBase* sdModule = signal.Append(std::move(sd));
    signal.Append(std::move(amplitude));
    CChProcDlg dlg(nullptr, signal.Head(), 0);
    dlg.show();
    EXPECT_EQ(ListNames(dlg),
              (std::vector<std::string>{"A", "B", "SD活動抽出", "自動活動抽出"}));
    for (int i = 0; i < Menu(dlg)->count(); ++i) {
        EXPECT_NE(Menu(dlg)->itemText(i), QString::fromUtf8("SD活動抽出"));
        EXPECT_NE(Menu(dlg)->itemText(i), QString::fromUtf8("自動活動抽出"));
    }

    // Change runs its own dialog on it.
    int templateShown = 0;
    host.dialogScript = [&](ModuleDialog& d) {
        templateShown = d.TemplateId();
        return true;
    };
    Select(dlg, 2);
    Click(&dlg, 1004);
    EXPECT_EQ(templateShown, 116);
    EXPECT_EQ(CModBase::ModuleAt(signal.Head(), 3), sdModule);

    Select(dlg, 3);
    Click(&dlg, 1003);
    EXPECT_EQ(ChainNames(signal.Head()), (std::vector<std::string>{"A", "B", "SD活動抽出"}));
    EXPECT_EQ(sdModule->m_next, nullptr);
}

TEST_F(ChProcDlgTest, EnterIsOkAndEscapeIsCancel) {
    for (const auto& [key, result] :
         {std::pair{Qt::Key_Return, QDialog::Accepted}, std::pair{Qt::Key_Escape, QDialog::Rejected}}) {
        CChProcDlg dlg(nullptr, signal.Head(), 0);
        int ended = -1;
        WhenModalOpens([&](QWidget* modal) {
            QListWidget* list = Control<QListWidget>(modal, 1036);
            list->setFocus();
            QTest::keyClick(list, key);
        });
        ended = dlg.exec();
        EXPECT_EQ(ended, result) << key;
    }
}

}  // namespace
}  // namespace tavrel::test
