// The dialogs of the FFT view, the probe and the analysis modules in their window, run the way
// the program runs them: the module's EditSettings asks the Qt host, which shows the window.
#include <gtest/gtest.h>

#include <QCheckBox>

#include "DialogTestSupport.h"
#include "gui/pipeline/DialogTemplates.h"
#include "gui/pipeline/FilterDlgBase.h"
#include "gui/pipeline/PreviewWnd.h"
#include "gui/platform/QtHost.h"
#include "modules/analysis/AActDetFilter.h"
#include "modules/analysis/ClipFilter.h"
#include "modules/analysis/EnvelopeFilters.h"
#include "modules/analysis/IntFilter.h"
#include "modules/analysis/SDActDetFilter.h"
#include "modules/filters/FFTView.h"
#include "pipeline/DialogIds.h"
#include "pipeline/DmyPipe.h"

namespace tavrel::test {
namespace {

using qt::Control;

// Collects the warning boxes shown while a dialog runs and closes them.
struct MessageLog {
    std::vector<std::string> texts;
};

class AnalysisDialogsTest : public ::testing::Test {
  protected:
    AnalysisDialogsTest() { qt::InstallModuleDialogs(qtHost); }

    template <class M>
    M* Editing(SignalDocument& signal, std::unique_ptr<M> module) {
        M* m = signal.Append(std::move(module));
        SignalDocument::StartEditing(*m);
        return m;
    }
    // Runs the module's EditSettings with `user` playing the open dialog; the result of
    // EditSettings.
    int Run(CModBase& module, std::function<void(QWidget*)> user) {
        WhenModalOpens([user](QWidget* modal) {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(modal));
            user(modal);
        });
        return module.EditSettings();
    }
    // Types `text` into `id`, presses OK and reads the warning box that refuses it; then the
    // dialog is cancelled. Returns the box's text ("" when none appeared).
    static void ExpectRefused(QWidget* modal, int id, const QString& text, MessageLog& log) {
        Type(modal, id, text);
        WhenModalOpens(
            [&log, modal](QWidget* box) {
                log.texts.push_back(box->property("text").toString().toStdString());
                box->close();
            },
            modal);
        Click(modal, qt::kIdOk);
    }

    qt::QtHost qtHost;
};

TEST_F(AnalysisDialogsTest, FftDialogShowsTheDataLengthAndSizeAndLimitsTheStart) {
    SignalDocument signal(2000);
    auto* fft = Editing(signal, std::make_unique<CFFTViewFilter>());
    MessageLog log;
    const int result = Run(*fft, [&](QWidget* modal) {
        EXPECT_EQ(modal->windowTitle(), QString::fromUtf8("FFT設定"));
        EXPECT_EQ(Edit(modal, 1038)->text(), "0");
        EXPECT_EQ(Edit(modal, 1039)->text(), "1000");
        EXPECT_EQ(Edit(modal, 1002)->text(), "1024");
        EXPECT_EQ(Edit(modal, 1044)->text(), "FFT");
        EXPECT_TRUE(Edit(modal, 1002)->isReadOnly());
        ExpectRefused(modal, 1000, "489", log);
        EXPECT_TRUE(modal->isVisible());
        Type(modal, 1000, "488");
        Click(modal, qt::kIdOk);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(log.texts, std::vector<std::string>{"0 から 488 までの整数を入力してください。"});
    EXPECT_EQ(fft->m_start, 976);
}

TEST_F(AnalysisDialogsTest, IntegratorTakesTheRangeDraggedInThePreview) {
    // 604 samples: one sample per plot pixel, so the drag covers exactly samples 200 to 400.
    SignalDocument signal(604);
    auto* integrator = Editing(signal, std::make_unique<CIntFilter>());
    const int result = Run(*integrator, [&](QWidget* modal) {
        EXPECT_EQ(Edit(modal, 1038)->text(), "0");
        EXPECT_EQ(Edit(modal, 1039)->text(), "302");
        QWidget* preview = Control<QWidget>(modal, 4096);
        QTest::mousePress(preview, Qt::LeftButton, {}, QPoint(240, 40));
        QTest::mouseMove(preview, QPoint(340, 60));
        QTest::mouseRelease(preview, Qt::LeftButton, {}, QPoint(440, 60));
        EXPECT_EQ(Edit(modal, 1000)->text(), "100");
        EXPECT_EQ(Edit(modal, 1002)->text(), "200");
        Click(modal, qt::kIdApply);
        EXPECT_EQ(integrator->m_rangeStart, 200);
        EXPECT_EQ(integrator->m_rangeEnd, 400);
        Click(modal, qt::kIdOk);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(integrator->m_startMs, 100);
    EXPECT_EQ(integrator->m_endMs, 200);
    EXPECT_EQ(integrator->m_rangeStart, -1);
}

TEST_F(AnalysisDialogsTest, NormaliseHighlightsItsReferenceRangeAndTakesADraggedOne) {
    // As for the integrator: one sample per plot pixel at 2000 Hz. The highlight covers the
    // samples the reference is taken from, both ends included.
    SignalDocument signal(604);
    auto* norm = Editing(signal, std::make_unique<CNormFilter>());
    norm->m_startMs = 50;
    norm->m_endMs = 60;
    constexpr int kStartRow = dialog_ids::generated::kFirstControl + 1;
    const int result = Run(*norm, [&](QWidget* modal) {
        EXPECT_EQ(norm->m_rangeStart, 100);
        EXPECT_EQ(norm->m_rangeEnd, 121);
        QWidget* preview = Control<QWidget>(modal, 4096);
        const QImage before = preview->grab().toImage();
        QTest::mousePress(preview, Qt::LeftButton, {}, QPoint(240, 40));
        QTest::mouseMove(preview, QPoint(340, 60));
        QTest::mouseRelease(preview, Qt::LeftButton, {}, QPoint(440, 60));
        EXPECT_EQ(Edit(modal, kStartRow)->text(), "100");
        EXPECT_EQ(Edit(modal, kStartRow + 1)->text(), "200");
        Click(modal, qt::kIdApply);
        EXPECT_EQ(norm->m_rangeStart, 200);
        EXPECT_EQ(norm->m_rangeEnd, 401);
        EXPECT_NE(preview->grab().toImage(), before);
        Click(modal, qt::kIdOk);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(norm->m_startMs, 100);
    EXPECT_EQ(norm->m_endMs, 200);
    EXPECT_EQ(norm->m_rangeStart, -1);
}

TEST_F(AnalysisDialogsTest, SdDialogTakesTheDraggedRangeAsStartAndLength) {
    SignalDocument signal(604);
    auto* sd = Editing(signal, std::make_unique<CSDActDetFilter>());
    const int result = Run(*sd, [&](QWidget* modal) {
        EXPECT_EQ(Edit(modal, 1041)->text(), "302");
        EXPECT_EQ(Edit(modal, 1000)->text(), "2");
        EXPECT_FALSE(Edit(modal, 1038)->isReadOnly());
        QWidget* preview = Control<QWidget>(modal, 4096);
        QTest::mousePress(preview, Qt::LeftButton, {}, QPoint(440, 40));
        QTest::mouseRelease(preview, Qt::LeftButton, {}, QPoint(240, 90));
        EXPECT_EQ(Edit(modal, 1038)->text(), "100");
        EXPECT_EQ(Edit(modal, 1039)->text(), "100");
        Type(modal, 1000, "1.5");
        Click(modal, qt::kIdOk);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(sd->m_refStartMs, 100);
    EXPECT_EQ(sd->m_refLengthMs, 100);
    EXPECT_DOUBLE_EQ(sd->m_sdFactor, 1.5);
}

TEST_F(AnalysisDialogsTest, SdFactorRefusalNamesTheDecimalRange) {
    SignalDocument signal(2000);
    auto* sd = Editing(signal, std::make_unique<CSDActDetFilter>());
    MessageLog log;
    Run(*sd, [&](QWidget* modal) {
        ExpectRefused(modal, 1000, "0.001", log);
        Click(modal, qt::kIdCancel);
    });
    ASSERT_EQ(log.texts.size(), 1u);
    EXPECT_EQ(log.texts[0], "0.01 から 100 までの数値を入力してください。");
    EXPECT_DOUBLE_EQ(sd->m_sdFactor, 2.0);
}

TEST_F(AnalysisDialogsTest, ClipCheckBoxSwitchesToCutModeAndApplyDropsTheHighlight) {
    SignalDocument signal(2000);
    auto* clip = Editing(signal, std::make_unique<CClipFilter>());
    clip->m_startMs = 100;
    clip->m_endMs = 200;
    const int result = Run(*clip, [&](QWidget* modal) {
        EXPECT_EQ(Edit(modal, 1000)->text(), "100");
        EXPECT_EQ(Edit(modal, 1002)->text(), "200");
        EXPECT_EQ(Edit(modal, 1039)->text(), "1000");
        EXPECT_EQ(clip->m_rangeStart, 200);
        auto* cut = Control<QCheckBox>(modal, 1004);
        EXPECT_FALSE(cut->isChecked());
        Click(modal, 1004);
        Click(modal, qt::kIdApply);
        EXPECT_EQ(clip->m_cut, 1);
        EXPECT_EQ(clip->m_rangeStart, -1);
        Click(modal, qt::kIdOk);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(clip->m_cut, 1);
}

TEST_F(AnalysisDialogsTest, AmplitudeDetectorAcceptsItsRangesOnly) {
    SignalDocument signal(2000);
    auto* detector = Editing(signal, std::make_unique<CAActDetFilter>());
    MessageLog log;
    const int result = Run(*detector, [&](QWidget* modal) {
        EXPECT_EQ(modal->windowTitle(), QString::fromUtf8("自動活動抽出設定"));
        ExpectRefused(modal, 1002, "101", log);
        Type(modal, 1002, "100");
        Type(modal, 1000, "1");
        Click(modal, qt::kIdOk);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(log.texts, std::vector<std::string>{"1 から 100 までの整数を入力してください。"});
    EXPECT_EQ(detector->m_thresholdPercent, 1);
    EXPECT_EQ(detector->m_minDurationMs, 100);
}

TEST_F(AnalysisDialogsTest, ProbeDialogHasNoApplyAndTakesTheCheckBoxOnOk) {
    SignalDocument signal(2000);
    auto* probe = Editing(signal, std::make_unique<CDmyPipe>());
    const int result = Run(*probe, [&](QWidget* modal) {
        EXPECT_EQ(modal->windowTitle(), QString::fromUtf8("プローブ設定"));
        EXPECT_TRUE(Control<QWidget>(modal, qt::kIdApply)->isHidden());
        EXPECT_FALSE(Control<QCheckBox>(modal, 1002)->isChecked());
        Click(modal, 1002);
        Click(modal, qt::kIdOk);
    });
    EXPECT_EQ(result, 1);
    EXPECT_NE(probe->m_probeOn, 0);

    // Cancel leaves the flag as it was.
    Run(*probe, [&](QWidget* modal) {
        Click(modal, 1002);
        Click(modal, qt::kIdCancel);
    });
    EXPECT_NE(probe->m_probeOn, 0);
}

}  // namespace
}  // namespace tavrel::test
