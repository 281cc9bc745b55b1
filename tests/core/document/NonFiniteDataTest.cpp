// Values that read as infinities ("1e999") stay infinities, and every module class carries them
// through drawing, measuring, the magnifier's mapping and the export without crashing. Under the
// sanitizer build this also proves that no non-finite value reaches an int conversion.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "document/ExportWriter.h"
#include "document/KaisekiDoc.h"
#include "pipeline/ModuleRegistry.h"
#include "platform/RecordingSurface.h"
#include "support/Loading.h"
#include "support/ScriptedHost.h"
#include "support/TempDir.h"

namespace tavrel {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// Every module class a chain can hold.
std::vector<std::string> ChainClasses() {
    std::vector<std::string> names;
    for (const auto& name : ModuleClassNames())
        if (name != "CHeadFilter" && name != "CModBase" && name != "CDFilBase")
            names.push_back(name);
    return names;
}

// 600 rows: column 0 a sine with +inf, -inf and values near the largest double (whose sums
// overflow inside filters, and whose differences give NaN there); column 1 nothing but infinities.
std::string HostileData() {
    std::string text;
    for (int i = 0; i < 600; ++i) {
        std::string v = std::to_string(std::sin(i * 0.05));
        if (i % 97 == 10) v = "1e999";
        if (i % 89 == 20) v = "-1e999";
        if (i % 53 == 30) v = "1.7e308";
        if (i % 59 == 40) v = "-1.7e308";
        text += v + (i % 2 ? ",1e999\r\n" : ",-1E400\r\n");
    }
    return text;
}

// Draws, measures, maps a selection and exports one channel the ways the program does.
void Exercise(CKaisekiDoc& doc, int channel) {
    double maximum = 0.0;
    maximum = doc.MeasureChannel(channel);
    doc.m_display.m_commonMax = maximum;
    for (int absolute : {0, 1}) {
        doc.m_display.m_absoluteScale = absolute;
        RecordingSurface whole;
        doc.DrawChannel(&whole, {0, 0, 950, 160}, channel, nullptr);
        ASSERT_FALSE(whole.Calls().empty());
        RecordingSurface strip({400, 0, 500, 160});
        doc.DrawChannel(&strip, {0, 0, 950, 160}, channel, nullptr);
        SampleRange range{5, 300};
        RecordingSurface magnifier;
        doc.DrawChannel(&magnifier, {0, 0, 950, 160}, channel, &range);
    }
    int out[2] = {-1, -1};
    doc.ChannelPixelsToRange(channel, 0, {0, 0, 950, 160}, {200, 0, 600, 160}, out);
    EXPECT_GE(out[0], 0);
    std::vector<double> values, times;
    std::string label;
    doc.GetChannelData(&values, &label, &times, channel);
    EXPECT_EQ(values.size(), times.size());
}

class NonFiniteData : public ::testing::Test {
  protected:
    void SetUp() override {
        doc.OnNewDocument();
        doc.m_dataFilePath = dir.Write("inf.csv", HostileData());
        ASSERT_TRUE(test::LoadDataFile(doc));
        ASSERT_EQ(doc.m_rowCount, 600);
    }

    test::ScriptedHost host;
    test::TempDir dir;
    CKaisekiDoc doc;
};

TEST_F(NonFiniteData, InfinitiesAreKeptAsReadAndWrittenInOneSpelling) {
    EXPECT_EQ(doc.m_columns[0][10], kInf);
    EXPECT_EQ(doc.m_columns[0][20], -kInf);
    EXPECT_EQ(doc.m_columns[1][0], -kInf);
    EXPECT_EQ(doc.m_columns[1][1], kInf);
    for (int c = 2; c < 16; ++c)
        doc.m_channelSource[c] = CKaisekiDoc::kNoSource;
    ExportSettings settings;
    settings.m_numberColumn = 1;
    settings.m_numberKind = 1;
    ASSERT_TRUE(WriteProcessedData(doc, dir.File("out.csv"), settings));
    const std::string text = test::ReadFileBytes(dir.File("out.csv"));
    EXPECT_EQ(text.substr(0, text.find("\r\n", text.find("\r\n") + 2) + 2),
              "Time([ms]),CH1([mV]),CH2([mV])\r\n0,0,-INF\r\n");
    EXPECT_NE(text.find("\r\n5,INF,-INF\r\n"), std::string::npos);    // row 10
    EXPECT_NE(text.find("\r\n10,-INF,-INF\r\n"), std::string::npos);  // row 20
    EXPECT_EQ(text.find("inf"), std::string::npos);
}

TEST_F(NonFiniteData, EveryModuleClassDrawsMeasuresAndExportsThem) {
    const std::vector<std::string> classes = ChainClasses();
    ASSERT_GE(classes.size(), 12u);
    // Each class alone behind the head of channel 0 (the mixed column) and of channel 1 (only
    // infinities), in normal and in probe display.
    for (const std::string& name : classes) {
        for (int channel : {0, 1}) {
            CHeadFilter* head = doc.Head(channel);
            head->DeleteDownstream();
            CModBase::AppendModule(head, CreateModule(name).release());
            head->ClearBuffers();
            for (int probe : {0, 1}) {
                doc.m_display.m_probeDisplay = probe;
                SCOPED_TRACE(name + " on channel " + std::to_string(channel) +
                             (probe ? " in probe display" : ""));
                Exercise(doc, channel);
            }
        }
    }
    // Every class in one chain, then the export of both channels.
    doc.m_display.m_probeDisplay = 0;
    for (int channel : {0, 1}) {
        CHeadFilter* head = doc.Head(channel);
        head->DeleteDownstream();
        for (const std::string& name : classes)
            CModBase::AppendModule(head, CreateModule(name).release());
        head->ClearBuffers();
        SCOPED_TRACE("all classes on channel " + std::to_string(channel));
        Exercise(doc, channel);
    }
    ExportSettings settings;
    settings.m_numberColumn = 1;
    settings.m_numberKind = 1;
    EXPECT_TRUE(WriteProcessedData(doc, dir.File("chain.csv"), settings));
    EXPECT_TRUE(host.messages.empty());
}

}  // namespace
}  // namespace tavrel
