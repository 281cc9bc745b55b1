// Set-ups as JSON: the description `info` prints and the document built from it are inverses over
// every stored document of the test suites and the bundled example, and over a class added
// through its descriptor only; bad input is refused with the place named and no document.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "document/KaisekiDoc.h"
#include "document/SetupJson.h"
#include "modules/filters/SmothFilter.h"
#include "platform/Json.h"
#include "support/ScriptedHost.h"
#include "support/ThrowawayModule.h"

namespace tavrel::test {
namespace {

std::string Describe(std::string_view bytes) {
    CKaisekiDoc doc;
    const auto loaded = doc.ReadDocumentBytes(bytes);
    EXPECT_TRUE(loaded) << (loaded ? "" : loaded.Error());
    return DescribeSetup(doc);
}

TEST(SetupJson, DescriptionAndBuildAreInversesOverEveryStoredDocument) {
    ScriptedHost host;
    std::vector<std::filesystem::path> files;
    for (const char* dir : {"/fuzz/corpus/document", "/examples"}) {
        for (const auto& entry :
             std::filesystem::directory_iterator(std::string(TAVREL_SOURCE_DIR) + dir)) {
            if (entry.path().extension() == ".kcd") files.push_back(entry.path());
        }
    }
    ASSERT_GT(files.size(), 10u);
    int savedByTheProgram = 0;
    for (const auto& path : files) {
        SCOPED_TRACE(path.string());
        CKaisekiDoc doc;
        ASSERT_TRUE(doc.ReadDocumentFile(path.string()));
        const std::string info = DescribeSetup(doc);
        const SetupBuild build = BuildSetupDocument(info);
        ASSERT_TRUE(build.ok) << build.error;
        EXPECT_EQ(Describe(build.bytes), info);
        // A file the program would save as it is comes back byte for byte.
        std::string stored;
        ASSERT_EQ(ReadDocumentFileBytes(path.string(), stored), "");
        if (doc.SaveToBytes() == stored) {
            ++savedByTheProgram;
            EXPECT_EQ(build.bytes, stored);
        }
    }
    EXPECT_GT(savedByTheProgram, 10);
}

TEST(SetupJson, AClassAddedByItsDescriptorTravelsThroughInfoAndBack) {
    ScriptedHost host;
    CKaisekiDoc doc;
    doc.OnNewDocument();
    auto* added = new CThrowawayFilter;
    added->m_factor = -0.1;
    added->m_mode = 1;
    CModBase::AppendModule(doc.Head(2), added);
    const std::string bytes = doc.SaveToBytes();
    const std::string info = Describe(bytes);
    EXPECT_NE(info.find("{\"class\":\"CThrowawayFilter\",\"name\":\"Throwaway\",\"rate\":2000,"
                        "\"factor\":-0.10000000000000001,\"invert\":0,\"mode\":1,\"startMs\":0,"
                        "\"endMs\":100}"),
              std::string::npos)
        << info;
    const SetupBuild build = BuildSetupDocument(info);
    ASSERT_TRUE(build.ok) << build.error;
    EXPECT_EQ(build.bytes, bytes);
}

TEST(SetupJson, KeysLeftOutTakeTheirDefaultsAndOutOfRangeValuesAreWrittenWithAWarning) {
    ScriptedHost host;
    const SetupBuild build = BuildSetupDocument(
        R"({"chains":[[{"class":"CHeadFilter"},{"class":"CSmothFilter","points":5000},)"
        R"({"class":"CThrowawayFilter","invert":true}]]})");
    ASSERT_TRUE(build.ok) << build.error;
    ASSERT_EQ(build.warnings.size(), 1u);
    EXPECT_NE(build.warnings[0].find("chain 1, module 2 (CSmothFilter): \"points\" 5000"),
              std::string::npos);
    EXPECT_NE(build.warnings[0].find("(1 to 1000)"), std::string::npos) << build.warnings[0];

    CKaisekiDoc doc;
    ASSERT_TRUE(doc.ReadDocumentBytes(build.bytes));
    CModBase* smooth = doc.Head(0)->m_next;
    ASSERT_TRUE(smooth && smooth->m_next);
    EXPECT_EQ(static_cast<CSmothFilter*>(smooth)->m_points, 5000);
    EXPECT_EQ(smooth->m_name, CSmothFilter::kDisplayName);
    auto* added = static_cast<CThrowawayFilter*>(smooth->m_next);
    EXPECT_EQ(added->m_invert, 1);
    EXPECT_EQ(added->m_factor, 2.0);
    // The other chains and lists are those of a new document.
    CKaisekiDoc fresh;
    fresh.OnNewDocument();
    EXPECT_EQ(doc.m_channelEnabled, fresh.m_channelEnabled);
    EXPECT_EQ(doc.m_channelSource, fresh.m_channelSource);
    for (int ch = 1; ch < CKaisekiDoc::kChannels; ++ch)
        EXPECT_EQ(doc.Head(ch)->m_channel, ch);
}

TEST(SetupJson, BadInputIsRefusedWithItsPlace) {
    ScriptedHost host;
    const std::string head = R"({"class":"CHeadFilter"})";
    auto chain = [&](const std::string& module) {
        return R"({"chains":[[)" + head + "," + module + "]]}";
    };
    std::string seventeen = R"({"chains":[)";
    for (int i = 0; i < 17; ++i)
        seventeen += i ? ",[]" : "[]";
    seventeen += "]}";
    const std::pair<std::string, std::string> cases[] = {
        {"{\n  \"enabled\": [1,,0]\n}", "line 2, column 17: invalid JSON"},
        {R"({"chains":[[)", "line 1, column 13: invalid JSON: unexpected end"},
        {R"({"a":1,"a":2})", "duplicate key"},
        {R"({"enable":[1]})", "unknown key \"enable\""},
        {R"({"\nabled\u0001":[1]})", "unknown key \"\\nabled\\u0001\""},
        {R"({"\nabled":[1],"\nabled":[1]})", "duplicate key \"\\nabled\""},
        {chain(R"({"class":"CNoSuchFilter"})"),
         "chain 1, module 2: unknown class \"CNoSuchFilter\""},
        {chain(R"({"class":"CSmothFilter","pionts":3})"),
         "chain 1, module 2 (CSmothFilter): unknown key \"pionts\""},
        {chain(R"({"class":"CSmothFilter","rate":"fast"})"), "\"rate\" must be a number"},
        {chain(R"({"class":"CSmothFilter","points":2147483648})"), "32-bit integer"},
        {chain(R"({"class":"CSmothFilter","points":2.5})"), "not a whole number"},
        {chain(R"({"class":"CLPFilter","cutoff":1e999})"), "not a finite double"},
        {chain(R"({"class":"CLPFilter","cutoff":null})"), "finite number, not null"},
        {R"({"enabled":[256]})", "\"enabled[0]\" must be 0 to 255"},
        {seventeen, "more than 16 chains"},
        {R"({"chains":[[{"class":"CSmothFilter"}]]})",
         "chain 1, module 1 (CSmothFilter): a chain must start with CHeadFilter"},
    };
    for (const auto& [json, expected] : cases) {
        const SetupBuild build = BuildSetupDocument(json);
        EXPECT_FALSE(build.ok) << json;
        EXPECT_TRUE(build.bytes.empty());
        EXPECT_EQ(build.error.find('\n'), std::string::npos);
        EXPECT_NE(build.error.find(expected), std::string::npos) << build.error;
    }
}

TEST(Json, ReadsEscapesAndRefusesTextThatIsNotUtf8) {
    JsonError error;
    const auto v = ParseJson(R"( {"k": ["a\u00e9\ud83d\ude00\n", -0.5e3, true, null]} )", &error);
    ASSERT_TRUE(v) << error.message;
    const JsonValue* k = v->Find("k");
    ASSERT_TRUE(k && k->items.size() == 4);
    EXPECT_EQ(k->items[0].text, "a\xC3\xA9\xF0\x9F\x98\x80\n");
    EXPECT_EQ(k->items[1].text, "-0.5e3");
    EXPECT_EQ(k->items[2].kind, JsonValue::Kind::Bool);
    EXPECT_EQ(k->items[3].kind, JsonValue::Kind::Null);
    for (const char* bad : {"\"\xFF\"", "\"\\ud800\"", "01", "[1] 2", "\"a\nb\"", "{\"a\" 1}"})
        EXPECT_FALSE(ParseJson(bad, &error)) << bad;
    EXPECT_FALSE(ParseJson(std::string(100, '['), &error));
    EXPECT_EQ(error.message, "nesting too deep");
}

}  // namespace
}  // namespace tavrel::test
