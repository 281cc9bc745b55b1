// `new OUT.kcd --from SETUP.json`: the example's set-up comes back byte for byte through `info`,
// standard input is read for "-", an out-of-range value is written with a warning line, and each
// kind of bad input fails with status 2, one line and no output file.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "CliRunner.h"
#include "support/TempDir.h"

namespace tavrel {
namespace {

using test::RunCli;
using test::TempDir;

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

TEST(NewFrom, TheExampleComesBackByteForByteAndStandardInputIsRead) {
    TempDir dir;
    const std::string example = std::string(TAVREL_SOURCE_DIR) + "/examples/emg-demo.kcd";
    const test::CliResult info = RunCli({"info", example});
    ASSERT_EQ(info.status, 0) << info.err;
    WriteText(dir.File("setup.json"), info.out);
    const test::CliResult made =
        RunCli({"new", dir.File("copy.kcd"), "--from", dir.File("setup.json")});
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_EQ(made.err, "");
    EXPECT_EQ(test::ReadFileBytes(dir.File("copy.kcd")), test::ReadFileBytes(example));

    const std::string command =
        std::string(TAVREL_CLI) + " new '" + dir.File("piped.kcd") + "' --from - 2>/dev/null";
    std::FILE* pipe = popen(command.c_str(), "w");
    ASSERT_TRUE(pipe);
    std::fwrite(info.out.data(), 1, info.out.size(), pipe);
    EXPECT_EQ(pclose(pipe), 0);
    EXPECT_EQ(test::ReadFileBytes(dir.File("piped.kcd")), test::ReadFileBytes(example));
}

TEST(NewFrom, AValueItsDialogWouldRefuseIsWrittenWithAWarning) {
    TempDir dir;
    WriteText(dir.File("s.json"),
              R"({"chains":[[{"class":"CHeadFilter"},{"class":"CReSmplFilter","step":0}]]})");
    const test::CliResult made = RunCli({"new", dir.File("s.kcd"), "--from", dir.File("s.json")});
    EXPECT_EQ(made.status, 0);
    EXPECT_EQ(made.ErrLines(), 1);
    EXPECT_EQ(made.err.rfind("tavrel-cli: warning: ", 0), 0u) << made.err;
    EXPECT_NE(made.err.find("\"step\" 0 is outside the range its dialog accepts (1 to 100)"),
              std::string::npos)
        << made.err;
    const test::CliResult info = RunCli({"info", dir.File("s.kcd")});
    EXPECT_NE(
        info.out.find("\"class\":\"CReSmplFilter\",\"name\":\"間引き\",\"rate\":2000,\"step\":0"),
        std::string::npos)
        << info.out;
}

TEST(NewFrom, BadInputFailsWithOneLineAndNoFile) {
    TempDir dir;
    const char* cases[] = {
        "{\"chains\": [",
        R"({"chains":[[{"class":"CHeadFilter"},{"class":"CMissing"}]]})",
        R"({"chains":[[{"class":"CHeadFilter","chanel":0}]]})",
        R"({"headerRows":"1"})",
        R"({"headerRows":4294967296})",
        R"({"chains":[[{"class":"CHeadFilter"},{"class":"CSmothFilter","points":1.5}]]})",
        R"({"chains":[[{"class":"CHeadFilter"},{"class":"CLPFilter","cutoff":-1e400}]]})",
        R"({"chains":[[],[],[],[],[],[],[],[],[],[],[],[],[],[],[],[],[]]})",
        R"({"chains":[[{"class":"CDiffFilter"}]]})",
    };
    for (const char* json : cases) {
        WriteText(dir.File("bad.json"), json);
        const test::CliResult made =
            RunCli({"new", dir.File("bad.kcd"), "--from", dir.File("bad.json")});
        EXPECT_EQ(made.status, 2) << json;
        EXPECT_EQ(made.ErrLines(), 1) << made.err;
        EXPECT_NE(made.err.find("bad.json: line 1, column "), std::string::npos) << made.err;
        EXPECT_FALSE(std::filesystem::exists(dir.File("bad.kcd"))) << json;
    }
    const test::CliResult missing =
        RunCli({"new", dir.File("bad.kcd"), "--from", dir.File("none.json")});
    EXPECT_EQ(missing.status, 2);
    EXPECT_FALSE(std::filesystem::exists(dir.File("bad.kcd")));
}

}  // namespace
}  // namespace tavrel
