// The document commands: the save question before new and open, save / save as, opening a file
// that cannot be read, and the recent-file list across a restart.
#include <gtest/gtest.h>

#include <QSignalSpy>

#include "document/KaisekiDoc.h"
#include "gui/document/DocumentCommands.h"
#include "support/ScriptedHost.h"
#include "support/TempDir.h"

using tavrel::CKaisekiDoc;
using tavrel::qt::DocumentCommands;
using tavrel::qt::RecentFileList;
using Answer = DocumentCommands::SaveAnswer;

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

struct Fixture {
    tavrel::test::TempDir dir;
    tavrel::test::ScriptedHost host;
    CKaisekiDoc doc;
    std::unique_ptr<DocumentCommands> commands;
    std::vector<QString> questions;
    Answer answer = Answer::Cancel;
    QString savePath;

    Fixture() {
        doc.OnNewDocument();
        MakeCommands();
    }
    void MakeCommands() {
        commands = std::make_unique<DocumentCommands>(
            doc, std::make_unique<RecentFileList>(Q(dir.File("settings.ini"))));
        commands->askSaveChanges = [this](const QString& title) {
            questions.push_back(title);
            return answer;
        };
        commands->askSavePath = [this](const QString&) { return savePath; };
        commands->askOpenPath = [] { return QString(); };
    }
};

}  // namespace

TEST(DocumentCommands, SaveOpenNewCycleAsksOnlyForModifiedDocuments) {
    Fixture f;
    EXPECT_EQ(f.commands->WindowTitle(), QStringLiteral("無題 - Tavrel"));

    // An unmodified document is replaced without a question.
    EXPECT_TRUE(f.commands->OnFileNew());
    EXPECT_TRUE(f.questions.empty());

    // Modified, the question comes; cancelling keeps the document as it is.
    f.doc.m_channelEnabled[3] = 1;
    f.doc.SetModifiedFlag();
    f.answer = Answer::Cancel;
    EXPECT_FALSE(f.commands->OnFileNew());
    ASSERT_EQ(f.questions.size(), 1u);
    EXPECT_EQ(f.questions[0], QStringLiteral("無題"));
    EXPECT_EQ(f.doc.m_channelEnabled[3], 1);
    EXPECT_TRUE(f.doc.IsModified());

    // "Save" on an untitled document asks for a name and writes the file, then goes on.
    f.answer = Answer::Save;
    f.savePath = Q(f.dir.File("first.kcd"));
    QSignalSpy titles(f.commands.get(), &DocumentCommands::titleChanged);
    EXPECT_TRUE(f.commands->OnFileNew());
    EXPECT_EQ(f.doc.m_channelEnabled[3], 0);  // a new document
    EXPECT_FALSE(f.doc.IsModified());
    EXPECT_FALSE(tavrel::test::ReadFileBytes(f.dir.File("first.kcd")).empty());
    ASSERT_GE(titles.count(), 1);
    EXPECT_EQ(titles.last().at(0).toString(), QStringLiteral("無題 - Tavrel"));

    // The saved set-up opens again; the title names the file.
    EXPECT_TRUE(f.commands->OpenDocumentFile(Q(f.dir.File("first.kcd"))));
    EXPECT_EQ(f.doc.m_channelEnabled[3], 1);
    EXPECT_FALSE(f.doc.IsModified());
    EXPECT_EQ(f.commands->WindowTitle(), QStringLiteral("first.kcd - Tavrel"));

    // Modified again and discarded: the open goes ahead without writing.
    f.doc.m_channelEnabled[5] = 1;
    f.doc.SetModifiedFlag();
    f.answer = Answer::Discard;
    EXPECT_TRUE(f.commands->OpenDocumentFile(Q(f.dir.File("first.kcd"))));
    EXPECT_EQ(f.doc.m_channelEnabled[5], 0);
    EXPECT_EQ(f.questions.back(), QStringLiteral("first.kcd"));

    // Save writes to the document's own file without asking for a name.
    f.savePath.clear();
    f.doc.m_headerRows = 7;
    f.doc.SetModifiedFlag();
    EXPECT_TRUE(f.commands->OnFileSave());
    EXPECT_FALSE(f.doc.IsModified());
    f.doc.m_headerRows = 0;
    EXPECT_TRUE(f.commands->OpenDocumentFile(Q(f.dir.File("first.kcd"))));
    EXPECT_EQ(f.doc.m_headerRows, 7);
}

TEST(DocumentCommands, SaveAsCancelledKeepsTheDocumentModified) {
    Fixture f;
    f.doc.SetModifiedFlag();
    f.savePath.clear();  // the file dialog is cancelled
    f.answer = Answer::Save;
    EXPECT_FALSE(f.commands->OnFileNew());
    EXPECT_TRUE(f.doc.IsModified());
    EXPECT_TRUE(f.commands->Recent().Files().isEmpty());
}

// A file that cannot be read, a damaged document and a truncated one are reported; the document
// open before stays as it was, with its data, path and modified flag.
TEST(DocumentCommands, UnreadableFileIsReportedAndLeavesTheCurrentDocumentAsItWas) {
    Fixture f;
    f.doc.m_channelEnabled[2] = 1;
    f.savePath = Q(f.dir.File("current.kcd"));
    ASSERT_TRUE(f.commands->OnFileSaveAs());
    const std::string good = f.doc.SaveToBytes();
    f.doc.m_dataFilePath = f.dir.Write("data.csv", "1\n2\n3\n");
    ASSERT_TRUE(f.doc.LoadDataFile(f.doc.m_rowLimit, nullptr));
    ASSERT_EQ(f.doc.m_rowCount, 3);
    f.doc.SetModifiedFlag();
    f.answer = Answer::Discard;
    const std::vector<std::string> bad{f.dir.Write("bad.kcd", "not a document"),
                                       f.dir.Write("cut.kcd", good.substr(0, good.size() / 2)),
                                       f.dir.File("missing.kcd")};
    for (const std::string& path : bad) {
        SCOPED_TRACE(path);
        f.host.messages.clear();
        EXPECT_FALSE(f.commands->OpenDocumentFile(Q(path)));
        ASSERT_EQ(f.host.messages.size(), 1u);
        EXPECT_EQ(f.host.messages[0], "ドキュメントを開くことができません。\n" + path);
        EXPECT_EQ(f.doc.m_channelEnabled[2], 1);
        EXPECT_EQ(f.doc.m_rowCount, 3);
        EXPECT_TRUE(f.doc.IsModified());
        EXPECT_EQ(f.commands->WindowTitle(), QStringLiteral("current.kcd - Tavrel"));
    }
    EXPECT_EQ(f.commands->Recent().Files(), QStringList{Q(f.dir.File("current.kcd"))});
}

TEST(DocumentCommands, RecentFilesKeepFourAndSurviveARestart) {
    Fixture f;
    QStringList saved;
    for (int i = 0; i < 5; ++i) {
        QString path = Q(f.dir.File("doc" + std::to_string(i) + ".kcd"));
        f.savePath = path;
        ASSERT_TRUE(f.commands->OnFileSaveAs());
        saved << path;
    }
    // Reopening an entry moves it to the front instead of adding it twice.
    ASSERT_TRUE(f.commands->OpenDocumentFile(saved[2]));
    QStringList expected{saved[2], saved[4], saved[3], saved[1]};
    EXPECT_EQ(f.commands->Recent().Files(), expected);

    // A new program run reads the same list from the settings store.
    f.commands.reset();
    f.MakeCommands();
    EXPECT_EQ(f.commands->Recent().Files(), expected);

    // An entry whose file has gone is dropped when it fails to open.
    std::filesystem::remove(saved[4].toStdString());
    EXPECT_FALSE(f.commands->OpenDocumentFile(saved[4]));
    EXPECT_EQ(f.commands->Recent().Files(), (QStringList{saved[2], saved[3], saved[1]}));
}

TEST(DocumentCommands, RelativeNamesAreKeptAsFullPaths) {
    Fixture f;
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(f.dir.Path());
    f.savePath = QStringLiteral("relative.kcd");
    const bool saved = f.commands->OnFileSaveAs();
    const bool opened = f.commands->OpenDocumentFile(QStringLiteral("relative.kcd"));
    std::filesystem::current_path(before);
    ASSERT_TRUE(saved);
    ASSERT_TRUE(opened);

    // Started elsewhere, the recent entry and "上書き保存" still name the same file.
    const QString full = Q(f.dir.File("relative.kcd"));
    EXPECT_EQ(f.commands->Recent().Files(), QStringList{full});
    EXPECT_EQ(Q(f.doc.GetPathName()), full);
    f.doc.SetModifiedFlag();
    EXPECT_TRUE(f.commands->OnFileSave());
    EXPECT_FALSE(f.doc.IsModified());
    EXPECT_FALSE(std::filesystem::exists(before / "relative.kcd"));
}
