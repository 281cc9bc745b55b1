// `export`: the processed data written as the GUI's export writes them, with every option.
#include <gtest/gtest.h>

#include <tuple>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <functional>
#include <thread>

#include "CliFixtures.h"
#include "CliRunner.h"
#include "document/ExportWriter.h"
#include "document/KaisekiDoc.h"
#include "pipeline/ModuleRegistry.h"
#include "platform/Archive.h"
#include "platform/TextCodec.h"
#include "support/Loading.h"
#include "support/ScriptedHost.h"

namespace tavrel {
namespace {

using test::RunCli;
using test::TempDir;

bool Registered(const std::string& className) {
    return CreateModule(className) != nullptr;
}

// A document whose chains hold several modules: a low-pass filter on CH1, moving average then
// decimation on CH2, a rectifier on CH3 fed from column 7, a differentiator on CH4, no source on
// CH6; one header line and one skipped column in its reading settings.
std::string ChainDocument(const TempDir& dir, const std::string& name,
                          const std::string& dataFile) {
    return test::WriteDocument(dir, name, [&](CKaisekiDoc& doc) {
        doc.m_dataFilePath = dataFile;
        doc.m_headerRows = 1;
        doc.m_skipColumns = 1;
        test::AppendModule(doc, 0, "CLPFilter", [](Archive& a) { a.WriteDouble(0.05); });
        test::AppendModule(doc, 1, "CSmothFilter", [](Archive& a) { a.WriteInt(9); });
        test::AppendModule(doc, 1, "CReSmplFilter", [](Archive& a) { a.WriteInt(3); });
        test::AppendModule(doc, 2, "CDiodeFilter", [](Archive& a) {
            a.WriteInt(0);  // full wave
            a.WriteInt(1);
        });
        doc.m_channelSource[2] = 7;
        test::AppendModule(doc, 3, "CDiffFilter");
        doc.m_channelSource[5] = 255;
    });
}

std::string SixteenColumns(const TempDir& dir, const std::string& name, int rows) {
    return test::WriteCsv(
        dir, name, rows, 17,
        [](int r, int c) { return c == 0 ? r : std::sin(r * 0.01 * c) * c + 0.25 * (r % 7); },
        "time,a,b,c\r\n");
}

// What the program itself writes for the document: opened as the GUI opens it, then the core's
// export writer.
std::string CoreExport(const std::string& document, const ExportSettings& settings,
                       const TempDir& dir) {
    test::ScriptedHost host;
    CKaisekiDoc doc;
    EXPECT_TRUE(test::OpenDocument(doc, document));
    EXPECT_TRUE(host.messages.empty());
    const std::string path = dir.File("core.csv");
    EXPECT_TRUE(WriteProcessedData(doc, path, settings).Ok());
    return test::ReadFileBytes(path);
}

// The same, with the document changed after its file was read and before its data file is read
// (as the options of the tool act), and the reader's row cap given.
std::string CoreExportWith(const std::string& document, const ExportSettings& settings,
                           const std::function<void(CKaisekiDoc&)>& edit, int maxRows,
                           const TempDir& dir) {
    test::ScriptedHost host;
    CKaisekiDoc doc;
    EXPECT_TRUE(doc.ReadDocumentFile(document));
    if (edit) edit(doc);
    EXPECT_TRUE(doc.LoadDataFile(maxRows, nullptr));
    EXPECT_TRUE(host.messages.empty());
    const std::string path = dir.File("core.csv");
    EXPECT_TRUE(WriteProcessedData(doc, path, settings).Ok());
    return test::ReadFileBytes(path);
}

// Rate, unit and factor written into every head, as applying the data settings does.
void SetAllHeads(CKaisekiDoc& doc, int rate, const std::string& unit, int factor) {
    for (int k = 0; k < CKaisekiDoc::kChannels; ++k) {
        doc.Head(k)->m_samplingRate = rate;
        doc.Head(k)->m_unit = unit;
        doc.Head(k)->m_unitFactor = factor;
    }
}

class CliExport : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* name : {"CLPFilter", "CSmothFilter", "CReSmplFilter", "CDiodeFilter",
                                 "CDiffFilter", "CDmyPipe"}) {
            if (!Registered(name)) GTEST_SKIP() << name << " is not built yet";
        }
        csv = SixteenColumns(dir, "run1.csv", 600);
        doc = ChainDocument(dir, "chains.kcd", csv);
    }
    // Runs export into out.csv and returns its bytes ("" and a failure when it did not succeed).
    std::string Export(std::vector<std::string> options) {
        const std::string out = dir.File("out.csv");
        std::filesystem::remove(out);
        options.insert(options.begin(), {"export", doc, "-o", out});
        auto result = RunCli(options);
        EXPECT_EQ(result.status, 0) << result.err;
        // Nothing on stderr but the notice of rows left out at the row cap.
        EXPECT_TRUE(result.QuietButRowsNotice()) << result.err;
        return test::ReadFileBytes(out);
    }
    TempDir dir;
    std::string csv;
    std::string doc;
};

TEST_F(CliExport, GivesTheBytesOfTheCoreWriterForEveryAnswerOfTheDialog) {
    ExportSettings settings;
    const std::string plain = Export({});
    EXPECT_EQ(plain, CoreExport(doc, settings, dir));
    EXPECT_EQ(plain.substr(0, plain.find("\r\n")),
              "CH1([mV]),CH2([mV]),CH3([mV]),CH4([mV]/[ms]),CH5([mV]),CH6(),CH7([mV]),CH8([mV]),"
              "CH9([mV]),CH10([mV]),CH11([mV]),CH12([mV]),CH13([mV]),CH14([mV]),CH15([mV]),"
              "CH16([mV])");

    settings.m_header = 0;
    EXPECT_EQ(Export({"--no-header"}), CoreExport(doc, settings, dir));
    settings.m_numberColumn = 1;
    EXPECT_EQ(Export({"--no-header", "--number", "serial"}), CoreExport(doc, settings, dir));
    settings.m_header = 1;
    settings.m_numberKind = 1;
    const std::string timed = Export({"--number", "time"});
    EXPECT_EQ(timed, CoreExport(doc, settings, dir));
    EXPECT_EQ(timed.substr(0, 11), "Time([ms]),");
    EXPECT_NE(timed.find("\r\n0.5,"), std::string::npos);
    // A time column per channel (the chains decimate some channels), and the default named.
    settings.m_perChannelTime = 1;
    const std::string perChannel = Export({"--number", "time", "--layout", "per-channel"});
    EXPECT_EQ(perChannel, CoreExport(doc, settings, dir));
    EXPECT_EQ(perChannel.substr(0, 41), "Time([ms]),CH1 time [ms],CH1([mV]),CH2 ti");
    EXPECT_EQ(Export({"--number", "time", "--layout", "shared"}), timed);
}

// Each option against the core writer on a document changed the way the option says: the exact
// bytes, so an option that is ignored, or that changes more than it says, fails.
TEST_F(CliExport, EveryOptionGivesTheBytesOfTheCoreWithThatSetting) {
    // A probe between CH5's head and a decimation, so that probe display changes CH5.
    doc = test::WriteDocument(dir, "probe-chains.kcd", [&](CKaisekiDoc& d) {
        CKaisekiDoc chains;
        ASSERT_TRUE(chains.ReadDocumentFile(doc));
        ASSERT_TRUE(d.ReadDocumentBytes(chains.SaveToBytes()));
        test::AppendModule(d, 4, "CDmyPipe", [](Archive& a) { a.WriteInt(1); });
        test::AppendModule(d, 4, "CReSmplFilter", [](Archive& a) { a.WriteInt(4); });
    });
    const std::string other = SixteenColumns(dir, "other.csv", 77);
    struct Case {
        std::vector<std::string> options;
        std::function<void(CKaisekiDoc&)> edit;
        int maxRows = CKaisekiDoc::kMaxRows;
    };
    const std::vector<Case> cases{
        {{"--header-rows", "0"}, [](CKaisekiDoc& d) { d.m_headerRows = 0; }},
        {{"--header-rows", "5"}, [](CKaisekiDoc& d) { d.m_headerRows = 5; }},
        {{"--skip-columns", "0"}, [](CKaisekiDoc& d) { d.m_skipColumns = 0; }},
        {{"--skip-columns", "3", "--header-rows", "2"},
         [](CKaisekiDoc& d) {
             d.m_skipColumns = 3;
             d.m_headerRows = 2;
         }},
        {{"--data", other}, [&](CKaisekiDoc& d) { d.m_dataFilePath = other; }},
        {{"--rate", "250"}, [](CKaisekiDoc& d) { SetAllHeads(d, 250, "mV", 1); }},
        // 1000 / 3 ms = 333.3 Hz, rounded.
        {{"--period", "3"}, [](CKaisekiDoc& d) { SetAllHeads(d, 333, "mV", 1); }},
        {{"--unit", "V"}, [](CKaisekiDoc& d) { SetAllHeads(d, 2000, "V", 1); }},
        {{"--factor", "10"}, [](CKaisekiDoc& d) { SetAllHeads(d, 2000, "mV", 10); }},
        {{"--unit", "μV", "--factor", "1000", "--rate", "4000"},
         [](CKaisekiDoc& d) { SetAllHeads(d, 4000, "μV", 1000); }},
        {{"--max-rows", "100"}, {}, 100},
        {{"--probe"}, [](CKaisekiDoc& d) { d.m_display.m_probeDisplay = 1; }},
    };
    ExportSettings settings;
    settings.m_numberColumn = 1;
    settings.m_numberKind = 1;  // the time column shows the rate
    const std::string plain = CoreExportWith(doc, settings, {}, CKaisekiDoc::kMaxRows, dir);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options[0] + " " + c.options[1 % c.options.size()]);
        std::vector<std::string> options{"--number", "time"};
        options.insert(options.end(), c.options.begin(), c.options.end());
        const std::string written = Export(options);
        EXPECT_EQ(written, CoreExportWith(doc, settings, c.edit, c.maxRows, dir));
        EXPECT_NE(written, plain);
    }
}

TEST_F(CliExport, ReadingOptionsReplaceTheDocumentsSettings) {
    const std::string base = Export({});
    // Without the header line to skip, its text cells make one more line.
    const std::string noSkip = Export({"--header-rows", "0"});
    EXPECT_EQ(std::count(noSkip.begin(), noSkip.end(), '\n'),
              std::count(base.begin(), base.end(), '\n') + 1);
    // Without the skipped column, CH1 receives the row numbers of the time column.
    const std::string allColumns = Export({"--skip-columns", "0", "--no-header"});
    EXPECT_NE(allColumns, Export({"--no-header"}));
    // A second data file in place of the document's.
    const std::string other =
        test::WriteCsv(dir, "other.csv", 10, 2, [](int r, int c) { return r * 10 + c; });
    const std::string replaced =
        Export({"--data", other, "--header-rows", "0", "--no-header", "--skip-columns", "1"});
    EXPECT_EQ(std::count(replaced.begin(), replaced.end(), '\n'), 10);
}

TEST_F(CliExport, ValueSettingsActLikeTheDataSettingsDialog) {
    // The document's head of CH2 keeps a rate of its own; the options write channel 0's values,
    // replaced where given, into all sixteen heads.
    doc = test::WriteDocument(dir, "rates.kcd", [&](CKaisekiDoc& d) {
        d.m_dataFilePath = csv;
        d.m_headerRows = 1;
        d.m_skipColumns = 1;
        d.Head(0)->m_samplingRate = 1000;
        d.Head(1)->m_samplingRate = 500;
        d.m_channelSource[0] = 255;  // the time column follows CH2
    });
    auto firstTimes = [](const std::string& text) {
        std::string times;
        std::size_t line = text.find("\r\n") + 2;
        for (int i = 0; i < 3; ++i) {
            times += text.substr(line, text.find(',', line) - line) + " ";
            line = text.find("\r\n", line) + 2;
        }
        return times;
    };
    EXPECT_EQ(firstTimes(Export({"--number", "time"})), "0 2 4 ");
    EXPECT_EQ(firstTimes(Export({"--number", "time", "--unit", "V"})), "0 1 2 ");
    EXPECT_EQ(firstTimes(Export({"--number", "time", "--rate", "250"})), "0 4 8 ");
    EXPECT_EQ(firstTimes(Export({"--number", "time", "--period", "3"})),
              "0 3.003003003 6.006006006 ");

    const std::string volts = Export({"--unit", "V", "--factor", "10"});
    EXPECT_EQ(volts.substr(0, volts.find(",CH3")), "CH1(),CH2(10x[V])");
    // A unit typed in UTF-8 is written in the export file's code page.
    const std::string japanese = Export({"--unit", "ボルト"});
    EXPECT_NE(japanese.find("CH2([" + *Utf8ToCp932("ボルト") + "])"), std::string::npos);
    // A character that Shift-JIS lacks (the micro sign, not the Greek mu) is written as '?', as
    // the GUI writes it, and the tool says so once after writing.
    const std::string out = dir.File("micro.csv");
    auto result = RunCli({"export", doc, "-o", out, "--unit", "µV"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.ErrLines(), 1);
    EXPECT_NE(result.err.find("warning: --unit \"µV\""), std::string::npos) << result.err;
    EXPECT_NE(test::ReadFileBytes(out).find("CH2([?V])"), std::string::npos);
}

TEST_F(CliExport, RowCapAndProbeDisplay) {
    const std::string big = test::WriteCsv(dir, "big.csv", 9000, 1, [](int r, int) { return r; });
    auto lines = [](const std::string& text) { return std::count(text.begin(), text.end(), '\n'); };
    const std::vector<std::string> base{"--data",         big, "--header-rows", "0",
                                        "--skip-columns", "0", "--no-header"};
    auto with = [&](std::vector<std::string> extra) {
        extra.insert(extra.begin(), base.begin(), base.end());
        return Export(extra);
    };
    EXPECT_EQ(lines(with({})), 8192);
    EXPECT_EQ(lines(with({"--max-rows", "0"})), 9000);
    EXPECT_EQ(lines(with({"--max-rows", "100"})), 100);

    // Rows left out are told on stderr, exactly then, and change neither status nor output.
    const std::string exact =
        test::WriteCsv(dir, "exact.csv", 100, 1, [](int r, int) { return r; });
    for (const auto& [data, cap, warned] : std::vector<std::tuple<std::string, std::string, bool>>{
             {big, "100", true}, {big, "0", false}, {exact, "100", false}, {big, "9000", false}}) {
        const std::string out = dir.File("cap.csv");
        std::vector<std::string> args{
            "export",         doc, "-o",         out, "--data", data, "--header-rows", "0",
            "--skip-columns", "0", "--max-rows", cap};
        auto result = RunCli(args);
        EXPECT_EQ(result.status, 0) << result.err;
        const std::string warning = "tavrel-cli: warning: " + data + ": only the first " + cap +
                                    " rows were read (--max-rows " + cap + "; 0 reads all)\n";
        EXPECT_EQ(result.err, warned ? warning : std::string()) << data << " " << cap;
        if (warned) {
            EXPECT_EQ(test::ReadFileBytes(out),
                      Export({"--data", big, "--header-rows", "0", "--skip-columns", "0",
                              "--max-rows", "100"}));
        }
    }

    if (!Registered("CDmyPipe")) GTEST_SKIP() << "the probe is not built yet";
    doc = test::WriteDocument(dir, "probe.kcd", [&](CKaisekiDoc& d) {
        d.m_dataFilePath = csv;
        d.m_headerRows = 1;
        d.m_skipColumns = 1;
        test::AppendModule(d, 0, "CDmyPipe", [](Archive& a) { a.WriteInt(1); });
        test::AppendModule(d, 0, "CReSmplFilter", [](Archive& a) { a.WriteInt(4); });
    });
    const std::string normal = Export({"--no-header"});
    const std::string probe = Export({"--no-header", "--probe"});
    // In probe display CH1 delivers the probe's (undecimated) data: more lines.
    EXPECT_GT(lines(probe), 0);
    EXPECT_NE(normal, probe);
}

TEST_F(CliExport, SeveralDataFilesGoIntoAFolderUnderTheProposedNames) {
    const std::string second = SixteenColumns(dir, "データ2.csv", 50);
    const std::string folder = dir.File("results");
    auto result = RunCli({"export", doc, "-o", folder, "--data", csv, "--data", second});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(test::ReadFileBytes(folder + "/処理済run1.csv"), Export({}));
    const std::string secondResult = test::ReadFileBytes(folder + "/処理済データ2.csv");
    EXPECT_EQ(std::count(secondResult.begin(), secondResult.end(), '\n'), 1 + 50);

    // One data file missing: the other is still written, and the status says it failed.
    const std::string again = dir.File("again");
    result = RunCli({"export", doc, "-o", again, "--data", dir.File("gone.csv"), "--data", csv});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.ErrLines(), 1);
    EXPECT_NE(result.err.find("gone.csv"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(again + "/処理済run1.csv"));
    EXPECT_FALSE(std::filesystem::exists(again + "/処理済gone.csv"));

    // Two data files of the same name in different folders would overwrite each other's result.
    std::filesystem::create_directory(dir.File("copy"));
    std::filesystem::copy_file(csv, dir.File("copy/run1.csv"));
    result = RunCli({"export", doc, "-o", dir.File("twice"), "--data", csv, "--data",
                     dir.File("copy/run1.csv")});
    EXPECT_EQ(result.status, 1);
    EXPECT_FALSE(std::filesystem::exists(dir.File("twice")));
}

TEST_F(CliExport, ADocumentNamingAJapaneseDataFileOpensIt) {
    // The path is stored in Shift-JIS and opened under its UTF-8 file-system name.
    const std::string japanese = SixteenColumns(dir, "測定データ.csv", 30);
    doc = ChainDocument(dir, "japanese.kcd", japanese);
    EXPECT_NE(test::ReadFileBytes(doc).find(*Utf8ToCp932("測定データ.csv")), std::string::npos);
    const std::string text = Export({"--no-header"});
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 30);
}

// A relative data-file path stored in the document is also looked for beside the document, as
// the GUI opens it; one given with --data means the working folder only.
TEST_F(CliExport, RelativeDataPaths) {
    std::filesystem::create_directory(dir.File("docs"));
    std::filesystem::create_directory(dir.File("work"));
    std::filesystem::copy_file(csv, dir.File("docs/beside.csv"));
    const std::string relative = ChainDocument(dir, "docs/relative.kcd", "beside.csv");
    test::CliEnvironment inWork;
    inWork.workingDir = dir.File("work");
    const std::string out = dir.File("out.csv");
    auto result = RunCli({"export", relative, "-o", out}, inWork);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(test::ReadFileBytes(out), Export({}));

    // --data beside.csv names work/beside.csv, which does not exist: not the document's neighbour.
    std::filesystem::remove(out);
    result = RunCli({"export", relative, "-o", out, "--data", "beside.csv"}, inWork);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.ErrLines(), 1);
    EXPECT_NE(result.err.find("beside.csv"), std::string::npos) << result.err;
    EXPECT_FALSE(std::filesystem::exists(out));
    // ... and it is found in the working folder.
    test::WriteCsv(dir, "work/beside.csv", 3, 2, [](int r, int c) { return r + c; });
    result = RunCli({"export", relative, "-o", out, "--data", "beside.csv", "--header-rows", "0",
                     "--skip-columns", "0", "--no-header"},
                    inWork);
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string text = test::ReadFileBytes(out);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3);
}

// File names in other encodings (a Shift-JIS name copied from Windows, a Latin-1 name) are
// opened and written under exactly their bytes, in a folder too.
TEST_F(CliExport, FileNamesThatAreNotUtf8) {
    const std::string latin1 = dir.File("caf\xe9.csv");
    std::filesystem::copy_file(csv, latin1);
    const std::string shiftJis = dir.File("\x8c\x8b\x89\xca.csv");  // 結果.csv in Shift-JIS
    auto result = RunCli({"export", doc, "-o", shiftJis, "--data", latin1});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(test::ReadFileBytes(shiftJis), Export({}));

    const std::string folder = dir.File("results\xff");
    result = RunCli({"export", doc, "-o", folder, "--data", latin1, "--data", csv});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(test::ReadFileBytes(folder + "/処理済caf\xe9.csv"), Export({}));
    EXPECT_TRUE(std::filesystem::exists(folder + "/処理済run1.csv"));

    // A missing one is named with its bytes.
    result = RunCli({"export", doc, "-o", shiftJis, "--data", dir.File("gone\xe9.csv")});
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("gone\xe9.csv"), std::string::npos) << result.err;
}

// The output is written through a temporary file beside it. A symbolic link is written through
// (the link stays, the file it names gets the result); a read-only file is not replaced.
TEST_F(CliExport, OutputsThroughSymbolicLinks) {
    const std::string target = dir.Write("target.csv", "old");
    const std::string link = dir.File("link.csv");
    std::filesystem::create_symlink(target, link);
    auto result = RunCli({"export", doc, "-o", link});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(test::ReadFileBytes(target), Export({}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              5);  // run1.csv, chains.kcd, target.csv, link.csv, out.csv
}

// Refused also when the tool runs as the superuser, who could write the file.
TEST_F(CliExport, ReadOnlyOutputsAreKept) {
    const std::string locked = dir.Write("locked.csv", "keep");
    using std::filesystem::perms;
    std::filesystem::permissions(locked,
                                 perms::owner_read | perms::group_read | perms::others_read);
    auto result = RunCli({"export", doc, "-o", locked});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.ErrLines(), 1);
    EXPECT_NE(result.err.find("Permission denied"), std::string::npos) << result.err;
    EXPECT_EQ(test::ReadFileBytes(locked), "keep");
    // The same for the results table.
    result = RunCli({"measure", doc, "-o", locked});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(test::ReadFileBytes(locked), "keep");
}

// Stopped while it works (Ctrl-C, a termination request), the tool leaves no partial output and
// no hidden temporary file.
TEST_F(CliExport, StoppedOnTheWayLeavesNothing) {
    std::filesystem::create_directory(dir.File("out"));
    const std::string big =
        test::WriteCsv(dir, "big.csv", 400000, 4, [](int r, int c) { return r * 0.001 + c; });
    for (int signal : {SIGINT, SIGTERM}) {
        const std::string out = dir.File("out/result.csv");
        const int pid = test::SpawnCli({"export", doc, "-o", out, "--data", big, "--max-rows", "0",
                                        "--header-rows", "0", "--skip-columns", "0"});
        // Wait until the temporary file exists, then stop the tool.
        bool seen = false;
        for (int i = 0; i < 2000 && !seen; ++i) {
            seen = std::filesystem::directory_iterator(dir.File("out")) !=
                   std::filesystem::directory_iterator();
            if (!seen) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        kill(pid, signal);
        int status = 0;
        waitpid(pid, &status, 0);
        if (WIFEXITED(status)) {
            // It finished before the signal came: then the result is whole.
            EXPECT_EQ(WEXITSTATUS(status), 0);
            EXPECT_TRUE(std::filesystem::exists(out));
            std::filesystem::remove(out);
            continue;
        }
        EXPECT_TRUE(seen);
        EXPECT_TRUE(WIFSIGNALED(status));
        EXPECT_EQ(WTERMSIG(status), signal);
        EXPECT_EQ(std::filesystem::directory_iterator(dir.File("out")),
                  std::filesystem::directory_iterator())
            << "something is left in the output folder";
    }
}

TEST_F(CliExport, FailuresGiveStatusTwoAndLeaveNoOutput) {
    const std::string out = dir.File("out.csv");
    const std::string earlier = dir.Write("earlier.csv", "kept");
    struct Case {
        std::vector<std::string> arguments;
        std::string named;
    };
    const std::string broken = dir.Write("broken.kcd", "not a document");
    std::filesystem::create_directory(dir.File("copy"));
    const std::string missingData = ChainDocument(dir, "missing.kcd", dir.File("missing.csv"));
    for (const Case& c : std::vector<Case>{
             {{"export", broken, "-o", out}, "broken.kcd"},
             {{"export", dir.File("absent.kcd"), "-o", out}, "absent.kcd"},
             {{"export", missingData, "-o", out}, "missing.csv"},
             {{"export", doc, "-o", dir.File("no/such/folder.csv")}, "folder.csv"},
             {{"export", doc, "-o", dir.Path().string()}, dir.Path().string()},
             {{"export", broken, "-o", earlier}, "broken.kcd"},
             // A folder, and a device that never ends, are no data files.
             {{"export", doc, "-o", out, "--data", dir.File("copy")}, "copy"},
             {{"export", doc, "-o", out, "--data", "/dev/zero"},
              "/dev/zero: cannot open the data file (not a regular file)"},
         }) {
        auto result = RunCli(c.arguments);
        EXPECT_EQ(result.status, 2) << c.named;
        EXPECT_EQ(result.ErrLines(), 1) << result.err;
        EXPECT_NE(result.err.find(c.named), std::string::npos) << result.err;
    }
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_EQ(test::ReadFileBytes(earlier), "kept");
}

TEST_F(CliExport, OutOfRangeOptionsAreUsageErrors) {
    const std::string out = dir.File("out.csv");
    for (const std::vector<std::string>& extra : std::vector<std::vector<std::string>>{
             {"--number", "index"},
             {"--rate", "0"},
             {"--rate", "100001"},
             {"--period", "2001"},
             {"--rate", "100", "--period", "10"},
             {"--factor", "1001"},
             {"--factor", "0"},
             {"--unit", "12345678901"},
             {"--header-rows", "100"},
             {"--skip-columns", "10"},
             {"--max-rows", "-1"},
             {"--header-rows", "two"},
             {"--zoom-x", "2"},
             {"--layout", "columns"},
         }) {
        std::vector<std::string> arguments{"export", doc, "-o", out};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        auto result = RunCli(arguments);
        EXPECT_EQ(result.status, 1) << extra[0];
        EXPECT_NE(result.err.find("Usage: tavrel-cli export"), std::string::npos);
    }
    EXPECT_EQ(RunCli({"export", doc}).status, 1);
    EXPECT_FALSE(std::filesystem::exists(out));
    // Ten characters are accepted.
    EXPECT_EQ(RunCli({"export", doc, "-o", out, "--unit", "ミリボルト１２３４５"}).status, 0);
}

}  // namespace
}  // namespace tavrel
