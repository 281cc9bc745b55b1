// The tool under a decimal-comma locale (German): Qt's application object takes the locale of
// the environment for the C library, so any number written or read through printf, strtod or
// streams would show "0,5". Every output must be the same bytes as under the default locale.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>

#include "CliFixtures.h"
#include "CliRunner.h"
#include "document/ExportWriter.h"
#include "document/KaisekiDoc.h"
#include "pipeline/ModuleRegistry.h"
#include "platform/Archive.h"
#include "support/Loading.h"
#include "support/ScriptedHost.h"

namespace tavrel {
namespace {

using test::RunCli;
using test::TempDir;

// Whether the machine has the locale and it really writes a decimal comma; the test set-up
// (scripts/setup-deps.sh) generates it.
bool DecimalCommaLocaleExists() {
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    const bool exists = std::setlocale(LC_ALL, test::kDecimalCommaLocale) != nullptr &&
                        std::strcmp(std::localeconv()->decimal_point, ",") == 0;
    std::setlocale(LC_ALL, previous.c_str());
    return exists;
}

// A PDF file without its creation date, the one part that differs from run to run.
std::string WithoutCreationDate(std::string pdf) {
    const std::size_t at = pdf.find("/CreationDate");
    if (at != std::string::npos) pdf.erase(at, pdf.find('\n', at) - at);
    return pdf;
}

class CliLocale : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(DecimalCommaLocaleExists())
            << test::kDecimalCommaLocale << " is missing: run scripts/setup-deps.sh";
        for (const char* name : {"CLPFilter", "CSDActDetFilter", "CDiffFilter"}) {
            if (!CreateModule(name)) GTEST_SKIP() << name << " is not built yet";
        }
        // Values with fractions, exponents and signs, a header line and a time column.
        csv = test::WriteCsv(
            dir, "data.csv", 700, 4,
            [](int r, int c) {
                return c == 0 ? r * 0.5
                              : std::sin(r * 0.03 * c) * std::pow(10.0, 2 - 3 * c) - 0.125;
            },
            "t,a,b,c\r\n");
        doc = test::WriteDocument(dir, "doc.kcd", [&](CKaisekiDoc& d) {
            d.m_dataFilePath = csv;
            d.m_headerRows = 1;
            d.m_skipColumns = 1;
            test::AppendModule(d, 0, "CLPFilter", [](Archive& a) { a.WriteDouble(0.3); });
            test::AppendModule(d, 1, "CDiffFilter");
            test::AppendModule(d, 2, "CSDActDetFilter", [](Archive& a) {
                a.WriteInt(0);
                a.WriteInt(50);
                a.WriteDouble(2.5);
                a.WriteInt(10);
            });
        });
    }
    // Runs the tool in the default environment and under the decimal-comma locale; both must
    // succeed silently. Returns the two results' stdout, or the output files' bytes when `out`
    // names one.
    std::pair<std::string, std::string> BothWays(std::vector<std::string> arguments,
                                                 const std::string& out = {}) {
        std::pair<std::string, std::string> bytes;
        for (int i = 0; i < 2; ++i) {
            if (!out.empty()) std::filesystem::remove(out);
            auto result =
                i == 0 ? RunCli(arguments) : RunCli(arguments, test::DecimalCommaLocale());
            EXPECT_EQ(result.status, 0) << result.err;
            EXPECT_TRUE(result.err.empty()) << result.err;
            (i == 0 ? bytes.first : bytes.second) =
                out.empty() ? result.out : test::ReadFileBytes(out);
        }
        return bytes;
    }
    TempDir dir;
    std::string csv;
    std::string doc;
};

TEST_F(CliLocale, ExportReadsAndWritesDecimalPoints) {
    const std::string out = dir.File("out.csv");
    const auto [plain, german] = BothWays(
        {"export", doc, "-o", out, "--number", "time", "--period", "3", "--unit", "μV"}, out);
    EXPECT_EQ(german, plain);
    // And they are what the core writes in this process, which runs in the C locale.
    test::ScriptedHost host;
    CKaisekiDoc expected;
    ASSERT_TRUE(expected.ReadDocumentFile(doc));
    for (int k = 0; k < CKaisekiDoc::kChannels; ++k) {
        expected.Head(k)->m_samplingRate = 333;
        expected.Head(k)->m_unit = "μV";
    }
    ASSERT_TRUE(test::LoadDataFile(expected));
    ExportSettings settings;
    settings.m_numberColumn = 1;
    settings.m_numberKind = 1;
    ASSERT_TRUE(WriteProcessedData(expected, dir.File("core.csv"), settings).Ok());
    EXPECT_EQ(german, test::ReadFileBytes(dir.File("core.csv")));
    EXPECT_NE(german.find("\r\n3.003003003,"), std::string::npos);
}

TEST_F(CliLocale, InfoWritesDecimalPoints) {
    const auto [plain, german] = BothWays({"info", doc});
    EXPECT_EQ(german, plain);
    EXPECT_NE(german.find("\"cutoff\":0.29999999999999999"), std::string::npos) << german;
    EXPECT_NE(german.find("\"sdFactor\":2.5"), std::string::npos) << german;
}

TEST_F(CliLocale, RenderDrawsTheSamePictures) {
    // Scale labels with fractions ("x0.05[mV]") and time ticks of a 3 ms period.
    for (const char* name : {"view.png", "view.svg"}) {
        SCOPED_TRACE(name);
        const std::string out = dir.File(name);
        const auto [plain, german] = BothWays({"render", doc, "-o", out, "--period", "3"}, out);
        EXPECT_FALSE(plain.empty());
        EXPECT_TRUE(german == plain);
    }
    const std::string svg = test::ReadFileBytes(dir.File("view.svg"));
    EXPECT_NE(svg.find(">x0."), std::string::npos) << "a scale label with a fraction";
    const std::string pdf = dir.File("mag.pdf");
    const auto [plain, german] =
        BothWays({"render", doc, "-o", pdf, "--channel", "3", "--range", "10:300"}, pdf);
    EXPECT_EQ(WithoutCreationDate(german), WithoutCreationDate(plain));
}

}  // namespace
}  // namespace tavrel
