// EDF and BDF recordings (and their EDF+ and BDF+ forms), read through EDFlib.
//
// A data file whose first bytes are an EDF header ("0" and seven spaces) or a BDF header (the byte
// 0xFF and "BIOSEMI") is a recording; every other file is read as comma-separated text. The
// recording's ordinary signals (annotation signals left out) in file order are the data columns:
// the column-skip setting skips leading signals, header rows mean nothing, at most sixteen signals
// after the skipped ones are read, and the row cap counts samples per signal. The values are
// EDFlib's physical values. The first read signal decides the sampling rate (its samples per data
// record over the record's duration, rounded by adding 0.5); a signal with another rate is not
// read and its column stays empty.
//
// EDFlib opens and checks the file and gives the signals' scaling; the data records are read in
// large blocks here and scaled exactly as EDFlib scales them (EDFlib fetches every byte of a
// sample with a call of its own), with EDFlib's own sample reading as the fallback.
//
// EDFlib keeps its open files in a table of its own, which opening and closing change without any
// lock; here both are done under one lock, so several threads may read recordings at once.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct edf_hdr_struct;

namespace tavrel {

class CKaisekiDoc;
class Progress;
enum class DataLoadResult;

// Whether a file that starts with `head` is an EDF or BDF recording (8 bytes are needed).
bool IsRecordingHeader(std::string_view head);
// The same for the file at `path` (false when it cannot be read).
bool IsRecordingFile(const std::string& path);

// A recording opened through EDFlib, closed with the object.
class EdfFile {
  public:
    explicit EdfFile(const std::string& path);
    ~EdfFile();
    EdfFile(const EdfFile&) = delete;
    EdfFile& operator=(const EdfFile&) = delete;

    bool IsOpen() const { return m_handle >= 0; }
    // Why the file could not be opened, in EDFlib's terms (empty when it is open).
    const std::string& Error() const { return m_error; }
    int Handle() const { return m_handle; }
    const edf_hdr_struct& Header() const { return *m_header; }
    const std::string& Path() const { return m_path; }
    // The ordinary signals (EDFlib hides the annotation signals).
    int Signals() const;

  private:
    std::unique_ptr<edf_hdr_struct> m_header;
    std::string m_path;
    int m_handle = -1;
    std::string m_error;
};

// What the header says of the first signal read after `skipSignals` leading signals.
struct RecordingValues {
    int rate = 0;      // Hz, rounded; kept within the data-settings dialog's 1-100000
    std::string unit;  // the signal's physical dimension without its padding spaces
};

// The rate and unit of a recording's first read signal; false when the file does not open as a
// recording (the reason goes to `reason` when given) or has no signal after the skipped ones.
bool ReadRecordingValues(const std::string& path, int skipSignals, RecordingValues& values,
                         std::string* reason = nullptr);

// How reading the signals ended.
struct RecordingReadResult {
    bool cancelled = false;
    // True when the row cap left samples of the read signals unread.
    bool rowsLeftOut = false;
    // Labels of the signals not read because their rate differs from the first read signal's.
    std::vector<std::string> otherRate;
};

// Appends the read signals of an open recording to `columns` (sixteen arrays; signal skip + k goes
// to column k), at most `maxRows` samples each (0 = no cap); `rowCount` becomes the length of
// column 0. The progress is stepped by samples read, and a cancel keeps what was read.
RecordingReadResult ReadRecordingSignals(const EdfFile& file, int skipSignals, int maxRows,
                                         std::vector<std::vector<double>>& columns, int& rowCount,
                                         Progress* progress);

// LoadDataFile for a recording at `path`: a file EDFlib refuses gives the message "データファイルが
// 開けません。" with EDFlib's reason after it (also put into `reason`) and changes nothing;
// otherwise the previous data go and the signals are read, the user told once of signals left out
// for their rate.
DataLoadResult LoadRecording(CKaisekiDoc& doc, const std::string& path, int maxRows,
                             std::string* reason);

}  // namespace tavrel
