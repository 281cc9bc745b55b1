// The generated dialogs of the five conditioning classes in the real window: one row per field
// of the descriptor inside the dialog, a refusal message for a value out of range, Apply
// repainting the preview with the new output. Saves the Butterworth dialog for the docs when
// TAVREL_SCREENSHOT_DIR is set.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "DialogTestSupport.h"
#include "gui/pipeline/FilterDlgBase.h"
#include "gui/pipeline/PreviewWnd.h"
#include "gui/platform/DialogLayout.h"
#include "modules/analysis/EnvelopeFilters.h"
#include "modules/filters/IirFilters.h"
#include "pipeline/DialogIds.h"
#include "pipeline/ModuleRegistry.h"
#include "pipeline/ParamDlg.h"
#include "support/ScriptedHost.h"

namespace tavrel::test {
namespace {

using qt::Control;

constexpr int kRow = dialog_ids::generated::kFirstControl;

struct DialogCase {
    const char* className;
    int badRow;  // a number row and a value it refuses
    const char* bad;
    const char* goodRow;  // what to type there to change the output
};

TEST(ConditioningDialogs, RowsRefusalAndPreviewOnApply) {
    const DialogCase cases[] = {
        {"CButterFilter", 3, "1000", "200"}, {"CNotchFilter", 1, "0.5", "2"},
        {"CRmsFilter", 0, "0", "20"},        {"CTkeoFilter", -1, nullptr, nullptr},
        {"CNormFilter", 3, "0", "3"},
    };
    for (const DialogCase& c : cases) {
        SCOPED_TRACE(c.className);
        ScriptedHost host;
        SignalDocument signal(2000);
        CModBase* module = signal.Append(CreateModule(c.className));
        if (std::string(c.className) == "CNormFilter")
            static_cast<CNormFilter*>(module)->m_mode = 1;
        SignalDocument::StartEditing(*module);
        CParamDlg logic(*module);
        qt::CFilterDlgBase window(logic);
        window.show();
        QApplication::processEvents();
        const std::size_t rows = FindModuleClass(c.className)->fields.size();
        for (int id = kRow; id < kRow + static_cast<int>(rows); ++id) {
            QWidget* w = Control(&window, id);
            ASSERT_TRUE(w) << id;
            EXPECT_GT(w->geometry().top(), window.Preview()->geometry().bottom()) << id;
            EXPECT_TRUE(window.rect().contains(w->geometry())) << id;
        }
        EXPECT_FALSE(Control(&window, kRow + static_cast<int>(rows)));
        if (std::string(c.className) == "CButterFilter") {
            if (const char* dir = std::getenv("TAVREL_SCREENSHOT_DIR"))
                window.grab().save(QString::fromLocal8Bit(dir) + "/butterworth-dialog.png");
        }
        if (c.bad) {
            Type(&window, kRow + c.badRow, c.bad);
            Click(&window, qt::kIdApply);
            EXPECT_EQ(host.messages.size(), 1u);
            Type(&window, kRow + c.badRow, c.goodRow);
        }
        const int draws = window.Preview()->DrawCount();
        const QImage before = window.Preview()->grab().toImage();
        Click(&window, qt::kIdApply);
        EXPECT_EQ(host.messages.size(), c.bad ? 1u : 0u);
        EXPECT_GT(window.Preview()->DrawCount(), draws);
        if (c.bad) {
            EXPECT_NE(window.Preview()->grab().toImage(), before);
        }
    }
}

}  // namespace
}  // namespace tavrel::test
