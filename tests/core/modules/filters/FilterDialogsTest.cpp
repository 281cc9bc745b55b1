// The settings dialogs of the filter modules, played through the scripted host: what each opens
// with, the hertz conversion and accepted ranges, and what Apply and OK write into the module.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "document/KaisekiDoc.h"
#include "modules/filters/BPDlg.h"
#include "modules/filters/BSFilter.h"
#include "modules/filters/DiffFilter.h"
#include "modules/filters/DiodeDlg.h"
#include "modules/filters/HPFilter.h"
#include "modules/filters/LPDlg.h"
#include "modules/filters/LPFilter.h"
#include "modules/filters/ReSmplDlg.h"
#include "modules/filters/SmothDlg.h"
#include "pipeline/HeadFilter.h"
#include "support/ScriptedHost.h"

namespace tavrel {
namespace {

using test::PressOk;
using test::ScriptedHost;

struct Opened {
    int templateId = 0;
    std::string title;
    bool hasApply = false;
    std::vector<std::string> texts;
};

// Runs the module's dialog, records what it opened with (the texts of `ids`) and presses Cancel.
Opened OpenAndCancel(CModBase& module, std::vector<int> ids) {
    ScriptedHost host;
    Opened o;
    host.dialogScript = [&](ModuleDialog& d) {
        o.templateId = d.TemplateId();
        o.title = d.Title();
        o.hasApply = d.HasApply();
        for (int id : ids)
            o.texts.push_back(d.Text(id));
        return false;
    };
    EXPECT_EQ(module.EditSettings(), 0);
    return o;
}

// Runs the module's dialog, types `value` into `id` and presses OK; the result of EditSettings.
int Accept(CModBase& module, int id, const std::string& value) {
    ScriptedHost host;
    host.dialogScript = [&](ModuleDialog& d) {
        d.SetText(id, value);
        return PressOk(d);
    };
    return module.EditSettings();
}

// ---- low-pass and high-pass ---------------------------------------------------------------------

TEST(CutOffDialog, OpensWithTheShownValueAndTheAcceptedRange) {
    CLPFilter lp;
    Opened o = OpenAndCancel(lp, {1000, 1038, 1039});
    EXPECT_EQ(o.templateId, 110);
    EXPECT_EQ(o.title, "低域通過フィルタ設定");
    EXPECT_TRUE(o.hasApply);
    EXPECT_EQ(o.texts, (std::vector<std::string>{"300", "10", "1000"}));

    CHPFilter hp;
    o = OpenAndCancel(hp, {1000, 1038, 1039});
    EXPECT_EQ(o.templateId, 111);
    EXPECT_EQ(o.title, "高域通過フィルタ設定");
    EXPECT_EQ(o.texts, (std::vector<std::string>{"300", "10", "1000"}));
}

TEST(CutOffDialog, RangeFollowsTheRate) {
    struct Case {
        int fs;
        std::string low, high;
    };
    for (const Case& c : {Case{200, "0", "100"}, Case{201, "0", "100"}, Case{202, "10", "101"},
                          Case{2001, "10", "1000"}}) {
        CLPFilter lp;
        lp.m_samplingRate = c.fs;
        Opened o = OpenAndCancel(lp, {1038, 1039});
        EXPECT_EQ(o.texts, (std::vector<std::string>{c.low, c.high})) << c.fs;
    }
    // A stored cut-off shows as the integer part of (fs x + 1) / 2.
    CLPFilter stored;
    stored.m_samplingRate = 1000;
    stored.m_cutoff = 0.45;
    EXPECT_EQ(OpenAndCancel(stored, {1000}).texts[0], "225");
}

TEST(CutOffDialog, RefusesValuesOutsideTheRangeNamingIt) {
    CLPFilter lp;
    ScriptedHost host;
    std::vector<DialogCheck> checks;
    host.dialogScript = [&](ModuleDialog& d) {
        for (const char* text : {"5", "1001", "12.5", "", "abc", "-10"}) {
            d.SetText(1000, text);
            checks.push_back(d.Validate());
        }
        d.SetText(1000, "10");
        return PressOk(d);
    };
    EXPECT_EQ(lp.EditSettings(), 1);
    for (const DialogCheck& c : checks) {
        EXPECT_FALSE(c.ok);
        EXPECT_EQ(c.control, 1000);
        EXPECT_EQ(c.message, IntRangeMessage(10, 1000));
    }
    EXPECT_EQ(lp.m_cutoff, 0.01);
}

TEST(CutOffDialog, NyquistAcceptedPassesOrStops) {
    CLPFilter lp;
    ASSERT_EQ(Accept(lp, 1000, "1000"), 1);
    EXPECT_EQ(lp.m_cutoff, 1.0);
    CHPFilter hp;
    ASSERT_EQ(Accept(hp, 1000, "1000"), 1);
    EXPECT_EQ(hp.m_cutoff, 1.0);
    hp.m_input = AllocSamples(2);
    hp.m_input[0] = 3.0;
    hp.m_input[1] = -4.0;
    hp.m_inputCount = 2;
    ASSERT_EQ(hp.Compute(), 2);
    EXPECT_EQ(hp.m_output[0], 0.0);
    EXPECT_EQ(hp.m_output[1], 0.0);

    CLPFilter odd;
    odd.m_samplingRate = 2001;
    ASSERT_EQ(Accept(odd, 1000, "1000"), 1);
    EXPECT_EQ(odd.m_cutoff, 2000.0 / 2001.0);
}

TEST(CutOffDialog, AcceptedValueShowsAgainUnchanged) {
    for (int fs : {200, 202, 400, 1000, 2000, 2001, 44100}) {
        CLPFilter lp;
        lp.m_samplingRate = fs;
        const int low = fs / 2 <= 100 ? 0 : 10;
        for (int hz = low; hz <= fs / 2; ++hz) {
            ScriptedHost host;
            std::string shown;
            host.dialogScript = [&](ModuleDialog& d) {
                shown = d.Text(1000);
                d.SetText(1000, std::to_string(hz));
                return PressOk(d);
            };
            ASSERT_EQ(lp.EditSettings(), 1);
            ASSERT_EQ(lp.m_cutoff, hz * 2.0 / fs);
            EXPECT_EQ(OpenAndCancel(lp, {1000}).texts[0], std::to_string(hz)) << fs;
        }
    }
}

TEST(CutOffDialog, DecimatedRateReachesTheFilterDialog) {
    CKaisekiDoc doc;
    doc.OnNewDocument();
    doc.m_columns[0] = std::vector<double>(50, 1.0);
    doc.m_rowCount = 50;
    CModBase::AppendModule(doc.Head(0), new CReSmplFilter);  // 2000 Hz by 5
    auto* lp = new CLPFilter;
    CModBase::AppendModule(doc.Head(0), lp);
    lp->PullInput();  // the editor pulls the input before it opens the dialog
    EXPECT_EQ(lp->m_samplingRate, 400);
    EXPECT_EQ(OpenAndCancel(*lp, {1000, 1038, 1039}).texts,
              (std::vector<std::string>{"60", "10", "200"}));
    ASSERT_EQ(Accept(*lp, 1000, "60"), 1);
    EXPECT_EQ(lp->m_cutoff, 0.3);
}

TEST(CutOffDialog, ApplyWritesAtOnceAndReleasesTheTaps) {
    CLPFilter lp;
    lp.m_coefficients = std::make_unique<double[]>(41);
    ScriptedHost host;
    DialogCheck refused, applied;
    double afterApply = 0;
    bool tapsAfterApply = true;
    host.dialogScript = [&](ModuleDialog& d) {
        d.SetText(1000, "9");
        refused = d.Apply();
        EXPECT_EQ(lp.m_cutoff, 0.3);  // a refused value writes nothing
        EXPECT_TRUE(lp.m_coefficients);
        d.SetText(1000, "500");
        applied = d.Apply();
        afterApply = lp.m_cutoff;
        tapsAfterApply = static_cast<bool>(lp.m_coefficients);
        return false;  // then Cancel: the editor restores the old settings, not the dialog
    };
    EXPECT_EQ(lp.EditSettings(), 0);
    EXPECT_FALSE(refused.ok);
    EXPECT_TRUE(applied.ok);
    EXPECT_EQ(afterApply, 0.5);
    EXPECT_FALSE(tapsAfterApply);
}

TEST(CutOffDialog, RateWithoutNyquistLeavesTheCutOff) {
    // A stored rate of 0 or below: the range is 0 ... 0 and no division by the rate happens.
    for (int fs : {0, -2000}) {
        CLPFilter lp;
        lp.m_samplingRate = fs;
        EXPECT_EQ(OpenAndCancel(lp, {1000, 1038, 1039}).texts,
                  (std::vector<std::string>{"0", "0", "0"}));
        ASSERT_EQ(Accept(lp, 1000, "0"), 1);
        EXPECT_EQ(lp.m_cutoff, 0.3);
    }
    CLPFilter nan;
    nan.m_cutoff = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(OpenAndCancel(nan, {1000}).texts[0], "0");
    CLPFilter huge;
    huge.m_cutoff = 1e300;
    EXPECT_EQ(OpenAndCancel(huge, {1000}).texts[0], "4294967295");
}

// ---- band-pass and band-stop -------------------------------------------------------------------

TEST(BandDialog, OpensWithBothEdgesAndRanges) {
    CBPFilter bp;
    const std::vector<int> ids = {1000, 1038, 1039, 1002, 1040, 1041};
    Opened o = OpenAndCancel(bp, ids);
    EXPECT_EQ(o.templateId, 112);
    EXPECT_EQ(o.title, "帯域通過フィルタ設定");
    EXPECT_TRUE(o.hasApply);
    EXPECT_EQ(o.texts, (std::vector<std::string>{"300", "10", "1000", "600", "10", "1000"}));
    CBSFilter bs;
    o = OpenAndCancel(bs, ids);
    EXPECT_EQ(o.templateId, 113);
    EXPECT_EQ(o.title, "帯域阻止フィルタ設定");
    EXPECT_EQ(o.texts, (std::vector<std::string>{"300", "10", "1000", "600", "10", "1000"}));
}

TEST(BandDialog, EdgesValidatedInOrderThenTheLowerBelowTheUpper) {
    const std::string order = "低域カットオフ周波数は高域カットオフ周波数より低くしてください。";
    CBSFilter bs;
    ScriptedHost host;
    DialogCheck bothBad, highBad, above, equal, applied;
    host.dialogScript = [&](ModuleDialog& d) {
        d.SetText(1000, "2000");
        d.SetText(1002, "3");
        bothBad = d.Validate();
        d.SetText(1000, "800");
        highBad = d.Validate();
        d.SetText(1002, "100");
        above = d.Validate();
        d.SetText(1002, "800");
        equal = d.Validate();
        applied = d.Apply();
        d.SetText(1002, "801");
        return PressOk(d);
    };
    ASSERT_EQ(bs.EditSettings(), 1);
    EXPECT_EQ(bothBad.control, 1000);
    EXPECT_EQ(highBad.control, 1002);
    EXPECT_EQ(highBad.message, IntRangeMessage(10, 1000));
    for (const DialogCheck& refused : {above, equal, applied}) {
        EXPECT_FALSE(refused.ok);
        EXPECT_EQ(refused.control, 1000);
        EXPECT_EQ(refused.message, order);
    }
    EXPECT_EQ(bs.m_cutoff, 0.8);
    EXPECT_EQ(bs.m_cutoffHigh, 0.801);
}

// A document may hold a band the dialog would refuse: it opens with it and computes it.
TEST(BandDialog, StoredInvertedBandOpensAndCancelKeepsIt) {
    CBPFilter bp;
    bp.m_cutoff = 0.7;
    bp.m_cutoffHigh = 0.2;
    const std::vector<int> ids = {1000, 1002};
    EXPECT_EQ(OpenAndCancel(bp, ids).texts, (std::vector<std::string>{"700", "200"}));
    EXPECT_EQ(bp.m_cutoff, 0.7);
    EXPECT_EQ(bp.m_cutoffHigh, 0.2);
}

TEST(BandDialog, ApplyReleasesBothTapSets) {
    CBPFilter bp;
    bp.m_samplingRate = 1000;
    bp.m_coefficients = std::make_unique<double[]>(41);
    bp.m_coefficientsHigh = std::make_unique<double[]>(41);
    ScriptedHost host;
    host.dialogScript = [&](ModuleDialog& d) {
        d.SetText(1000, "100");
        d.SetText(1002, "250");
        EXPECT_TRUE(d.Apply().ok);
        EXPECT_EQ(bp.m_cutoff, 0.2);
        EXPECT_EQ(bp.m_cutoffHigh, 0.5);
        EXPECT_FALSE(bp.m_coefficients || bp.m_coefficientsHigh);
        return false;
    };
    EXPECT_EQ(bp.EditSettings(), 0);
}

// ---- rectifier ---------------------------------------------------------------------------------

TEST(RectifierDialog, OpensWithTheStoredFlagsAndWritesTheRadioChoice) {
    CDiodeFilter d;
    d.m_halfWave = 1;
    d.m_positive = 0;
    ScriptedHost host;
    std::vector<int> opened;
    host.dialogScript = [&](ModuleDialog& dlg) {
        EXPECT_EQ(dlg.TemplateId(), 107);
        EXPECT_EQ(dlg.Title(), "整流器設定");
        EXPECT_TRUE(dlg.HasApply());
        for (int id : {1039, 1040, 1041, 1042})
            opened.push_back(dlg.Check(id));
        // Full-wave, positive: clicking a radio button checks it and clears its partner.
        dlg.SetCheck(1039, 1);
        dlg.OnClicked(1039);
        dlg.SetCheck(1041, 1);
        dlg.OnClicked(1041);
        EXPECT_EQ(dlg.Check(1040), 0);
        EXPECT_EQ(dlg.Check(1042), 0);
        return PressOk(dlg);
    };
    ASSERT_EQ(d.EditSettings(), 1);
    EXPECT_EQ(opened, (std::vector<int>{0, 1, 0, 1}));
    EXPECT_EQ(d.m_halfWave, 0);
    EXPECT_EQ(d.m_positive, 1);
}

TEST(RectifierDialog, ApplyWritesAndNonzeroFlagsCountAsSet) {
    CDiodeFilter d;
    d.m_halfWave = -3;
    d.m_positive = 9;
    ScriptedHost host;
    host.dialogScript = [&](ModuleDialog& dlg) {
        EXPECT_EQ(dlg.Check(1040), 1);
        EXPECT_EQ(dlg.Check(1041), 1);
        dlg.SetCheck(1042, 1);
        dlg.OnClicked(1042);
        EXPECT_TRUE(dlg.Apply().ok);
        EXPECT_EQ(d.m_positive, 0);
        EXPECT_EQ(d.m_halfWave, 1);
        return false;
    };
    EXPECT_EQ(d.EditSettings(), 0);
}

// ---- moving average and decimation ------------------------------------------------------------

TEST(PointsDialogs, MovingAverageAcceptsOneToAThousand) {
    CSmothFilter s;
    Opened o = OpenAndCancel(s, {1000});
    EXPECT_EQ(o.templateId, 109);
    EXPECT_EQ(o.title, "移動平均設定");
    EXPECT_TRUE(o.hasApply);
    EXPECT_EQ(o.texts[0], "5");
    for (const char* bad : {"0", "1001", "2.5", "x"}) {
        ScriptedHost host;
        DialogCheck c;
        host.dialogScript = [&](ModuleDialog& d) {
            d.SetText(1000, bad);
            c = d.Validate();
            return false;
        };
        s.EditSettings();
        EXPECT_EQ(c.message, IntRangeMessage(1, 1000)) << bad;
    }
    ASSERT_EQ(Accept(s, 1000, "1000"), 1);
    EXPECT_EQ(s.m_points, 1000);
    ASSERT_EQ(Accept(s, 1000, "1"), 1);
    EXPECT_EQ(s.m_points, 1);

    // A stored negative window shows as the unsigned value of the field.
    CSmothFilter stored;
    stored.m_points = -1;
    EXPECT_EQ(OpenAndCancel(stored, {1000}).texts[0], "4294967295");
}

TEST(PointsDialogs, DecimationAcceptsOneToAHundredAndApplies) {
    CReSmplFilter r;
    Opened o = OpenAndCancel(r, {1000});
    EXPECT_EQ(o.templateId, 108);
    EXPECT_EQ(o.title, "間引き設定");
    EXPECT_EQ(o.texts[0], "5");
    ScriptedHost host;
    host.dialogScript = [&](ModuleDialog& d) {
        d.SetText(1000, "101");
        EXPECT_EQ(d.Apply().message, IntRangeMessage(1, 100));
        EXPECT_EQ(r.m_step, 5);
        d.SetText(1000, "7");
        EXPECT_TRUE(d.Apply().ok);
        EXPECT_EQ(r.m_step, 7);
        d.SetText(1000, "100");
        return PressOk(d);
    };
    ASSERT_EQ(r.EditSettings(), 1);
    EXPECT_EQ(r.m_step, 100);
}

TEST(PointsDialogs, DifferentiatorHasThePlainConfirmation) {
    CDiffFilter d;
    Opened o = OpenAndCancel(d, {});
    EXPECT_EQ(o.templateId, 104);
    EXPECT_EQ(o.title, "確認");
    EXPECT_FALSE(o.hasApply);
    ScriptedHost host;
    host.dialogScript = [](ModuleDialog& dlg) { return PressOk(dlg); };
    EXPECT_EQ(d.EditSettings(), 1);
}

}  // namespace
}  // namespace tavrel
