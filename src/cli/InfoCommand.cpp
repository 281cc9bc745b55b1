// `new` writes the document file of a new document, or of a set-up given as JSON (`--from`);
// `info` prints the set-up stored in a document file as one JSON object, without reading its
// data file. The two are inverses: `new --from` of what `info` printed gives that document back.
#include <QCommandLineOption>
#include <cstdio>
#include <string>

#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "document/KaisekiDoc.h"
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

int RunInfo(const QStringList& arguments) {
    CommandLine line("info DOC.kcd",
                     "Prints the set-up stored in a document file as one JSON object; the data "
                     "file is not read.");
    line.AddPositional("DOC.kcd", "The document file to describe.");
    line.Parse(arguments);
    const std::string path = FileName(line.Positional(0));

    ScopedCliHost host;
    CKaisekiDoc doc;
    OpenDocumentFile(doc, path);
    const std::string json = DescribeSetup(doc);
    host.Get().FlushWarnings();
    if (std::fwrite(json.data(), 1, json.size(), stdout) != json.size() || std::fflush(stdout))
        throw FileError("standard output", "cannot write");
    return kExitOk;
}

}  // namespace tavrel::cli
