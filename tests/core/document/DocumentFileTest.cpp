#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "document/KaisekiDoc.h"
#include "platform/Archive.h"
#include "support/Loading.h"
#include "support/ScriptedHost.h"
#include "support/TempDir.h"

namespace tavrel {
namespace {

std::string NewDocumentBytes() {
    CKaisekiDoc doc;
    doc.OnNewDocument();
    return doc.SaveToBytes();
}

std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values)
        s += static_cast<char>(v);
    return s;
}

TEST(DocumentFile, NewDocumentIsExactly430Bytes) {
    std::string b = NewDocumentBytes();
    ASSERT_EQ(b.size(), 430u);

    std::string expected = Bytes({0x10, 0x00, 0x01});
    expected += std::string(15, '\0');
    expected += Bytes({0x10, 0x00, 0xFF, 0xFF, 0x01, 0x00, 0x0B, 0x00}) + "CHeadFilter";
    expected +=
        "\x0A"
        "HeadFilter" +
        Bytes({0xD0, 0x07, 0, 0, 0, 0, 0, 0, 0, 0});
    for (int i = 1; i < 16; ++i) {
        expected += Bytes({0x01, 0x80}) +
                    "\x0A"
                    "HeadFilter" +
                    Bytes({0xD0, 0x07, 0, 0, 0, 0, i, 0, 0, 0});
    }
    expected += Bytes({0x10, 0x00});
    for (int i = 0; i < 16; ++i)
        expected += static_cast<char>(i);
    expected += std::string(9, '\0');
    EXPECT_EQ(b, expected);
}

TEST(DocumentFile, ChainModuleIntroducesItsClassWithIndexThree) {
    CKaisekiDoc doc;
    doc.OnNewDocument();
    auto* module = new CModBase;
    CModBase::AppendModule(doc.Head(0), module);
    std::string b = doc.SaveToBytes();
    // Head class (index 1), head object (2), then the module's class: index 3.
    std::size_t at = 2 + 16 + 2 + 6 + 11 + 11 + 4;
    EXPECT_EQ(b.substr(at, 6), Bytes({0xFF, 0xFF, 0x01, 0x00, 0x08, 0x00}));
    EXPECT_EQ(b.substr(at + 6, 8), "CModBase");
    // Its name, rate, the null tag, then the head's m_channel; the second head refers to 01 80.
    std::size_t afterModule = at + 14 + 1 + 12 + 4 + 2;
    EXPECT_EQ(b.substr(afterModule, 4), Bytes({0, 0, 0, 0}));
    EXPECT_EQ(b.substr(afterModule + 4, 2), Bytes({0x01, 0x80}));

    CKaisekiDoc loaded;
    loaded.LoadFromBytes(b);
    CModBase* m = loaded.Head(0)->m_next;
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->m_name, "ベースクラス");
    EXPECT_EQ(m->m_prev, loaded.Head(0));
    EXPECT_EQ(m->m_doc, &loaded);
    EXPECT_EQ(m->m_next, nullptr);
    EXPECT_EQ(loaded.SaveToBytes(), b);
}

TEST(DocumentFile, LongPathUsesTheWordLengthPrefix) {
    CKaisekiDoc doc;
    doc.OnNewDocument();
    doc.m_dataFilePath = std::string(300, 'p');
    std::string b = doc.SaveToBytes();
    EXPECT_EQ(b.substr(430 - 9, 3), Bytes({0xFF, 0x2C, 0x01}));
}

TEST(DocumentFile, SaveAndLoadRestoresTheSetUp) {
    CKaisekiDoc doc;
    doc.OnNewDocument();
    doc.m_channelEnabled[3] = 1;
    doc.m_channelSource[2] = 7;
    doc.m_channelSource[5] = 255;
    doc.m_dataFilePath = "/data/測定 1.csv";
    doc.m_headerRows = 3;
    doc.m_skipColumns = 2;
    doc.Head(4)->m_samplingRate = 1000;
    doc.Head(4)->m_unit = "V";
    std::string b = doc.SaveToBytes();

    CKaisekiDoc loaded;
    loaded.LoadFromBytes(b);
    EXPECT_EQ(loaded.m_channelEnabled, doc.m_channelEnabled);
    EXPECT_EQ(loaded.m_channelSource, doc.m_channelSource);
    EXPECT_EQ(loaded.m_dataFilePath, "/data/測定 1.csv");
    EXPECT_EQ(loaded.m_headerRows, 3);
    EXPECT_EQ(loaded.m_skipColumns, 2);
    EXPECT_EQ(loaded.Head(4)->m_samplingRate, 1000);
    EXPECT_EQ(loaded.Head(4)->m_unit, "mV");  // units are not stored
    EXPECT_EQ(loaded.Head(15)->m_channel, 15);
}

TEST(DocumentFile, PathWithoutShiftJisFormSurvivesTheRoundTrip) {
    CKaisekiDoc doc;
    doc.OnNewDocument();
    doc.m_dataFilePath = "/home/zoë/Ελληνικά.csv";
    CKaisekiDoc loaded;
    loaded.LoadFromBytes(doc.SaveToBytes());
    EXPECT_EQ(loaded.m_dataFilePath, doc.m_dataFilePath);
}

TEST(DocumentFile, LoadedHeadKeepsItsStoredChannel) {
    CKaisekiDoc doc;
    doc.OnNewDocument();
    doc.Head(2)->m_channel = 9;
    CKaisekiDoc loaded;
    loaded.LoadFromBytes(doc.SaveToBytes());
    EXPECT_EQ(loaded.Head(2)->m_channel, 9);
}

class OpenTest : public ::testing::Test {
  protected:
    std::string Write(const std::string& bytes) {
        return dir.Write("open_" + std::to_string(counter++) + ".kcd", bytes);
    }
    test::TempDir dir;
    // Opens the bytes and expects a refusal that leaves a fresh document.
    void ExpectRefused(const std::string& bytes) {
        CKaisekiDoc doc;
        doc.OnNewDocument();
        doc.m_dataFilePath = "x";
        EXPECT_FALSE(test::OpenDocument(doc, Write(bytes)));
        EXPECT_EQ(doc.m_chains.size(), 16u);
        EXPECT_EQ(doc.m_channelSource.size(), 16u);
        EXPECT_TRUE(doc.m_dataFilePath.empty());
        EXPECT_EQ(doc.Head(0)->m_next, nullptr);
    }

    test::ScriptedHost host;
    int counter = 0;
};

TEST_F(OpenTest, NewDocumentOpensAgain) {
    CKaisekiDoc doc;
    EXPECT_TRUE(test::OpenDocument(doc, Write(NewDocumentBytes())));
    EXPECT_EQ(doc.m_chains.size(), 16u);
    EXPECT_EQ(doc.m_columns.size(), 16u);
    EXPECT_EQ(doc.m_rowCount, 0);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(OpenTest, TruncatedFilesAreRefusedAtEveryOffset) {
    CKaisekiDoc doc;
    doc.OnNewDocument();
    CModBase::AppendModule(doc.Head(0), new CModBase);
    std::string b = doc.SaveToBytes();
    for (std::size_t n = 0; n < b.size(); ++n) {
        CKaisekiDoc partial;
        EXPECT_THROW(partial.LoadFromBytes(b.substr(0, n)), ArchiveError) << n;
        EXPECT_TRUE(partial.m_chains.empty());
    }
    ExpectRefused(b.substr(0, 100));
}

TEST_F(OpenTest, MissingFileIsRefused) {
    CKaisekiDoc doc;
    EXPECT_FALSE(test::OpenDocument(doc, "/nonexistent/dir/x.kcd"));
    EXPECT_EQ(doc.m_chains.size(), 16u);
}

TEST_F(OpenTest, WrongSchemaUnknownClassAndNonHeadRootsAreRefused) {
    std::string b = NewDocumentBytes();
    std::string schema = b;
    schema[22] = 2;  // schema word of the CHeadFilter class introduction
    ExpectRefused(schema);

    std::string unknown = b;
    unknown[26] = 'X';  // "CXeadFilter"
    ExpectRefused(unknown);

    // A chain whose root is a plain module, not a head.
    std::string root = Bytes({0x10, 0x00}) + std::string(16, '\0') + Bytes({0x01, 0x00}) +
                       Bytes({0xFF, 0xFF, 0x01, 0x00, 0x08, 0x00}) + "CModBase" +
                       "\x01"
                       "x" +
                       Bytes({0, 0, 0, 0, 0, 0}) + Bytes({0x10, 0x00}) + std::string(16, '\0') +
                       std::string(9, '\0');
    ExpectRefused(root);
}

TEST_F(OpenTest, ReferencesToUnseenOrEarlierObjectsAreRefused) {
    std::string b = NewDocumentBytes();
    // Second head refers to class index 5, which has not appeared.
    std::string unseen = b;
    unseen[20 + 38] = 0x05;
    ExpectRefused(unseen);

    // Head 0's next module is a reference to head 0 itself (object index 2): a cycle.
    std::string cycle = b;
    cycle[20 + 6 + 11 + 11 + 4] = 0x02;
    ExpectRefused(cycle);

    // The second chain is a reference to the first head: a chain shared by two channels.
    std::string shared = b.substr(0, 20 + 38) + Bytes({0x02, 0x00}) + b.substr(20 + 38 + 23);
    ExpectRefused(shared);
}

TEST_F(OpenTest, HugeCountsAndLengthsAreRefusedWithoutAllocating) {
    ExpectRefused(Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}));
    std::string b = NewDocumentBytes();
    std::string chains =
        b.substr(0, 18) + Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}) + b.substr(20);
    ExpectRefused(chains);
    // The head's name claims a 2 GB length.
    std::string name =
        b.substr(0, 37) + Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}) + b.substr(38);
    ExpectRefused(name);
}

TEST_F(OpenTest, VeryLongChainLoadsAndIsDeletedWithoutOverflowingTheStack) {
    // Head 0 followed by 100000 modules of one class.
    std::string b = Bytes({0x10, 0x00, 0x01}) + std::string(15, '\0') + Bytes({0x01, 0x00});
    b += Bytes({0xFF, 0xFF, 0x01, 0x00, 0x0B, 0x00}) + "CHeadFilter" +
         "\x01"
         "H" +
         Bytes({0xD0, 0x07, 0, 0});
    b += Bytes({0xFF, 0xFF, 0x01, 0x00, 0x08, 0x00}) + "CModBase" +
         "\x01"
         "m" +
         Bytes({0xD0, 0x07, 0, 0});
    // The class is index 3; objects take 4, 5, ... and the class reference 0x8003 follows.
    for (int i = 1; i < 100000; ++i)
        b += Bytes({0x03, 0x80}) +
             "\x01"
             "m" +
             Bytes({0xD0, 0x07, 0, 0});
    b += Bytes({0, 0});              // end of chain
    b += Bytes({0, 0, 0, 0});        // head's m_channel
    b += Bytes({0x01, 0x00, 0x00});  // one channel source
    b += std::string(9, '\0');
    CKaisekiDoc doc;
    ASSERT_TRUE(test::OpenDocument(doc, Write(b)));
    int length = 0;
    for (CModBase* m = doc.Head(0); m; m = m->m_next)
        ++length;
    EXPECT_EQ(length, 100001);
    // Other counts are brought to 16 entries with the set-up defaults.
    EXPECT_EQ(doc.m_chains.size(), 16u);
    EXPECT_EQ(doc.m_channelSource.size(), 16u);
    EXPECT_EQ(doc.m_channelSource[15], 15);
    EXPECT_EQ(doc.Head(15)->m_channel, 15);
    doc.OnNewDocument();
}

TEST_F(OpenTest, DocumentWithoutChainsOpensAsASetUpDocument) {
    struct Counter : DocView {
        void OnUpdate() override { ++updates; }
        int updates = 0;
    } view;
    std::string b = Bytes({0x10, 0x00, 0x01}) + std::string(15, '\0') + Bytes({0x00, 0x00}) +
                    Bytes({0x00, 0x00, 0x04}) + "a.csv" + std::string(8, '\0');
    CKaisekiDoc doc;
    doc.AddView(&view);
    ASSERT_TRUE(test::OpenDocument(doc, Write(b)));
    EXPECT_EQ(doc.m_chains.size(), 16u);
    EXPECT_EQ(doc.m_channelEnabled.size(), 16u);
    EXPECT_EQ(doc.m_channelEnabled[0], 1);
    EXPECT_EQ(view.updates, 0);
    doc.RemoveView(&view);
}

TEST_F(OpenTest, SeventeenChainsAreCutToSixteen) {
    std::string b = NewDocumentBytes();
    std::string extra = b.substr(0, 18) + Bytes({0x11, 0x00}) + b.substr(20, 38 + 15 * 23) +
                        Bytes({0x01, 0x80}) +
                        "\x0A"
                        "HeadFilter" +
                        Bytes({0xD0, 0x07, 0, 0, 0, 0, 16, 0, 0, 0}) + b.substr(20 + 38 + 15 * 23);
    CKaisekiDoc doc;
    ASSERT_TRUE(test::OpenDocument(doc, Write(extra)));
    EXPECT_EQ(doc.m_chains.size(), 16u);
}

}  // namespace
}  // namespace tavrel
