// `export` of EDF and BDF recordings: the bytes equal those of the same physical values read from a
// comma-separated file with the recording's rate and unit given, for every format, with skipped
// signals and a row cap; signals of another rate are a warning, a damaged recording a failure.
#include <edflib.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "CliFixtures.h"
#include "CliRunner.h"
#include "support/EdfWriter.h"

namespace tavrel {
namespace {

using test::RunCli;

class CliEdfExport : public ::testing::Test {
  protected:
    // Exports the document with the options; the bytes, or "" and a failure.
    std::string Export(const std::string& document, std::vector<std::string> options,
                       std::string* err = nullptr) {
        const std::string out = dir.File("out.csv");
        std::filesystem::remove(out);
        options.insert(options.begin(), {"export", document, "-o", out, "--number", "time"});
        const test::CliResult result = RunCli(options);
        EXPECT_EQ(result.status, 0) << result.err;
        if (err)
            *err = result.err;
        else  // nothing but the notice of rows left out at the row cap
            EXPECT_TRUE(result.QuietButRowsNotice()) << result.err;
        return test::ReadFileBytes(out);
    }
    // A document naming `dataFile` as its data file.
    std::string Document(const std::string& name, const std::string& dataFile) {
        return test::WriteDocument(dir, name,
                                   [&](CKaisekiDoc& doc) { doc.m_dataFilePath = dataFile; });
    }
    // The recording's signals as EDFlib reads them, written as a comma-separated file.
    std::string SameValuesAsCsv(const std::string& recording, std::size_t signals) {
        std::vector<std::vector<double>> values = test::ReadEdfPhysical(recording);
        values.resize(std::min(values.size(), signals));
        const std::string path = recording + ".csv";
        test::WriteColumnsCsv(path, values);
        return path;
    }

    test::TempDir dir;
};

test::EdfSpec TwentySignals() {
    test::EdfSpec spec;
    spec.fileType = EDFLIB_FILETYPE_BDFPLUS;
    spec.records = 2;
    for (int s = 0; s < 20; ++s) {
        test::EdfSignalSpec signal;
        signal.label = "S" + std::to_string(s);
        signal.samplesPerRecord = 100;
        signal.value = [s](int i) { return (s + 1) * 37.5 * std::cos(0.01 * (s + 1) * i); };
        spec.channels.push_back(signal);
    }
    return spec;
}

// 24-bit values at and next to both digital limits, and beyond them (clipped by the writer).
test::EdfSpec NearTheDigitalLimits() {
    test::EdfSpec spec;
    spec.fileType = EDFLIB_FILETYPE_BDF;
    test::EdfSignalSpec signal;
    signal.label = "Limits";
    signal.unit = "mV";
    signal.physMin = -8388.608;
    signal.physMax = 8388.607;
    const double step = 0.001;
    signal.value = [=](int i) {
        const double edge = (i % 2 ? signal.physMax : signal.physMin);
        return edge - (i % 2 ? 1 : -1) * step * (i % 5) + (i % 7 == 0 ? (i % 2 ? 5 : -5) : 0);
    };
    spec.channels = {signal, signal};
    spec.channels[1].label = "Limits2";
    return spec;
}

TEST_F(CliEdfExport, RecordingsExportAsTheSameValuesReadFromCsv) {
    struct Case {
        std::string name;
        test::EdfSpec spec;
        std::size_t sameRate;  // the leading signals of the first signal's rate
        std::vector<std::string> csvOptions;
    };
    test::EdfSpec twoRates = test::ThreeSines(EDFLIB_FILETYPE_EDFPLUS);
    twoRates.channels[2].samplesPerRecord = 1000;
    std::vector<Case> cases{
        {"sines.edf", test::ThreeSines(EDFLIB_FILETYPE_EDF), 3, {"--unit", "uV"}},
        {"sines-plus.edf", test::ThreeSines(EDFLIB_FILETYPE_EDFPLUS), 3, {"--unit", "uV"}},
        {"sines.bdf", test::ThreeSines(EDFLIB_FILETYPE_BDF), 3, {"--unit", "uV"}},
        {"sines-plus.bdf", test::ThreeSines(EDFLIB_FILETYPE_BDFPLUS), 3, {"--unit", "uV"}},
        {"two-rates.edf", twoRates, 2, {"--unit", "uV"}},
        {"limits.bdf", NearTheDigitalLimits(), 2, {"--unit", "mV"}},
        {"twenty.bdf", TwentySignals(), 20, {"--unit", "uV"}},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string recording = dir.File(c.name);
        ASSERT_TRUE(test::WriteEdf(recording, c.spec));
        const std::string csv = SameValuesAsCsv(recording, c.sameRate);
        const int rate = c.spec.channels[0].samplesPerRecord;
        std::vector<std::string> csvOptions{"--data",   csv, "--rate", std::to_string(rate),
                                            "--factor", "1"};
        csvOptions.insert(csvOptions.end(), c.csvOptions.begin(), c.csvOptions.end());

        const std::string document = Document("rec.kcd", recording);
        std::string warning;
        // Opening the document reads the recording and takes its rate and unit.
        const std::string opened = Export(document, {}, &warning);
        const std::string fromCsv = Export(document, csvOptions);
        EXPECT_EQ(opened, fromCsv);
        EXPECT_GT(opened.size(), 1000u);
        EXPECT_EQ(Export(document, {"--data", recording}, &warning), fromCsv);
        // Skipped signals and the row cap act as on the comma-separated file.
        std::vector<std::string> limits{"--skip-columns", "1", "--max-rows", "1234"};
        if (c.sameRate > 2) {
            csvOptions.insert(csvOptions.end(), limits.begin(), limits.end());
            EXPECT_EQ(Export(document, limits, &warning), Export(document, csvOptions));
        }
    }
}

TEST_F(CliEdfExport, OptionsReplaceTheRecordingsRateAndUnit) {
    const std::string recording = dir.File("sines.bdf");
    ASSERT_TRUE(test::WriteEdf(recording, test::ThreeSines(EDFLIB_FILETYPE_BDF)));
    const std::string csv = SameValuesAsCsv(recording, 3);
    const std::string document = Document("rec.kcd", recording);
    const std::vector<std::string> given{"--rate", "500", "--unit", "V", "--factor", "3"};
    std::vector<std::string> withCsv = given;
    withCsv.insert(withCsv.end(), {"--data", csv});
    const std::string exported = Export(document, given);
    EXPECT_EQ(exported, Export(document, withCsv));
    EXPECT_EQ(exported.substr(0, 21), "Time([ms]),CH1(3x[V])");
    // Only the unit given: the recording's rate stays, the factor is the recording's 1.
    EXPECT_EQ(Export(document, {"--unit", "V"}),
              Export(document, {"--unit", "V", "--data", csv, "--rate", "2000", "--factor", "1"}));
}

TEST_F(CliEdfExport, SignalsOfAnotherRateAreOneWarningLine) {
    test::EdfSpec spec = test::ThreeSines(EDFLIB_FILETYPE_BDFPLUS);
    spec.channels[1].samplesPerRecord = 250;
    spec.channels[1].label = "Resp";
    const std::string recording = dir.File("rates.bdf");
    ASSERT_TRUE(test::WriteEdf(recording, spec));
    std::string err;
    Export(Document("rec.kcd", recording), {}, &err);
    EXPECT_EQ(err, "tavrel-cli: warning: " + recording +
                       ": signals of another sampling rate were not read: Resp\n");
}

TEST_F(CliEdfExport, DamagedRecordingsFailWithEdflibsReason) {
    const std::string recording = dir.File("sines.edf");
    ASSERT_TRUE(test::WriteEdf(recording, test::ThreeSines(EDFLIB_FILETYPE_EDFPLUS)));
    const std::string bytes = test::ReadFileBytes(recording);
    const std::string truncated = dir.Write("truncated.edf", bytes.substr(0, bytes.size() - 7));
    const std::string out = dir.File("out.csv");
    const test::CliResult result =
        RunCli({"export", Document("rec.kcd", recording), "-o", out, "--data", truncated});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(
        result.err.rfind("tavrel-cli: " + truncated + ": cannot open the data file (EDFlib: ", 0),
        0u)
        << result.err;
    EXPECT_EQ(result.ErrLines(), 1);
    EXPECT_FALSE(std::filesystem::exists(out));
}

}  // namespace
}  // namespace tavrel
