// Reading a document file's set-up without its data file, and the reason of a failure.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "document/KaisekiDoc.h"
#include "support/ScriptedHost.h"
#include "support/TempDir.h"

namespace tavrel {
namespace {

TEST(ReadDocumentFile, FailuresGiveAReasonAndANewDocumentWithoutTellingTheUser) {
    test::ScriptedHost host;
    test::TempDir dir;
    CKaisekiDoc doc;
    doc.OnNewDocument();
    const std::string truncated = doc.SaveToBytes().substr(0, 50);
    // /dev/zero never ends: it is refused once it passes any real document's size.
    const std::pair<std::string, std::string> cases[] = {
        {dir.File("missing.kcd"), std::strerror(ENOENT)},
        {dir.Path().string(), std::strerror(EISDIR)},
        {dir.Write("cut.kcd", truncated), "not a valid document ("},
        {"/dev/zero", "too large for a document (more than 64 MiB)"},
    };
    for (const auto& [path, expected] : cases) {
        doc.m_dataFilePath = "stale.csv";
        const auto loaded = doc.ReadDocumentFile(path);
        ASSERT_FALSE(loaded) << path;
        EXPECT_EQ(loaded.Error().substr(0, expected.size()), expected) << path;
        EXPECT_EQ(doc.m_chains.size(), 16u);
        EXPECT_TRUE(doc.m_dataFilePath.empty());
    }
    EXPECT_TRUE(host.messages.empty());
}

TEST(ReadDocumentFile, ReadsTheSetUpButNotTheDataFile) {
    test::ScriptedHost host;
    test::TempDir dir;
    CKaisekiDoc saved;
    saved.OnNewDocument();
    saved.m_dataFilePath = dir.File("absent.csv");
    saved.m_headerRows = 4;
    const std::string path = dir.Write("doc.kcd", saved.SaveToBytes());

    CKaisekiDoc doc;
    const auto loaded = doc.ReadDocumentFile(path);
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(loaded->hadChains);
    EXPECT_EQ(doc.m_dataFilePath, saved.m_dataFilePath);
    EXPECT_EQ(doc.m_headerRows, 4);
    EXPECT_EQ(doc.m_columns.size(), 16u);
    EXPECT_EQ(doc.m_rowCount, 0);
    // The absent data file was not looked for, so nobody was told about it.
    EXPECT_TRUE(host.messages.empty());
}

}  // namespace
}  // namespace tavrel
