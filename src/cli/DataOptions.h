// The options that export and render share: which data file to read and how (the data-file and
// data-settings dialogs' answers), the reader's row cap and probe display; and opening a document
// for processing with them, as the GUI opens a document and applies the data settings.
#pragma once

#include <QStringList>
#include <optional>
#include <string>

#include "cli/CliSupport.h"

namespace tavrel {
class CKaisekiDoc;
}

namespace tavrel::cli {

struct DataOptions {
    QStringList dataFiles;            // --data, as given
    std::optional<int> headerRows;    // --header-rows 0-99
    std::optional<int> skipColumns;   // --skip-columns 0-9
    std::optional<int> rate;          // --rate HZ, 1-100000
    std::optional<int> period;        // --period MS, 1-2000
    std::optional<std::string> unit;  // --unit TEXT (UTF-8), at most 10 characters
    std::optional<int> factor;        // --factor 1-1000
    int maxRows = 8192;               // --max-rows, 0 = no cap
    bool probe = false;               // --probe
};

// Declares the shared options on a command line.
void AddDataOptions(CommandLine& line);
// Reads and checks them (usage errors for values out of range or options that exclude each
// other).
DataOptions ReadDataOptions(const CommandLine& line);

// Opens the document file and makes it ready for processing: the reading settings and data
// settings given replace the document's (rate, unit and factor as the data-settings dialog
// writes them: its values filled from channel 0's head, the options given replacing theirs, the
// result written into all sixteen heads), the data file `dataFile` (or, when empty, the
// document's own) is read, and probe display is set when asked. A document or data file that
// cannot be read ends the command with status 2.
void PrepareDocument(CKaisekiDoc& doc, const DocumentBytes& document, const DataOptions& options,
                     const QString& dataFile, CliHost& host);

}  // namespace tavrel::cli
