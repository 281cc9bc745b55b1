// The results table: rows taken from what the chains deliver to the export, the marker of the
// delivering module (detectors, clip in cut mode, decimation), probe display, channels that give
// no row, non-finite values, and the CSV and JSON forms.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "document/KaisekiDoc.h"
#include "document/Measurements.h"
#include "modules/analysis/AActDetFilter.h"
#include "modules/analysis/ClipFilter.h"
#include "modules/analysis/IntFilter.h"
#include "modules/analysis/SDActDetFilter.h"
#include "modules/filters/ReSmplFilter.h"
#include "pipeline/DmyPipe.h"
#include "support/Loading.h"
#include "support/ScriptedHost.h"
#include "support/TempDir.h"

namespace tavrel {
namespace {

// 4000 rows at 2000 Hz, five columns:
//   0  0 before sample 1000, then 1 + a 50 Hz sine (a step the SD detector marks at 960)
//   1  500 zero samples, then a 50 Hz sine of amplitude 1 (the amplitude detector marks 510)
//   2  i / 1000, with +infinity at row 7 and -infinity at row 8
//   3  +infinity throughout
//   4  -1, 0, 1, 2 repeated
std::string TestData() {
    const double pi = std::acos(-1.0);
    std::string text;
    for (int i = 0; i < 4000; ++i) {
        const double step = i < 1000 ? 0.0 : 1.0 + std::sin(2 * pi * 50 * (i - 1000) / 2000.0);
        const double burst = i < 500 ? 0.0 : std::sin(2 * pi * 50 * (i - 500) / 2000.0);
        std::string ramp = std::to_string(i / 1000.0);
        if (i == 7) ramp = "1e999";
        if (i == 8) ramp = "-1e999";
        text += std::to_string(step) + "," + std::to_string(burst) + "," + ramp + ",1e999," +
                std::to_string(i % 4 - 1) + "\n";
    }
    return text;
}

template <class T>
T* Append(CKaisekiDoc& doc, int channel) {
    auto* module = new T;
    module->m_doc = &doc;
    CModBase::AppendModule(doc.Head(channel), module);
    return module;
}

class Measurements : public ::testing::Test {
  protected:
    void SetUp() override {
        doc.OnNewDocument();
        doc.m_dataFilePath = dir.Write("run, \"1\".csv", TestData());
        for (int d = 0; d < CKaisekiDoc::kChannels; ++d)
            doc.m_channelSource[static_cast<std::size_t>(d)] = static_cast<std::uint8_t>(d);
        // CH1 SD detector; CH2 amplitude detector; CH3 SD detector then clip cut from 100 ms;
        // CH4 SD detector then decimation by 4; CH5 decimation to nothing; CH6 no source;
        // CH7 a column the file lacks; CH8 probe then integrator; CH9, CH10 non-finite data.
        const std::uint8_t sources[10] = {0, 1, 0, 0, 0, CKaisekiDoc::kNoSource, 5, 4, 2, 3};
        for (int d = 0; d < 10; ++d)
            doc.m_channelSource[static_cast<std::size_t>(d)] = sources[d];
        Append<CSDActDetFilter>(doc, 0);
        Append<CAActDetFilter>(doc, 1);
        Append<CSDActDetFilter>(doc, 2);
        auto* clip = Append<CClipFilter>(doc, 2);
        clip->m_cut = 1;
        clip->m_startMs = 100;
        Append<CSDActDetFilter>(doc, 3);
        Append<CReSmplFilter>(doc, 3)->m_step = 4;
        Append<CReSmplFilter>(doc, 4)->m_step = 5000;
        Append<CDmyPipe>(doc, 7)->m_probeOn = 1;
        Append<CIntFilter>(doc, 7);
        ASSERT_TRUE(test::LoadDataFile(doc));
        ASSERT_EQ(doc.m_rowCount, 4000);
    }
    const MeasurementRow* Row(const std::vector<MeasurementRow>& rows, int channel) {
        for (const MeasurementRow& row : rows)
            if (row.channel == channel) return &row;
        return nullptr;
    }
    std::string Line(const MeasurementRow& row) {
        std::string text;
        AppendMeasurementRows(text, std::span<const MeasurementRow>(&row, 1));
        return text;
    }

    test::ScriptedHost host;
    test::TempDir dir;
    CKaisekiDoc doc;
};

TEST_F(Measurements, MarkersComeFromTheDeliveringModule) {
    const std::vector<MeasurementRow> rows = MeasureDocument(doc, "f");
    std::vector<int> channels;
    for (const MeasurementRow& row : rows)
        channels.push_back(row.channel);
    // No row for the channel without source, the missing column, and columns the file lacks.
    EXPECT_EQ(channels, (std::vector<int>{1, 2, 3, 4, 5, 8, 9, 10}));

    const MeasurementRow* sd = Row(rows, 1);
    ASSERT_TRUE(sd);
    EXPECT_EQ(sd->markerIndex, 960);
    EXPECT_EQ(sd->markerMs, 480);
    EXPECT_EQ(sd->durationMs, 2000);
    const MeasurementRow* amplitude = Row(rows, 2);
    ASSERT_TRUE(amplitude);
    EXPECT_EQ(amplitude->markerIndex, 510);
    EXPECT_EQ(amplitude->markerMs, 255);
    // The cut starts at sample 200: the marker moves with it, the output is shorter.
    const MeasurementRow* cut = Row(rows, 3);
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->samples, 3800);
    EXPECT_EQ(cut->markerIndex, 760);
    EXPECT_EQ(cut->markerMs, 380);
    // Decimation divides the marker and the rate; the time stays.
    const MeasurementRow* decimated = Row(rows, 4);
    ASSERT_TRUE(decimated);
    EXPECT_EQ(decimated->samples, 1000);
    EXPECT_EQ(decimated->rateHz, 500);
    EXPECT_EQ(decimated->markerIndex, 240);
    EXPECT_EQ(decimated->markerMs, 480);
    EXPECT_EQ(decimated->durationMs, 2000);
    // Decimated to nothing, at rate 0: no statistics, no duration.
    const MeasurementRow* empty = Row(rows, 5);
    ASSERT_TRUE(empty);
    EXPECT_EQ(Line(*empty), "f,5,[mV],0,0,,,,,,,,,,,,\n");
}

TEST_F(Measurements, ProbeDisplayMeasuresTheProbesData) {
    const std::vector<MeasurementRow> normalRows = MeasureDocument(doc, "f");
    const MeasurementRow* normal = Row(normalRows, 8);
    ASSERT_TRUE(normal);
    EXPECT_EQ(normal->unit, "[mV]*[ms]");
    doc.m_display.m_probeDisplay = 1;
    const std::vector<MeasurementRow> rows = MeasureDocument(doc, "f");
    const MeasurementRow* probe = Row(rows, 8);
    ASSERT_TRUE(probe);
    EXPECT_EQ(
        Line(*probe),
        "f,8,[mV],4000,2000,2000,-1,2,0.5,1.224744871,2,,,2,599.8697917,500,0.001875000117\n");
}

TEST_F(Measurements, NonFiniteValuesLeaveMinAndMaxToTheFiniteOnes) {
    const std::vector<MeasurementRow> rows = MeasureDocument(doc, "f");
    const MeasurementRow* mixed = Row(rows, 9);
    const MeasurementRow* infinite = Row(rows, 10);
    ASSERT_TRUE(mixed && infinite);
    // +inf and -inf sum to NaN; their squares to +inf.
    EXPECT_EQ(Line(*mixed), "f,9,[mV],4000,2000,2000,0,3.999,NAN,INF,3.999,,,3.999,,,NAN\n");
    EXPECT_EQ(Line(*infinite), "f,10,[mV],4000,2000,2000,,,INF,INF,,,,INF,,,NAN\n");
    std::string json;
    AppendMeasurementJson(json, std::span<const MeasurementRow>(infinite, 1));
    EXPECT_EQ(json,
              "{\"file\":\"f\",\"channel\":10,\"unit\":\"[mV]\",\"samples\":4000,\"rate_hz\":2000,"
              "\"duration_ms\":2000,\"min\":null,\"max\":null,\"mean\":null,\"rms\":null,"
              "\"peak_abs\":null,\"marker_index\":null,\"marker_ms\":null,\"last\":null,"
              "\"mnf_hz\":null,\"mdf_hz\":null,\"slope_per_s\":null}");
}

TEST_F(Measurements, CsvQuotesFieldsAndJsonKeepsSeventeenDigits) {
    const std::vector<MeasurementRow> rows = MeasureDocument(doc, "run, \"1\".csv\n");
    std::string csv;
    AppendMeasurementHeader(csv);
    AppendMeasurementRows(csv, std::span<const MeasurementRow>(rows.data(), 1));
    EXPECT_EQ(csv.substr(0, csv.find('\n') + 1),
              "file,channel,unit,samples,rate_hz,duration_ms,min,max,mean,rms,peak_abs,"
              "marker_index,marker_ms,last,mnf_hz,mdf_hz,slope_per_s\n");
    EXPECT_EQ(csv.substr(csv.find('\n') + 1, 24), "\"run, \"\"1\"\".csv\n\",1,[mV]");

    MeasurementRow third;
    third.file = "a\\b";
    third.channel = 1;
    third.mean = 1.0 / 3.0;
    third.rms = 0.5;
    std::string json;
    AppendMeasurementJson(json, std::span<const MeasurementRow>(&third, 1));
    EXPECT_NE(json.find("\"file\":\"a\\\\b\""), std::string::npos);
    EXPECT_NE(json.find("\"mean\":0.33333333333333331,\"rms\":0.5"), std::string::npos) << json;
    // Tab-separated (the program's copy): a tab in a field is quoted, a comma is not.
    third.file = "a,b\tc";
    std::string tabs;
    AppendMeasurementRows(tabs, std::span<const MeasurementRow>(&third, 1), '\t');
    EXPECT_EQ(tabs.substr(0, 9), "\"a,b\tc\"\t1");
}

// The measuring pulls what the export pulls: releasing the buffers afterwards changes nothing.
TEST_F(Measurements, ReleasingBuffersGivesTheSameRows) {
    std::string kept;
    std::string released;
    AppendMeasurementRows(kept, MeasureDocument(doc, "f"));
    AppendMeasurementRows(released, MeasureDocument(doc, "f", true));
    EXPECT_EQ(kept, released);
    EXPECT_FALSE(doc.Head(0)->m_next->m_output);
    EXPECT_TRUE(host.messages.empty());
}

}  // namespace
}  // namespace tavrel
