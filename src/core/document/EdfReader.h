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

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/Recording.h"

struct edf_hdr_struct;

namespace tavrel {

class Progress;

// Whether a file that starts with `head` is an EDF or BDF recording (8 bytes are needed).
bool IsRecordingHeader(std::string_view head);

// A recording opened through EDFlib, closed with the object.
class EdfFile {
  public:
    // With `annotations`, EDFlib also reads an EDF+ or BDF+ file's annotations.
    explicit EdfFile(const std::string& path, bool annotations = false);
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
// column 0. The data records are read in blocks from `data`, the same file opened for reading,
// or through EDFlib when `data` is null or not laid out as the header says. The progress is
// stepped by samples read, and a cancel keeps what was read.
RecordingReadResult ReadRecordingSignals(const EdfFile& file, std::FILE* data, int skipSignals,
                                         int maxRows, std::vector<std::vector<double>>& columns,
                                         int& rowCount, Progress* progress);

// Reads the EDF or BDF recording open as `data` (named `path`): a file EDFlib refuses is a
// ReadError with EDFlib's reason; otherwise the recording with its rate and unit.
RecordingResult ReadEdfRecording(std::FILE* data, const std::string& path,
                                 const ReadOptions& options, Progress* progress);

// The rate and unit of the recording open as `data` (named `path`) from its header (nothing when
// EDFlib refuses it or it has no signal after the skipped ones).
std::optional<RecordingValues> ReadEdfValues(std::FILE* data, const std::string& path,
                                             int skipSignals);

}  // namespace tavrel
