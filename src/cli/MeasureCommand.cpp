// `measure`: the results table over many recordings. Each data file is read into a document of its
// own (one per thread), every channel measured as the program's results window measures it, and
// the rows written in the order the files were given, as CSV or JSON, into one table.
#include <QString>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "cli/Batch.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "cli/DataOptions.h"
#include "cli/RecordingInfo.h"
#include "document/BurstTable.h"
#include "document/KaisekiDoc.h"
#include "document/Measurements.h"

namespace tavrel::cli {

namespace {

// Where the table goes: the -o file (written whole or not at all) or standard output.
class TableOutput {
  public:
    explicit TableOutput(const QString& path) {
        if (!path.isEmpty()) m_file = std::make_unique<AtomicFile>(FileName(path));
    }
    void Write(std::string_view bytes) {
        if (bytes.empty()) return;
        if (m_file) {
            if (!m_file->Write(bytes)) m_file->Fail();
        } else if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size()) {
            throw FileError("standard output", std::strerror(errno));
        }
    }
    void Finish() {
        if (m_file) {
            m_file->Commit();
        } else if (std::fflush(stdout) != 0) {
            throw FileError("standard output", std::strerror(errno));
        }
    }

  private:
    std::unique_ptr<AtomicFile> m_file;
};

bool EndsWithJson(const QString& path) {
    return path.endsWith(QStringLiteral(".json"), Qt::CaseInsensitive);
}

// A finite number of at least 0 given with an option, or the default when the option is absent.
double NonNegativeOption(const CommandLine& line, const char* name, double fallback) {
    if (!line.IsSet(name)) return fallback;
    bool ok = false;
    const double value = line.Value(name).toDouble(&ok);
    if (!ok || !std::isfinite(value) || value < 0.0)
        throw line.UsageError(std::string("--") + name + ": expected a number of at least 0");
    return value;
}

// The burst settings of the command line; bad values are usage errors.
spectral::BurstSettings ReadBurstSettings(const CommandLine& line) {
    spectral::BurstSettings s;
    if (line.IsSet("baseline")) {
        const QStringList ends = line.Value("baseline").split(QLatin1Char(':'));
        bool ok0 = false;
        bool ok1 = false;
        const double b0 = ends.size() == 2 ? ends[0].toDouble(&ok0) : 0.0;
        const double b1 = ends.size() == 2 ? ends[1].toDouble(&ok1) : 0.0;
        if (!ok0 || !ok1 || !std::isfinite(b0) || !std::isfinite(b1) || b0 < 0.0 || b1 < b0)
            throw line.UsageError("--baseline: expected B0:B1 in ms with 0 <= B0 <= B1");
        s.baselineStartMs = b0;
        s.baselineEndMs = b1;
    }
    s.factor = NonNegativeOption(line, "k", s.factor);
    s.minOnMs = NonNegativeOption(line, "min-on", s.minOnMs);
    s.minOffMs = NonNegativeOption(line, "min-off", s.minOffMs);
    return s;
}

}  // namespace

int RunMeasure(const QStringList& arguments) {
    CommandLine line(
        "measure DOC.kcd [-o OUT.csv|OUT.json] [--bursts [--baseline B0:B1] [--k K] "
        "[--min-on MS] [--min-off MS]] [options]",
        "Measures every channel of the document for each data file (samples, rate, "
        "duration, min, max, mean, RMS, peak, marker, last value, mean and median "
        "frequency, slope) into one table; with --bursts, one row per burst of "
        "activity instead.");
    line.AddPositional("DOC.kcd", "The document file.");
    line.AddOption({{"o", "output"},
                    "The table to write: JSON when the name ends in .json, CSV otherwise "
                    "(default: CSV on standard output).",
                    "OUT"});
    line.AddOption({"data",
                    "Measure this data file instead of the document's (repeatable; rows follow "
                    "the order of the files).",
                    "PATH"});
    AddBatchOptions(line);
    line.AddOption({"no-header", "Write no header line (CSV)."});
    line.AddOption({"bursts",
                    "Write the burst table (file, channel, burst, onset, offset, duration, peak, "
                    "mean, RMS, integral) instead of the channel table."});
    line.AddOption({"baseline",
                    "Bursts: the baseline range in ms whose mean + K x SD is the threshold "
                    "(default 0:500).",
                    "B0:B1"});
    line.AddOption({"k", "Bursts: the factor of the baseline's SD (default 3).", "K"});
    line.AddOption({"min-on", "Bursts: the shortest burst in ms (default 50).", "MS"});
    line.AddOption(
        {"min-off", "Bursts: gaps shorter than this many ms are merged (default 50).", "MS"});
    line.AddOption({"events",
                    "Write the recordings' events (annotations, markers) instead of the "
                    "measurements: file,onset_ms,duration_ms,text (CSV only)."});
    AddDataOptions(line);
    line.Parse(arguments);

    const DataOptions options = ReadDataOptions(line);
    const int jobs = BatchJobs(line);
    const bool header = !line.IsSet("no-header");
    const QString out = line.IsSet("output") ? line.Value("output") : QString();
    if (line.IsSet("output") && out.isEmpty()) throw line.UsageError("-o: the name is empty");
    const bool json = EndsWithJson(out);
    const bool bursts = line.IsSet("bursts");
    for (const char* name : {"baseline", "k", "min-on", "min-off"})
        if (!bursts && line.IsSet(name))
            throw line.UsageError(std::string("--") + name + " needs --bursts");
    const spectral::BurstSettings burstSettings = ReadBurstSettings(line);
    const bool events = line.IsSet("events");
    if (events && json) throw line.UsageError("--events: the events are written as CSV only");
    if (events && bursts) throw line.UsageError("--events and --bursts: choose one table");
    // Without data files, the document's own. The list is const from here on: the threads index
    // it at the same time, and a non-const index of a shared list would copy it under them.
    const QStringList files = [&] {
        QStringList given = BatchDataFiles(line, options.dataFiles);
        if (given.isEmpty() && !line.IsSet("data-list")) given.append(QString());
        return given;
    }();
    // A document that cannot be read fails once, before any output is made; its bytes are read
    // once for all the files.
    const DocumentBytes document = ReadDocument(FileName(line.Positional(0)));
    {
        CKaisekiDoc check;
        OpenDocumentFile(check, document);
    }
    TableOutput output(out);

    std::vector<FileResult> results(static_cast<std::size_t>(files.size()));
    auto work = [&](std::size_t i) {
        const QString& dataFile = files[static_cast<qsizetype>(i)];
        results[i] = ProduceForFile(dataFile, [&](CliHost& host) {
            CKaisekiDoc doc;
            PrepareDocument(doc, document, options, dataFile, host);
            // The file column: the path as given, or the one the document stores.
            const std::string name = dataFile.isEmpty() ? doc.m_dataFilePath : FileName(dataFile);
            std::string text;
            if (events) {
                AppendEventRows(text, name, doc.Events());
                return text;
            }
            if (bursts) {
                const std::vector<BurstRow> rows = MeasureBursts(doc, name, burstSettings, true);
                if (json)
                    AppendBurstJson(text, rows);
                else
                    AppendBurstRows(text, rows);
                return text;
            }
            const std::vector<MeasurementRow> rows = MeasureDocument(doc, name, true);
            if (json)
                AppendMeasurementJson(text, rows);
            else
                AppendMeasurementRows(text, rows);
            return text;
        });
    };

    int status = kExitOk;
    bool anyObject = false;
    bool anyMeasured = false;
    if (json) {
        output.Write("[");
    } else if (header) {
        std::string line0;
        if (events)
            AppendEventsHeader(line0);
        else if (bursts)
            AppendBurstHeader(line0);
        else
            AppendMeasurementHeader(line0);
        output.Write(line0);
    }
    auto deliver = [&](std::size_t i) {
        FileResult result = std::move(results[i]);
        WriteWarnings(result.warnings);
        if (!result.error.empty()) {
            std::fprintf(stderr, "tavrel-cli: %s\n", result.error.c_str());
            status = kExitFile;
            return;
        }
        anyMeasured = true;
        if (json && !result.output.empty()) {
            output.Write(anyObject ? ",\n" : "\n");
            anyObject = true;
        }
        output.Write(result.output);
    };
    RunInOrder(results.size(), jobs, work, deliver);
    if (json) output.Write(anyObject ? "\n]\n" : "]\n");
    // When every data file failed there is no table: an -o file is not written (an earlier one
    // stays as it was), so that a failed run never leaves a table of headers only.
    if (!anyMeasured && !files.isEmpty() && !out.isEmpty()) return kExitFile;
    output.Finish();
    return status;
}

}  // namespace tavrel::cli
