// `new`, `info` and the tool's general contract: exit statuses, usage, help and version.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <thread>

#include "CliRunner.h"
#include "document/KaisekiDoc.h"
#include "pipeline/ModuleRegistry.h"
#include "platform/Archive.h"
#include "support/TempDir.h"

namespace tavrel {
namespace {

using test::RunCli;
using test::TempDir;

QJsonObject ParseObject(const std::string& text) {
    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << text;
    return json.object();
}

// The own fields every module class shows, as the tool's contract names them, in stored order.
struct Field {
    const char* key;
    bool isDouble;
};
const std::map<std::string, std::vector<Field>>& ExpectedFields() {
    static const std::map<std::string, std::vector<Field>> fields{
        {"CModBase", {}},
        {"CHeadFilter", {{"channel", false}}},
        {"CDmyPipe", {{"probeOn", false}}},
        {"CDFilBase", {{"cutoff", true}}},
        {"CLPFilter", {{"cutoff", true}}},
        {"CHPFilter", {{"cutoff", true}}},
        {"CBPFilter", {{"cutoff", true}, {"cutoffHigh", true}}},
        {"CBSFilter", {{"cutoff", true}, {"cutoffHigh", true}}},
        {"CDiodeFilter", {{"halfWave", false}, {"positive", false}}},
        {"CSmothFilter", {{"points", false}}},
        {"CReSmplFilter", {{"step", false}}},
        {"CDiffFilter", {}},
        {"CFFTViewFilter", {{"points", false}, {"start", false}}},
        {"CIntFilter", {{"startMs", false}, {"endMs", false}}},
        {"CClipFilter", {{"startMs", false}, {"endMs", false}, {"cut", false}}},
        {"CAActDetFilter", {{"thresholdPercent", false}, {"minDurationMs", false}}},
        {"CSDActDetFilter",
         {{"refStartMs", false}, {"refLengthMs", false}, {"sdFactor", true}, {"windowMs", false}}},
        {"CButterFilter",
         {{"kind", false},
          {"order", false},
          {"lowHz", true},
          {"highHz", true},
          {"zeroPhase", false}}},
        {"CNotchFilter",
         {{"freqHz", true}, {"quality", true}, {"harmonics", false}, {"zeroPhase", false}}},
        {"CRmsFilter", {{"points", false}}},
        {"CTkeoFilter", {}},
        {"CNormFilter",
         {{"mode", false},
          {"startMs", false},
          {"endMs", false},
          {"reference", true},
          {"percent", false}}},
        // The spectral classes.
        {"CFreqTrendFilter", {{"measure", false}, {"windowMs", false}, {"stepMs", false}}},
        {"CWelchViewFilter", {{"points", false}, {"decibel", false}}},
    };
    return fields;
}

TEST(CliNew, WritesTheBytesOfANewDocument) {
    TempDir dir;
    const std::string out = dir.File("new.kcd");
    dir.Write("new.kcd", "an older file of another length");
    auto result = RunCli({"new", out});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(result.err.empty());
    CKaisekiDoc doc;
    doc.OnNewDocument();
    const std::string bytes = test::ReadFileBytes(out);
    EXPECT_EQ(bytes.size(), 430u);
    EXPECT_EQ(bytes, doc.SaveToBytes());
    // Written through a temporary file that is gone, with the permissions of a new file.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              1);
    const mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(static_cast<mode_t>(std::filesystem::status(out).permissions()), 0666 & ~mask);
}

TEST(CliNew, UnwritableOutputGivesStatusTwoAndNoFile) {
    TempDir dir;
    const std::string missingFolder = dir.File("no/such/folder/new.kcd");
    auto result = RunCli({"new", missingFolder});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.ErrLines(), 1);
    EXPECT_NE(result.err.find(missingFolder), std::string::npos) << result.err;
    EXPECT_FALSE(std::filesystem::exists(missingFolder));

    // A folder where the file should go; the folder stays as it was.
    std::filesystem::create_directory(dir.File("taken.kcd"));
    result = RunCli({"new", dir.File("taken.kcd")});
    EXPECT_EQ(result.status, 2);
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("taken.kcd")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(CliInfo, DescribesTheStoredSetUp) {
    TempDir dir;
    CKaisekiDoc doc;
    doc.OnNewDocument();
    doc.m_dataFilePath = "/測定/データ \"1\".csv";
    doc.m_headerRows = 3;
    doc.m_skipColumns = 2;
    doc.m_channelSource[5] = 255;
    doc.m_channelSource[2] = 7;
    doc.m_channelEnabled[4] = 1;
    doc.Head(9)->m_channel = 12;
    doc.Head(9)->m_samplingRate = 500;
    const std::string path = dir.Write("doc.kcd", doc.SaveToBytes());

    auto result = RunCli({"info", path});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(result.err.empty());
    const QJsonObject info = ParseObject(result.out);
    EXPECT_EQ(info.keys().size(), 6);
    EXPECT_EQ(info["dataFile"].toString().toStdString(), "/測定/データ \"1\".csv");
    EXPECT_EQ(info["headerRows"].toInt(), 3);
    EXPECT_EQ(info["skipColumns"].toInt(), 2);
    const QJsonArray enabled = info["enabled"].toArray();
    const QJsonArray sources = info["sources"].toArray();
    const QJsonArray chains = info["chains"].toArray();
    ASSERT_EQ(enabled.size(), 16);
    ASSERT_EQ(sources.size(), 16);
    ASSERT_EQ(chains.size(), 16);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(enabled[i].toInt(), i == 0 || i == 4 ? 1 : 0) << i;
        EXPECT_EQ(sources[i].toInt(), i == 5 ? 255 : i == 2 ? 7 : i) << i;
        const QJsonArray chain = chains[i].toArray();
        ASSERT_EQ(chain.size(), 1);
        const QJsonObject head = chain[0].toObject();
        EXPECT_EQ(head["class"].toString(), "CHeadFilter");
        EXPECT_EQ(head["name"].toString(), "HeadFilter");
        EXPECT_EQ(head["channel"].toInt(), i == 9 ? 12 : i);
        EXPECT_EQ(head["rate"].toInt(), i == 9 ? 500 : 2000);
        EXPECT_EQ(head.keys().size(), 4);
    }
}

// Every registered module class, each with distinct values in every own field, reached through
// its stored record so that the test needs no class's header.
TEST(CliInfo, PrintsEveryFieldOfEveryModuleClass) {
    CKaisekiDoc doc;
    doc.OnNewDocument();
    struct Placed {
        std::string className;
        std::string name;
        int channel;
        int position;
        int rate;
        std::vector<double> values;
    };
    std::vector<Placed> placed;
    int serial = 0;
    for (const std::string& className : ModuleClassNames()) {
        if (className == "CHeadFilter") continue;  // heads are checked by the test above
        const auto expected = ExpectedFields().find(className);
        ASSERT_NE(expected, ExpectedFields().end())
            << className << " is registered but info has no field list for it";
        std::unique_ptr<CModBase> module = CreateModule(className);
        ASSERT_TRUE(module);
        ++serial;
        Placed p{className, module->m_name, serial % 16, 0, 100 + serial, {}};
        Archive record;
        for (std::size_t f = 0; f < expected->second.size(); ++f) {
            if (expected->second[f].isDouble) {
                p.values.push_back(0.1 * serial + 0.01 * static_cast<double>(f));
                record.WriteDouble(p.values.back());
            } else {
                p.values.push_back(1000 * serial + static_cast<int>(f) + 1);
                record.WriteInt(static_cast<int>(p.values.back()));
            }
        }
        Archive load(record.Bytes());
        module->SerializeOwn(load);
        ASSERT_EQ(load.Remaining(), 0u) << className << " stores other fields";
        module->m_samplingRate = p.rate;
        CModBase* head = doc.Head(p.channel);
        int position = 1;
        for (CModBase* m = head; m->m_next; m = m->m_next)
            ++position;
        p.position = position;
        CModBase::AppendModule(head, module.release());
        placed.push_back(p);
    }
    TempDir dir;
    const std::string path = dir.Write("modules.kcd", doc.SaveToBytes());
    auto result = RunCli({"info", path});
    ASSERT_EQ(result.status, 0) << result.err;
    const QJsonArray chains = ParseObject(result.out)["chains"].toArray();
    for (const Placed& p : placed) {
        SCOPED_TRACE(p.className);
        const QJsonObject m = chains[p.channel].toArray()[p.position].toObject();
        EXPECT_EQ(m["class"].toString().toStdString(), p.className);
        EXPECT_EQ(m["name"].toString().toStdString(), p.name);
        EXPECT_EQ(m["rate"].toInt(), p.rate);
        const auto& fields = ExpectedFields().at(p.className);
        EXPECT_EQ(m.keys().size(), static_cast<qsizetype>(3 + fields.size()));
        for (std::size_t f = 0; f < fields.size(); ++f) {
            ASSERT_TRUE(m.contains(fields[f].key)) << fields[f].key;
            EXPECT_EQ(m[fields[f].key].toDouble(), p.values[f]) << fields[f].key;
        }
    }
}

TEST(CliInfo, DoublesAreWrittenWithSeventeenSignificantDigits) {
    const auto registered = ModuleClassNames();
    if (std::find(registered.begin(), registered.end(), "CLPFilter") == registered.end())
        GTEST_SKIP() << "the low-pass filter is not built yet";
    CKaisekiDoc doc;
    doc.OnNewDocument();
    std::unique_ptr<CModBase> module = CreateModule("CLPFilter");
    Archive record;
    record.WriteDouble(0.3);
    Archive load(record.Bytes());
    module->SerializeOwn(load);
    CModBase::AppendModule(doc.Head(0), module.release());
    TempDir dir;
    auto result = RunCli({"info", dir.Write("lp.kcd", doc.SaveToBytes())});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("\"cutoff\":0.29999999999999999"), std::string::npos) << result.out;
}

TEST(CliInfo, UnreadableDocumentsGiveStatusTwoWithOneLine) {
    TempDir dir;
    CKaisekiDoc doc;
    doc.OnNewDocument();
    const std::string whole = doc.SaveToBytes();
    std::string unknownClass = whole;
    unknownClass.replace(unknownClass.find("CHeadFilter"), 11, "CNoSuchThng");
    const std::vector<std::string> files{
        dir.Write("short.kcd", whole.substr(0, 100)),
        dir.Write("empty.kcd", ""),
        dir.Write("class.kcd", unknownClass),
        dir.File("missing.kcd"),
        dir.Path().string(),
    };
    for (const std::string& file : files) {
        auto result = RunCli({"info", file});
        EXPECT_EQ(result.status, 2) << file;
        EXPECT_TRUE(result.out.empty()) << file;
        EXPECT_EQ(result.ErrLines(), 1) << result.err;
        EXPECT_NE(result.err.find(file), std::string::npos) << result.err;
    }
}

// A document handed over through a pipe is read; a device that never ends is refused once more
// than any document's bytes have come, instead of filling the memory.
TEST(CliInfo, DocumentsFromPipesAndEndlessDevices) {
    TempDir dir;
    CKaisekiDoc doc;
    doc.OnNewDocument();
    doc.m_headerRows = 7;
    const std::string bytes = doc.SaveToBytes();
    const std::string fifo = dir.File("pipe.kcd");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // The writing end opens once the tool has opened the reading end (given up after 20 s, so a
    // tool that never reads cannot hang the test).
    std::thread writer([&] {
        for (int attempt = 0; attempt < 2000; ++attempt) {
            const int fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                fcntl(fd, F_SETFL, 0);
                EXPECT_EQ(write(fd, bytes.data(), bytes.size()),
                          static_cast<ssize_t>(bytes.size()));
                close(fd);
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    auto result = RunCli({"info", fifo});
    writer.join();
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(ParseObject(result.out)["headerRows"].toInt(), 7);

    if (!std::filesystem::exists("/dev/zero")) GTEST_SKIP() << "no /dev/zero";
    result = RunCli({"info", "/dev/zero"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.ErrLines(), 1);
    EXPECT_NE(result.err.find("/dev/zero: too large for a document"), std::string::npos)
        << result.err;
}

TEST(CliInfo, AnOutputThatCannotBeWrittenGivesStatusTwo) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    TempDir dir;
    CKaisekiDoc doc;
    doc.OnNewDocument();
    const std::string path = dir.Write("doc.kcd", doc.SaveToBytes());
    test::CliEnvironment full;
    full.stdoutPath = "/dev/full";
    auto result = RunCli({"info", path}, full);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.ErrLines(), 1);
    EXPECT_NE(result.err.find("standard output"), std::string::npos) << result.err;
}

TEST(CliUsage, BadCommandLinesGiveStatusOneWithUsage) {
    TempDir dir;
    const std::string doc = dir.File("doc.kcd");
    const std::vector<std::vector<std::string>> lines{
        {},      {"frobnicate"}, {"info"}, {"info", doc, doc}, {"info", "--no-such-option", doc},
        {"new"},
    };
    for (const auto& line : lines) {
        auto result = RunCli(line);
        EXPECT_EQ(result.status, 1) << (line.empty() ? "(none)" : line[0]);
        EXPECT_TRUE(result.out.empty());
        EXPECT_NE(result.err.find("Usage: tavrel-cli"), std::string::npos) << result.err;
    }
    EXPECT_FALSE(std::filesystem::exists(doc));
    // The missing argument is named.
    EXPECT_EQ(RunCli({"export", "-o", doc}).err.find("tavrel-cli: missing argument DOC.kcd\n"), 0u);
    EXPECT_EQ(RunCli({"new"}).err.find("tavrel-cli: missing argument OUT.kcd\n"), 0u);
}

TEST(CliUsage, HelpAndVersion) {
    auto result = RunCli({"--help"});
    EXPECT_EQ(result.status, 0);
    for (const char* command : {"new", "info", "export", "render"})
        EXPECT_NE(result.out.find(command), std::string::npos) << command;
    result = RunCli({"info", "--help"});
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.out.find("Usage: tavrel-cli info DOC.kcd"), std::string::npos);
    EXPECT_TRUE(result.err.empty());
    // Each command's help names every option it takes.
    const std::vector<std::string> dataOptions{"--header-rows", "--skip-columns", "--rate",
                                               "--period",      "--unit",         "--factor",
                                               "--probe",       "--max-rows",     "--data"};
    std::vector<std::string> exportOptions{"-o", "--output", "--no-header", "--number"};
    std::vector<std::string> renderOptions{"-o",       "--output",  "--absolute", "--zoom-x",
                                           "--zoom-y", "--channel", "--range",    "--size"};
    exportOptions.insert(exportOptions.end(), dataOptions.begin(), dataOptions.end());
    renderOptions.insert(renderOptions.end(), dataOptions.begin(), dataOptions.end());
    for (const auto& [command, options] :
         {std::pair{"export", exportOptions}, std::pair{"render", renderOptions}}) {
        result = RunCli({command, "--help"});
        EXPECT_EQ(result.status, 0);
        EXPECT_NE(result.out.find(std::string("Usage: tavrel-cli ") + command + " DOC.kcd -o"),
                  std::string::npos);
        for (const std::string& option : options)
            EXPECT_NE(result.out.find(option + (option.size() == 2 ? "," : " ")), std::string::npos)
                << command << " " << option;
    }
    EXPECT_EQ(RunCli({"help", "render"}).out, RunCli({"render", "--help"}).out);
    result = RunCli({"--version"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, std::string("tavrel-cli ") + TAVREL_VERSION + "\n");
}

}  // namespace
}  // namespace tavrel
