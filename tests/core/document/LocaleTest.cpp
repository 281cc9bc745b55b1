// Reading the data file and writing the export give the same values and bytes whatever the C
// library's locale: under a decimal-comma locale printf and strtod change, the program does not.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "document/ExportWriter.h"
#include "document/KaisekiDoc.h"
#include "support/Loading.h"
#include "support/ScriptedHost.h"
#include "support/TempDir.h"

namespace tavrel {
namespace {

// Sets the process locale for one scope and puts "C" back afterwards.
class LocaleScope {
  public:
    explicit LocaleScope(const char* name) : m_ok(std::setlocale(LC_ALL, name) != nullptr) {}
    ~LocaleScope() { std::setlocale(LC_ALL, "C"); }
    bool ok() const { return m_ok; }

  private:
    bool m_ok;
};

// Reads `data` as a data file and exports it with a time column; the export file's bytes.
std::string ReadAndExport(const test::TempDir& dir, const std::string& data, const char* name) {
    test::ScriptedHost host;
    CKaisekiDoc doc;
    doc.OnNewDocument();
    doc.m_dataFilePath = dir.Write(std::string(name) + ".csv", data);
    EXPECT_TRUE(test::LoadDataFile(doc));
    ExportSettings settings;
    settings.m_numberColumn = 1;
    settings.m_numberKind = 1;
    const std::string out = dir.File(std::string(name) + "-out.csv");
    EXPECT_TRUE(WriteProcessedData(doc, out, settings));
    return test::ReadFileBytes(out);
}

TEST(Locale, DecimalCommaLocaleChangesNeitherReadingNorWriting) {
    test::TempDir dir;
    const std::string data = "1.5,2.25\r\n-3.75e-1,1e-5\r\n0.1,12345678901\r\n";
    const std::string inC = ReadAndExport(dir, data, "c");
    EXPECT_EQ(inC,
              "Time([ms]),CH1([mV]),CH2([mV])\r\n0,1.5,2.25\r\n0.5,-0.375,1E-005\r\n"
              "1,0.1,1.23456789E+010\r\n");

    LocaleScope german("de_DE.UTF-8");
    ASSERT_TRUE(german.ok()) << "the de_DE.UTF-8 locale is missing; scripts/setup-deps.sh adds it";
    // The locale really has a decimal comma: the C library's own reading and writing change.
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", 1.5);
    ASSERT_STREQ(text, "1,5");
    ASSERT_EQ(std::atof("1.5"), 1.0);

    EXPECT_EQ(ReadAndExport(dir, data, "de"), inC);
}

}  // namespace
}  // namespace tavrel
