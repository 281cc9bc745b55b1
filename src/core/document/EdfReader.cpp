#include "document/EdfReader.h"

#include <edflib.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <limits>
#include <mutex>
#include <new>

#include "document/DataSettings.h"
#include "document/KaisekiDoc.h"
#include "platform/Host.h"
#include "platform/Rounding.h"

namespace tavrel {

namespace {

constexpr int kColumns = CKaisekiDoc::kChannels;
// Samples read from each signal in turn, so that the columns grow together and a cancel leaves
// them of about equal length.
constexpr int kChunkSamples = 1 << 16;

// EDFlib's table of open files is changed by opening and closing without a lock of its own. It
// also refuses a path that is already open; a second reader of the same file waits for the first
// to close it.
std::mutex g_edfLock;
std::condition_variable g_edfClosed;

std::string EdfError(int code) {
    switch (code) {
        case EDFLIB_MALLOC_ERROR:
            return "EDFlib: not enough memory";
        case EDFLIB_NO_SUCH_FILE_OR_DIRECTORY:
            return "EDFlib: no such file or directory";
        case EDFLIB_FILE_CONTAINS_FORMAT_ERRORS:
            return "EDFlib: the file contains format errors (a damaged header or a file shorter "
                   "or longer than its header says)";
        case EDFLIB_MAXFILES_REACHED:
            return "EDFlib: too many files are open";
        case EDFLIB_FILE_READ_ERROR:
            return "EDFlib: read error";
        case EDFLIB_FILE_ALREADY_OPENED:
            return "EDFlib: the file is already open";
        case EDFLIB_FILE_IS_DISCONTINUOUS:
            return "EDFlib: a discontinuous recording (EDF+D or BDF+D) cannot be read";
        default:
            return "EDFlib: error " + std::to_string(code);
    }
}

std::string Trimmed(const char* text) {
    std::string_view view(text);
    const auto first = view.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const auto last = view.find_last_not_of(' ');
    // EDFlib admits only printable ASCII in the header, so the text is already UTF-8.
    return std::string(view.substr(first, last - first + 1));
}

// Samples per second of a signal: its samples per data record over the record's duration (in
// EDFlib's units of 100 ns), plus 0.5, truncated; kept within 1-100000, the rates the
// data-settings dialog takes.
int SignalRate(const edf_hdr_struct& header, int signal) {
    const double perSecond = header.signalparam[signal].smp_in_datarecord *
                             static_cast<double>(EDFLIB_TIME_DIMENSION) /
                             static_cast<double>(header.datarecord_duration);
    return std::clamp(RoundToInt(perSecond), static_cast<int>(kMinRateValue),
                      static_cast<int>(kMaxRateValue));
}

// Why an open recording cannot be read, or empty.
std::string Unreadable(const EdfFile& file) {
    if (!file.IsOpen()) return file.Error();
    if (file.Header().datarecord_duration <= 0) return "EDFlib: the data record duration is 0";
    return {};
}

}  // namespace

bool IsRecordingHeader(std::string_view head) {
    if (head.size() < 8) return false;
    return head.substr(0, 8) == std::string_view("0       ", 8) ||
           head.substr(0, 8) == std::string_view(
                                    "\xFF"
                                    "BIOSEMI",
                                    8);
}

bool IsRecordingFile(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    char head[8];
    const std::size_t got = std::fread(head, 1, sizeof head, file);
    std::fclose(file);
    return IsRecordingHeader(std::string_view(head, got));
}

EdfFile::EdfFile(const std::string& path) : m_header(std::make_unique<edf_hdr_struct>()) {
    std::unique_lock<std::mutex> hold(g_edfLock);
    g_edfClosed.wait(hold, [&] { return !edflib_is_file_used(path.c_str()); });
    if (edfopen_file_readonly(path.c_str(), m_header.get(), EDFLIB_DO_NOT_READ_ANNOTATIONS) == 0)
        m_handle = m_header->handle;
    else
        m_error = EdfError(m_header->filetype);
}

EdfFile::~EdfFile() {
    if (m_handle < 0) return;
    {
        std::lock_guard<std::mutex> hold(g_edfLock);
        edfclose_file(m_handle);
    }
    g_edfClosed.notify_all();
}

int EdfFile::Signals() const {
    return IsOpen() ? std::clamp(m_header->edfsignals, 0, EDFLIB_MAXSIGNALS) : 0;
}

bool ReadRecordingValues(const std::string& path, int skipSignals, RecordingValues& values,
                         std::string* reason) {
    EdfFile file(path);
    if (std::string why = Unreadable(file); !why.empty()) {
        if (reason) *reason = why;
        return false;
    }
    const int first = std::max(skipSignals, 0);
    if (first >= file.Signals()) return false;
    values.rate = SignalRate(file.Header(), first);
    values.unit = Trimmed(file.Header().signalparam[first].physdimension);
    return true;
}

RecordingReadResult ReadRecordingSignals(const EdfFile& file, int skipSignals, int maxRows,
                                         std::vector<std::vector<double>>& columns, int& rowCount,
                                         Progress* progress) {
    RecordingReadResult result;
    const edf_hdr_struct& header = file.Header();
    const int first = std::max(skipSignals, 0);
    const int signals = std::min(file.Signals() - first, kColumns);
    if (signals <= 0 || columns.size() < static_cast<std::size_t>(kColumns)) return result;

    // The signals read and how many samples each gives: all of its samples up to the cap.
    const long long cap = maxRows > 0 ? maxRows : std::numeric_limits<int>::max();
    const int perRecord = header.signalparam[first].smp_in_datarecord;
    std::vector<int> read;
    long long total = 0;
    const long long count = std::min(header.signalparam[first].smp_in_file, cap);
    for (int k = 0; k < signals; ++k) {
        const edf_param_struct& signal = header.signalparam[first + k];
        if (signal.smp_in_datarecord != perRecord) {
            result.otherRate.push_back(Trimmed(signal.label));
            continue;
        }
        read.push_back(k);
        columns[static_cast<std::size_t>(k)].reserve(static_cast<std::size_t>(count));
        total += count;
    }
    if (progress) progress->SetRange(0, SaturateToInt(total));

    for (long long done = 0; done < count;) {
        const int n = static_cast<int>(std::min<long long>(kChunkSamples, count - done));
        for (int k : read) {
            std::vector<double>& column = columns[static_cast<std::size_t>(k)];
            const std::size_t at = column.size();
            column.resize(at + static_cast<std::size_t>(n));
            const int got =
                edfread_physical_samples(file.Handle(), first + k, n, column.data() + at);
            // The file changed under the reader: keep what was read.
            if (got < n) {
                column.resize(at + static_cast<std::size_t>(std::max(got, 0)));
                rowCount = static_cast<int>(columns[0].size());
                return result;
            }
            if (progress) progress->Step(n);
        }
        done += n;
        rowCount = static_cast<int>(columns[0].size());
        if (progress && progress->PumpMessages()) {
            result.cancelled = true;
            break;
        }
    }
    rowCount = static_cast<int>(columns[0].size());
    return result;
}

DataLoadResult LoadRecording(CKaisekiDoc& doc, const std::string& path, int maxRows,
                             std::string* reason) {
    EdfFile file(path);
    if (std::string why = Unreadable(file); !why.empty()) {
        GetHost().MessageBox("データファイルが開けません。\n" + why);
        if (reason) *reason = why;
        return DataLoadResult::CannotOpen;
    }

    std::unique_ptr<Progress> progress = GetHost().CreateProgress();
    WaitCursor wait;
    if (doc.m_columns.size() < static_cast<std::size_t>(kColumns)) doc.m_columns.resize(kColumns);
    if (doc.m_rowCount > 0) {
        for (int i = 0; i < kColumns; ++i) {
            doc.m_columns[static_cast<std::size_t>(i)].clear();
            if (CHeadFilter* head = doc.Head(i)) head->ClearBuffers();
        }
        doc.m_rowCount = 0;
    }
    RecordingReadResult result;
    try {
        result = ReadRecordingSignals(file, doc.m_skipColumns, maxRows, doc.m_columns,
                                      doc.m_rowCount, progress.get());
    } catch (const std::bad_alloc&) {
        // Out of memory: the samples read so far stay.
        doc.m_rowCount = static_cast<int>(doc.m_columns[0].size());
    } catch (const std::length_error&) {
        doc.m_rowCount = static_cast<int>(doc.m_columns[0].size());
    }
    progress.reset();
    if (!result.otherRate.empty()) {
        std::string labels;
        for (const std::string& label : result.otherRate)
            labels += (labels.empty() ? "" : ", ") + label;
        GetHost().MessageBox("サンプリング周波数が異なる信号は読み込みませんでした: " + labels);
    }
    if (result.cancelled) {
        GetHost().Beep();
        return DataLoadResult::Cancelled;
    }
    return DataLoadResult::Loaded;
}

}  // namespace tavrel
