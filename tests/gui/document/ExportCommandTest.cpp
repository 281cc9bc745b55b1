// The processed-data export as the user meets it: the file-save question proposes "処理済" + the
// data file's name with the CSV filter, then the export settings
// dialog opens with a header line and no number column; cancelling either writes nothing.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>

#include "document/ExportWriter.h"
#include "document/KaisekiDoc.h"
#include "gui/app/KaisekiApp.h"
#include "gui/document/ExportSetDlg.h"
#include "gui/document/ModalHelper.h"
#include "gui/platform/DialogLayout.h"
#include "gui/platform/QtHost.h"
#include "gui/platform/ScriptedFileChooser.h"
#include "support/Loading.h"
#include "support/TempDir.h"

using tavrel::CKaisekiDoc;
using tavrel::qt::CExportSetDlg;
using tavrel::qt::Control;
using tavrel::test::OnNextModal;

namespace {

struct ExportFixture {
    tavrel::test::TempDir dir;
    tavrel::qt::QtHost host;
    CKaisekiDoc doc;

    explicit ExportFixture(bool withData = true) {
        tavrel::qt::InstallDialogs(host);
        doc.OnNewDocument();
        if (withData) {
            doc.m_dataFilePath = dir.Write("run1.csv", "1,2\r\n3,4\r\n");
            EXPECT_TRUE(tavrel::test::LoadDataFile(doc));
        }
    }
};

}  // namespace

TEST(ExportCommand, ProposesTheNameAsksBeforeReplacingAndWritesWithTheChosenSettings) {
    ExportFixture f;
    ASSERT_EQ(f.doc.m_rowCount, 2);
    const std::string target = f.dir.Write("out.csv", "old contents");
    tavrel::test::ScriptedFileChooser files;
    files.Answer(QString::fromStdString(target));

    bool settingsOpened = false;
    OnNextModal([&](QWidget* settings) {
        auto* dialog = qobject_cast<CExportSetDlg*>(settings);
        ASSERT_NE(dialog, nullptr);
        settingsOpened = true;
        auto* header = Control<QCheckBox>(dialog, CExportSetDlg::kHeaderCheck);
        auto* number = Control<QCheckBox>(dialog, CExportSetDlg::kNumberCheck);
        auto* serial = Control<QRadioButton>(dialog, CExportSetDlg::kSerialRadio);
        auto* time = Control<QRadioButton>(dialog, CExportSetDlg::kTimeRadio);
        EXPECT_TRUE(header->isChecked());
        EXPECT_FALSE(number->isChecked());
        EXPECT_TRUE(serial->isChecked());
        EXPECT_TRUE(time->isEnabled());
        number->click();
        time->click();
        Control<QPushButton>(dialog, 1)->click();
    });
    ExportProcessedData(f.doc);

    // A save question (which asks before replacing a file) with the proposed name and filters.
    ASSERT_EQ(files.questions.size(), 1u);
    const tavrel::qt::FileQuestion& question = files.questions[0];
    EXPECT_EQ(question.kind, tavrel::qt::FileQuestion::Kind::Save);
    EXPECT_EQ(question.proposed, QStringLiteral("処理済run1.csv"));
    EXPECT_EQ(question.filters,
              QStringList({QStringLiteral("Data Files (*.csv)"), QStringLiteral("All Files (*)")}));
    EXPECT_EQ(question.defaultSuffix, QStringLiteral("csv"));
    EXPECT_TRUE(settingsOpened);
    EXPECT_EQ(tavrel::test::ReadFileBytes(target),
              "Time([ms]),CH1([mV]),CH2([mV])\r\n0,1,2\r\n0.5,3,4\r\n");

    // The time column per channel is off until the user ticks it.
    files.Answer(QString::fromStdString(target));
    OnNextModal([&](QWidget* settings) {
        auto* perChannel = Control<QCheckBox>(settings, CExportSetDlg::kPerChannelTimeCheck);
        ASSERT_NE(perChannel, nullptr);
        EXPECT_FALSE(perChannel->isChecked());
        EXPECT_EQ(perChannel->text(), QStringLiteral("チャネルごとに時間列"));
        perChannel->click();
        Control<QPushButton>(settings, 1)->click();
    });
    ExportProcessedData(f.doc);
    EXPECT_EQ(tavrel::test::ReadFileBytes(target),
              "CH1 time [ms],CH1([mV]),CH2 time [ms],CH2([mV])\r\n0,1,0,2\r\n0.5,3,0.5,4\r\n");
}

TEST(ExportCommand, CancellingEitherDialogWritesNothing) {
    // Without a data file the proposal is "Untitled"; cancelling the file question ends the
    // command before the settings dialog.
    {
        ExportFixture f(false);
        tavrel::test::ScriptedFileChooser files;
        ExportProcessedData(f.doc);
        ASSERT_EQ(files.questions.size(), 1u);
        EXPECT_EQ(files.questions[0].proposed, QStringLiteral("Untitled"));
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
    // A new file chosen, then the settings cancelled: the file is not created.
    {
        ExportFixture f;
        const std::string target = f.dir.File("new.csv");
        tavrel::test::ScriptedFileChooser files;
        files.Answer(QString::fromStdString(target));
        bool settingsCancelled = false;
        OnNextModal([&](QWidget* settings) {
            auto* dialog = qobject_cast<CExportSetDlg*>(settings);
            ASSERT_NE(dialog, nullptr);
            Control<QPushButton>(dialog, 2)->click();
            settingsCancelled = true;
        });
        ExportProcessedData(f.doc);
        EXPECT_TRUE(settingsCancelled);
        EXPECT_FALSE(std::filesystem::exists(target));
    }
}
