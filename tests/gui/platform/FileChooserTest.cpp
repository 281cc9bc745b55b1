// The file questions as Qt's file dialog shows them. Every other GUI test answers the questions
// through a scripted chooser; this is the one place the real dialog opens.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <algorithm>

#include "gui/document/ModalHelper.h"
#include "gui/platform/FileChooser.h"
#include "gui/platform/Translation.h"
#include "support/TempDir.h"

using tavrel::qt::FileQuestion;

TEST(FileChooser, OpenAndSaveQuestionsSetUpTheDialog) {
    QFileDialog open;
    FileQuestion question;
    question.title = QStringLiteral("開く");
    question.filters = {QStringLiteral("Tavrel ﾌｧｲﾙ (*.kcd)"), QStringLiteral("All Files (*)")};
    tavrel::qt::PrepareFileDialog(open, question);
    EXPECT_EQ(open.windowTitle(), QStringLiteral("開く"));
    EXPECT_EQ(open.acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(open.fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(open.nameFilters(), question.filters);
    EXPECT_EQ(open.selectedNameFilter(), question.filters[0]);

    QFileDialog save;
    question.kind = FileQuestion::Kind::Save;
    question.defaultSuffix = QStringLiteral("kcd");
    tavrel::qt::PrepareFileDialog(save, question);
    EXPECT_EQ(save.acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(save.fileMode(), QFileDialog::AnyFile);
    EXPECT_EQ(save.defaultSuffix(), QStringLiteral("kcd"));
    EXPECT_FALSE(save.testOption(QFileDialog::DontConfirmOverwrite));
}

// Questions without a title of their own (the data file, the export) get the program's words, and
// in Japanese Qt's own texts of the dialog are Japanese too.
TEST(FileChooser, UntitledQuestionsAndQtsOwnTextsAreJapanese) {
    ASSERT_TRUE(tavrel::qt::InstallLanguage(tavrel::qt::Language::Japanese));
    QFileDialog open;
    FileQuestion question;
    tavrel::qt::PrepareFileDialog(open, question);
    EXPECT_EQ(open.windowTitle(), QStringLiteral("開く"));
    QFileDialog save;
    question.kind = FileQuestion::Kind::Save;
    tavrel::qt::PrepareFileDialog(save, question);
    EXPECT_EQ(save.windowTitle(), QStringLiteral("名前を付けて保存"));
    // Qt's translation of its own dialogs (qt6-translations-l10n) is in use.
    for (const char* text : {"File &name:", "Look in:"}) {
        const QString shown = QCoreApplication::translate("QFileDialog", text);
        EXPECT_TRUE(std::any_of(shown.begin(), shown.end(), [](QChar c) {
            return c.unicode() >= 0x3000;
        })) << shown.toStdString();
    }
}

TEST(FileChooser, TheRealDialogOpensInTheProposedFolderAndAsksBeforeReplacing) {
    tavrel::test::TempDir dir;
    const QString target = QString::fromStdString(dir.Write("out.csv", "old"));
    FileQuestion question;
    question.kind = FileQuestion::Kind::Save;
    question.proposed = target;
    question.filters = {QStringLiteral("Data Files (*.csv)"), QStringLiteral("All Files (*)")};
    question.defaultSuffix = QStringLiteral("csv");

    QString folder;
    QStringList filters;
    QString replaceQuestion;
    tavrel::test::OnNextModal([&](QWidget* w) {
        auto* files = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(files, nullptr);
        folder = files->directory().absolutePath();
        filters = files->nameFilters();
        tavrel::test::OnNextModal(
            [&](QWidget* box) {
                auto* message = qobject_cast<QMessageBox*>(box);
                ASSERT_NE(message, nullptr);
                replaceQuestion = message->text();
                message->button(QMessageBox::Yes)->click();
            },
            files);
        static_cast<QDialog*>(files)->accept();  // the dialog's own accept, as its button does
    });
    tavrel::qt::FileAnswer answer = tavrel::qt::ChooseFile(nullptr, question);

    EXPECT_EQ(folder, QFileInfo(target).absolutePath());
    EXPECT_EQ(filters, question.filters);
    EXPECT_TRUE(replaceQuestion.contains(QStringLiteral("out.csv")))
        << replaceQuestion.toStdString();
    EXPECT_EQ(answer.path, target);
    EXPECT_EQ(answer.filter, question.filters[0]);
}
