// The processed-data export as the user meets it: the file-save dialog proposes "処理済" + the
// data file's name with the CSV filter and asks before replacing a file, then the export settings
// dialog opens with a header line and no number column; cancelling either writes nothing.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>

#include "document/KaisekiDoc.h"
#include "gui/app/KaisekiApp.h"
#include "gui/document/ExportSetDlg.h"
#include "gui/document/ModalHelper.h"
#include "gui/platform/DialogLayout.h"
#include "gui/platform/QtHost.h"
#include "support/TempDir.h"

using tavrel::CKaisekiDoc;
using tavrel::qt::Control;
using tavrel::qt::CExportSetDlg;
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
            doc.LoadDataFile();
        }
    }
};

}  // namespace

TEST(ExportCommand, ProposesTheNameAsksBeforeReplacingAndWritesWithTheChosenSettings) {
    ExportFixture f;
    ASSERT_EQ(f.doc.m_rowCount, 2);
    const std::string target = f.dir.Write("out.csv", "old contents");

    QString proposed;
    QStringList filters;
    QString suffix;
    bool confirmsOverwrite = false;
    QString question;
    bool settingsOpened = false;
    OnNextModal([&](QWidget* w) {
        auto* files = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(files, nullptr);
        if (!files->selectedFiles().isEmpty()) proposed = files->selectedFiles().first();
        filters = files->nameFilters();
        suffix = files->defaultSuffix();
        confirmsOverwrite = !files->testOption(QFileDialog::DontConfirmOverwrite);
        // Replacing the existing file is asked first ...
        OnNextModal(
            [&](QWidget* box) {
                auto* message = qobject_cast<QMessageBox*>(box);
                ASSERT_NE(message, nullptr);
                question = message->text();
                // ... and then the export settings follow.
                OnNextModal(
                    [&](QWidget* settings) {
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
                    },
                    box);
                message->button(QMessageBox::Yes)->click();
            },
            files);
        files->selectFile(QString::fromStdString(target));
        static_cast<QDialog*>(files)->accept();  // the dialog's own accept, as its button does
    });
    f.doc.ExportProcessedData();

    EXPECT_TRUE(proposed.endsWith(QStringLiteral("/処理済run1.csv"))) << proposed.toStdString();
    EXPECT_EQ(filters, QStringList({QStringLiteral("Data Files (*.csv)"),
                                    QStringLiteral("All Files (*)")}));
    EXPECT_EQ(suffix, QStringLiteral("csv"));
    EXPECT_TRUE(confirmsOverwrite);
    EXPECT_TRUE(question.contains(QStringLiteral("out.csv"))) << question.toStdString();
    EXPECT_TRUE(settingsOpened);
    EXPECT_EQ(tavrel::test::ReadFileBytes(target),
              "Time([ms]),CH1([mV]),CH2([mV])\r\n0,1,2\r\n0.5,3,4\r\n");
}

TEST(ExportCommand, CancellingEitherDialogWritesNothing) {
    // Without a data file the proposal is "Untitled"; cancelling the file dialog ends the command.
    {
        ExportFixture f(false);
        QString proposed;
        OnNextModal([&](QWidget* w) {
            auto* files = qobject_cast<QFileDialog*>(w);
            ASSERT_NE(files, nullptr);
            proposed = files->selectedFiles().value(0);
            files->reject();
        });
        f.doc.ExportProcessedData();
        // The default extension completes the proposal.
        EXPECT_TRUE(proposed.endsWith(QStringLiteral("/Untitled.csv"))) << proposed.toStdString();
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
    // A new file chosen, then the settings cancelled: the file is not created.
    {
        ExportFixture f;
        const std::string target = f.dir.File("new.csv");
        bool settingsCancelled = false;
        OnNextModal([&](QWidget* w) {
            auto* files = qobject_cast<QFileDialog*>(w);
            ASSERT_NE(files, nullptr);
            OnNextModal(
                [&](QWidget* settings) {
                    auto* dialog = qobject_cast<CExportSetDlg*>(settings);
                    ASSERT_NE(dialog, nullptr);
                    Control<QPushButton>(dialog, 2)->click();
                    settingsCancelled = true;
                },
                files);
            files->selectFile(QString::fromStdString(target));
            static_cast<QDialog*>(files)->accept();  // the dialog's own accept, as its button does
        });
        f.doc.ExportProcessedData();
        EXPECT_TRUE(settingsCancelled);
        EXPECT_FALSE(std::filesystem::exists(target));
    }
}
