// The processed-data export: the exact bytes of the file, the questions asked through the host,
// and what a failure leaves behind.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "document/ExportWriter.h"
#include "document/KaisekiDoc.h"
#include "modules/filters/ReSmplFilter.h"
#include "platform/NumberFormat.h"
#include "platform/TextCodec.h"
#include "platform/WorkerPool.h"
#include "support/Loading.h"
#include "support/ScriptedHost.h"
#include "support/TempDir.h"

namespace tavrel {
namespace {

// Sixteen channels with the given values (times 0.5 ms apart), labelled [mV]; the rest empty.
std::vector<ChannelExport> Channels(std::initializer_list<std::vector<double>> values) {
    std::vector<ChannelExport> channels(16);
    std::size_t d = 0;
    for (const std::vector<double>& v : values) {
        channels[d].values = v;
        for (std::size_t i = 0; i < v.size(); ++i)
            channels[d].times.push_back(0.5 * i);
        ++d;
    }
    for (ChannelExport& c : channels)
        c.label = "[mV]";
    return channels;
}

ExportSettings Settings(int header, int numberColumn, int numberKind) {
    ExportSettings s;
    s.m_header = header;
    s.m_numberColumn = numberColumn;
    s.m_numberKind = numberKind;
    return s;
}

TEST(ExportFormat, ShorterLaterChannelEndsItsLines) {
    EXPECT_EQ(FormatExport(Channels({{1, 2, 3, 4}, {5, 6}}), Settings(1, 0, 0)),
              "CH1([mV]),CH2([mV])\r\n1,5\r\n2,6\r\n3\r\n4\r\n");
}

TEST(ExportFormat, ShorterEarlierChannelIsFilledWithZero) {
    EXPECT_EQ(FormatExport(Channels({{1, 2}, {5, 6, 7, 8}}), Settings(0, 0, 0)),
              "1,5\r\n2,6\r\n0,7\r\n0,8\r\n");
    // Empty channels below the last one with values are named and written as 0.
    auto channels = Channels({{}, {}, {9}});
    channels[1].label = "";
    EXPECT_EQ(FormatExport(channels, Settings(1, 0, 0)), "CH1([mV]),CH2(),CH3([mV])\r\n0,0,9\r\n");
}

TEST(ExportFormat, TimeAndSerialNumberColumns) {
    auto channels = Channels({{1, 2, 3, 4}});
    EXPECT_EQ(FormatExport(channels, Settings(1, 1, 1)),
              "Time([ms]),CH1([mV])\r\n0,1\r\n0.5,2\r\n1,3\r\n1.5,4\r\n");
    EXPECT_EQ(FormatExport(channels, Settings(1, 1, 0)),
              "Num,CH1([mV])\r\n0,1\r\n1,2\r\n2,3\r\n3,4\r\n");
    // Any nonzero kind is time; without the number column the kind is not used.
    EXPECT_EQ(FormatExport(channels, Settings(0, 1, 5)).substr(0, 4), "0,1\r");
    EXPECT_EQ(FormatExport(channels, Settings(0, 0, 1)), "1\r\n2\r\n3\r\n4\r\n");
}

TEST(ExportFormat, TimeColumnFollowsTheLongestChannelAndTheLowestOnATie) {
    std::vector<ChannelExport> channels(16);
    channels[0].values = {1, 2};
    channels[0].times = {0, 2};  // decimated: 2 ms apart
    channels[1].values = {5, 6, 7, 8};
    channels[1].times = {0, 0.5, 1, 1.5};
    channels[2].values = {9, 9, 9, 9};
    channels[2].times = {100, 200, 300, 400};
    EXPECT_EQ(FormatExport(channels, Settings(0, 1, 1)),
              "0,1,5,9\r\n0.5,2,6,9\r\n1,0,7,9\r\n1.5,0,8,9\r\n");
}

TEST(ExportFormat, NumbersAreWrittenAsTenSignificantDigitsWithWindowsExponents) {
    const double inf = std::numeric_limits<double>::infinity();
    auto channels = Channels({{0.00001, 2.5, 1e10 + 1, 1.0 / 3.0, -0.0, 1234567891234.0, inf, -inf,
                               std::numeric_limits<double>::quiet_NaN()}});
    EXPECT_EQ(FormatExport(channels, Settings(0, 0, 0)),
              "1E-005\r\n2.5\r\n1E+010\r\n0.3333333333\r\n-0\r\n1.234567891E+012\r\nINF\r\n-INF\r\n"
              "NAN\r\n");
}

// "%.<p>G" of the C runtime in the C locale, with the exponent widened to three digits as the
// Windows runtime writes it: the independent reference for the formatter.
std::string WindowsG(double value, int precision) {
    char text[80];
    std::snprintf(text, sizeof text, "%.*G", precision, value);
    std::string s = text;
    std::size_t e = s.find('E');
    if (e != std::string::npos && s.size() - e == 4) s.insert(e + 2, "0");
    return s;
}

TEST(ExportFormat, NumbersAgreeWithTheCRuntimeAcrossMagnitudes) {
    std::setlocale(LC_ALL, "C");
    std::uint64_t state = 88172645463325252ull;
    for (int i = 0; i < 20000; ++i) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        const double mantissa = static_cast<double>(state >> 11) / 9007199254740992.0;
        const double value = (i % 2 ? -1 : 1) * mantissa * std::pow(10.0, (i % 61) - 30);
        for (int precision : {10, 2}) {
            ASSERT_EQ(FormatG(value, precision), WindowsG(value, precision)) << value;
        }
    }
    // Powers of ten and their neighbours, where the decimal exponent changes.
    const double inf = std::numeric_limits<double>::infinity();
    for (int k = -320; k <= 308; ++k) {
        const double power = std::pow(10.0, k);
        for (double v : {power, std::nextafter(power, 0.0), std::nextafter(power, inf)}) {
            for (int precision : {10, 2}) {
                ASSERT_EQ(FormatG(-v, precision), WindowsG(-v, precision)) << v;
            }
        }
    }
    // Rounding that carries into a new digit, and the thresholds of the exponent form.
    for (double v : {9999999999.5, 99999.99999, 0.0001, 0.000099999999995, 1e10, 999999999.95,
                     5e-324, 1.7976931348623157e308, 0.5, 123456789012.0, 12345678905.0,
                     12345678915.0, 0.1234567890500000001}) {
        EXPECT_EQ(FormatG(v, 10), WindowsG(v, 10)) << v;
    }
}

TEST(ExportFormat, PerChannelLayoutGivesEveryChannelItsTimesAndLeavesCellsPastItsEndEmpty) {
    // CH2 a decimated copy (times 1 ms apart), CH3 without values, CH4 shorter still.
    std::vector<ChannelExport> channels = Channels({{1, 2, 3, 4}, {5, 6}, {}, {9}});
    channels[1].times = {0, 1};
    ExportSettings settings = Settings(1, 0, 0);
    settings.m_perChannelTime = 1;
    EXPECT_EQ(FormatExport(channels, settings),
              "CH1 time [ms],CH1([mV]),CH2 time [ms],CH2([mV]),CH3 time [ms],CH3([mV]),"
              "CH4 time [ms],CH4([mV])\r\n"
              "0,1,0,5,,,0,9\r\n0.5,2,1,6,,,,\r\n1,3,,,,,,\r\n1.5,4,,,,,,\r\n");
    // The leading number column stays as in the shared layout.
    settings = Settings(0, 1, 0);
    settings.m_perChannelTime = 1;
    EXPECT_EQ(FormatExport(Channels({{1, 2}, {5}}), settings), "0,0,1,0,5\r\n1,0.5,2,,\r\n");
    settings.m_header = 1;
    EXPECT_EQ(FormatExport(Channels({}), settings), "Num,CH1 time [ms],CH1([mV])\r\n");
}

TEST(ExportFormat, NoValuesGiveAtMostTheHeaderLine) {
    std::vector<ChannelExport> channels(16);
    channels[0].label = "[V]";
    EXPECT_EQ(FormatExport(channels, Settings(1, 1, 1)), "Time([ms]),CH1([V])\r\n");
    EXPECT_EQ(FormatExport(channels, Settings(0, 1, 1)), "");
}

TEST(ExportFormat, LabelsAreWrittenInShiftJis) {
    auto channels = Channels({{1}});
    channels[0].label = "10x[電圧]/[ms]";
    const std::string text = FormatExport(channels, Settings(1, 0, 0));
    EXPECT_EQ(text, "CH1(" + *Utf8ToCp932("10x[電圧]/[ms]") + ")\r\n1\r\n");
    EXPECT_EQ(text.find("電圧"), std::string::npos);
}

TEST(ExportFormat, LineBreaksInALabelDoNotSplitTheHeader) {
    auto channels = Channels({{1, 2}});
    channels[0].label = "[m\r\nV]\n";
    EXPECT_EQ(FormatExport(channels, Settings(1, 0, 0)), "CH1([m  V] )\r\n1\r\n2\r\n");
}

TEST(ExportFormat, LargeExportsAreHandedOutInPiecesAndARefusalStopsTheWriting) {
    std::vector<double> values(200000, 1.25);
    auto channels = Channels({values, values, values});
    std::string joined;
    int pieces = 0;
    EXPECT_TRUE(WriteExport(channels, Settings(1, 1, 0), [&](std::string_view bytes) {
        joined.append(bytes);
        ++pieces;
        return true;
    }));
    EXPECT_GT(pieces, 1);
    EXPECT_EQ(joined, FormatExport(channels, Settings(1, 1, 0)));
    EXPECT_EQ(joined.substr(joined.size() - 25), "\r\n199999,1.25,1.25,1.25\r\n");

    int calls = 0;
    EXPECT_FALSE(WriteExport(channels, Settings(1, 1, 0), [&](std::string_view) {
        ++calls;
        return false;
    }));
    EXPECT_EQ(calls, 1);
}

TEST(ExportFormat, ProposedFileName) {
    EXPECT_EQ(ProposeExportName(""), "Untitled");
    EXPECT_EQ(ProposeExportName("C:\\data\\run1.csv"), "処理済run1.csv");
    EXPECT_EQ(ProposeExportName("/home/u/データ.csv"), "処理済データ.csv");
    EXPECT_EQ(ProposeExportName("run2.csv"), "処理済run2.csv");
}

class ExportDoc : public ::testing::Test {
  protected:
    void SetUp() override {
        doc.OnNewDocument();
        doc.m_dataFilePath = dir.Write("run1.csv", "1,10\n2,20\n3,30\n4,40\n");
        ASSERT_TRUE(test::LoadDataFile(doc));
        ASSERT_EQ(doc.m_rowCount, 4);
        host.saveFileAnswer = dir.File("out.csv");
    }

    test::ScriptedHost host;
    test::TempDir dir;
    CKaisekiDoc doc;
};

TEST_F(ExportDoc, ChainsDeliverTheirProcessedDataAndTheTimeFollowsTheLongestChannel) {
    auto* decimation = new CReSmplFilter;
    decimation->m_step = 2;
    decimation->m_doc = &doc;
    CModBase::AppendModule(doc.Head(0), decimation);
    for (int c = 2; c < 16; ++c)
        doc.m_channelSource[c] = CKaisekiDoc::kNoSource;

    ExportResult result = WriteProcessedData(doc, dir.File("direct.csv"), Settings(1, 1, 1));
    ASSERT_TRUE(result.Ok()) << result.Error();
    EXPECT_EQ(test::ReadFileBytes(dir.File("direct.csv")),
              "Time([ms]),CH1([mV]),CH2([mV])\r\n0,1,10\r\n0.5,3,20\r\n1,0,30\r\n1.5,0,40\r\n");
}

TEST_F(ExportDoc, CommandAsksForTheFileThenTheSettingsThenWrites) {
    ExportSettings seen;
    host.exportScript = [&](ExportSettings& s) {
        seen = s;
        s.m_numberColumn = 1;
        return true;
    };
    ExportProcessedData(doc);
    ASSERT_EQ(host.saveRequests.size(), 1u);
    EXPECT_EQ(host.saveRequests[0].proposedName, "処理済run1.csv");
    EXPECT_EQ(host.saveRequests[0].defaultExtension, "csv");
    EXPECT_EQ(host.saveRequests[0].filter, "Data Files (*.csv)|*.csv|All Files (*.*)|*.*||");
    EXPECT_EQ(seen.m_header, 1);
    EXPECT_EQ(seen.m_numberColumn, 0);
    EXPECT_EQ(seen.m_numberKind, 0);
    const std::string text = test::ReadFileBytes(dir.File("out.csv"));
    // Channels 3-16 read empty columns: they deliver no values and are left out.
    EXPECT_EQ(text, "Num,CH1([mV]),CH2([mV])\r\n0,1,10\r\n1,2,20\r\n2,3,30\r\n3,4,40\r\n");
    EXPECT_TRUE(host.messages.empty());
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(ExportDoc, CancelInEitherQuestionOrAnEmptyPathWritesNothing) {
    host.exportScript = [](ExportSettings&) { return true; };
    host.saveFileAnswer.reset();
    ExportProcessedData(doc);
    host.saveFileAnswer = dir.File("out.csv");
    host.exportScript = [](ExportSettings&) { return false; };
    ExportProcessedData(doc);
    EXPECT_FALSE(std::filesystem::exists(dir.File("out.csv")));
    host.saveFileAnswer = "";
    host.exportScript = [](ExportSettings&) { return true; };
    ExportProcessedData(doc);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(host.saveRequests.size(), 3u);
}

TEST_F(ExportDoc, FileThatCannotBeCreatedIsReported) {
    host.exportScript = [](ExportSettings&) { return true; };
    host.saveFileAnswer = dir.File("no-such-folder/out.csv");
    ExportProcessedData(doc);
    EXPECT_EQ(host.messages, (std::vector<std::string>{"ファイルが開けませんでした。"}));

    ExportResult result = WriteProcessedData(doc, dir.Path().string(), Settings(1, 0, 0));
    ASSERT_FALSE(result.Ok());
    EXPECT_FALSE(result.Error().empty());
    result = WriteProcessedData(doc, dir.File("no-such-folder/out.csv"), Settings(1, 0, 0));
    EXPECT_FALSE(result);
}

TEST_F(ExportDoc, UnitTypedInUtf8IsWrittenInShiftJis) {
    for (int c = 0; c < 16; ++c)
        doc.Head(c)->m_unit = "ｍＶ";
    ASSERT_TRUE(WriteProcessedData(doc, dir.File("u.csv"), Settings(1, 0, 0)));
    const std::string text = test::ReadFileBytes(dir.File("u.csv"));
    EXPECT_EQ(text.substr(0, 4 + 6), "CH1([" + *Utf8ToCp932("ｍＶ") + "]");
}

TEST(ExportFormat, LinesFormattedOnSeveralThreadsAreTheSameBytes) {
    // Channels of unequal lengths across many pieces of rows: a later channel ending inside a
    // piece, an earlier one ending at a piece's border, values with every digit.
    std::vector<ChannelExport> channels(16);
    const std::size_t lengths[] = {40000, 16384, 39999, 0, 123};
    for (std::size_t d = 0; d < std::size(lengths); ++d) {
        for (std::size_t i = 0; i < lengths[d]; ++i) {
            channels[d].values.push_back(std::sin(0.001 * static_cast<double>(i * (d + 1))) * 1e3);
            channels[d].times.push_back(0.5 * static_cast<double>(i));
        }
    }
    const int saved = ThreadSetting();
    for (int perChannel : {0, 1}) {
        ExportSettings settings = Settings(1, 1, 1);
        settings.m_perChannelTime = perChannel;
        SetThreadSetting(1);
        const std::string sequential = FormatExport(channels, settings);
        for (int threads : {2, 3, 8}) {
            SetThreadSetting(threads);
            EXPECT_EQ(FormatExport(channels, settings), sequential) << threads << " threads";
            // A sink that refuses a piece stops the writing there, whichever thread hands it on.
            int calls = 0;
            EXPECT_FALSE(
                WriteExport(channels, settings, [&](std::string_view) { return ++calls < 3; }));
            EXPECT_EQ(calls, 3) << threads << " threads";
        }
    }
    SetThreadSetting(saved);
}

}  // namespace
}  // namespace tavrel
