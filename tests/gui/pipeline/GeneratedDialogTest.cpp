// The settings dialog laid out from a class's descriptor, on a class added to the tests through
// its descriptor only: its rows (a captioned edit with the unit, a check box, a drop-down list),
// the range refusal, Apply repainting the preview, a drag filling the time range, and the class
// in the editor's catalogue.
#include <gtest/gtest.h>

#include <cstdlib>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMouseEvent>

#include "DialogTestSupport.h"
#include "gui/pipeline/ChProcDlg.h"
#include "gui/pipeline/FilterDlgBase.h"
#include "gui/pipeline/PreviewWnd.h"
#include "gui/platform/DialogLayout.h"
#include "pipeline/DialogIds.h"
#include "pipeline/ParamDlg.h"
#include "support/ScriptedHost.h"
#include "support/ThrowawayModule.h"

namespace tavrel::test {
namespace {

using qt::Control;

constexpr int kFactor = dialog_ids::generated::kFirstControl;

TEST(GeneratedDialog, RowsRefusalApplyAndDragComeFromTheDescriptor) {
    ScriptedHost host;
    SignalDocument signal(2000);
    CThrowawayFilter* module = signal.Append(std::make_unique<CThrowawayFilter>());
    SignalDocument::StartEditing(*module);
    CParamDlg logic(*module);
    qt::CFilterDlgBase window(logic);
    window.show();
    QApplication::processEvents();
    EXPECT_EQ(window.windowTitle(), "Throwaway");

    // One row per field: the factor's edit with its caption and unit, the switch, the choice, the
    // range's two edits; every control below the preview and inside the dialog.
    EXPECT_EQ(Edit(&window, kFactor)->text(), "2");
    auto* invert = Control<QCheckBox>(&window, kFactor + 1);
    ASSERT_TRUE(invert);
    EXPECT_EQ(invert->text(), "Invert");
    auto* mode = Control<QComboBox>(&window, kFactor + 2);
    ASSERT_TRUE(mode);
    EXPECT_EQ(mode->count(), 2);
    EXPECT_EQ(mode->itemText(1), "Zero outside");
    EXPECT_EQ(Edit(&window, kFactor + 4)->text(), "100");
    QStringList labels;
    for (QLabel* label : window.findChildren<QLabel*>())
        labels << label->text();
    for (const char* text : {"Factor", "x", "Mode", "From", "To", "ms"})
        EXPECT_TRUE(labels.contains(text)) << text;
    for (int id = kFactor; id <= kFactor + 4; ++id) {
        QWidget* w = Control(&window, id);
        EXPECT_GT(w->geometry().top(), window.Preview()->geometry().bottom()) << id;
        EXPECT_TRUE(window.rect().contains(w->geometry())) << id;
    }

    if (const char* dir = std::getenv("TAVREL_SCREENSHOT_DIR"))
        window.grab().save(QString::fromLocal8Bit(dir) + "/generated_dialog.png");

    // Out of range: the message names the range and nothing is written.
    Type(&window, kFactor, "11");
    Click(&window, qt::kIdApply);
    EXPECT_EQ(host.messages,
              std::vector<std::string>{"-10 から 10 までの数値を入力してください。"});
    EXPECT_EQ(module->m_factor, 2.0);

    // Apply writes every row and repaints the preview at once.
    const int draws = window.Preview()->DrawCount();
    const QImage before = window.Preview()->grab().toImage();
    Type(&window, kFactor, "-3");
    invert->click();
    mode->setCurrentIndex(1);
    Click(&window, qt::kIdApply);
    EXPECT_EQ(module->m_factor, -3.0);
    EXPECT_EQ(module->m_invert, 1);
    EXPECT_EQ(module->m_mode, 1);
    EXPECT_GT(window.Preview()->DrawCount(), draws);
    EXPECT_NE(window.Preview()->grab().toImage(), before);

    // A drag across the preview fills the time range.
    QWidget* preview = window.Preview();
    const int y = preview->height() / 2;
    QTest::mousePress(preview, Qt::LeftButton, {}, QPoint(preview->width() / 4, y));
    QTest::mouseMove(preview, QPoint(preview->width() / 2, y));
    QTest::mouseRelease(preview, Qt::LeftButton, {}, QPoint(preview->width() / 2, y));
    EXPECT_NE(Edit(&window, kFactor + 4)->text(), "100");
    EXPECT_LT(Edit(&window, kFactor + 3)->text().toInt(),
              Edit(&window, kFactor + 4)->text().toInt());
}

TEST(GeneratedDialog, TheClassIsOfferedAfterTheDetectors) {
    ScriptedHost host;
    SignalDocument signal(2000);
    qt::CChProcDlg editor(nullptr, signal.Head(), 0);
    auto* menu = Control<QComboBox>(&editor, 1035);
    EXPECT_EQ(menu->itemText(menu->count() - 1), "Throwaway");
    EXPECT_STREQ(editor.Catalogue().back()->GetClassName(), ThrowawayClass().className);
}

}  // namespace
}  // namespace tavrel::test
