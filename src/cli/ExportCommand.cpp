// `export`: opens a document as the GUI does (reading its data file) and writes the processed
// data of all sixteen channels as the "save processed data" command does, the export dialog's
// answers given by options. With several data files (or a list of them), each gets its own result
// in the folder named by -o, under the name the GUI proposes ("処理済" + the data file's name);
// the files are read on several threads, one document each, and written in the order given.
#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <new>
#include <string>
#include <system_error>
#include <vector>

#include "cli/Batch.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "cli/DataOptions.h"
#include "document/ExportWriter.h"
#include "document/KaisekiDoc.h"
#include "document/ParallelChannels.h"
#include "platform/TextCodec.h"

namespace tavrel::cli {

namespace {

void ExportOne(const std::string& documentPath, const DataOptions& options, const QString& dataFile,
               const ExportSettings& settings, const std::string& outPath) {
    ScopedCliHost host;
    // Created first, so an output that cannot be written fails before any work.
    AtomicFile file(outPath);
    std::array<ChannelExport, CKaisekiDoc::kChannels> channels;
    {
        CKaisekiDoc doc;
        PrepareDocument(doc, ReadDocument(documentPath), options, dataFile, host.Get());
        // Each chain hands over its output and releases its other buffers once it delivered, so
        // memory stays near the loaded samples plus the results.
        channels = GatherChannelData(doc, Gathering::Consume);
    }  // the source data go before the file is written

    const bool written = WriteExport(channels, settings,
                                     [&file](std::string_view bytes) { return file.Write(bytes); });
    if (!written) file.Fail();
    file.Commit();
    host.Get().FlushWarnings();
}

// One data file's export in memory, for the writing thread; or why it failed.
FileResult ExportToMemory(const DocumentBytes& document, const DataOptions& options,
                          const QString& dataFile, const ExportSettings& settings) {
    return ProduceForFile(dataFile, [&](CliHost& host) {
        std::array<ChannelExport, CKaisekiDoc::kChannels> channels;
        {
            CKaisekiDoc doc;
            PrepareDocument(doc, document, options, dataFile, host);
            channels = GatherChannelData(doc, Gathering::Consume);
        }  // the source data go before the file is formatted
        return FormatExport(channels, settings);
    });
}

}  // namespace

int RunExport(const QStringList& arguments) {
    CommandLine line("export DOC.kcd -o OUT.csv [options]",
                     "Writes the processed data of all 16 channels as the GUI's \"save processed "
                     "data\" command does, without dialogs.");
    line.AddPositional("DOC.kcd", "The document file.");
    line.AddOption({{"o", "output"},
                    "The file to write; with several --data files, the folder for the results.",
                    "OUT"});
    line.AddOption({"data",
                    "Read this data file instead of the document's (repeatable; each result is "
                    "named \"処理済\" + the data file's name).",
                    "PATH"});
    AddBatchOptions(line);
    line.AddOption({"no-header", "Write no header line."});
    line.AddOption({"number", "Add the data-number column: serial or time (ms).", "serial|time"});
    line.AddOption({"layout",
                    "shared (default): one line per sample index, a shorter channel reads 0; "
                    "per-channel: a time column beside every channel's values, empty cells past "
                    "a channel's end.",
                    "shared|per-channel"});
    AddDataOptions(line);
    line.Parse(arguments);

    if (!line.IsSet("output")) throw line.UsageError("-o OUT is required");
    const QString out = line.Value("output");
    const DataOptions options = ReadDataOptions(line);
    ExportSettings settings;  // what the export dialog proposes: a header line, no number column
    settings.m_header = line.IsSet("no-header") ? 0 : 1;
    if (line.IsSet("number")) {
        const QString kind = line.Value("number");
        if (kind != "serial" && kind != "time")
            throw line.UsageError("--number: expected serial or time");
        settings.m_numberColumn = 1;
        settings.m_numberKind = kind == "time" ? 1 : 0;
    }
    if (line.IsSet("layout")) {
        const QString layout = line.Value("layout");
        if (layout != "shared" && layout != "per-channel")
            throw line.UsageError("--layout: expected shared or per-channel");
        settings.m_perChannelTime = layout == "per-channel" ? 1 : 0;
    }
    const std::string documentPath = FileName(line.Positional(0));
    // The export file's labels are Shift-JIS: a unit with a character it lacks is written with
    // '?' in its place, as the GUI writes it. Said once, after a file was written.
    std::string unitWarning;
    if (options.unit && !Utf8ToCp932(*options.unit))
        unitWarning =
            "tavrel-cli: warning: --unit \"" + *options.unit +
            "\" has characters that Shift-JIS lacks; the export file shows '?' for them\n";

    const QStringList dataFiles = BatchDataFiles(line, options.dataFiles);
    const int jobs = BatchJobs(line);
    if (dataFiles.size() <= 1 && !line.IsSet("data-list")) {
        ExportOne(documentPath, options, dataFiles.isEmpty() ? QString() : dataFiles.first(),
                  settings, FileName(out));
        std::fputs(unitWarning.c_str(), stderr);
        return kExitOk;
    }

    // Two data files of the same name would write the same result file.
    std::vector<std::string> names;
    for (const QString& dataFile : dataFiles) {
        const std::string name = ProposeExportName(FileName(dataFile));
        if (std::find(names.begin(), names.end(), name) != names.end())
            throw line.UsageError("--data: two data files would both be written as " + name);
        names.push_back(name);
    }

    // Several data files: one result each in the folder -o names; a data file that fails is
    // reported and the others are still written. A bad document fails once, before any of them;
    // its bytes are read once for all of them.
    const DocumentBytes document = ReadDocument(documentPath);
    {
        CKaisekiDoc check;
        OpenDocumentFile(check, document);
    }
    const std::string folder = FileName(out);
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (!std::filesystem::is_directory(folder, ec)) throw FileError(folder, "not a folder");
    int status = kExitOk;
    bool written = false;
    std::vector<FileResult> results(static_cast<std::size_t>(dataFiles.size()));
    auto work = [&](std::size_t i) {
        results[i] =
            ExportToMemory(document, options, dataFiles[static_cast<qsizetype>(i)], settings);
    };
    // Written one at a time, in the order given.
    auto deliver = [&](std::size_t i) {
        FileResult result = std::move(results[i]);
        try {
            if (!result.error.empty()) throw CliError(kExitFile, result.error);
            WriteFileAtomically(folder + "/" + names[i], result.output);
            written = true;
        } catch (const CliError& error) {
            std::fprintf(stderr, "tavrel-cli: %s\n", error.what());
            status = error.Status();
        }
        WriteWarnings(result.warnings);
    };
    RunInOrder(results.size(), jobs, work, deliver);
    if (written) std::fputs(unitWarning.c_str(), stderr);
    return status;
}

}  // namespace tavrel::cli
