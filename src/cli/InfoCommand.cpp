// `new` writes the document file of a new document, or of a set-up given as JSON (`--from`);
// `info` prints the set-up stored in a document file as one JSON object, without reading its
// data file (the two are inverses: `new --from` of what `info` printed gives that document
// back), and `info --data FILE` what a data file holds.
#include <QCommandLineOption>
#include <cstdio>
#include <string>

#include "cli/Batch.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "cli/RecordingInfo.h"
#include "document/KaisekiDoc.h"
#include "document/Recording.h"
#include "document/SetupJson.h"

namespace tavrel::cli {

namespace {

// The text of a set-up: a file (read with the document reader's size cap and reasons) or, for
// "-", standard input.
std::string ReadSetupText(const QString& from, const std::string& name) {
    std::string text;
    if (from == "-") {
        char chunk[65536];
        std::size_t n = 0;
        while ((n = std::fread(chunk, 1, sizeof chunk, stdin)) > 0) {
            if (text.size() + n > kMaxDocumentBytes) throw FileError(name, "too large");
            text.append(chunk, n);
        }
        if (std::ferror(stdin)) throw FileError(name, "cannot read");
        return text;
    }
    if (const std::string reason = ReadDocumentFileBytes(name, text); !reason.empty())
        throw FileError(name, reason);
    return text;
}

}  // namespace

int RunNew(const QStringList& arguments) {
    CommandLine line("new OUT.kcd [--from SETUP.json]",
                     "Writes the document file of a new document (16 channels, channel 1 "
                     "enabled, no data file), or of the set-up in a JSON file as info prints it.");
    line.AddPositional("OUT.kcd", "The document file to write.");
    line.AddOption(QCommandLineOption(
        "from",
        "The set-up to write, as JSON with the keys info prints (- reads standard input); a key "
        "left out takes its value in a new document.",
        "SETUP.json"));
    line.Parse(arguments);
    const std::string out = FileName(line.Positional(0));

    ScopedCliHost host;
    std::string bytes;
    if (line.IsSet("from")) {
        const QString from = line.Value("from");
        const std::string setupName = from == "-" ? "standard input" : FileName(from);
        SetupBuild build = BuildSetupDocument(ReadSetupText(from, setupName));
        if (!build.ok) throw FileError(setupName, build.error);
        for (std::string& warning : build.warnings)
            warning = setupName + ": " + warning;
        WriteWarnings(build.warnings);
        bytes = std::move(build.bytes);
    } else {
        CKaisekiDoc doc;
        doc.OnNewDocument();
        bytes = doc.SaveToBytes();
    }
    WriteFileAtomically(out, bytes);
    host.Get().FlushWarnings();
    return kExitOk;
}

namespace {

void WriteOut(const std::string& text) {
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout))
        throw FileError("standard output", "cannot write");
}

// `info --data FILE`: the recording as the reader reads it (all rows unless --max-rows).
int RunDataInfo(const QStringList& arguments) {
    CommandLine line(
        "info --data FILE [--skip-columns N] [--header-rows N] [--max-rows N] [--jobs N]",
        "Prints what a data file holds as one JSON object: the channels read, the "
        "rate and unit its header gives, its length and its events.");
    line.AddOption({"data", "The data file to describe.", "FILE"});
    line.AddOption({"skip-columns", "Leading columns or signals to skip (0-9).", "N"});
    line.AddOption({"header-rows", "Leading lines of a text file to skip (0-99).", "N"});
    line.AddOption({"max-rows", "Rows to read at most (0, the default: all).", "N"});
    AddJobsOption(line);
    line.Parse(arguments);
    BatchJobs(line);
    ReadOptions options;
    options.skipColumns = line.IntOption("skip-columns", 0, 9).value_or(0);
    options.headerRows = line.IntOption("header-rows", 0, 99).value_or(0);
    options.maxRows = line.IntOption("max-rows", 0, 2147483647).value_or(0);
    const std::string path = FileName(line.Value("data"));
    if (path.empty()) throw line.UsageError("--data: the name is empty");
    RecordingResult read = ReadRecording(path, options, nullptr);
    if (!read)
        throw FileError(path, read.Error().reason.empty() ? "cannot be read" : read.Error().reason);
    WriteOut(DescribeRecording(path, *read));
    return kExitOk;
}

}  // namespace

int RunInfo(const QStringList& arguments) {
    for (const QString& argument : arguments)
        if (argument == QStringLiteral("--data") || argument.startsWith(QStringLiteral("--data=")))
            return RunDataInfo(arguments);
    CommandLine line("info DOC.kcd",
                     "Prints the set-up stored in a document file as one JSON object; the data "
                     "file is not read.");
    line.AddPositional("DOC.kcd", "The document file to describe.");
    line.AddOption({"data",
                    "Describe this data file instead (channels, rate, unit, length and events; "
                    "then no DOC.kcd is given).",
                    "FILE"});
    line.Parse(arguments);
    const std::string path = FileName(line.Positional(0));

    ScopedCliHost host;
    CKaisekiDoc doc;
    OpenDocumentFile(doc, path);
    const std::string json = DescribeSetup(doc);
    host.Get().FlushWarnings();
    WriteOut(json);
    return kExitOk;
}

}  // namespace tavrel::cli
