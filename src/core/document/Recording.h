// A recording: the columns of samples read from a data file and what the file says of them.
//
// ReadRecording is the one reader that every front end calls, for every format: it opens the
// file once, recognises the format by the file's first bytes (an EDF or BDF header, a MATLAB
// file, a BrainVision header, a binary format BioSig knows, otherwise comma-separated text),
// reports progress and honours a cancel through the Progress it is given, and shows nothing. A file
// that cannot be read is a ReadError carrying the reason; the front end turns it into a message box
// or a line on stderr. The document takes a Recording whole (CKaisekiDoc::SetRecording), so a
// refused reading leaves the document as it was.
//
// Adding a format: recognise its first bytes in ReadRecording and add one reader function that
// fills a Recording from the already-open file.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Result.h"

namespace tavrel {

class Progress;

// How a data file is read (the data-file dialog's answers and the row cap).
struct ReadOptions {
    int headerRows = 0;   // text: leading lines skipped whatever they hold; negative counts as 0
    int skipColumns = 0;  // leading cells of each line (text) or leading signals (recordings)
    int maxRows = 8192;   // samples kept per column at most; 0 (or negative) = no cap
};

// What a recording's header says of its first read signal: the data-settings dialog opens with
// these, and opening a document writes them into all sixteen heads.
struct RecordingValues {
    int rate = 0;      // Hz, rounded; within the data-settings dialog's 1-100000
    std::string unit;  // the signal's physical dimension without padding
};

// Something that happened at a time of the recording (an annotation, a marker).
struct RecordingEvent {
    double onsetMs = 0.0;
    double durationMs = 0.0;  // 0 for an instant
    std::string text;         // UTF-8
};

// What a reading found besides the samples: what the front end tells the user, and what the file
// says of its samples.
struct ReadNotes {
    // Set for binary recordings, whose header names the rate and unit.
    std::optional<RecordingValues> values;
    // Labels of signals not read because their rate differs from the first read signal's.
    std::vector<std::string> otherRate;
    // Parts of the file not read, each with why ("name (a struct)"), for the user.
    std::vector<std::string> skipped;
    // The row cap stopped the reading while rows were left unread.
    bool rowsLeftOut = false;
    // The user cancelled; what was read before is kept.
    bool cancelled = false;
    // The memory ran out; what was read before is kept (no column longer than rowCount).
    bool outOfMemory = false;
    // Text files: rows with a cell that held text read as 0 ("nan" and "inf" among them).
    std::int64_t textRows = 0;
    // Text files: rows were read but no cell held a number.
    bool noNumbers = false;
    // Nothing to read: an empty file, one of header lines only, or a recording whose readable
    // signals are all skipped (or that holds annotations only).
    bool nothingReadable = false;
    // Recordings: the rate in Hz the header gives when it is not a whole number (it was rounded).
    double unroundedRate = 0.0;
};

struct Recording {
    static constexpr int kColumns = 16;

    // Sixteen columns; column k holds the k-th read column (cell or signal) after the skipped ones.
    std::vector<std::vector<double>> columns = std::vector<std::vector<double>>(kColumns);
    // Rows read: the length of column 0.
    int rowCount = 0;
    // The label of each column's channel as the file names it (binary recordings; empty for
    // comma-separated text and for a column not read).
    std::vector<std::string> labels = std::vector<std::string>(kColumns);
    // Binary recordings: the labels of all the file's data signals in file order, the skipped
    // ones and those beyond the sixteen columns included (empty for comma-separated text).
    std::vector<std::string> signalLabels;
    std::vector<RecordingEvent> events;
    ReadNotes notes;
};

// Why a data file could not be read. Nothing was read then.
struct ReadError {
    enum class Kind {
        CannotOpen,     // missing, unreadable, a folder, a device or a pipe
        Refused,        // opened, but its format reader refused it (the reason says why)
        UnknownFormat,  // no reader knows the file, and it is not text
        NotNamed,       // no data file is named: nothing to read, nothing to tell
    };
    ReadError(Kind kind_, std::string reason_, std::string path_ = {})
        : kind(kind_), reason(std::move(reason_)), path(std::move(path_)) {}

    Kind kind = Kind::CannotOpen;
    std::string reason;  // for the command line, and the message's line after the file's name
    std::string path;    // the file that was to be read
};

using RecordingResult = Result<Recording, ReadError>;

// The file to read for a document's data-file path `dataPath`, the document being stored at
// `documentPath` (empty for a new document): the path as named when it is a regular file;
// otherwise, for a relative path, the same path relative to the document's folder when that is a
// regular file (so a document and its data can move together); otherwise the path as named.
std::string ResolveDataPath(const std::string& dataPath, const std::string& documentPath);

// Reads the data file at `path` (already resolved). `progress` may be null.
RecordingResult ReadRecording(const std::string& path, const ReadOptions& options,
                              Progress* progress);

// The values a recording's header gives for the data-settings dialog, read from the header alone
// (nothing when `path` is not a recording or has no signal after the skipped ones).
std::optional<RecordingValues> ReadRecordingValues(const std::string& path, int skipSignals);

// The message the user is shown for a reading that failed (the front end shows it).
std::string ReadErrorMessage(const ReadError& error);
// The labels of the signals left out for their rate, separated by ", ".
std::string OtherRateLabels(const ReadNotes& notes);
// The messages the user is shown, in order, after a reading that ended with a recording: the lack
// of memory, or the signals left out for their rate and the parts of the file skipped. A cancelled
// reading is told by the beep.
std::vector<std::string> ReadingMessages(const ReadNotes& notes);

}  // namespace tavrel
