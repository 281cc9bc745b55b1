// `new` writes the document file of a new document; `info` prints the set-up stored in a
// document file as one JSON object, without reading its data file, and `info --data FILE` what a
// data file holds.
#include <cstdio>
#include <string>

#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "cli/ModuleFields.h"
#include "cli/RecordingInfo.h"
#include "document/KaisekiDoc.h"
#include "document/Recording.h"
#include "platform/Json.h"

namespace tavrel::cli {

namespace {

void AppendByteList(std::string& out, const std::vector<std::uint8_t>& list) {
    out += '[';
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (i) out += ',';
        AppendJsonInt(out, list[i]);
    }
    out += ']';
}

void AppendModule(std::string& out, CModBase& module) {
    out += "{\"class\":";
    AppendJsonString(out, module.GetClassName());
    out += ",\"name\":";
    AppendJsonString(out, module.m_name);
    out += ",\"rate\":";
    AppendJsonInt(out, module.m_samplingRate);
    std::string record;
    if (auto fields = ReadOwnFields(module, &record)) {
        for (const FieldValue& field : *fields) {
            out += ",\"";
            out += field.key;
            out += "\":";
            if (field.type == FieldType::Int) {
                AppendJsonInt(out, field.intValue);
            } else {
                AppendJsonDouble(out, field.doubleValue);
            }
        }
    } else if (!record.empty()) {
        // A class whose layout is unknown: its own record as hexadecimal bytes.
        static const char kHex[] = "0123456789abcdef";
        std::string hex;
        for (unsigned char c : record) {
            hex += kHex[c >> 4];
            hex += kHex[c & 15];
        }
        out += ",\"record\":";
        AppendJsonString(out, hex);
    }
    out += '}';
}

std::string DescribeDocument(CKaisekiDoc& doc) {
    std::string out = "{\"enabled\":";
    AppendByteList(out, doc.m_channelEnabled);
    out += ",\"sources\":";
    AppendByteList(out, doc.m_channelSource);
    out += ",\"dataFile\":";
    AppendJsonString(out, doc.m_dataFilePath);
    out += ",\"headerRows\":";
    AppendJsonInt(out, doc.m_headerRows);
    out += ",\"skipColumns\":";
    AppendJsonInt(out, doc.m_skipColumns);
    out += ",\"chains\":[";
    for (int channel = 0; channel < CKaisekiDoc::kChannels; ++channel) {
        if (channel) out += ',';
        out += '[';
        // A walk, never a recursion: a stored chain may be very long.
        int n = 0;
        for (CModBase* m = doc.Head(channel); m; m = m->m_next, ++n) {
            if (n) out += ',';
            AppendModule(out, *m);
        }
        out += ']';
    }
    out += "]}\n";
    return out;
}

}  // namespace

int RunNew(const QStringList& arguments) {
    CommandLine line("new OUT.kcd",
                     "Writes the document file of a new document (16 channels, channel 1 "
                     "enabled, no data file).");
    line.AddPositional("OUT.kcd", "The document file to write.");
    line.Parse(arguments);
    const std::string out = FileName(line.Positional(0));

    ScopedCliHost host;
    CKaisekiDoc doc;
    doc.OnNewDocument();
    WriteFileAtomically(out, doc.SaveToBytes());
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
    CommandLine line("info --data FILE [--skip-columns N] [--header-rows N] [--max-rows N]",
                     "Prints what a data file holds as one JSON object: the channels read, the "
                     "rate and unit its header gives, its length and its events.");
    line.AddOption({"data", "The data file to describe.", "FILE"});
    line.AddOption({"skip-columns", "Leading columns or signals to skip (0-9).", "N"});
    line.AddOption({"header-rows", "Leading lines of a text file to skip (0-99).", "N"});
    line.AddOption({"max-rows", "Rows to read at most (0, the default: all).", "N"});
    line.Parse(arguments);
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
    const std::string json = DescribeDocument(doc);
    host.Get().FlushWarnings();
    WriteOut(json);
    return kExitOk;
}

}  // namespace tavrel::cli
