// `measure`: the results table over many recordings. Each data file is read into a document of its
// own (one per thread), every channel measured as the program's results window measures it, and
// the rows written in the order the files were given, as CSV or JSON, into one table.
#include <QString>
#include <cerrno>
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

}  // namespace

int RunMeasure(const QStringList& arguments) {
    CommandLine line("measure DOC.kcd [-o OUT.csv|OUT.json] [options]",
                     "Measures every channel of the document for each data file (samples, rate, "
                     "duration, min, max, mean, RMS, peak, marker, last value) into one table.");
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
    const bool events = line.IsSet("events");
    if (events && json) throw line.UsageError("--events: the events are written as CSV only");
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
    if (json) {
        output.Write("[");
    } else if (header) {
        std::string line0;
        if (events)
            AppendEventsHeader(line0);
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
        if (json && !result.output.empty()) {
            output.Write(anyObject ? ",\n" : "\n");
            anyObject = true;
        }
        output.Write(result.output);
    };
    RunInOrder(results.size(), jobs, work, deliver);
    if (json) output.Write(anyObject ? "\n]\n" : "]\n");
    output.Finish();
    return status;
}

}  // namespace tavrel::cli
