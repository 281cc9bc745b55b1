#include "cli/DataOptions.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <optional>
#include <vector>

#include "document/DataSettings.h"
#include "document/KaisekiDoc.h"
#include "document/Recording.h"

namespace tavrel::cli {

void AddDataOptions(CommandLine& line) {
    line.AddOption({"header-rows", "Header lines of the data file to skip (0-99).", "N"});
    line.AddOption({"skip-columns", "Leading columns of every data line to skip (0-9).", "N"});
    line.AddOption(
        {"rate", "Sampling frequency in Hz (1-100000), written into all 16 heads.", "HZ"});
    line.AddOption({"period", "Sampling period in ms (1-2000), instead of --rate.", "MS"});
    line.AddOption({"unit", "Value unit (V, mV or any text of up to 10 characters).", "TEXT"});
    line.AddOption({"factor", "Unit factor (1-1000).", "N"});
    line.AddOption({"probe", "Probe display: each chain delivers its probe's data."});
    line.AddOption({"max-rows", "Row cap of the data reader (default 8192; 0 = no cap).", "N"});
}

DataOptions ReadDataOptions(const CommandLine& line) {
    DataOptions options;
    options.dataFiles = line.Values("data");
    options.headerRows = line.IntOption("header-rows", 0, static_cast<int>(kMaxHeaderRows));
    options.skipColumns = line.IntOption("skip-columns", 0, static_cast<int>(kMaxSkipColumns));
    options.rate =
        line.IntOption("rate", static_cast<int>(kMinRateValue), static_cast<int>(kMaxRateValue));
    options.period = line.IntOption("period", 1, static_cast<int>(kMaxPeriodMs));
    if (options.rate && options.period) throw line.UsageError("give --rate or --period, not both");
    options.factor =
        line.IntOption("factor", static_cast<int>(kMinFactor), static_cast<int>(kMaxFactor));
    if (line.IsSet("unit")) {
        const QString unit = line.Value("unit");
        if (unit.toUcs4().size() > kMaxOtherUnitChars)
            throw line.UsageError("--unit: at most " + std::to_string(kMaxOtherUnitChars) +
                                  " characters");
        options.unit = Utf8(unit);
    }
    if (auto rows = line.IntOption("max-rows", 0, std::numeric_limits<int>::max()))
        options.maxRows = *rows;
    options.probe = line.IsSet("probe");
    return options;
}

namespace {

// What the data-settings dialog would write, had the user entered the options given. An EDF or
// BDF data file brings its own rate, unit and factor 1, which the options given replace.
// What the reading found that the user should know, in the command line's words: the warnings
// do not change the exit status.
std::vector<std::string> ReadingWarnings(const ReadNotes& notes) {
    std::vector<std::string> warnings;
    if (!notes.otherRate.empty())
        warnings.push_back("signals of another sampling rate were not read: " +
                           OtherRateLabels(notes));
    if (notes.unroundedRate > 0.0) {
        char text[32];
        const auto end = std::to_chars(text, text + sizeof text, notes.unroundedRate,
                                       std::chars_format::general, 10);
        warnings.push_back("the sampling rate " + std::string(text, end.ptr) +
                           " Hz was rounded to " + std::to_string(notes.values->rate) + " Hz");
    }
    if (notes.nothingReadable) warnings.push_back("no readable data");
    if (notes.noNumbers) warnings.push_back("no numbers were found");
    if (notes.textRows > 0)
        warnings.push_back(std::to_string(notes.textRows) + " rows held text, read as 0");
    return warnings;
}

// The data-file dialog's answers as the options give them: the reading settings go into the
// document at once (they decide what is read); the value settings are returned for after the
// reading, with whether anything replaces the heads' values.
DataFileSettings ApplyReadingSettings(CKaisekiDoc& doc, const DataOptions& options,
                                      bool& valueSettings) {
    DataFileSettings settings = FillDataFileSettings(doc);
    InitDataFileChecks(settings);
    if (options.headerRows) {
        settings.m_headerRowsValue = static_cast<unsigned>(*options.headerRows);
        settings.m_headerCheck = 1;
    }
    if (options.skipColumns) {
        settings.m_skipColumnsValue = static_cast<unsigned>(*options.skipColumns);
        settings.m_skipCheck = 1;
    }
    doc.m_headerRows = settings.m_headerCheck ? static_cast<int>(settings.m_headerRowsValue) : 0;
    doc.m_skipColumns = settings.m_skipCheck ? static_cast<int>(settings.m_skipColumnsValue) : 0;
    valueSettings = options.rate || options.period || options.unit || options.factor;
    return settings;
}

// The value settings after the reading: a recording's own rate and unit, then the options given,
// written into all sixteen heads as the data-settings dialog writes them. Without either, the
// heads keep what the document stored.
void ApplyValueOptions(CKaisekiDoc& doc, DataFileSettings settings, const DataOptions& options,
                       bool valueSettings, const std::optional<RecordingValues>& recording) {
    if (recording) {
        TakeRecordingValues(settings, *recording);
        valueSettings = true;
    }
    if (!valueSettings) return;
    if (options.rate) {
        settings.m_rateChoice = 0;
        settings.m_rateValue = *options.rate;
    }
    if (options.period) {
        settings.m_rateChoice = 1;
        settings.m_rateValue = *options.period;
    }
    if (options.factor) settings.m_factor = *options.factor;
    if (options.unit) {
        if (*options.unit == "V") {
            settings.m_unitChoice = 0;
        } else if (*options.unit == "mV") {
            settings.m_unitChoice = 1;
        } else {
            settings.m_unitChoice = 2;
            settings.m_otherUnit = *options.unit;
        }
    }
    ApplyValueSettings(doc, settings);
}

}  // namespace

void PrepareDocument(CKaisekiDoc& doc, const DocumentBytes& document, const DataOptions& options,
                     const QString& dataFile, CliHost& host) {
    const bool hadChains = OpenDocumentFile(doc, document);
    // As opening in the GUI: a document without chains reads no data file, unless one is given.
    // A relative path stored in the document is also looked for beside the document (the reader
    // does that); one given on the command line means the working folder only, so it is made
    // absolute here and never silently replaced by a file of that name beside the document.
    std::string named = doc.m_dataFilePath;
    if (!dataFile.isEmpty()) {
        named = FileName(dataFile);
        std::error_code ec;
        const std::filesystem::path absolute = std::filesystem::absolute(named, ec);
        doc.m_dataFilePath = ec ? named : absolute.string();
    } else if (!hadChains) {
        doc.m_dataFilePath.clear();
    }
    bool valueSettings = false;
    const DataFileSettings settings = ApplyReadingSettings(doc, options, valueSettings);
    // The data file is read once; a recording's header comes back with its samples.
    std::optional<Recording> recording;
    if (!doc.m_dataFilePath.empty()) {
        RecordingResult read = ReadRecording(ResolveDataPath(doc.m_dataFilePath, doc.GetPathName()),
                                             doc.ReadingOptions(options.maxRows), nullptr);
        if (!read && read.Error().kind == ReadError::Kind::UnknownFormat)
            throw FileError(named, "unknown data file format");
        if (!read)
            throw FileError(named, "cannot open the data file (" + read.Error().reason + ")");
        recording = std::move(read.Value());
    }
    ApplyValueOptions(doc, settings, options, valueSettings,
                      recording ? recording->notes.values : std::nullopt);
    if (recording) {
        if (recording->notes.outOfMemory)
            throw FileError(named, "out of memory while reading the data file");
        for (const std::string& warning : ReadingWarnings(recording->notes))
            host.MessageBox(named + ": " + warning);
        doc.SetRecording(std::move(*recording));
    }
    if (doc.RowsLeftOut()) {
        const std::string cap = std::to_string(options.maxRows);
        std::fprintf(stderr,
                     "tavrel-cli: warning: %s: only the first %s rows were read (--max-rows %s; "
                     "0 reads all)\n",
                     named.c_str(), cap.c_str(), cap.c_str());
    }
    doc.m_display.m_probeDisplay = options.probe ? 1 : 0;
}

}  // namespace tavrel::cli
