// The signal filters' settings dialogs in their window: what they open with, refusals, Apply,
// and the editor putting back the settings in force before a cancelled dialog.
#include <gtest/gtest.h>

#include <QListWidget>
#include <QMessageBox>
#include <QRadioButton>

#include "DialogTestSupport.h"
#include "gui/pipeline/ChProcDlg.h"
#include "gui/pipeline/DialogTemplates.h"
#include "gui/pipeline/FilterDlgBase.h"
#include "gui/pipeline/PreviewWnd.h"
#include "gui/platform/QtHost.h"
#include "modules/filters/BPDlg.h"
#include "modules/filters/BPFilter.h"
#include "modules/filters/BSFilter.h"
#include "modules/filters/DiodeDlg.h"
#include "modules/filters/DiodeFilter.h"
#include "modules/filters/LPDlg.h"
#include "modules/filters/LPFilter.h"
#include "modules/filters/SmothDlg.h"
#include "modules/filters/SmothFilter.h"
#include "support/ScriptedHost.h"

namespace tavrel::test {
namespace {

using qt::CFilterDlgBase;
using qt::Control;

class FilterDialogsTest : public ::testing::Test {
  protected:
    template <class M>
    M* Editing(std::unique_ptr<M> module) {
        M* m = signal.Append(std::move(module));
        SignalDocument::StartEditing(*m);
        return m;
    }
    ScriptedHost host;
    SignalDocument signal{2000};
};

TEST_F(FilterDialogsTest, LowPassOpensWithItsCutoffAndRangeAndRefusesValuesOutsideIt) {
    auto* lp = Editing(std::make_unique<CLPFilter>());
    CLPDlg logic(*lp);
    CFilterDlgBase window(logic);
    window.show();
    QApplication::setActiveWindow(&window);
    EXPECT_EQ(window.windowTitle(), QString::fromUtf8("低域通過フィルタ設定"));
    EXPECT_EQ(Edit(&window, 1000)->text(), "300");
    EXPECT_EQ(Edit(&window, 1038)->text(), "10");
    EXPECT_EQ(Edit(&window, 1039)->text(), "1000");
    EXPECT_FALSE(Control<QWidget>(&window, 1001)->isHidden());

    for (const char* refused : {"5", "1001", "3.5", ""}) {
        Type(&window, 1000, refused);
        Click(&window, qt::kIdOk);
        EXPECT_TRUE(window.isVisible()) << refused;
        EXPECT_EQ(QApplication::focusWidget(), Edit(&window, 1000));
    }
    EXPECT_EQ(host.messages,
              std::vector<std::string>(4, "10 から 1000 までの整数を入力してください。"));
    EXPECT_DOUBLE_EQ(lp->m_cutoff, 0.3);

    Type(&window, 1000, "1000");
    Click(&window, qt::kIdOk);
    EXPECT_EQ(window.result(), QDialog::Accepted);
}

TEST_F(FilterDialogsTest, LowPassApplyWritesTheCutoffAndRedrawsThePreview) {
    auto* lp = Editing(std::make_unique<CLPFilter>());
    CLPDlg logic(*lp);
    CFilterDlgBase window(logic);
    window.show();
    QApplication::processEvents();
    const QImage before = window.Preview()->grab().toImage();
    Type(&window, 1000, "10");
    Click(&window, qt::kIdApply);
    EXPECT_DOUBLE_EQ(lp->m_cutoff, 10 * 2.0 / 2000);
    // The 20 Hz signal's quiet start carries 130 Hz, which the 10 Hz low-pass removes.
    EXPECT_NE(window.Preview()->grab().toImage(), before);
}

TEST_F(FilterDialogsTest, BandPassAndBandStopOpenWithBothEdges) {
    auto* bp = Editing(std::make_unique<CBPFilter>());
    CBPDlg logic(*bp);
    CFilterDlgBase window(logic);
    EXPECT_EQ(Edit(&window, 1000)->text(), "300");
    EXPECT_EQ(Edit(&window, 1002)->text(), "600");
    for (int id : {1038, 1040})
        EXPECT_EQ(Edit(&window, id)->text(), "10");
    for (int id : {1039, 1041})
        EXPECT_EQ(Edit(&window, id)->text(), "1000");
    // A lower edge above the upper one is refused by Apply and OK, naming the rule, with the
    // focus on the lower edge; the module keeps its band.
    Type(&window, 1000, "700");
    Type(&window, 1002, "200");
    window.show();
    QApplication::setActiveWindow(&window);
    Click(&window, qt::kIdApply);
    Click(&window, qt::kIdOk);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(QApplication::focusWidget(), Edit(&window, 1000));
    EXPECT_EQ(host.messages,
              std::vector<std::string>(
                  2, "低域カットオフ周波数は高域カットオフ周波数より低くしてください。"));
    EXPECT_DOUBLE_EQ(bp->m_cutoff, 0.3);
    EXPECT_DOUBLE_EQ(bp->m_cutoffHigh, 0.6);
    Type(&window, 1000, "100");
    Click(&window, qt::kIdApply);
    EXPECT_DOUBLE_EQ(bp->m_cutoff, 0.1);
    EXPECT_DOUBLE_EQ(bp->m_cutoffHigh, 0.2);

    auto* bs = Editing(std::make_unique<CBSFilter>());
    CBSDlg stop(*bs);
    CFilterDlgBase stopWindow(stop);
    EXPECT_EQ(stopWindow.windowTitle(), QString::fromUtf8("帯域阻止フィルタ設定"));
    EXPECT_EQ(Edit(&stopWindow, 1002)->text(), "600");
}

TEST_F(FilterDialogsTest, RectifierRadioButtonsShowAndTakeTheModuleFlags) {
    auto* diode = Editing(std::make_unique<CDiodeFilter>());
    diode->m_halfWave = 1;
    diode->m_positive = 0;
    CDiodeDlg logic(*diode);
    CFilterDlgBase window(logic);
    window.show();
    auto radio = [&](int id) { return Control<QRadioButton>(&window, id); };
    EXPECT_TRUE(radio(1040)->isChecked());
    EXPECT_TRUE(radio(1042)->isChecked());
    EXPECT_FALSE(radio(1039)->isChecked());
    Click(&window, 1039);
    Click(&window, 1041);
    Click(&window, qt::kIdApply);
    EXPECT_EQ(diode->m_halfWave, 0);
    EXPECT_EQ(diode->m_positive, 1);
}

TEST_F(FilterDialogsTest, MovingAverageRefusesZeroAndAcceptsTheLimits) {
    auto* smooth = Editing(std::make_unique<CSmothFilter>());
    CSmothDlg logic(*smooth);
    CFilterDlgBase window(logic);
    window.show();
    Type(&window, 1000, "0");
    Click(&window, qt::kIdApply);
    EXPECT_EQ(host.messages,
              std::vector<std::string>{"1 から 1000 までの整数を入力してください。"});
    Type(&window, 1000, "1000");
    Click(&window, qt::kIdApply);
    EXPECT_EQ(smooth->m_points, 1000);
}

// Through the whole program path: the editor's Change runs the module's EditSettings, which
// has the Qt host show the window; Apply changes the module, Cancel puts the old one back.
TEST(FilterDialogsThroughTheEditor, ApplyThenCancelRestoresThePreviousSettings) {
    qt::QtHost qtHost;
    qt::InstallModuleDialogs(qtHost);
    SignalDocument signal(2000);
    CLPFilter* lp = signal.Append(std::make_unique<CLPFilter>());
    qt::CChProcDlg editor(nullptr, signal.Head(), 0);
    editor.show();
    QListWidget* list = Control<QListWidget>(&editor, 1036);
    list->setCurrentRow(0);

    double cutoffAfterApply = 0;
    int previewDraws = 0;
    WhenModalOpens([&](QWidget* modal) {
        EXPECT_TRUE(QTest::qWaitForWindowExposed(modal));
        Type(modal, 1000, "50");
        Click(modal, qt::kIdApply);
        cutoffAfterApply = lp->m_cutoff;
        previewDraws = Control<qt::CPreviewWnd>(modal, 4096)->DrawCount();
        Click(modal, qt::kIdCancel);
    });
    editor.OnChange();
    EXPECT_DOUBLE_EQ(cutoffAfterApply, 0.05);
    EXPECT_GE(previewDraws, 1);
    auto* now = dynamic_cast<CLPFilter*>(signal.Head()->m_next);
    ASSERT_NE(now, nullptr);
    EXPECT_NE(now, lp);
    EXPECT_DOUBLE_EQ(now->m_cutoff, 0.3);

    // The same with OK keeps the edited module and its new cut-off.
    WhenModalOpens([&](QWidget* modal) {
        Type(modal, 1000, "80");
        QTest::keyClick(Edit(modal, 1000), Qt::Key_Return);
    });
    editor.OnChange();
    EXPECT_EQ(signal.Head()->m_next, now);
    EXPECT_DOUBLE_EQ(now->m_cutoff, 0.08);
    EXPECT_EQ(now->m_editing, 0);
}

TEST(FilterDialogsThroughTheEditor, ARefusedValueIsShownInAWarningBoxOverTheDialog) {
    qt::QtHost qtHost;
    qt::InstallModuleDialogs(qtHost);
    SignalDocument signal(2000);
    CLPFilter* lp = signal.Append(std::make_unique<CLPFilter>());
    SignalDocument::StartEditing(*lp);
    QString shown;
    QString caption;
    bool dialogStillOpen = false;
    WhenModalOpens([&](QWidget* modal) {
        Type(modal, 1000, "1001");
        WhenModalOpens(
            [&, modal](QWidget* box) {
                auto* message = qobject_cast<QMessageBox*>(box);
                if (message) {
                    shown = message->text();
                    caption = message->windowTitle();
                }
                box->close();
                QTimer::singleShot(0, [&, modal] {
                    dialogStillOpen = modal->isVisible();
                    Click(modal, qt::kIdCancel);
                });
            },
            modal);
        Click(modal, qt::kIdOk);
    });
    EXPECT_EQ(lp->EditSettings(), 0);
    EXPECT_EQ(shown, QString::fromUtf8("10 から 1000 までの整数を入力してください。"));
    EXPECT_EQ(caption, qt::ApplicationTitle());
    EXPECT_TRUE(dialogStillOpen);
}

}  // namespace
}  // namespace tavrel::test
