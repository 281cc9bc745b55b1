// EDF and BDF recordings read through EDFlib: recognition by content, the mapping of signals to
// columns, the rate and unit they bring, refusals that keep the previous data, and readers on
// several threads.
#include <edflib.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <thread>

#include "document/DataSettings.h"
#include "document/EdfReader.h"
#include "document/KaisekiDoc.h"
#include "support/EdfWriter.h"
#include "support/Loading.h"
#include "support/ScriptedHost.h"
#include "support/TempDir.h"

namespace tavrel {
namespace {

using Columns = std::vector<std::vector<double>>;

class EdfReading : public ::testing::Test {
  protected:
    void SetUp() override { doc.OnNewDocument(); }

    std::string Write(const std::string& name, const test::EdfSpec& spec) {
        const std::string path = dir.File(name);
        test::WriteEdf(path, spec);
        return path;
    }
    Result<ReadNotes, ReadError> Load(const std::string& path,
                                      int maxRows = CKaisekiDoc::kMaxRows) {
        doc.m_dataFilePath = path;
        return doc.LoadDataFile(maxRows, nullptr);
    }

    test::ScriptedHost host;
    test::TempDir dir;
    CKaisekiDoc doc;
};

TEST(EdfRecognition, ByTheFirstEightBytesOnly) {
    EXPECT_TRUE(IsRecordingHeader(std::string("0       80 chars of patient")));
    EXPECT_TRUE(
        IsRecordingHeader(std::string("\xFF"
                                      "BIOSEMI")));
    EXPECT_FALSE(IsRecordingHeader(std::string("0      ")));      // too short
    EXPECT_FALSE(IsRecordingHeader(std::string("0,1,2,3\r\n")));  // a data line
    EXPECT_FALSE(IsRecordingHeader(std::string("0      \t")));    // not seven spaces
    EXPECT_FALSE(
        IsRecordingHeader(std::string("\xFE"
                                      "BIOSEMI")));  // wrong first byte
}

TEST_F(EdfReading, EveryFormatGivesEdflibsPhysicalValuesInFileOrder) {
    for (int type : {EDFLIB_FILETYPE_EDF, EDFLIB_FILETYPE_EDFPLUS, EDFLIB_FILETYPE_BDF,
                     EDFLIB_FILETYPE_BDFPLUS}) {
        const std::string path = Write("sines" + std::to_string(type), test::ThreeSines(type));
        EXPECT_EQ(EdfFile(path).Header().filetype, type);
        const Columns expected = test::ReadEdfPhysical(path);
        ASSERT_EQ(expected.size(), 3u);  // the annotation signal of EDF+ and BDF+ is left out
        EXPECT_TRUE(Load(path, 0)) << type;
        EXPECT_EQ(doc.m_rowCount, 6000);
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(doc.m_columns[k], expected[k]) << type;
        for (int k = 3; k < 16; ++k)
            EXPECT_TRUE(doc.m_columns[k].empty());
        // Reading leaves the heads' settings to the caller.
        EXPECT_EQ(doc.Head(0)->m_samplingRate, 2000);
        EXPECT_EQ(doc.Head(0)->m_unit, "mV");
    }
    // The sines are what was written, within the 16-bit resolution of EDF.
    EXPECT_NEAR(doc.m_columns[2][5], 2900.0 * std::sin(2 * std::acos(-1.0) * 120 * 5 / 2000.0),
                6000.0 / 65535);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(EdfReading, SkipColumnsSkipsLeadingSignalsAndAtMostSixteenAreRead) {
    test::EdfSpec spec;
    spec.records = 1;
    for (int s = 0; s < 20; ++s) {
        test::EdfSignalSpec signal;
        signal.label = "S" + std::to_string(s);
        signal.samplesPerRecord = 100;
        signal.value = [s](int i) { return s * 100.0 + i; };
        spec.channels.push_back(signal);
    }
    const std::string path = Write("twenty.edf", spec);
    const Columns expected = test::ReadEdfPhysical(path);
    // Header rows mean nothing for a recording.
    doc.m_headerRows = 7;
    for (int skip : {0, 3, 9}) {
        doc.m_skipColumns = skip;
        ASSERT_TRUE(Load(path));
        for (int k = 0; k < 16; ++k) {
            const std::size_t signal = static_cast<std::size_t>(skip + k);
            EXPECT_EQ(doc.m_columns[k], signal < 20 ? expected[signal] : std::vector<double>{})
                << skip << " " << k;
        }
        EXPECT_EQ(doc.m_rowCount, 100);
    }
}

TEST_F(EdfReading, RowLimitCountsSamplesPerSignal) {
    const std::string path = Write("sines.bdf", test::ThreeSines(EDFLIB_FILETYPE_BDF));
    const Columns expected = test::ReadEdfPhysical(path);
    ASSERT_TRUE(Load(path, 2500));
    EXPECT_EQ(doc.m_rowCount, 2500);
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(doc.m_columns[k],
                  std::vector<double>(expected[k].begin(), expected[k].begin() + 2500));
}

TEST_F(EdfReading, SignalsOfAnotherRateAreLeftOutAndNamedOnce) {
    test::EdfSpec spec = test::ThreeSines(EDFLIB_FILETYPE_EDFPLUS);
    spec.channels[1].samplesPerRecord = 500;
    spec.channels[1].label = "Resp";
    spec.channels.push_back(spec.channels[1]);
    spec.channels.back().label = "SpO2";
    const std::string path = Write("rates.edf", spec);
    const Columns expected = test::ReadEdfPhysical(path);
    const auto read = Load(path);
    ASSERT_TRUE(read);
    EXPECT_EQ(doc.m_columns[0], expected[0]);
    EXPECT_TRUE(doc.m_columns[1].empty());
    EXPECT_EQ(doc.m_columns[2], expected[2]);
    EXPECT_TRUE(doc.m_columns[3].empty());
    EXPECT_EQ(ReadingMessages(*read),
              std::vector<std::string>{
                  "サンプリング周波数が異なる信号は読み込みませんでした: Resp, SpO2"});

    // With the first signal skipped, the 500 Hz signal decides the rate.
    doc.m_skipColumns = 1;
    ASSERT_TRUE(Load(path));
    EXPECT_EQ(doc.m_columns[0], expected[1]);
    EXPECT_EQ(doc.m_columns[2], expected[3]);
    EXPECT_EQ(doc.m_rowCount, 1500);
    const auto values = ReadRecordingValues(path, 1);
    ASSERT_TRUE(values);
    EXPECT_EQ(values->rate, 500);
}

TEST_F(EdfReading, RefusalsNameEdflibsReasonAndKeepThePreviousData) {
    doc.m_dataFilePath = dir.Write("first.csv", "1,2\n3,4\n");
    ASSERT_TRUE(test::LoadDataFile(doc));
    ASSERT_EQ(doc.m_rowCount, 2);
    std::vector<double> out, times;
    std::string label;
    doc.GetChannelData(&out, &label, &times, 0);  // the chain holds computed samples

    const std::string good = Write("good.bdf", test::ThreeSines(EDFLIB_FILETYPE_BDF));
    std::string bytes = test::ReadFileBytes(good);
    const std::string truncated = dir.Write("truncated.bdf", bytes.substr(0, bytes.size() - 100));
    std::string zero = bytes;
    zero.replace(244, 8, "0       ");  // data record duration
    const std::string zeroDuration = dir.Write("zero.bdf", zero);
    std::string damaged = bytes;
    damaged[252] = 'x';  // number of signals
    const std::string damagedHeader = dir.Write("damaged.bdf", damaged);

    for (const std::string& path : {truncated, zeroDuration, damagedHeader}) {
        const auto read = Load(path);
        ASSERT_FALSE(read) << path;
        const std::string& reason = read.Error().reason;
        EXPECT_EQ(read.Error().kind, ReadError::Kind::Refused);
        EXPECT_EQ(ReadErrorMessage(read.Error()), "データファイルが開けません。\n" + reason);
        EXPECT_NE(reason.find("EDFlib"), std::string::npos) << reason;
        EXPECT_EQ(doc.m_rowCount, 2);
        EXPECT_EQ(doc.m_columns[0], (std::vector<double>{1, 3}));
        EXPECT_EQ(doc.m_columns[1], (std::vector<double>{2, 4}));
        std::vector<double> again;
        doc.GetChannelData(&again, &label, &times, 0);
        EXPECT_EQ(again, (std::vector<double>{1, 3}));
        EXPECT_FALSE(ReadRecordingValues(path, 0));
    }
}

TEST_F(EdfReading, RatesOutsideTheProgramsRangeAreRefusedAndFractionsNoted) {
    const std::string bytes =
        test::ReadFileBytes(Write("sines.edf", test::ThreeSines(EDFLIB_FILETYPE_EDF)));
    // 2000 samples per record: a record of 1000 s is 2 Hz, of 4000 s 0.5 Hz, of 0.0004 s 5 MHz,
    // of 0.3 s 6666.67 Hz.
    const struct {
        const char* duration;
        bool refused;
        double unrounded;
    } cases[] = {{"1000    ", false, 0.0},
                 {"4000    ", true, 0.0},
                 {"0.0004  ", true, 0.0},
                 {"0.3     ", false, 2000 / 0.3}};
    for (const auto& c : cases) {
        std::string patched = bytes;
        patched.replace(244, 8, c.duration);
        const auto read = Load(dir.Write("rate.edf", patched));
        EXPECT_EQ(!read, c.refused) << c.duration;
        if (!read) {
            EXPECT_NE(read.Error().reason.find("Hz"), std::string::npos) << read.Error().reason;
        } else {
            EXPECT_NEAR(read->unroundedRate, c.unrounded, 1e-6) << c.duration;
        }
    }
}

TEST_F(EdfReading, RateAndUnitFillTheDataSettingsAndOpeningWritesThemIntoEveryHead) {
    test::EdfSpec spec = test::ThreeSines(EDFLIB_FILETYPE_EDF);
    spec.recordDuration = 30000;  // 0.3 s: 2000 samples per record are 6666.67 Hz
    spec.channels[0].unit = "mV";
    spec.channels[1].unit = "uV";
    const std::string path = Write("fast.edf", spec);

    DataFileSettings settings = FillDataFileSettings(doc, path);
    EXPECT_EQ(settings.m_rateChoice, 0);
    EXPECT_EQ(settings.m_rateValue, 6667);
    EXPECT_EQ(settings.m_unitChoice, 1);
    EXPECT_EQ(settings.m_factor, 1);
    EXPECT_EQ(settings.m_recordingSignals, (std::vector<std::string>{"EMG1", "EMG2", "EMG3"}));
    // Settings left from a text file do not hide a newly chosen recording's first signal ...
    doc.m_skipColumns = 1;
    doc.m_headerRows = 3;
    settings = FillDataFileSettings(doc, path);
    EXPECT_EQ(settings.m_skipColumnsValue, 0u);
    EXPECT_EQ(settings.m_headerRowsValue, 0u);
    EXPECT_EQ(settings.m_unitChoice, 1);
    // ... while the document's own recording keeps its skipped signals.
    doc.m_dataFilePath = path;
    settings = FillDataFileSettings(doc, path);
    EXPECT_EQ(settings.m_skipColumnsValue, 1u);
    EXPECT_EQ(settings.m_unitChoice, 2);
    EXPECT_EQ(settings.m_otherUnit, "uV");
    doc.m_dataFilePath.clear();
    doc.m_headerRows = 0;
    // A comma-separated file keeps channel 0's head as the source.
    doc.Head(0)->m_unitFactor = 7;
    settings = FillDataFileSettings(doc, dir.Write("plain.csv", "1\n"));
    EXPECT_EQ(settings.m_skipColumnsValue, 1u);
    EXPECT_TRUE(settings.m_recordingSignals.empty());
    EXPECT_EQ(settings.m_factor, 7);
    EXPECT_EQ(settings.m_rateValue, 2000);

    // Opening a document whose data file is the recording.
    doc.m_dataFilePath = "fast.edf";  // relative: found beside the document
    const std::string document = dir.File("rec.kcd");
    ASSERT_TRUE(doc.SaveDocumentFile(document));
    CKaisekiDoc opened;
    ASSERT_TRUE(test::OpenDocument(opened, document));
    EXPECT_EQ(opened.m_rowCount, 6000);
    for (int k = 0; k < 16; ++k) {
        EXPECT_EQ(opened.Head(k)->m_samplingRate, 6667);
        EXPECT_EQ(opened.Head(k)->m_unit, "uV");
        EXPECT_EQ(opened.Head(k)->m_unitFactor, 1);
    }
    EXPECT_TRUE(host.messages.empty());
}

// The records are read in blocks of about 4 MB into columns sized once: a recording of several
// blocks read whole, then cut by the row cap inside a record of a later block, then a short one
// into the storage the long one left behind, each gives exactly EDFlib's values.
TEST_F(EdfReading, RecordingsOfSeveralBlocksAndKeptStorageGiveEdflibsValues) {
    test::EdfSpec spec;
    spec.fileType = EDFLIB_FILETYPE_BDFPLUS;
    spec.records = 50;  // 180,000 bytes a record: 23 records a block, three blocks
    for (int s = 0; s < 2; ++s) {
        test::EdfSignalSpec signal;
        signal.label = "S" + std::to_string(s);
        signal.samplesPerRecord = 30000;
        signal.value = [s](int i) { return (s ? -1 : 1) * 2900.0 * std::sin(i * 0.001 + s); };
        spec.channels.push_back(signal);
    }
    const std::string path = Write("long.bdf", spec);
    const Columns expected = test::ReadEdfPhysical(path);
    ASSERT_EQ(expected[1].size(), 1500000u);
    ASSERT_TRUE(Load(path, 0));
    EXPECT_EQ(doc.m_rowCount, 1500000);
    EXPECT_EQ(doc.m_columns[0], expected[0]);
    EXPECT_EQ(doc.m_columns[1], expected[1]);
    const int cap = 23 * 30000 + 5 * 30000 + 777;
    ASSERT_TRUE(Load(path, cap));
    EXPECT_EQ(doc.m_rowCount, cap);
    for (int k = 0; k < 2; ++k)
        EXPECT_EQ(doc.m_columns[k], std::vector<double>(expected[k].begin(),
                                                        expected[k].begin() + cap));
    doc.OnNewDocument();  // the long columns are kept for the next reading
    const std::string shorter = Write("short.bdf", test::ThreeSines(EDFLIB_FILETYPE_BDF));
    ASSERT_TRUE(Load(shorter, 0));
    const Columns few = test::ReadEdfPhysical(shorter);
    for (int k = 0; k < 16; ++k)
        EXPECT_EQ(doc.m_columns[k], k < 3 ? few[k] : std::vector<double>{}) << k;
}

TEST_F(EdfReading, ThreadsReadTheSameFileAtOnce) {
    const std::string path = Write("shared.bdf", test::ThreeSines(EDFLIB_FILETYPE_BDFPLUS));
    const Columns expected = test::ReadEdfPhysical(path);
    std::vector<Columns> results(8, Columns(16));
    std::vector<std::string> errors(8);
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&, t] {
            ReadOptions all;
            all.maxRows = 0;
            for (int pass = 0; pass < 5; ++pass) {
                auto read = ReadRecording(path, all, nullptr);
                if (!read) {
                    errors[t] = read.Error().reason;
                    return;
                }
                results[t] = std::move(read->columns);
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (int t = 0; t < 8; ++t) {
        EXPECT_EQ(errors[t], "");
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(results[t][k], expected[k]);
    }
}

}  // namespace
}  // namespace tavrel
