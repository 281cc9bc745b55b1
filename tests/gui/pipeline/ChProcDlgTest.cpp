// The processing-list editor's window: the catalogue menu, the list kept in step with the chain
// and its selection, and the enabling rules of its buttons. What the buttons do to the chain is
// tested with the core's ChainEdit.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QListWidget>

#include "DialogTestSupport.h"
#include "gui/pipeline/ChProcDlg.h"
#include "gui/pipeline/DialogTemplates.h"
#include "pipeline/ModuleRegistry.h"
#include "support/ScriptedHost.h"

namespace tavrel::test {
namespace {

using qt::CChProcDlg;
using qt::Control;

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

TEST_F(ChProcDlgTest, ButtonsKeepTheListInStepWithTheChainAndItsSelection) {
    auto dlg = Open();
    Choose(*dlg, 1);
    Click(dlg.get(), 1001);  // nothing selected: at the end, and nothing selected afterwards
    EXPECT_EQ(List(*dlg)->selectedItems().size(), 0);

    Select(*dlg, 0);
    Choose(*dlg, 0);
    Click(dlg.get(), 1001);  // after A, and the new entry becomes the selection
    EXPECT_EQ(List(*dlg)->currentRow(), 1);
    EXPECT_TRUE(List(*dlg)->item(1)->isSelected());

    Click(dlg.get(), 1002);  // in front of the selection, which stays on its entry
    EXPECT_TRUE(List(*dlg)->item(2)->isSelected());
    const std::vector<std::string> expected{"A", "ベースクラス", "ベースクラス", "B", "HeadFilter"};
    EXPECT_EQ(ChainNames(signal.Head()), expected);
    EXPECT_EQ(ListNames(*dlg), expected);

    Select(*dlg, 0);
    Click(dlg.get(), 1003);
    EXPECT_EQ(ChainNames(signal.Head()), ListNames(*dlg));
    EXPECT_EQ(ListNames(*dlg).front(), "ベースクラス");
    EXPECT_EQ(List(*dlg)->selectedItems().size(), 0);
}

TEST_F(ChProcDlgTest, ChangeAndDoubleClickRunTheSelectedModulesDialog) {
    auto dlg = Open();
    std::vector<std::string> edited;
    host.dialogScript = [&](ModuleDialog& d) {
        edited.push_back(d.Module().m_name);
        return false;
    };
    Select(*dlg, 1);
    Click(dlg.get(), 1004);
    QListWidget* list = List(*dlg);
    const QPoint at = list->visualItemRect(list->item(0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(edited, (std::vector<std::string>{"B", "A"}));
    // Cancelled: the backups took the modules' places under the same names.
    EXPECT_EQ(ListNames(*dlg), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(ChainNames(signal.Head()), ListNames(*dlg));
}

TEST_F(ChProcDlgTest, CancelAsksOnlyBeforeDiscardingAChangedChain) {
    // Unchanged (a module dialog cancelled, its backup in place): Cancel closes at once.
    auto dlg = Open();
    int asked = 0;
    bool discard = false;
    dlg->askDiscard = [&] {
        ++asked;
        return discard;
    };
    host.dialogScript = [](ModuleDialog&) { return false; };
    Select(*dlg, 0);
    Click(dlg.get(), 1004);
    Click(dlg.get(), qt::kIdCancel);
    EXPECT_EQ(asked, 0);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(dlg->result(), QDialog::Rejected);

    // A module deleted: Escape and Cancel ask; "no" keeps the dialog open, "yes" closes it.
    dlg = Open();
    dlg->askDiscard = [&] {
        ++asked;
        return discard;
    };
    Select(*dlg, 1);
    Click(dlg.get(), 1003);
    QTest::keyClick(dlg.get(), Qt::Key_Escape);
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(dlg->isVisible());
    discard = true;
    Click(dlg.get(), qt::kIdCancel);
    EXPECT_EQ(asked, 2);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(dlg->result(), QDialog::Rejected);
}

TEST_F(ChProcDlgTest, OffersTheTwelveCatalogueModulesThenASeparatorAndTheDetectors) {
    const std::size_t offered = CChProcDlg::CatalogueClasses().size();
    ASSERT_EQ(offered, CatalogueClasses().size());
    CChProcDlg dlg(nullptr, signal.Head(), 0);
    const char* names[] = {"プローブ",
                           "クリップ",
                           "整流器",
                           "間引き",
                           "移動平均",
                           "低域通過フィルタ",
                           "高域通過フィルタ",
                           "帯域通過フィルタ",
                           "帯域阻止フィルタ",
                           "微分器",
                           "積分器",
                           "FFT View",
                           nullptr,
                           "自動活動抽出",
                           "SD活動抽出"};
    // One entry per offered class and the separator after the twelfth.
    ASSERT_EQ(Menu(dlg)->count(), static_cast<int>(offered) + 1);
    for (int i = 0; i < 15; ++i) {
        if (names[i]) {
            EXPECT_EQ(Menu(dlg)->itemText(i), QString::fromUtf8(names[i])) << i;
        }
    }
    EXPECT_TRUE(Menu(dlg)->itemText(12).isEmpty());
    // Each entry adds a fresh module of its class.
    for (std::size_t i = 0; i < offered; ++i) {
        EXPECT_STREQ(dlg.Catalogue()[i]->GetClassName(), CChProcDlg::CatalogueClasses()[i]);
    }
}

TEST_F(ChProcDlgTest, AnActivityDetectorIsAddedFromBehindTheSeparator) {
    std::unique_ptr<CModBase> sd = CreateModule("CSDActDetFilter");
    signal.Append(std::move(sd));
    CChProcDlg dlg(nullptr, signal.Head(), 0);
    dlg.show();
    EXPECT_EQ(ListNames(dlg), (std::vector<std::string>{"A", "B", "SD活動抽出"}));
    Choose(dlg, 13);
    Click(&dlg, 1001);
    EXPECT_EQ(ListNames(dlg), (std::vector<std::string>{"A", "B", "SD活動抽出", "自動活動抽出"}));
    EXPECT_EQ(ChainNames(signal.Head()), ListNames(dlg));
}

TEST_F(ChProcDlgTest, EnterIsOkAndEscapeIsCancel) {
    for (const auto& [key, result] : {std::pair{Qt::Key_Return, QDialog::Accepted},
                                      std::pair{Qt::Key_Escape, QDialog::Rejected}}) {
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
