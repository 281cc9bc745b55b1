// Pictures of the document dialogs, the progress window and the about box, for looking at them
// as a user would. Runs only when TAVREL_SCREENSHOT_DIR names the folder to write to.
#include <gtest/gtest.h>

#include <QDir>
#include <QTest>
#include <cstdlib>

#include "document/KaisekiDoc.h"
#include "gui/app/AboutDlg.h"
#include "gui/document/ChAssignDlg.h"
#include "gui/document/DataFileDlg.h"
#include "gui/document/DataSetDlg.h"
#include "gui/document/ExportSetDlg.h"
#include "gui/document/ProcSetDlg.h"
#include "gui/document/ProgressDlg.h"
#include "gui/platform/DialogLayout.h"
#include "support/ScriptedHost.h"

namespace tavrel::qt {

TEST(Screenshots, DocumentDialogs) {
    const char* dir = std::getenv("TAVREL_SCREENSHOT_DIR");
    if (!dir) GTEST_SKIP() << "set TAVREL_SCREENSHOT_DIR to write the screenshots";
    QDir out(QString::fromLocal8Bit(dir));
    out.mkpath(QStringLiteral("."));
    auto save = [&](QWidget* widget, const char* name) {
        widget->show();
        QTest::qWait(100);
        EXPECT_TRUE(widget->grab().save(out.filePath(QString::fromLatin1(name))));
        widget->hide();
    };
    tavrel::test::ScriptedHost host;
    CKaisekiDoc doc;
    doc.OnNewDocument();
    doc.m_channelEnabled[3] = 1;
    doc.m_dataFilePath = "/home/user/データ/emg-demo.csv";

    CProcSetDlg procSet(&doc);
    save(&procSet, "proc-set-dialog.png");

    CChAssignDlg assign;
    assign.m_doc = &doc;
    assign.OnInitDialog();
    save(&assign, "channel-assignment-dialog.png");

    CDataFileDlg dataFile;
    dataFile.m_headerRowsValue = 1;
    dataFile.m_skipColumnsValue = 1;
    dataFile.OnInitDialog();
    save(&dataFile, "data-file-dialog.png");

    CDataFileDlg recordingFile;
    recordingFile.m_recordingSignals = {"EMG biceps", "EMG triceps", "EMG deltoid", "ECG",
                                        "Force", "Trigger"};
    recordingFile.OnInitDialog();
    save(&recordingFile, "data-file-dialog-recording.png");

    CDataSetDlg dataSet;
    dataSet.m_rateChoice = 0;
    dataSet.m_unitChoice = 2;
    dataSet.m_rateValue = 2000;
    dataSet.m_factor = 1;
    dataSet.m_otherUnit = "µV";
    dataSet.OnInitDialog();
    save(&dataSet, "data-settings-dialog.png");

    CExportSetDlg exportSet;
    exportSet.OnInitDialog();
    save(&exportSet, "export-settings-dialog.png");

    CProgressDlg progress;
    progress.SetRange(0, 1000);
    progress.Step(420);
    save(&progress, "progress-window.png");

    CAboutDlg about;
    save(&about, "about-box.png");
}

}  // namespace tavrel::qt
