// --jobs: every export, picture and measurement of a document is byte for byte the same whether
// its channels are computed on one thread or several, and the same for several files at once.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "CliFixtures.h"
#include "CliRunner.h"
#include "platform/Archive.h"

namespace tavrel {
namespace {

using test::RunCli;
using test::TempDir;

// Sixteen channels with chains of one to four modules, two channels fed from one column.
std::string ManyChains(const TempDir& dir, const std::string& dataFile) {
    return test::WriteDocument(dir, "chains.kcd", [&](CKaisekiDoc& doc) {
        doc.m_dataFilePath = dataFile;
        for (int k = 0; k < CKaisekiDoc::kChannels; ++k) {
            doc.m_channelEnabled[static_cast<std::size_t>(k)] = 1;
            test::AppendModule(doc, k, "CBPFilter");
            if (k % 2) test::AppendModule(doc, k, "CDiodeFilter");
            if (k % 3) test::AppendModule(doc, k, "CSmothFilter", [k](Archive& a) {
                a.WriteInt(5 + 7 * k);
            });
            if (k % 5 == 1) test::AppendModule(doc, k, "CReSmplFilter", [](Archive& a) {
                a.WriteInt(3);
            });
        }
        doc.m_channelSource[4] = 0;
    });
}

// The output file's bytes of one run of the tool.
std::string Output(std::vector<std::string> arguments, const std::string& out) {
    std::filesystem::remove_all(out);
    auto result = RunCli(arguments);
    EXPECT_EQ(result.status, 0) << result.err;
    return test::ReadFileBytes(out);
}

TEST(CliJobs, EveryOutputIsTheSameOnAnyNumberOfThreads) {
    TempDir dir;
    const std::string csv = test::WriteCsv(dir, "data.csv", 6000, 16, [](int r, int c) {
        return std::sin(r * 0.002 * (c + 1)) * (c + 1) + 0.05 * (r % 13);
    });
    const std::string second = test::WriteCsv(dir, "second.csv", 2500, 16, [](int r, int c) {
        return std::cos(r * 0.01 * (c + 2)) - 0.5 * (r % 3);
    });
    const std::string examples = TAVREL_SOURCE_DIR "/examples/";
    const std::string out = dir.File("out");
    for (const std::string& doc :
         {ManyChains(dir, csv), examples + "emg-demo.kcd", examples + "emg-guidelines.kcd",
          examples + "fatigue-demo.kcd"}) {
        auto runs = [&](const std::string& jobs) {
            std::vector<std::string> outputs;
            outputs.push_back(Output({"export", doc, "-o", out, "--number", "time", "--jobs", jobs},
                                     out));
            outputs.push_back(Output({"measure", doc, "-o", out, "--jobs", jobs}, out));
            outputs.push_back(Output(
                {"measure", doc, "-o", out, "--data", csv, "--data", second, "--jobs", jobs}, out));
            outputs.push_back(
                Output({"render", doc, "-o", out + ".png", "--absolute", "--jobs", jobs},
                       out + ".png"));
            outputs.push_back(Output({"render", doc, "-o", out + ".svg", "--jobs", jobs},
                                     out + ".svg"));
            return outputs;
        };
        const std::vector<std::string> one = runs("1");
        if (doc == examples + "emg-demo.kcd") {
            // What a data file holds, read on one thread or several.
            const auto described = RunCli({"info", "--data", csv, "--jobs", "1"});
            ASSERT_EQ(described.status, 0) << described.err;
            EXPECT_EQ(RunCli({"info", "--data", csv, "--jobs", "3"}).out, described.out);
            EXPECT_EQ(RunCli({"info", "--data", csv, "--jobs", "0"}).status, 1);
        }
        for (const std::string& output : one)
            EXPECT_GT(output.size(), 100u);
        for (const std::string jobs : {"2", "3", "8"}) {
            const std::vector<std::string> many = runs(jobs);
            for (std::size_t i = 0; i < one.size(); ++i)
                EXPECT_TRUE(many[i] == one[i]) << doc << " --jobs " << jobs << " output " << i;
        }
    }
}

// A system that gives no more threads (here: none) leaves the work to the calling thread, with
// the same bytes as on one thread, instead of failing.
TEST(CliJobs, WithoutThreadsToBeHadTheCallingThreadDoesTheWork) {
    TempDir dir;
    // Readable and writable for the user nobody, as whom a test run as root starts the tool.
    std::filesystem::permissions(dir.Path(), std::filesystem::perms::all);
    const std::string csv = test::WriteCsv(dir, "data.csv", 3000, 16, [](int r, int c) {
        return std::sin(r * 0.004 * (c + 1)) * (c + 1) - 0.1 * (r % 7);
    });
    const std::string doc = ManyChains(dir, csv);
    test::CliEnvironment limited;
    limited.noThreads = true;
    const std::vector<std::vector<std::string>> commands = {
        {"export", doc, "--jobs", "8", "-o"},
        {"measure", doc, "--data", csv, "--data", csv, "--data", csv, "--jobs", "3", "-o"}};
    for (const std::vector<std::string>& command : commands) {
        std::vector<std::string> one = command;
        one.push_back(dir.File("one"));
        one[one.size() - 3] = "1";
        ASSERT_EQ(RunCli(one).status, 0);
        std::vector<std::string> none = command;
        none.push_back(dir.File("none"));
        const auto result = RunCli(none, limited);
        if (result.status == 125) GTEST_SKIP() << "the limit of processes cannot be set here";
        EXPECT_EQ(result.status, 0) << command[0] << ": " << result.err;
        EXPECT_EQ(test::ReadFileBytes(dir.File("none")), test::ReadFileBytes(dir.File("one")))
            << command[0];
        std::filesystem::remove(dir.File("none"));
    }
}

}  // namespace
}  // namespace tavrel
