// Pictures of every module settings dialog and of the processing-list editor over a recorded-like
// signal, for looking at them as a user would. Each dialog is opened the way the program opens
// it: the editor prepares the module and its EditSettings has the Qt host show the window. Runs
// only when TAVREL_SCREENSHOT_DIR names the folder to write to.
#include <gtest/gtest.h>

#include <QDir>
#include <QListWidget>
#include <cstdlib>

#include "DialogTestSupport.h"
#include "gui/pipeline/ChProcDlg.h"
#include "gui/pipeline/DialogTemplates.h"
#include "gui/pipeline/FilterDlgBase.h"
#include "gui/platform/QtHost.h"
#include "modules/analysis/AActDetFilter.h"
#include "modules/analysis/ClipFilter.h"
#include "modules/analysis/IntFilter.h"
#include "modules/analysis/SDActDetFilter.h"
#include "modules/filters/BPFilter.h"
#include "modules/filters/BSFilter.h"
#include "modules/filters/DiffFilter.h"
#include "modules/filters/DiodeFilter.h"
#include "modules/filters/FFTView.h"
#include "modules/filters/HPFilter.h"
#include "modules/filters/LPFilter.h"
#include "modules/filters/ReSmplFilter.h"
#include "modules/filters/SmothFilter.h"
#include "pipeline/DmyPipe.h"

namespace tavrel::test {
namespace {

// Two seconds at 2000 Hz of a muscle-like recording: baseline noise with two bursts.
void FillBursts(CKaisekiDoc& doc) {
    unsigned state = 2024u;
    auto noise = [&] {
        state = state * 1103515245u + 12345u;
        return static_cast<double>((state >> 16) & 0x7FFF) / 16384.0 - 1.0;
    };
    std::vector<double>& column = doc.m_columns[0];
    column.clear();
    const int rows = 4000;
    for (int i = 0; i < rows; ++i) {
        const double t = i / 2000.0;
        double envelope = 0.04;
        if (t > 0.55 && t < 0.95) envelope += std::sin((t - 0.55) / 0.4 * M_PI);
        if (t > 1.35 && t < 1.65) envelope += 0.6 * std::sin((t - 1.35) / 0.3 * M_PI);
        column.push_back(envelope * noise() + 0.1 * std::sin(2 * M_PI * 3 * t));
    }
    doc.m_rowCount = rows;
}

class ModuleDialogScreenshots : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* dir = std::getenv("TAVREL_SCREENSHOT_DIR");
        if (!dir) GTEST_SKIP() << "set TAVREL_SCREENSHOT_DIR to write the screenshots";
        out = QDir(QString::fromLocal8Bit(dir));
        out.mkpath(QStringLiteral("."));
        qt::InstallModuleDialogs(qtHost);
        FillBursts(signal.doc);
    }
    // Opens the dialog of a module placed alone behind the head as the editor does, saves its
    // picture and cancels it; the module is kept for the editor's picture.
    template <class M>
    M* Shoot(std::unique_ptr<M> owned, const char* name, std::function<void(M&)> setUp = {}) {
        M* module = signal.Append(std::move(owned));
        if (setUp) setUp(*module);
        SignalDocument::StartEditing(*module);
        bool shot = false;
        WhenModalOpens([&](QWidget* modal) {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(modal));
            QTest::qWait(50);
            shot = modal->grab().save(out.filePath(QString::fromLatin1(name)));
            Click(modal, qt::kIdCancel);
        });
        module->EditSettings();
        EXPECT_TRUE(shot) << name;
        module->m_editing = 0;
        module->ClearBuffers();
        CModBase::RemoveModuleAt(signal.Head(), 1);
        shown.emplace_back(module);
        return module;
    }

    QDir out;
    qt::QtHost qtHost;
    SignalDocument signal{16};
    std::vector<std::unique_ptr<CModBase>> shown;
};

TEST_F(ModuleDialogScreenshots, EveryModuleDialogAndTheEditor) {
    Shoot(std::make_unique<CDmyPipe>(), "probe-dialog.png");
    Shoot<CClipFilter>(std::make_unique<CClipFilter>(), "clip-dialog.png", [](CClipFilter& m) {
        m.m_startMs = 500;
        m.m_endMs = 1000;
    });
    Shoot(std::make_unique<CDiodeFilter>(), "rectifier-dialog.png");
    Shoot(std::make_unique<CReSmplFilter>(), "decimation-dialog.png");
    Shoot(std::make_unique<CSmothFilter>(), "moving-average-dialog.png");
    Shoot(std::make_unique<CLPFilter>(), "low-pass-dialog.png");
    Shoot(std::make_unique<CHPFilter>(), "high-pass-dialog.png");
    Shoot(std::make_unique<CBPFilter>(), "band-pass-dialog.png");
    Shoot(std::make_unique<CBSFilter>(), "band-stop-dialog.png");
    Shoot(std::make_unique<CDiffFilter>(), "differentiator-dialog.png");
    Shoot<CIntFilter>(std::make_unique<CIntFilter>(), "integrator-dialog.png", [](CIntFilter& m) {
        m.m_startMs = 550;
        m.m_endMs = 950;
    });
    Shoot(std::make_unique<CAActDetFilter>(), "amplitude-detector-dialog.png");
    Shoot<CSDActDetFilter>(std::make_unique<CSDActDetFilter>(), "sd-detector-dialog.png",
                           [](CSDActDetFilter& m) {
                               m.m_refStartMs = 100;
                               m.m_refLengthMs = 300;
                           });
    Shoot<CFFTViewFilter>(std::make_unique<CFFTViewFilter>(), "fft-dialog.png",
                          [](CFFTViewFilter& m) { m.m_start = 1100; });

    // The editor over a chain of every module shown, with an entry selected.
    for (auto& module : shown)
        CModBase::AppendModule(signal.Head(), module.release());
    qt::CChProcDlg editor(nullptr, signal.Head(), 0);
    editor.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&editor));
    qt::Control<QListWidget>(&editor, 1036)->setCurrentRow(5);
    QTest::qWait(50);
    EXPECT_TRUE(editor.grab().save(out.filePath(QStringLiteral("processing-list-editor.png"))));
}

}  // namespace
}  // namespace tavrel::test
