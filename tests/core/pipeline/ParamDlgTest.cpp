// The dialog built from a class's descriptor, on a class that exists only in the tests and was
// added through its descriptor alone: what it opens with, the range refusals, Apply and OK
// writing through the record, the time-range drag, and the catalogue entry.
#include <gtest/gtest.h>

#include "pipeline/DialogIds.h"
#include "pipeline/ModuleDialog.h"
#include "pipeline/ModuleRegistry.h"
#include "pipeline/ParamDlg.h"
#include "support/ScriptedHost.h"
#include "support/ThrowawayModule.h"

namespace tavrel::test {
namespace {

constexpr int kFactor = dialog_ids::generated::kFirstControl;
constexpr int kInvert = kFactor + 1;
constexpr int kMode = kFactor + 2;
constexpr int kStart = kFactor + 3;
constexpr int kEnd = kFactor + 4;

TEST(ParamDialog, AClassAddedByItsDescriptorGetsTheGeneratedDialog) {
    ASSERT_EQ(FindModuleClass(CThrowawayFilter::kClassName), &ThrowawayClass());
    // Offered after the separator, behind the two detectors.
    const auto offered = CatalogueClasses();
    ASSERT_EQ(offered.back(), &ThrowawayClass());
    EXPECT_FALSE(StartsCatalogueGroup(ThrowawayClass()));

    CThrowawayFilter module;
    module.m_factor = 1.5;
    module.m_invert = 1;
    module.m_mode = 1;
    module.m_endMs = 250;
    ScriptedHost host;
    host.dialogScript = [&](ModuleDialog& d) {
        EXPECT_EQ(d.TemplateId(), dialog_ids::generated::kTemplate);
        EXPECT_EQ(d.Title(), "Throwaway");
        EXPECT_TRUE(d.HasApply());
        EXPECT_EQ(d.Text(kFactor), "1.5");
        EXPECT_EQ(d.Check(kInvert), 1);
        EXPECT_EQ(d.Check(kMode), 1);
        EXPECT_EQ(d.Text(kStart), "0");
        EXPECT_EQ(d.Text(kEnd), "250");

        // Out of range or not a number: refused with the range, nothing written.
        for (const char* bad : {"10.5", "-11", "x", ""}) {
            d.SetText(kFactor, bad);
            const DialogCheck c = d.Apply();
            EXPECT_FALSE(c.ok) << bad;
            EXPECT_EQ(c.control, kFactor);
            EXPECT_EQ(c.message, NumberRangeMessage(-10, 10));
        }
        EXPECT_EQ(module.m_factor, 1.5);
        d.SetText(kFactor, "1");
        d.SetText(kStart, "-1");
        EXPECT_EQ(d.Apply().control, kStart);

        // Apply writes every row through the record.
        d.SetText(kFactor, "-2.25");
        d.SetCheck(kInvert, 0);
        d.SetCheck(kMode, 0);
        d.SetText(kStart, "10");
        EXPECT_TRUE(d.Apply().ok);
        EXPECT_EQ(module.m_factor, -2.25);
        EXPECT_EQ(module.m_invert, 0);
        EXPECT_EQ(module.m_mode, 0);
        EXPECT_EQ(module.m_startMs, 10);

        // A drag over samples 20 to 60 at 2000 Hz picks 10 ms to 30 ms.
        d.OnRangeSelected(20, 60);
        EXPECT_EQ(d.Text(kStart), "10");
        EXPECT_EQ(d.Text(kEnd), "30");
        d.SetText(kFactor, "10");
        return PressOk(d);
    };
    ASSERT_EQ(module.EditSettings(), 1);
    EXPECT_EQ(module.m_factor, 10.0);
    EXPECT_EQ(module.m_endMs, 30);
}

TEST(ParamDialog, TheMovingAverageAndDecimationDialogsAreTheTableDialog) {
    for (const char* name : {"CSmothFilter", "CReSmplFilter"}) {
        const ModuleClass* c = FindModuleClass(name);
        ASSERT_TRUE(c && HasTableDialog(*c)) << name;
        std::unique_ptr<CModBase> module = CreateModule(name);
        CParamDlg dialog(*module);
        EXPECT_EQ(dialog.TemplateId(), c->dialogTemplate);
        EXPECT_EQ(dialog.ControlOf(0), 1000);
        dialog.SetText(1000, std::to_string(static_cast<long long>(c->fields[0].high) + 1));
        EXPECT_EQ(dialog.Validate().message,
                  IntRangeMessage(1, static_cast<long long>(c->fields[0].high)));
    }
}

}  // namespace
}  // namespace tavrel::test
