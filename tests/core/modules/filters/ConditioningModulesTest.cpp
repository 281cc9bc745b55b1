// The five conditioning module classes through the module interface: their places in the
// catalogue, their records, what an invalid set-up does, the units they hand on, and their
// generated dialogs (rows, refusals across the fields, Apply).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "modules/analysis/EnvelopeFilters.h"
#include "modules/filters/IirFilters.h"
#include "pipeline/DialogIds.h"
#include "pipeline/ModuleDialog.h"
#include "pipeline/ModuleParams.h"
#include "pipeline/ModuleRegistry.h"
#include "support/ScriptedHost.h"

namespace tavrel::test {
namespace {

constexpr int kRow = dialog_ids::generated::kFirstControl;

std::vector<double> RunModule(CModBase& module, const std::vector<double>& x, int rate = 2000) {
    module.m_samplingRate = rate;
    module.m_input = AllocSamples(static_cast<long long>(x.size()));
    std::copy(x.begin(), x.end(), module.m_input.get());
    module.m_inputCount = static_cast<int>(x.size());
    module.m_output.reset();
    if (module.Compute() < 0) return {};
    return std::vector<double>(module.m_output.get(), module.m_output.get() + module.m_outputCount);
}

std::vector<double> Ramp(int n) {
    std::vector<double> x(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        x[static_cast<std::size_t>(i)] = (i % 7) - 3.0 + 0.01 * i;
    return x;
}

TEST(ConditioningModules, CatalogueRecordsAndDefaults) {
    const auto offered = CatalogueClasses();
    const std::vector<std::string> after = {"CAActDetFilter", "CSDActDetFilter", "CButterFilter",
                                            "CNotchFilter",   "CRmsFilter",      "CTkeoFilter",
                                            "CNormFilter"};
    ASSERT_GE(offered.size(), kMainCatalogueEntries + after.size());
    for (std::size_t i = 0; i < after.size(); ++i)
        EXPECT_EQ(offered[kMainCatalogueEntries + i]->className, after[i]);
    // Each record reads back through its descriptor with the descriptor's defaults.
    for (const char* name :
         {"CButterFilter", "CNotchFilter", "CRmsFilter", "CTkeoFilter", "CNormFilter"}) {
        SCOPED_TRACE(name);
        const ModuleClass* c = FindModuleClass(name);
        ASSERT_NE(c, nullptr);
        EXPECT_TRUE(HasTableDialog(*c));
        auto module = CreateModule(name);
        const auto values = ReadParams(*module);
        ASSERT_TRUE(values.has_value());
        const auto defaults = DefaultParams(c->fields);
        ASSERT_EQ(values->size(), defaults.size());
        for (std::size_t i = 0; i < defaults.size(); ++i)
            EXPECT_EQ((*values)[i].AsDouble(), defaults[i].AsDouble()) << c->fields[i].key;
    }
    EXPECT_EQ(OwnRecordSize(FindModuleClass("CButterFilter")->fields), 4u * 3 + 8 * 2);
    EXPECT_EQ(OwnRecordSize(FindModuleClass("CNormFilter")->fields), 4u * 4 + 8);
}

TEST(ConditioningModules, InvalidSetUpsPassThroughOrGiveNoOutput) {
    const std::vector<double> x = Ramp(500);
    CButterFilter butter;
    butter.m_highHz = 1000;  // not below half of 2000 Hz
    EXPECT_EQ(RunModule(butter, x), x);
    butter.m_highHz = 450;
    EXPECT_NE(RunModule(butter, x), x);
    butter.m_lowHz = 450;  // band with low >= high
    EXPECT_EQ(RunModule(butter, x), x);
    CNotchFilter notch;
    notch.m_freqHz = 1200;
    EXPECT_EQ(RunModule(notch, x), x);

    CNormFilter norm;
    std::vector<double> silent(400, 0.0);
    silent[300] = -4.0;
    norm.m_startMs = 0;
    norm.m_endMs = 100;  // samples 0 ... 200: silent
    EXPECT_TRUE(RunModule(norm, silent).empty());
    norm.m_endMs = 0;  // the whole input: reference 4
    EXPECT_EQ(RunModule(norm, silent)[300], -100.0);
    norm.m_mode = 1;
    norm.m_reference = 0.0;
    EXPECT_TRUE(RunModule(norm, silent).empty());
}

TEST(ConditioningModules, UnitsHandedOn) {
    CTkeoFilter tkeo;
    tkeo.m_unit = "mV";
    EXPECT_EQ(tkeo.BuildUnitLabel(), "[mV^2]");
    CNormFilter norm;
    norm.m_unit = "mV";
    EXPECT_EQ(norm.BuildUnitLabel(), "[%]");
    // The next module receives the squared unit; the TKEO's own (stored) unit stays the one
    // that reached it, so a second pass does not square it again.
    CRmsFilter next;
    tkeo.m_next = &next;
    RunModule(tkeo, Ramp(10));
    EXPECT_EQ(tkeo.TakeOutput().get() != nullptr, true);
    EXPECT_EQ(next.m_unit, "mV^2");
    EXPECT_EQ(tkeo.m_unit, "mV");
    tkeo.m_next = nullptr;
}

TEST(ConditioningModules, GeneratedDialogsRefuseAcrossTheFields) {
    CButterFilter butter;
    butter.m_samplingRate = 1000;
    ScriptedHost host;
    host.dialogScript = [&](ModuleDialog& d) {
        EXPECT_EQ(d.TemplateId(), dialog_ids::generated::kTemplate);
        EXPECT_EQ(d.Check(kRow), 2);
        EXPECT_EQ(d.Text(kRow + 1), "4");
        EXPECT_EQ(d.Text(kRow + 2), "20");
        EXPECT_EQ(d.Text(kRow + 3), "450");
        EXPECT_EQ(d.Check(kRow + 4), 1);
        d.SetText(kRow + 1, "9");
        EXPECT_EQ(d.Apply().control, kRow + 1);
        d.SetText(kRow + 1, "2");
        d.SetText(kRow + 3, "500");  // half the rate: refused
        EXPECT_EQ(d.Apply().control, kRow + 3);
        d.SetText(kRow + 3, "600");
        EXPECT_EQ(d.Apply().control, kRow + 3);
        d.SetText(kRow + 3, "10");  // below the low edge
        const DialogCheck c = d.Apply();
        EXPECT_EQ(c.control, kRow + 2);
        EXPECT_FALSE(c.message.empty());
        d.SetCheck(kRow, 0);  // a low-pass ignores the low edge
        d.SetText(kRow + 2, "0");
        EXPECT_TRUE(d.Apply().ok);
        EXPECT_EQ(butter.m_kind, 0);
        EXPECT_EQ(butter.m_highHz, 10.0);
        d.SetCheck(kRow + 4, 0);
        return PressOk(d);
    };
    ASSERT_EQ(butter.EditSettings(), 1);
    EXPECT_EQ(butter.m_order, 2);
    EXPECT_EQ(butter.m_zeroPhase, 0);

    CNotchFilter notch;
    host.dialogScript = [&](ModuleDialog& d) {
        d.SetText(kRow, "1000");
        EXPECT_EQ(d.Apply().control, kRow);
        d.SetText(kRow, "60");
        d.SetText(kRow + 1, "0.5");
        EXPECT_EQ(d.Apply().control, kRow + 1);
        d.SetText(kRow + 1, "35");
        d.SetText(kRow + 2, "41");
        EXPECT_EQ(d.Apply().control, kRow + 2);
        d.SetText(kRow + 2, "3");
        return PressOk(d);
    };
    ASSERT_EQ(notch.EditSettings(), 1);
    EXPECT_EQ(notch.m_freqHz, 60.0);
    EXPECT_EQ(notch.m_quality, 35.0);
    EXPECT_EQ(notch.m_harmonics, 3);

    CRmsFilter rms;
    host.dialogScript = [&](ModuleDialog& d) {
        d.SetText(kRow, "0");
        EXPECT_EQ(d.Apply().control, kRow);
        d.SetText(kRow, "1000001");
        EXPECT_EQ(d.Apply().control, kRow);
        d.SetText(kRow, "200");
        return PressOk(d);
    };
    ASSERT_EQ(rms.EditSettings(), 1);
    EXPECT_EQ(rms.m_points, 200);

    CNormFilter norm;
    host.dialogScript = [&](ModuleDialog& d) {
        d.SetCheck(kRow, 1);
        d.SetText(kRow + 3, "0");
        EXPECT_EQ(d.Apply().control, kRow + 3);
        d.SetText(kRow + 3, "2.5");
        d.SetCheck(kRow + 4, 0);
        return PressOk(d);
    };
    ASSERT_EQ(norm.EditSettings(), 1);
    EXPECT_EQ(norm.m_mode, 1);
    EXPECT_EQ(norm.m_reference, 2.5);
    EXPECT_EQ(norm.m_percent, 0);
}

}  // namespace
}  // namespace tavrel::test
