#include "document/EdfReader.h"

#include <edflib.h>
#include <endian.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <mutex>
#include <new>

#include "document/DataFileReader.h"
#include "document/DataSettings.h"
#include "document/RecordingPlan.h"
#include "platform/Host.h"
#include "platform/Rounding.h"
#include "platform/Translate.h"

namespace tavrel {

namespace {

constexpr int kColumns = Recording::kColumns;
// Samples read from each signal in turn, so that the columns grow together and a cancel leaves
// them of about equal length.
constexpr int kChunkSamples = 1 << 16;

// EDFlib's table of open files is changed by opening and closing without a lock of its own. It
// also refuses a path that is already open; a second reader of the same file waits for the first
// to close it.
std::mutex g_edfLock;
std::condition_variable g_edfClosed;

std::string EdfError(int code) {
    // The reasons the user reads, in the language of the interface; "EDFlib: " says whose they are.
    const char* text = nullptr;
    switch (code) {
        case EDFLIB_MALLOC_ERROR:
            text = TAVREL_TRANSLATE_NOOP("Document", "メモリが足りません");
            break;
        case EDFLIB_NO_SUCH_FILE_OR_DIRECTORY:
            text = TAVREL_TRANSLATE_NOOP("Document", "ファイルまたはフォルダがありません");
            break;
        case EDFLIB_FILE_CONTAINS_FORMAT_ERRORS:
            text = TAVREL_TRANSLATE_NOOP(
                "Document", "ファイルの形式に誤りがあります（ヘッダの破損、または長さの不一致）");
            break;
        case EDFLIB_MAXFILES_REACHED:
            text = TAVREL_TRANSLATE_NOOP("Document", "開いているファイルが多すぎます");
            break;
        case EDFLIB_FILE_READ_ERROR:
            text = TAVREL_TRANSLATE_NOOP("Document", "読み込みエラー");
            break;
        case EDFLIB_FILE_ALREADY_OPENED:
            text = TAVREL_TRANSLATE_NOOP("Document", "ファイルはすでに開かれています");
            break;
        case EDFLIB_FILE_IS_DISCONTINUOUS:
            text =
                TAVREL_TRANSLATE_NOOP("Document", "不連続な記録（EDF+D、BDF+D）は読み込めません");
            break;
        default:
            return "EDFlib: " +
                   FormatText(Translate("Document", "エラー %1"), {std::to_string(code)});
    }
    return "EDFlib: " + Translate("Document", text);
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
// EDFlib's units of 100 ns).
double ExactRate(const edf_hdr_struct& header, int signal) {
    return header.signalparam[signal].smp_in_datarecord *
           static_cast<double>(EDFLIB_TIME_DIMENSION) /
           static_cast<double>(header.datarecord_duration);
}

// The rate in whole hertz: plus 0.5, truncated; kept within 1-100000, the rates the data-settings
// dialog takes (a reading refuses a recording outside them).
int SignalRate(const edf_hdr_struct& header, int signal) {
    return std::clamp(RoundToInt(ExactRate(header, signal)), static_cast<int>(kMinRateValue),
                      static_cast<int>(kMaxRateValue));
}


// The length of column 0 (0 when there are no columns).
int Rows(const std::vector<std::vector<double>>& columns) {
    return columns.empty() ? 0 : static_cast<int>(columns[0].size());
}

// Why an open recording cannot be read, or empty.
std::string Unreadable(const EdfFile& file) {
    if (!file.IsOpen()) return file.Error();
    if (file.Header().datarecord_duration <= 0)
        return "EDFlib: " + Translate("Document", "データレコードの長さが 0 です");
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

EdfFile::EdfFile(const std::string& path, bool annotations)
    : m_header(std::make_unique<edf_hdr_struct>()), m_path(path) {
    std::unique_lock<std::mutex> hold(g_edfLock);
    g_edfClosed.wait(hold, [&] { return !edflib_is_file_used(path.c_str()); });
    if (edfopen_file_readonly(
            path.c_str(), m_header.get(),
            annotations ? EDFLIB_READ_ALL_ANNOTATIONS : EDFLIB_DO_NOT_READ_ANNOTATIONS) == 0)
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

namespace {

std::optional<RecordingValues> EdfRecordingValues(const EdfFile& file, int skipSignals) {
    if (!Unreadable(file).empty()) return std::nullopt;
    const int first = std::max(skipSignals, 0);
    if (first >= file.Signals()) return std::nullopt;
    RecordingValues values;
    values.rate = SignalRate(file.Header(), first);
    values.unit = Trimmed(file.Header().signalparam[first].physdimension);
    return values;
}

// The signals to read and how many samples each gives.
struct ReadPlan {
    int first = 0;          // the first signal read (EDFlib's numbering of ordinary signals)
    std::vector<int> read;  // columns k whose signal first + k is read
    long long count = 0;    // samples read of each
};

// Reads through EDFlib's own sample reading.
bool ReadThroughEdflib(const EdfFile& file, const ReadPlan& plan,
                       std::vector<std::vector<double>>& columns, int& rowCount,
                       Progress* progress) {
    for (long long done = 0; done < plan.count;) {
        // The user interface replaced the document's contents while the progress window was
        // pumping: stop.
        if (columns.size() < static_cast<std::size_t>(kColumns)) return false;
        const int n = static_cast<int>(std::min<long long>(kChunkSamples, plan.count - done));
        for (int k : plan.read) {
            std::vector<double>& column = columns[static_cast<std::size_t>(k)];
            const std::size_t at = column.size();
            column.resize(at + static_cast<std::size_t>(n));
            const int got =
                edfread_physical_samples(file.Handle(), plan.first + k, n, column.data() + at);
            // The file changed under the reader: keep what was read.
            if (got < n) {
                column.resize(at + static_cast<std::size_t>(std::max(got, 0)));
                return false;
            }
            if (progress) progress->Step(n);
        }
        done += n;
        rowCount = Rows(columns);
        if (progress && progress->PumpMessages()) return true;
    }
    return false;
}

// A whole number of a header field that EDFlib has already checked ("  123   ").
bool FieldNumber(std::string_view field, long long& value) {
    std::size_t at = field.find_first_not_of(' ');
    if (at == std::string_view::npos) return false;
    if (field[at] == '+') ++at;
    const auto parsed = std::from_chars(field.data() + at, field.data() + field.size(), value);
    return parsed.ec == std::errc() && parsed.ptr != field.data() + at;
}

// Where the ordinary signals lie in a data record, from the header bytes that EDFlib has
// checked. False when anything differs from what EDFlib reported (the samples are then read
// through EDFlib).
struct RecordLayout {
    long long headerBytes = 0;
    long long recordBytes = 0;
    int sampleBytes = 2;
    std::vector<long long> offsets;  // in a record, of each ordinary signal
};

bool ReadLayout(std::FILE* file, const edf_hdr_struct& header, RecordLayout& layout) {
    const bool plus =
        header.filetype == EDFLIB_FILETYPE_EDFPLUS || header.filetype == EDFLIB_FILETYPE_BDFPLUS;
    const bool bdf =
        header.filetype == EDFLIB_FILETYPE_BDF || header.filetype == EDFLIB_FILETYPE_BDFPLUS;
    layout.sampleBytes = bdf ? 3 : 2;
    std::string head(256, '\0');
    long long all = 0;
    if (std::fread(head.data(), 1, head.size(), file) != head.size() ||
        !FieldNumber(std::string_view(head).substr(252, 4), all) || all < 1 ||
        all > EDFLIB_MAXSIGNALS)
        return false;
    const std::size_t signals = static_cast<std::size_t>(all);
    std::string table(signals * 256, '\0');
    if (std::fread(table.data(), 1, table.size(), file) != table.size()) return false;
    layout.headerBytes = 256 + static_cast<long long>(table.size());
    const std::string_view annotation = bdf ? "BDF Annotations " : "EDF Annotations ";
    for (std::size_t i = 0; i < signals; ++i) {
        long long samples = 0;
        if (!FieldNumber(std::string_view(table).substr(signals * 216 + i * 8, 8), samples) ||
            samples < 1)
            return false;
        if (!(plus && std::string_view(table).substr(i * 16, 16) == annotation)) {
            const std::size_t j = layout.offsets.size();
            if (j >= static_cast<std::size_t>(header.edfsignals) ||
                samples != header.signalparam[j].smp_in_datarecord)
                return false;
            layout.offsets.push_back(layout.recordBytes);
        }
        layout.recordBytes += samples * layout.sampleBytes;
    }
    if (layout.offsets.size() != static_cast<std::size_t>(header.edfsignals)) return false;
    // The file holds exactly the records the header names.
    if (std::fseek(file, 0, SEEK_END) != 0) return false;
    const long long size = std::ftell(file);
    return header.datarecords_in_file >= 0 &&
           size == layout.headerBytes + header.datarecords_in_file * layout.recordBytes &&
           std::fseek(file, static_cast<long>(layout.headerBytes), SEEK_SET) == 0;
}

// The block buffer is kept from one reading to the next on each thread: fresh memory costs more to
// touch than the decoding of what is read into it.
thread_local std::vector<unsigned char> t_spareBlock;

// Scales `count` samples of one signal, `sampleBytes` apart from `p`, into `out`, exactly as
// EDFlib scales them: clamped to the digital range, then bitvalue x (offset + value).
void DecodeSamples(const unsigned char* p, int sampleBytes, long long count, int low, int high,
                   double bitvalue, double offset, double* out) {
    if (sampleBytes == 3) {
        // Four bytes are loaded at once (the block has a byte to spare after its end) and the
        // fourth shifted out; the sample is the low three, little-endian.
        for (long long j = 0; j < count; ++j, p += 3) {
            std::uint32_t word;
            std::memcpy(&word, p, sizeof word);
            word = le32toh(word);
            const int digital = static_cast<std::int32_t>(word << 8) >> 8;
            out[j] = bitvalue * (offset + std::clamp(digital, low, high));
        }
    } else {
        for (long long j = 0; j < count; ++j, p += 2) {
            const int digital = static_cast<std::int16_t>(p[0] | p[1] << 8);
            out[j] = bitvalue * (offset + std::clamp(digital, low, high));
        }
    }
}

// Reads whole data records in large blocks and scales the digital values exactly as EDFlib does;
// EDFlib itself fetches every byte of a sample with a call of its own. The columns' storage is
// reserved for the planned count beforehand (kept storage where there is such), so they never
// grow; a reading that stops early leaves them as long as what was read. Returns false when the
// file is not laid out as expected, before anything was read.
bool ReadRecords(std::FILE* file, const edf_hdr_struct& header, const ReadPlan& plan,
                 std::vector<std::vector<double>>& columns, int& rowCount, Progress* progress,
                 bool& cancelled) {
    RecordLayout layout;
    if (!file || std::fseek(file, 0, SEEK_SET) != 0 || !ReadLayout(file, header, layout))
        return false;
    struct Scale {
        double bitvalue, offset;
        int low, high;
        long long start;  // the signal's offset in a record
    };
    std::vector<Scale> scales;
    for (int k : plan.read) {
        const edf_param_struct& signal = header.signalparam[plan.first + k];
        if (signal.dig_min >= signal.dig_max || signal.phys_min == signal.phys_max) return false;
        const double bitvalue =
            (signal.phys_max - signal.phys_min) / (signal.dig_max - signal.dig_min);
        scales.push_back({bitvalue, signal.phys_max / bitvalue - signal.dig_max, signal.dig_min,
                          signal.dig_max,
                          layout.offsets[static_cast<std::size_t>(plan.first + k)]});
    }
    const long long perRecord = header.signalparam[plan.first].smp_in_datarecord;
    // Without a record to read there is no block to fill.
    if (plan.count <= 0 || plan.read.empty()) return true;
    const long long batch = std::max<long long>(1, (4 << 20) / layout.recordBytes);
    std::vector<unsigned char> block = std::move(t_spareBlock);
    long long done = 0;
    constexpr long long kScratch = 2048;
    double scratch[kScratch];
    auto finish = [&] {
        rowCount = Rows(columns);
        t_spareBlock = std::move(block);
        return true;
    };
    while (done < plan.count) {
        const long long records = std::min(batch, (plan.count - done + perRecord - 1) / perRecord);
        const auto bytes = static_cast<std::size_t>(records * layout.recordBytes);
        // One byte more than is read: the 24-bit decoding loads four bytes at a time.
        block.resize(bytes + 1);
        if (std::fread(block.data(), 1, bytes, file) != bytes) return finish();
        const long long n = std::min(records * perRecord, plan.count - done);
        for (std::size_t s = 0; s < plan.read.size(); ++s) {
            const Scale& scale = scales[s];
            std::vector<double>& column = columns[static_cast<std::size_t>(plan.read[s])];
            // Decoded a piece at a time into a small buffer that stays in the cache, then
            // appended to the column's reserved storage: its memory is written once (sizing the
            // column first would write it twice).
            for (long long i = 0; i < n;) {
                const long long r = i / perRecord, j = i % perRecord;
                const long long m = std::min({perRecord - j, n - i, kScratch});
                DecodeSamples(block.data() + r * layout.recordBytes + scale.start +
                                  j * layout.sampleBytes,
                              layout.sampleBytes, m, scale.low, scale.high, scale.bitvalue,
                              scale.offset, scratch);
                column.insert(column.end(), scratch, scratch + m);
                i += m;
            }
            if (progress) progress->Step(static_cast<int>(n));
        }
        done += n;
        rowCount = static_cast<int>(done);
        if (progress && progress->PumpMessages()) {
            cancelled = true;
            return finish();
        }
        // The user interface replaced the document's contents while the progress window was
        // pumping: stop.
        if (columns.size() < static_cast<std::size_t>(kColumns)) return finish();
    }
    return finish();
}

// The annotations EDFlib read (onsets and durations in units of 100 ns).
void ReadAnnotations(const EdfFile& file, std::vector<RecordingEvent>& events) {
    const long long count = file.Header().annotations_in_file;
    for (long long n = 0; n < count && n <= std::numeric_limits<int>::max(); ++n) {
        edf_annotation_struct annotation{};
        if (edf_get_annotation(file.Handle(), static_cast<int>(n), &annotation) != 0) break;
        RecordingEvent event;
        event.onsetMs = static_cast<double>(annotation.onset) / (EDFLIB_TIME_DIMENSION / 1000);
        event.durationMs = annotation.duration_l > 0 ? static_cast<double>(annotation.duration_l) /
                                                           (EDFLIB_TIME_DIMENSION / 1000)
                                                     : 0.0;
        annotation.annotation[EDFLIB_MAX_ANNOTATION_LEN] = '\0';
        event.text = annotation.annotation;
        events.push_back(std::move(event));
    }
}

}  // namespace

RecordingReadResult ReadRecordingSignals(const EdfFile& file, std::FILE* data, int skipSignals,
                                         int maxRows, std::vector<std::vector<double>>& columns,
                                         int& rowCount, Progress* progress) {
    RecordingReadResult result;
    const edf_hdr_struct& header = file.Header();
    ReadPlan plan;
    plan.first = std::max(skipSignals, 0);
    const int signals = std::min(file.Signals() - plan.first, kColumns);
    if (signals <= 0 || columns.size() < static_cast<std::size_t>(kColumns)) return result;

    // The signals read and how many samples each gives: all of its samples up to the cap.
    const long long cap = maxRows > 0 ? maxRows : std::numeric_limits<int>::max();
    const int perRecord = header.signalparam[plan.first].smp_in_datarecord;
    long long total = 0;
    plan.count = std::min(header.signalparam[plan.first].smp_in_file, cap);
    result.rowsLeftOut = header.signalparam[plan.first].smp_in_file > cap;
    for (int k = 0; k < signals; ++k) {
        const edf_param_struct& signal = header.signalparam[plan.first + k];
        if (signal.smp_in_datarecord != perRecord) {
            result.otherRate.push_back(Trimmed(signal.label));
            continue;
        }
        plan.read.push_back(k);
        ReserveColumn(columns[static_cast<std::size_t>(k)], static_cast<std::size_t>(plan.count));
        total += plan.count;
    }
    if (progress) progress->SetRange(0, SaturateToInt(total));

    if (!ReadRecords(data, header, plan, columns, rowCount, progress, result.cancelled))
        result.cancelled = ReadThroughEdflib(file, plan, columns, rowCount, progress);
    rowCount = Rows(columns);
    return result;
}

RecordingResult ReadEdfRecording(std::FILE* data, const std::string& path,
                                 const ReadOptions& options, Progress* progress) {
    // EDFlib opens files by name; it is given the name of the descriptor already open, so that it
    // reads the very file opened here and the name is looked up once.
    // The annotations are read with the header; a file whose annotations EDFlib cannot read is
    // read without them, as a file it reads in any case.
    const std::string name = DescriptorPath(data, path);
    auto file = std::make_unique<EdfFile>(name, true);
    if (!file->IsOpen()) file = std::make_unique<EdfFile>(name);
    if (std::string why = Unreadable(*file); !why.empty())
        return Failure(ReadError{ReadError::Kind::Refused, why});

    Recording recording;
    for (int k = 0; k < file->Signals(); ++k)
        recording.signalLabels.push_back(Trimmed(file->Header().signalparam[k].label));
    ReadAnnotations(*file, recording.events);
    ReadNotes& notes = recording.notes;
    notes.values = EdfRecordingValues(*file, options.skipColumns);
    const int first = std::max(options.skipColumns, 0);
    if (first < file->Signals()) {
        const double rate = ExactRate(file->Header(), first);
        if (std::string why = UnreadableRate(rate); !why.empty())
            return Failure(ReadError{ReadError::Kind::Refused, why});
        if (rate != std::floor(rate)) notes.unroundedRate = rate;
    }
    RecordingReadResult result;
    try {
        result = ReadRecordingSignals(*file, data, options.skipColumns, options.maxRows,
                                      recording.columns, recording.rowCount, progress);
    } catch (const std::bad_alloc&) {
        notes.outOfMemory = true;
    } catch (const std::length_error&) {
        notes.outOfMemory = true;
    }
    for (int k = 0; k < kColumns && first + k < file->Signals(); ++k)
        if (!recording.columns[static_cast<std::size_t>(k)].empty())
            recording.labels[static_cast<std::size_t>(k)] =
                Trimmed(file->Header().signalparam[first + k].label);
    // After a lack of memory the samples read so far stay.
    recording.rowCount = Rows(recording.columns);
    if (notes.outOfMemory) return recording;
    notes.rowsLeftOut = result.rowsLeftOut && !result.cancelled;
    notes.cancelled = result.cancelled;
    notes.otherRate = std::move(result.otherRate);
    notes.nothingReadable = recording.rowCount == 0 && !notes.cancelled;
    return recording;
}

std::optional<RecordingValues> ReadEdfValues(std::FILE* data, const std::string& path,
                                             int skipSignals) {
    return EdfRecordingValues(EdfFile(DescriptorPath(data, path)), skipSignals);
}

}  // namespace tavrel
