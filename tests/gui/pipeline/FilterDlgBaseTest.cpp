// The module dialog window driven with dialog objects written for the test: the exchange of
// texts, check states and enabled states, Apply, OK, refusals and the range message.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QRadioButton>

#include "DialogTestSupport.h"
#include "gui/pipeline/DialogTemplates.h"
#include "gui/pipeline/FilterDlgBase.h"
#include "gui/pipeline/PreviewWnd.h"
#include "gui/platform/QtHost.h"
#include "pipeline/ModuleDialog.h"
#include "pipeline/ModuleRegistry.h"
#include "support/ScriptedHost.h"

namespace tavrel::test {
namespace {

using qt::CFilterDlgBase;
using qt::Control;

// A range dialog on the integrator's template: start 1000 within 0 ... end, end 1002 within
// start ... 1039; the range picked in the preview is shown in samples.
class RangeDialog : public ModuleDialog {
  public:
    explicit RangeDialog(CModBase& module) : ModuleDialog(module, 115, "積分範囲設定", true) {
        SetText(1038, "0");
        SetText(1039, "1000");
        SetText(1000, "10");
        SetText(1002, "20");
    }
    DialogCheck Validate() override {
        long long end = 0;
        if (DialogCheck c = ReadInt(1000, 0, m_end, m_start); !c.ok) return c;
        if (DialogCheck c = ReadInt(1002, m_start, 1000, end); !c.ok) return c;
        m_end = end;
        return {};
    }
    DialogCheck Apply() override {
        DialogCheck c = Validate();
        if (c.ok) {
            ++applied;
            Module().m_markerIndex = static_cast<int>(m_start);
        }
        return c;
    }
    void OnRangeSelected(int first, int last) override {
        SetText(1000, std::to_string(first));
        SetText(1002, std::to_string(last));
    }
    long long m_start = 0;
    long long m_end = 20;
    int applied = 0;
};

// A dialog on the clip template whose check box disables the end field, and on the rectifier
// template with two radio groups.
class ToggleDialog : public ModuleDialog {
  public:
    ToggleDialog(CModBase& module, int templateId) : ModuleDialog(module, templateId, "t", true) {}
    void OnClicked(int id) override {
        clicks.push_back(id);
        if (id == 1004) Enable(1002, Check(1004) == 0);
        if (id == 1039 || id == 1040) {
            SetCheck(1039, id == 1039);
            SetCheck(1040, id == 1040);
        }
    }
    std::vector<int> clicks;
};

class FilterDlgBaseTest : public ::testing::Test {
  protected:
    SignalDocument signal{1000};
    CModBase* module = signal.Append(std::make_unique<CModBase>());
    ScriptedHost host;
};

TEST_F(FilterDlgBaseTest, OpensWithTheDialogsTextsTitleAndFrame) {
    SignalDocument::StartEditing(*module);
    RangeDialog logic(*module);
    CFilterDlgBase window(logic);
    EXPECT_EQ(window.windowTitle(), QString::fromUtf8("積分範囲設定"));
    EXPECT_EQ(Edit(&window, 1000)->text(), "10");
    EXPECT_EQ(Edit(&window, 1002)->text(), "20");
    EXPECT_EQ(Edit(&window, 1039)->text(), "1000");
    EXPECT_TRUE(Edit(&window, 1038)->isReadOnly());
    EXPECT_FALSE(Edit(&window, 1000)->isReadOnly());
    // The preview: id 4096, 684 x 158 pixels at (16, 2), drawing the module being edited.
    qt::CPreviewWnd* preview = Control<qt::CPreviewWnd>(&window, 4096);
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->geometry(), QRect(16, 2, 684, 158));
    EXPECT_EQ(preview->Module(), module);
    window.show();
    EXPECT_FALSE(Control<QPushButton>(&window, qt::kIdApply)->isHidden());
    EXPECT_TRUE(Control<QPushButton>(&window, qt::kIdOk)->isDefault());
}

TEST_F(FilterDlgBaseTest, FrameDialogHidesAndDisablesApply) {
    ModuleDialog logic(*module, 104, "確認", false);
    CFilterDlgBase window(logic);
    window.show();
    QPushButton* apply = Control<QPushButton>(&window, qt::kIdApply);
    EXPECT_TRUE(apply->isHidden());
    EXPECT_FALSE(apply->isEnabled());
    EXPECT_FALSE(window.ApplyNow());
    EXPECT_EQ(window.windowTitle(), QString::fromUtf8("確認"));
}

TEST_F(FilterDlgBaseTest, ApplyWritesThroughTheDialogAndRedrawsAtOnce) {
    SignalDocument::StartEditing(*module);
    RangeDialog logic(*module);
    CFilterDlgBase window(logic);
    window.show();
    QApplication::processEvents();
    const int drawsBefore = window.Preview()->DrawCount();
    Type(&window, 1000, "15");
    Click(&window, qt::kIdApply);
    EXPECT_EQ(logic.applied, 1);
    EXPECT_EQ(module->m_markerIndex, 15);
    EXPECT_EQ(window.Preview()->DrawCount(), drawsBefore + 1);
    // Twice with unchanged values: recomputed and redrawn again.
    Click(&window, qt::kIdApply);
    EXPECT_EQ(window.Preview()->DrawCount(), drawsBefore + 2);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(window.isVisible());
}

TEST_F(FilterDlgBaseTest, RefusedValueShowsTheRangeFocusesTheFieldAndKeepsTheDialogOpen) {
    SignalDocument::StartEditing(*module);
    RangeDialog logic(*module);
    CFilterDlgBase window(logic);
    window.show();
    QApplication::setActiveWindow(&window);
    Type(&window, 1000, "25");  // above the end held (20)
    Click(&window, qt::kIdApply);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], "0 から 20 までの整数を入力してください。");
    EXPECT_EQ(logic.applied, 0);
    EXPECT_EQ(QApplication::focusWidget(), Edit(&window, 1000));
    EXPECT_EQ(Edit(&window, 1000)->selectedText(), "25");

    // OK with a refused end: the dialog stays open, the end field has the focus.
    Type(&window, 1000, "5");
    Type(&window, 1002, "abc");
    Click(&window, qt::kIdOk);
    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.messages[1], "5 から 1000 までの整数を入力してください。");
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.result(), QDialog::Rejected);
    EXPECT_EQ(QApplication::focusWidget(), Edit(&window, 1002));

    Type(&window, 1002, "500");
    Click(&window, qt::kIdOk);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_EQ(logic.m_start, 5);
    EXPECT_EQ(logic.m_end, 500);
}

TEST_F(FilterDlgBaseTest, ClicksReachTheDialogAndEnabledAndCheckStatesComeBack) {
    ToggleDialog clip(*module, 117);
    CFilterDlgBase window(clip);
    window.show();
    EXPECT_TRUE(Edit(&window, 1002)->isEnabled());
    Click(&window, 1004);
    EXPECT_EQ(clip.clicks, std::vector<int>{1004});
    EXPECT_EQ(clip.Check(1004), 1);
    EXPECT_FALSE(Edit(&window, 1002)->isEnabled());
    Click(&window, 1004);
    EXPECT_TRUE(Edit(&window, 1002)->isEnabled());
    // Read-only fields stay out of the tab order; edits and check boxes are in it.
    EXPECT_FALSE(Edit(&window, 1038)->focusPolicy() & Qt::TabFocus);
    EXPECT_TRUE(Edit(&window, 1000)->focusPolicy() & Qt::TabFocus);
}

TEST_F(FilterDlgBaseTest, RadioGroupsMayOpenWithNothingCheckedAndFollowTheDialog) {
    ToggleDialog diode(*module, 107);
    diode.SetCheck(1041, 1);
    CFilterDlgBase window(diode);
    window.show();
    auto radio = [&](int id) { return Control<QRadioButton>(&window, id); };
    EXPECT_FALSE(radio(1039)->isChecked());
    EXPECT_FALSE(radio(1040)->isChecked());
    EXPECT_TRUE(radio(1041)->isChecked());
    Click(&window, 1040);
    EXPECT_EQ(diode.Check(1040), 1);
    EXPECT_TRUE(radio(1040)->isChecked());
    // The groups are independent: the polarity keeps its button.
    EXPECT_TRUE(radio(1041)->isChecked());
    // The dialog object decides: it may uncheck a button of an exclusive group.
    diode.SetCheck(1040, 0);
    window.CopyFromDialog();
    EXPECT_FALSE(radio(1040)->isChecked());
}

TEST_F(FilterDlgBaseTest, RangeDraggedInThePreviewReachesTheDialog) {
    // 604 samples over the 604 plot pixels between the margins: one sample per pixel.
    SignalDocument exact(604);
    CModBase* m = exact.Append(std::make_unique<CModBase>());
    SignalDocument::StartEditing(*m);
    RangeDialog logic(*m);
    CFilterDlgBase window(logic);
    window.show();
    QApplication::processEvents();
    QWidget* preview = window.Preview();
    QTest::mousePress(preview, Qt::LeftButton, {}, QPoint(440, 30));
    QTest::mouseMove(preview, QPoint(300, 100));
    QTest::mouseRelease(preview, Qt::LeftButton, {}, QPoint(240, 120));
    EXPECT_EQ(Edit(&window, 1000)->text(), "200");
    EXPECT_EQ(Edit(&window, 1002)->text(), "400");
}

TEST_F(FilterDlgBaseTest, EnterIsOkAndEscapeIsCancel) {
    RangeDialog first(*module);
    CFilterDlgBase window(first);
    window.show();
    QApplication::setActiveWindow(&window);
    Edit(&window, 1000)->setFocus();
    QTest::keyClick(Edit(&window, 1000), Qt::Key_Return);
    EXPECT_EQ(window.result(), QDialog::Accepted);

    RangeDialog second(*module);
    CFilterDlgBase other(second);
    other.show();
    QApplication::setActiveWindow(&other);
    QTest::keyClick(&other, Qt::Key_Escape);
    EXPECT_FALSE(other.isVisible());
    EXPECT_EQ(other.result(), QDialog::Rejected);
}

TEST_F(FilterDlgBaseTest, TabOrderStartsWithTheModulesControlsAndSkipsReadOnlyFields) {
    RangeDialog logic(*module);
    CFilterDlgBase window(logic);
    window.show();
    QApplication::setActiveWindow(&window);
    Edit(&window, 1000)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), Edit(&window, 1002));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), Control<QWidget>(&window, qt::kIdOk));
}

TEST_F(FilterDlgBaseTest, HostRunsTheWindowModallyAndCommitsOnOk) {
    qt::QtHost qtHost;  // replaces the scripted host while it lives
    qt::InstallModuleDialogs(qtHost);
    RangeDialog logic(*module);
    WhenModalOpens([](QWidget* modal) {
        Type(modal, 1000, "7");
        Click(modal, qt::kIdOk);
    });
    EXPECT_EQ(RunModuleDialog(logic), 1);
    EXPECT_EQ(logic.m_start, 7);

    RangeDialog cancelled(*module);
    WhenModalOpens([](QWidget* modal) {
        Type(modal, 1000, "8");
        Click(modal, qt::kIdCancel);
    });
    EXPECT_EQ(RunModuleDialog(cancelled), 0);
    EXPECT_EQ(cancelled.m_start, 0);
}

}  // namespace
}  // namespace tavrel::test
