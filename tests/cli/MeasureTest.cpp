// `measure`: the results table of the core for every option, the order of the files whatever the
// number of threads, the rule for a data file that cannot be read, quoting, JSON; and `export`
// over a list of files on several threads.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>

#include "CliFixtures.h"
#include "CliRunner.h"
#include "document/BurstTable.h"
#include "document/KaisekiDoc.h"
#include "document/Measurements.h"
#include "platform/Archive.h"
#include "support/ScriptedHost.h"

namespace tavrel {
namespace {

using test::RunCli;
using test::TempDir;

// 17 columns (a time column first), a header line; each file's values differ by `seed`.
std::string Recording(const TempDir& dir, const std::string& name, int rows, int seed) {
    return test::WriteCsv(
        dir, name, rows, 17,
        [seed](int r, int c) {
            return c == 0 ? r : std::sin(r * 0.02 * c + seed) * c + (r % 11 == seed % 11 ? 3 : 0);
        },
        "time,a,b\r\n");
}

// The table the core gives for the document opened as the tool opens it, `edit` applied before
// its data file is read.
std::string CoreTable(const std::string& document, const std::string& fileColumn,
                      const std::function<void(CKaisekiDoc&)>& edit = {},
                      int maxRows = CKaisekiDoc::kMaxRows) {
    test::ScriptedHost host;
    CKaisekiDoc doc;
    EXPECT_TRUE(doc.ReadDocumentFile(document));
    if (edit) edit(doc);
    EXPECT_TRUE(doc.LoadDataFile(maxRows, nullptr));
    std::string text;
    AppendMeasurementHeader(text);
    AppendMeasurementRows(text, MeasureDocument(doc, fileColumn));
    return text;
}

class CliMeasure : public ::testing::Test {
  protected:
    void SetUp() override {
        for (int i = 0; i < 6; ++i)
            files.push_back(Recording(dir, "rec" + std::to_string(i) + ".csv", 300 + i, i));
        // CH1 an SD detector then decimation, CH2 a probe before an integrator, CH3 no source.
        doc = test::WriteDocument(dir, "setup.kcd", [&](CKaisekiDoc& d) {
            d.m_dataFilePath = files[0];
            d.m_headerRows = 1;
            d.m_skipColumns = 1;
            test::AppendModule(d, 0, "CSDActDetFilter", [](Archive& a) {
                a.WriteInt(0);  // reference from 0 ms, 20 ms long, factor 1.5, window 5 ms
                a.WriteInt(20);
                a.WriteDouble(1.5);
                a.WriteInt(5);
            });
            test::AppendModule(d, 0, "CReSmplFilter", [](Archive& a) { a.WriteInt(2); });
            test::AppendModule(d, 1, "CDmyPipe", [](Archive& a) { a.WriteInt(1); });
            test::AppendModule(d, 1, "CIntFilter", [](Archive& a) {
                a.WriteInt(0);
                a.WriteInt(2147483647);
            });
            d.m_channelSource[2] = CKaisekiDoc::kNoSource;
        });
    }
    // Runs measure and returns its standard output (a failure when it did not succeed).
    std::string Measure(std::vector<std::string> options) {
        options.insert(options.begin(), {"measure", doc});
        auto result = RunCli(options);
        EXPECT_EQ(result.status, 0) << result.err;
        // Nothing on stderr but the notice of rows left out at the row cap.
        EXPECT_TRUE(result.QuietButRowsNotice()) << result.err;
        return result.out;
    }
    TempDir dir;
    std::vector<std::string> files;
    std::string doc;
};

TEST_F(CliMeasure, EveryOptionGivesTheCoresTableWithThatSetting) {
    const std::string stored = Measure({});
    EXPECT_EQ(stored, CoreTable(doc, files[0]));
    EXPECT_NE(stored.find("\n" + files[0] + ",1,[mV],150,1000,150,"), std::string::npos) << stored;
    struct Case {
        std::vector<std::string> options;
        std::function<void(CKaisekiDoc&)> edit;
        int maxRows = CKaisekiDoc::kMaxRows;
    };
    auto heads = [](int rate, const std::string& unit, int factor) {
        return [=](CKaisekiDoc& d) {
            for (int k = 0; k < CKaisekiDoc::kChannels; ++k) {
                d.Head(k)->m_samplingRate = rate;
                d.Head(k)->m_unit = unit;
                d.Head(k)->m_unitFactor = factor;
            }
        };
    };
    const std::vector<Case> cases{
        {{"--header-rows", "0"}, [](CKaisekiDoc& d) { d.m_headerRows = 0; }},
        {{"--skip-columns", "0"}, [](CKaisekiDoc& d) { d.m_skipColumns = 0; }},
        {{"--rate", "250"}, heads(250, "mV", 1)},
        {{"--period", "3"}, heads(333, "mV", 1)},
        {{"--unit", "μV", "--factor", "10"}, heads(2000, "μV", 10)},
        {{"--max-rows", "100"}, {}, 100},
        {{"--probe"}, [](CKaisekiDoc& d) { d.m_display.m_probeDisplay = 1; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options[0]);
        const std::string table = Measure(c.options);
        EXPECT_EQ(table, CoreTable(doc, files[0], c.edit, c.maxRows));
        EXPECT_NE(table, stored);
    }
    // --no-header leaves out exactly the first line.
    EXPECT_EQ(Measure({"--no-header"}), stored.substr(stored.find('\n') + 1));
    // -o writes the same bytes as standard output.
    const std::string out = dir.File("table.csv");
    EXPECT_EQ(Measure({"-o", out}), "");
    EXPECT_EQ(test::ReadFileBytes(out), stored);
}

TEST_F(CliMeasure, BurstsGiveTheCoresBurstTableAndRefuseBadValues) {
    test::ScriptedHost host;
    CKaisekiDoc core;
    ASSERT_TRUE(core.ReadDocumentFile(doc));
    ASSERT_TRUE(core.LoadDataFile(CKaisekiDoc::kMaxRows, nullptr));
    const spectral::BurstSettings settings{0, 100, 1, 2, 5};
    std::string expected;
    AppendBurstHeader(expected);
    const std::vector<BurstRow> rows = MeasureBursts(core, files[0], settings);
    AppendBurstRows(expected, rows);
    ASSERT_GT(rows.size(), 3u);
    const std::vector<std::string> options{"--bursts", "--baseline", "0:100",     "--k", "1",
                                           "--min-on", "2",          "--min-off", "5"};
    EXPECT_EQ(Measure(options), expected);
    std::vector<std::string> json = options;
    json.insert(json.end(), {"-o", dir.File("bursts.json")});
    Measure(json);
    const QJsonArray array =
        QJsonDocument::fromJson(
            QByteArray::fromStdString(test::ReadFileBytes(dir.File("bursts.json"))))
            .array();
    ASSERT_EQ(array.size(), static_cast<qsizetype>(rows.size()));
    EXPECT_EQ(array[1].toObject()["burst"].toInt(), rows[1].burst);
    EXPECT_DOUBLE_EQ(array[1].toObject()["integral"].toDouble(), rows[1].values.integral);

    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"--bursts", "--baseline", "200:100"},
          {"--bursts", "--baseline=-5:100"},
          {"--bursts", "--baseline", "5"},
          {"--bursts", "--k", "-1"},
          {"--bursts", "--min-on=-5"},
          {"--bursts", "--min-off", "x"},
          {"--k", "2"}}) {
        std::vector<std::string> arguments{"measure", doc};
        arguments.insert(arguments.end(), bad.begin(), bad.end());
        const auto result = RunCli(arguments);
        EXPECT_EQ(result.status, 1) << bad[1];
        EXPECT_NE(result.err.find("Usage:"), std::string::npos) << result.err;
        EXPECT_EQ(result.err.find("nknown option"), std::string::npos) << result.err;
        EXPECT_TRUE(result.out.empty());
    }
}

TEST_F(CliMeasure, RowsFollowTheFilesInOrderWhateverTheThreads) {
    // The list: CR LF and LF lines, empty lines, a file named twice, a path relative to the
    // working folder.
    const std::string list = dir.Write(
        "list.txt", files[3] + "\r\n\r\n" + files[1] + "\n\n" + files[3] + "\nrec5.csv\r\n");
    test::CliEnvironment inDir;
    inDir.workingDir = dir.Path().string();
    auto run = [&](std::vector<std::string> options) {
        options.insert(options.begin(), {"measure", doc});
        auto result = RunCli(options, inDir);
        EXPECT_EQ(result.status, 0) << result.err;
        return result.out;
    };
    const std::vector<std::string> options{"--data", files[2],      "--data",
                                           files[0], "--data-list", list};
    auto withJobs = [&](const std::string& jobs) {
        std::vector<std::string> arguments = options;
        arguments.insert(arguments.end(), {"--jobs", jobs});
        return run(arguments);
    };
    const std::string one = withJobs("1");
    for (const char* jobs : {"2", "3", "7"})
        EXPECT_EQ(withJobs(jobs), one) << "--jobs " << jobs;
    std::string expected = run({"--data", files[2]});
    for (const std::string& name :
         {files[0], files[3], files[1], files[3], std::string("rec5.csv")})
        expected += run({"--no-header", "--data", name});
    EXPECT_EQ(one, expected);
    EXPECT_NE(one.find("\nrec5.csv,1,"), std::string::npos);
}

TEST_F(CliMeasure, AFileThatCannotBeReadGetsOneLineAndNoRows) {
    const std::string missing = dir.File("missing.csv");
    auto result =
        RunCli({"measure", doc, "--jobs", "2", "--data", files[1], "--data", missing, "--data",
                dir.Path().string(), "--data", files[2], "-o", dir.File("t.csv")});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.ErrLines(), 2) << result.err;
    EXPECT_EQ(result.err.rfind("tavrel-cli: " + missing + ": cannot open the data file", 0), 0u)
        << result.err;
    const std::string expected = Measure({"--data", files[1], "--data", files[2]});
    EXPECT_EQ(test::ReadFileBytes(dir.File("t.csv")), expected);
    // When every file fails, no table is written: a new one is not made, an earlier one is kept.
    for (const char* table : {"none.csv", "t.csv"}) {
        result = RunCli({"measure", doc, "--data", missing, "--data", dir.Path().string(), "-o",
                         dir.File(table)});
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.ErrLines(), 2) << result.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("none.csv")));
    EXPECT_EQ(test::ReadFileBytes(dir.File("t.csv")), expected);
    // An unreadable list or document fails before anything is written.
    EXPECT_EQ(RunCli({"measure", doc, "--data-list", missing}).status, 2);
    EXPECT_EQ(RunCli({"measure", missing}).status, 2);
    EXPECT_EQ(RunCli({"measure", doc, "--jobs", "0"}).status, 1);
}

TEST_F(CliMeasure, AnOutputThatFailsStopsTheThreadsWithOneLine) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    std::string list;
    for (int k = 0; k < 4; ++k)
        for (const std::string& file : files)
            list += file + "\n";
    test::CliEnvironment full;
    full.stdoutPath = "/dev/full";
    for (const char* jobs : {"1", "2", "3"}) {
        SCOPED_TRACE(jobs);
        auto result = RunCli(
            {"measure", doc, "--data-list", dir.Write("many.txt", list), "--jobs", jobs}, full);
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.ErrLines(), 1) << result.err;
        EXPECT_NE(result.err.find("standard output"), std::string::npos) << result.err;
    }
}

TEST_F(CliMeasure, APathWithACommaIsQuotedAndJsonHoldsNumbersAndNulls) {
    const std::string odd = Recording(dir, "take 1, \"best\".csv", 200, 3);
    const std::string table = Measure({"--no-header", "--data", odd});
    std::string quoted = "\"";
    for (char c : odd)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    EXPECT_EQ(table.rfind(quoted + "\",1,[mV],", 0), 0u) << table;

    const std::string out = dir.File("table.JSON");
    Measure({"-o", out, "--data", odd, "--data", files[1]});
    const QJsonDocument json =
        QJsonDocument::fromJson(QByteArray::fromStdString(test::ReadFileBytes(out)));
    ASSERT_TRUE(json.isArray());
    const QJsonArray rows = json.array();
    const std::string csv = Measure({"--data", odd, "--data", files[1]});
    ASSERT_EQ(rows.size(), std::count(csv.begin(), csv.end(), '\n') - 1);
    ASSERT_GE(rows.size(), 2);
    const QJsonObject first = rows[0].toObject();
    EXPECT_EQ(first.keys().size(), kMeasurementColumns);
    EXPECT_EQ(first["file"].toString().toStdString(), odd);
    EXPECT_EQ(first["channel"].toInt(), 1);
    EXPECT_EQ(first["rate_hz"].toInt(), 1000);
    // The integrator channel has no marker: null, not an empty string.
    EXPECT_TRUE(rows[1].toObject()["marker_index"].isNull());
    // The JSON numbers are the CSV's, with more digits.
    const std::string row1 = csv.substr(csv.find('\n') + 1);
    const std::size_t minAt = row1.find(",1000,100,") + 10;
    EXPECT_NEAR(first["min"].toDouble(), std::stod(row1.substr(minAt)), 1e-9);
}

// Splits text into lines (CR LF or LF) of comma-separated fields.
std::vector<std::vector<std::string>> CsvCells(const std::string& text) {
    std::vector<std::vector<std::string>> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> fields(1);
        for (char c : line) {
            if (c == ',')
                fields.emplace_back();
            else
                fields.back() += c;
        }
        lines.push_back(std::move(fields));
        start = end + 1;
    }
    return lines;
}

TEST_F(CliMeasure, TheTableMeasuresWhatTheExportDelivers) {
    // Chain ends that deliver other arrays than their head's: an FFT view (its input passed
    // through), a probe before an integrator, a cut clip, decimation after a detector. The export
    // pads a shorter channel with zeros up to the last longer one, so they come last, longest
    // first; CH16 has no source.
    const std::string setup = test::WriteDocument(dir, "ends.kcd", [&](CKaisekiDoc& d) {
        d.m_headerRows = 1;
        d.m_skipColumns = 1;
        test::AppendModule(d, 11, "CFFTViewFilter", [](Archive& a) {
            a.WriteInt(64);
            a.WriteInt(10);
        });
        test::AppendModule(d, 12, "CDmyPipe", [](Archive& a) { a.WriteInt(1); });
        test::AppendModule(d, 12, "CIntFilter", [](Archive& a) {
            a.WriteInt(0);
            a.WriteInt(2147483647);
        });
        test::AppendModule(d, 13, "CClipFilter", [](Archive& a) {
            a.WriteInt(40);  // cut from 40 ms on
            a.WriteInt(2147483647);
            a.WriteInt(1);
        });
        test::AppendModule(d, 14, "CSDActDetFilter", [](Archive& a) {
            a.WriteInt(0);
            a.WriteInt(20);
            a.WriteDouble(1.5);
            a.WriteInt(5);
        });
        test::AppendModule(d, 14, "CReSmplFilter", [](Archive& a) { a.WriteInt(3); });
        d.m_channelSource[15] = CKaisekiDoc::kNoSource;
    });
    const auto table =
        CsvCells(RunCli({"measure", setup, "--data", files[4], "--no-header", "--jobs", "2"}).out);
    ASSERT_EQ(RunCli({"export", setup, "--data", files[4], "-o", dir.File("ends.csv")}).status, 0);
    const auto exported = CsvCells(test::ReadFileBytes(dir.File("ends.csv")));
    ASSERT_GT(exported.size(), 1u);
    // Every channel's count, extremes and last value are those of its export column, written
    // alike.
    ASSERT_EQ(table.size(), 15u);
    for (const std::vector<std::string>& row : table) {
        ASSERT_EQ(row.size(), static_cast<std::size_t>(kMeasurementColumns));
        SCOPED_TRACE("CH" + row[1]);
        const std::string head = "CH" + row[1] + "(" + row[2] + ")";
        const auto& names = exported[0];
        const auto at = std::find(names.begin(), names.end(), head);
        ASSERT_NE(at, names.end());
        const auto column = static_cast<std::size_t>(at - names.begin());
        std::vector<std::string> cells;
        for (std::size_t r = 1; r < exported.size(); ++r)
            if (column < exported[r].size()) cells.push_back(exported[r][column]);
        ASSERT_FALSE(cells.empty());
        auto byValue = [](const std::string& a, const std::string& b) {
            return std::stod(a) < std::stod(b);
        };
        EXPECT_EQ(row[3], std::to_string(cells.size()));
        EXPECT_EQ(row[6], *std::min_element(cells.begin(), cells.end(), byValue));
        EXPECT_EQ(row[7], *std::max_element(cells.begin(), cells.end(), byValue));
        EXPECT_EQ(row[13], cells.back());
    }
    // The cut drops the first 80 samples (40 ms at 2000 Hz) of 304; decimation keeps every third.
    EXPECT_EQ(table[13][3], "224");
    EXPECT_EQ(table[14][3], "101");
}

TEST_F(CliMeasure, ExportTakesAListAndThreads) {
    const std::string list = dir.Write("list.txt", files[1] + "\n" + files[2] + "\r\n");
    auto run = [&](const std::string& folder, std::vector<std::string> options) {
        options.insert(options.begin(), {"export", doc, "-o", dir.File(folder)});
        auto result = RunCli(options);
        EXPECT_EQ(result.status, 0) << result.err;
    };
    run("one", {"--data", files[0], "--data", files[1], "--data", files[2], "--jobs", "1"});
    run("list", {"--data", files[0], "--data-list", list, "--jobs", "3"});
    for (int i = 0; i < 3; ++i) {
        const std::string name = "処理済rec" + std::to_string(i) + ".csv";
        const std::string bytes = test::ReadFileBytes(dir.File("one/" + name));
        EXPECT_FALSE(bytes.empty());
        EXPECT_EQ(test::ReadFileBytes(dir.File("list/" + name)), bytes) << name;
    }
    // A list of one file still writes into the folder.
    const std::string single = dir.Write("single.txt", files[4] + "\n");
    run("single", {"--data-list", single});
    EXPECT_TRUE(std::filesystem::is_regular_file(dir.File("single/処理済rec4.csv")));
}

}  // namespace
}  // namespace tavrel
