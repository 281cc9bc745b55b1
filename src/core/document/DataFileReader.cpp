#include "document/DataFileReader.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <limits>
#include <memory>
#include <new>

#include <sys/stat.h>
#include <unistd.h>

#include "document/Recording.h"
#include "platform/Host.h"
#include "platform/LargePages.h"
#include "platform/NumberParse.h"
#include "platform/Rounding.h"
#include "platform/WorkerPool.h"

namespace tavrel {

namespace {

// The end of a line found in [begin, end): the line without its LF and the CR before it.
inline const char* LineContentEnd(const char* begin, const char* lf) {
    return (lf > begin && lf[-1] == '\r') ? lf - 1 : lf;
}

inline const char* FindComma(const char* p, const char* end) {
    if (p == end) return nullptr;
    if (*p == ',') return p;
    return static_cast<const char*>(std::memchr(p, ',', static_cast<std::size_t>(end - p)));
}

// A kept column is taken for a reading of `count` values only when it holds at most four times
// as many plus this (the program's own row cap): a small reading does not pin a large array.
constexpr std::size_t kSpareSlackValues = 8192;

// A line carried across chunks is looked at for its kept cells once it has grown this long: the
// cells after them are dropped while reading, so a line of any length costs memory in proportion
// to what is kept.
constexpr std::size_t kCarryTrimBytes = std::size_t{1} << 20;

// Whether a cell that gave no number holds anything but white space: text, read as 0.
bool HoldsText(const char* p, const char* end) {
    for (; p < end; ++p) {
        const char c = *p;
        if (c != ' ' && c != '\t' && c != '\n' && c != '\v' && c != '\f' && c != '\r') return true;
    }
    return false;
}

// What the cells of a line held: text read as 0, and numbers.
constexpr int kLineHadText = 1;
constexpr int kLineHadNumber = 2;

// The UTF-8 byte-order mark, skipped where it opens the file.
constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";
constexpr int kMarkLength = 3;

// Column arrays kept from closed documents, at most one per column. Each thread keeps its own
// (the command-line tool reads several files at once, a document on each thread): a reading then
// takes back what the previous document of its thread held, never arrays that another thread
// touched last, and no thread waits for another.
thread_local std::vector<std::vector<double>> t_spareColumns;

std::size_t SpareBytes() {
    std::size_t bytes = 0;
    for (const std::vector<double>& spare : t_spareColumns)
        bytes += spare.capacity() * sizeof(double);
    return bytes;
}

// Replaces the storage of `column` (empty) by kept storage of at least `capacity` values, if
// there is such.
bool TakeColumnStorage(std::vector<double>& column, std::size_t capacity) {
    std::vector<std::vector<double>>& spares = t_spareColumns;
    const std::size_t most = capacity <= (SIZE_MAX - kSpareSlackValues) / 4
                                 ? capacity * 4 + kSpareSlackValues
                                 : SIZE_MAX;
    for (auto spare = spares.rbegin(); spare != spares.rend(); ++spare) {
        if (spare->capacity() < capacity || spare->capacity() > most) continue;
        column.swap(*spare);
        spares.erase(std::next(spare).base());
        return true;
    }
    return false;
}

#if TAVREL_HAVE_SSSE3_READING
// Reads a whole line's cells (up to sixteen) with the vector reading, finding each cell's end
// from the sixteen bytes read at its start. Needs 17 bytes after `end` to look at.
__attribute__((target("ssse3"))) int ReadLineCellsSsse3(std::vector<double>* columns, const char* p,
                                                        const char* end) {
    const __m128i commaBytes = _mm_set1_epi8(',');
    int k = 0;
    int held = 0;
    while (k < DataFileReader::kColumns) {
        const __m128i text = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const unsigned commas =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(text, commaBytes)));
        const char* cellEnd;
        if (commas != 0) {
            cellEnd = p + std::countr_zero(commas);
        } else {
            const char* comma = end - p > 16 ? FindComma(p + 16, end) : nullptr;
            cellEnd = comma ? comma : end;
        }
        if (cellEnd > end) cellEnd = end;
        ParsedNumber number;
        if (number_parse::ReadPlainDecimalSsse3(p, cellEnd, number)) {
            held |= kLineHadNumber;
        } else {
            number = ParseNumberPrefix(p, cellEnd, end + 17);
            if (number.end != p)
                held |= kLineHadNumber;
            else if (HoldsText(p, cellEnd))
                held |= kLineHadText;
        }
        columns[k++].push_back(number.value);
        if (cellEnd == end) break;
        p = cellEnd + 1;
        // A line that ends with a comma has no empty last cell.
        if (p == end) break;
    }
    return held;
}
#endif

// Chunks of 256 KiB stay in the processor's cache between being read and being parsed.
constexpr std::size_t kChunkBytes = 256 << 10;

// A chunk starts on a page boundary, as the file's pages do in the system's cache: the system
// copies a read much more slowly into memory that lies a few bytes off that alignment (a plain
// array of this size starts 16 bytes into its pages).
struct alignas(4096) Chunk {
    char bytes[kChunkBytes];
};

// The chunk buffer is kept from one reading to the next: fresh memory costs as much to touch as
// the parsing of what is read into it. A reading started while another is pumping the user
// interface finds no buffer here and takes a new one, so two readings never share one. Each
// thread keeps its own (the command-line tool reads several files at once).
thread_local std::unique_ptr<Chunk> t_spareChunk;

std::unique_ptr<Chunk> TakeChunk() {
    if (t_spareChunk) return std::move(t_spareChunk);
    return std::make_unique_for_overwrite<Chunk>();
}

}  // namespace

DataFileReader::DataFileReader(std::vector<std::vector<double>>& columns, int& rowCount,
                               const ReadOptions& options, std::int64_t fileLength,
                               Progress* progress)
    : m_columns(columns),
      m_rowCount(rowCount),
      m_progress(progress),
      m_headerLeft(options.headerRows > 0 ? options.headerRows : 0),
      m_skip(options.skipColumns > 0 ? options.skipColumns : 0),
      // Without a cap the row count is still an int, like every sample count.
      m_cap(options.maxRows > 0 ? options.maxRows : std::numeric_limits<int>::max()),
      m_reserve(fileLength > 0 ? static_cast<std::size_t>(fileLength / 50) : 0) {
    // No column can hold more values than the row cap allows (a shorter line adds to fewer
    // columns, never more values to one), so a large file read under the cap reserves no more.
    if (options.maxRows > 0 && m_reserve > static_cast<std::size_t>(options.maxRows))
        m_reserve = static_cast<std::size_t>(options.maxRows);
}

bool DataFileReader::Feed(const char* data, std::size_t size) {
    if (m_stopped) return false;
    const char* p = data;
    const char* end = data + size;
    if (m_markBytes >= 0) {
        while (p < end && m_markBytes < kMarkLength && *p == kUtf8Mark[m_markBytes]) {
            ++p;
            ++m_markBytes;
        }
        if (m_markBytes == kMarkLength) {
            m_markBytes = -1;
        } else if (p < end) {
            // Not a mark after all: the bytes matched so far start the first line.
            m_carry.assign(kUtf8Mark, static_cast<std::size_t>(m_markBytes));
            m_markBytes = -1;
        }
        size = static_cast<std::size_t>(end - p);
        if (size == 0) return true;
    }
    if (!m_carry.empty()) {
        const char* lf = static_cast<const char*>(std::memchr(p, '\n', size));
        if (!lf) {
            Carry(p, size);
            return true;
        }
        Carry(p, static_cast<std::size_t>(lf - p));
        p = lf + 1;
        const char* line = m_carry.data();
        m_readable = line + m_carry.size();
        // A trimmed line's CR went with its dropped cells.
        const char* content =
            m_dropped > 0 ? line + m_carry.size() : LineContentEnd(line, line + m_carry.size());
        if (!HandleLine(line, content)) return false;
        EndCarry();
    }
    m_readable = end;
    while (p < end) {
        const char* lf =
            static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
        if (!lf) {
            Carry(p, static_cast<std::size_t>(end - p));
            break;
        }
        if (!HandleLine(p, LineContentEnd(p, lf))) return false;
        p = lf + 1;
    }
    return true;
}

void DataFileReader::Finish() {
    // A file that ends inside the first bytes of a mark holds just those bytes.
    if (m_markBytes > 0) m_carry.assign(kUtf8Mark, static_cast<std::size_t>(m_markBytes));
    m_markBytes = -1;
    if (m_stopped || m_carry.empty()) return;
    // The last line has no line end; a CR at its end is part of it.
    m_droppedCr = false;
    m_readable = m_carry.data() + m_carry.size();
    HandleLine(m_carry.data(), m_carry.data() + m_carry.size());
    EndCarry();
    m_carry.shrink_to_fit();
}

void DataFileReader::Carry(const char* data, std::size_t size) {
    if (m_dropping) {
        m_dropped += static_cast<std::int64_t>(size);
        if (size > 0) m_droppedCr = data[size - 1] == '\r';
        return;
    }
    m_carry.append(data, size);
    if (m_carry.size() < m_trimAt) return;
    // The commas of the skipped cells and of the sixteen kept ones: the kept cells end at the
    // last of them, and everything from there to the line's end is dropped.
    const std::int64_t commas = m_skip + kColumns;
    for (std::size_t at = m_commaScan;;) {
        const char* comma = FindComma(m_carry.data() + at, m_carry.data() + m_carry.size());
        if (!comma) {
            m_commaScan = m_carry.size();
            m_trimAt = m_carry.size() + kCarryTrimBytes;
            return;
        }
        at = static_cast<std::size_t>(comma - m_carry.data()) + 1;
        if (++m_commasSeen == commas) {
            const std::size_t keep = at - 1;
            m_dropped = static_cast<std::int64_t>(m_carry.size() - keep);
            m_droppedCr = m_carry.back() == '\r';
            m_carry.resize(keep);
            m_dropping = true;
            return;
        }
    }
}

void DataFileReader::EndCarry() {
    m_carry.clear();
    m_dropping = false;
    m_droppedCr = false;
    m_dropped = 0;
    m_commaScan = 0;
    m_commasSeen = 0;
    m_trimAt = kCarryTrimBytes;
}

bool DataFileReader::HandleLine(const char* begin, const char* end) {
    ++m_lines;
    if (m_progress) {
        // The step is the line's length with its line end, also when cells were dropped from it
        // (their bytes, and a CR among them, counted here as they would have been).
        const std::int64_t dropped = m_dropped > 0 ? m_dropped - (m_droppedCr ? 1 : 0) : 0;
        m_progress->Step(SaturateToInt(static_cast<std::int64_t>(end - begin) + dropped + 2));
        if (m_progress->PumpMessages()) {
            m_cancelled = true;
            m_stopped = true;
            return false;
        }
    }
    if (m_columns.size() < kColumns) {
        m_stopped = true;
        return false;
    }
    if (m_rowCount >= m_cap) {
        // Empty lines after the last row are passed over; the first line with content ends the
        // reading with rows left out.
        if (begin == end) return true;
        m_rowsLeftOut = true;
        m_stopped = true;
        return false;
    }
    if (m_headerLeft > 0) {
        --m_headerLeft;
        return true;
    }
    if (begin != end) SplitLine(begin, end);
    m_firstDataLine = false;
    return true;
}

void DataFileReader::SplitLine(const char* begin, const char* end) {
    const char* p = begin;
    for (std::int64_t cell = 0; cell < m_skip; ++cell) {
        const char* comma = FindComma(p, end);
        if (!comma) return;
        p = comma + 1;
        // A line that ends with a comma has no empty last cell.
        if (p == end) return;
    }
#if TAVREL_HAVE_SSSE3_READING
    // Nearly every line: read with vector operations, cell by cell. The first data line (which
    // reserves storage in the columns it fills) and the last lines of a chunk (which lack room to
    // look ahead) take the way below.
    if (!m_firstDataLine && number_parse::HasSsse3() && m_readable - end >= 17) {
        NoteLine(ReadLineCellsSsse3(m_columns.data(), p, end));
        ++m_rowCount;
        return;
    }
#endif
    int held = 0;
    for (int k = 0; k < kColumns; ++k) {
        const ParsedNumber number = ParseNumberPrefix(p, end, m_readable);
        const bool isNumber = number.end != p;
        std::vector<double>& column = m_columns[static_cast<std::size_t>(k)];
        if (m_firstDataLine && column.capacity() < m_reserve &&
            !TakeColumnStorage(column, m_reserve)) {
            // The reservation only saves later growth; without the memory for it the column
            // grows as it fills.
            try {
                ReserveOnLargePages(column, m_reserve);
            } catch (const std::bad_alloc&) {
            } catch (const std::length_error&) {
            }
        }
        column.push_back(number.value);
        // A number never holds a comma, so the cell's comma lies at or after its end.
        const char* comma = FindComma(number.end, end);
        if (isNumber)
            held |= kLineHadNumber;
        else if (HoldsText(p, comma ? comma : end))
            held |= kLineHadText;
        if (!comma) break;
        p = comma + 1;
        // A line that ends with a comma has no empty last cell.
        if (p == end) break;
    }
    NoteLine(held);
    ++m_rowCount;
}

void DataFileReader::NoteLine(int held) {
    if (held & kLineHadText) ++m_textRows;
    if (held & kLineHadNumber) m_sawNumber = true;
}

bool DataFileReader::Started() const {
    return m_markBytes < 0 && m_headerLeft == 0 && !m_firstDataLine && m_carry.empty() &&
           m_columns.size() >= kColumns;
}

DataFileReader DataFileReader::PieceReader(std::vector<std::vector<double>>& columns,
                                           int& rows) const {
    ReadOptions options;
    options.headerRows = 0;
    options.skipColumns = static_cast<int>(m_skip);
    options.maxRows = 0;
    DataFileReader reader(columns, rows, options, 0, nullptr);
    reader.m_markBytes = -1;         // a piece starts in the middle of the text
    reader.m_firstDataLine = false;  // the columns' storage is already reserved
    return reader;
}

void DataFileReader::JoinPieces(std::span<PieceBuffer> pieces, bool release) {
    const auto count = static_cast<int>(pieces.size());
    // Column by column side by side (each column's new storage is touched by one thread).
    if (count > 1) {
        ParallelFor(kColumns, [&](int k) {
            std::vector<double>& to = m_columns[static_cast<std::size_t>(k)];
            for (int i = 1; i < count; ++i) {
                std::vector<double>& from =
                    pieces[static_cast<std::size_t>(i)].columns[static_cast<std::size_t>(k)];
                to.insert(to.end(), from.begin(), from.end());
                if (release) std::vector<double>().swap(from);
            }
        });
    }
    for (int i = 0; i < count; ++i) {
        const PieceBuffer& piece = pieces[static_cast<std::size_t>(i)];
        if (i > 0) m_rowCount += piece.rows;
        if (!m_progress) m_lines += piece.lines;
        m_textRows += piece.textRows;
        m_sawNumber = m_sawNumber || piece.sawNumber;
    }
}

bool DataFileReader::FeedLines(const char* data, std::size_t size, int pieces,
                               const std::function<void()>& alongside) {
    if (m_stopped) return false;
    if (pieces < 2 || !Started() || size == 0) return Feed(data, size);
    const char* end = data + size;
    // Each line adds at most one row and holds at least its line end, so with fewer bytes - or
    // fewer lines - than rows left the cap is not met (the lines are counted only when the bytes
    // do not tell).
    const std::int64_t left = static_cast<std::int64_t>(m_cap) - m_rowCount;
    if (static_cast<std::int64_t>(size) >= left &&
        static_cast<std::int64_t>(std::count(data, end, '\n')) >= left)
        return Feed(data, size);

    // Pieces of about equal size, each ending after a line end.
    std::vector<const char*> cuts{data};
    for (int i = 1; i < pieces; ++i) {
        const char* at = data + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(end - data) *
                                                            static_cast<std::size_t>(i) /
                                                            static_cast<std::size_t>(pieces));
        if (at <= cuts.back()) continue;
        const char* lf = static_cast<const char*>(
            std::memchr(at - 1, '\n', static_cast<std::size_t>(end - at + 1)));
        if (!lf || lf + 1 >= end) break;
        if (lf + 1 > cuts.back()) cuts.push_back(lf + 1);
    }
    cuts.push_back(end);
    const int count = static_cast<int>(cuts.size()) - 1;
    // Where the columns stood before these lines, for a cancel to put them back.
    std::array<std::size_t, kColumns> sizes{};
    const int rowsBefore = m_rowCount;
    for (std::size_t k = 0; k < sizes.size() && k < m_columns.size(); ++k)
        sizes[k] = m_columns[k].size();
    // The first piece is read straight into the columns, the others into buffers that keep their
    // storage from batch to batch (fresh memory costs more to touch than the parsing of what is
    // written into it), joined in order afterwards. The columns belong to this reading alone, so
    // the user interface pumped meanwhile cannot reach them.
    if (m_pieces.size() < static_cast<std::size_t>(count))
        m_pieces.resize(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        if (i == 0) continue;
        PieceBuffer& piece = m_pieces[static_cast<std::size_t>(i)];
        // The columns' ends move at every line: room for a few more past them keeps the next
        // piece's from sharing their last cache line.
        piece.columns.reserve(kColumns + 3);
        piece.columns.resize(kColumns);
        for (std::vector<double>& column : piece.columns)
            column.clear();
        piece.rows = 0;
    }
    // The progress, line by line as HandleLine steps it, on the calling thread while the pieces
    // are read; a cancel ends the lines read before it.
    const char* cancelledAt = nullptr;
    const auto stepLines = [&] {
        for (const char* p = data; p < end;) {
            const char* lf =
                static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
            ++m_lines;
            m_progress->Step(
                SaturateToInt(static_cast<std::int64_t>(LineContentEnd(p, lf) - p) + 2));
            if (m_progress->PumpMessages()) {
                cancelledAt = p;
                return;
            }
            p = lf + 1;
        }
    };
    // The work alongside is the first item, so that the pieces after it balance the threads.
    const int first = alongside ? 1 : 0;
    ParallelFor(
        count + first,
        [&](int item) {
            if (item < first) {
                alongside();
                return;
            }
            const int i = item - first;
            PieceBuffer& piece = m_pieces[static_cast<std::size_t>(i)];
            // The cap is not met within these lines (above).
            DataFileReader reader = i == 0 ? PieceReader(m_columns, m_rowCount)
                                           : PieceReader(piece.columns, piece.rows);
            const char* from = cuts[static_cast<std::size_t>(i)];
            const char* to = cuts[static_cast<std::size_t>(i) + 1];
            // A piece's columns keep their storage from batch to batch, so they grow only at
            // first.
            reader.Feed(from, static_cast<std::size_t>(to - from));
            piece.Note(reader);
        },
        m_progress ? std::function<void()>(stepLines) : nullptr);
    if (m_columns.size() < kColumns) {
        m_stopped = true;
        return false;
    }
    if (cancelledAt) {
        // The lines before the cancel, read again in order (the pieces' rows are dropped).
        for (std::size_t k = 0; k < sizes.size(); ++k)
            m_columns[k].resize(sizes[k]);
        m_rowCount = rowsBefore;
        const std::int64_t lines = m_lines;
        Progress* progress = m_progress;
        m_progress = nullptr;
        Feed(data, static_cast<std::size_t>(cancelledAt - data));
        m_progress = progress;
        m_lines = lines;
        m_cancelled = true;
        m_stopped = true;
        return false;
    }
    JoinPieces(std::span(m_pieces).first(static_cast<std::size_t>(count)), false);
    return !m_stopped;
}

namespace {

// The first line end at or after `from` and before `end`, found through `readAt`; -1 if none.
std::int64_t NextLineEnd(const DataFileReader::ReadAt& readAt, std::int64_t from,
                         std::int64_t end) {
    std::array<char, 4096> window;
    while (from < end) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::int64_t>(end - from, window.size()));
        const std::size_t got = readAt(from, window.data(), want);
        if (const void* lf = std::memchr(window.data(), '\n', got))
            return from + (static_cast<const char*>(lf) - window.data());
        if (got < want) return -1;
        from += static_cast<std::int64_t>(got);
    }
    return -1;
}

// The last line end at or after `from` and before `end`; -1 if none (or if the text is shorter
// than `end`).
std::int64_t LastLineEnd(const DataFileReader::ReadAt& readAt, std::int64_t from,
                         std::int64_t end) {
    std::array<char, 4096> window;
    while (end > from) {
        const std::int64_t start =
            std::max<std::int64_t>(from, end - static_cast<std::int64_t>(window.size()));
        const std::size_t want = static_cast<std::size_t>(end - start);
        if (readAt(start, window.data(), want) != want) return -1;
        if (const void* lf = ::memrchr(window.data(), '\n', want))
            return start + (static_cast<const char*>(lf) - window.data());
        end = start;
    }
    return -1;
}

// Feeds [from, to) of the text to `reader` in chunks of `chunkBytes` (at most kChunkBytes).
// Returns false when the text ended before `to`.
bool FeedRange(DataFileReader& reader, const DataFileReader::ReadAt& readAt, std::int64_t from,
               std::int64_t to, std::size_t chunkBytes) {
    std::unique_ptr<Chunk> chunk = TakeChunk();
    const std::size_t size = std::clamp<std::size_t>(chunkBytes, 1, kChunkBytes);
    bool whole = true;
    while (from < to) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::int64_t>(to - from, std::int64_t(size)));
        const std::size_t got = readAt(from, chunk->bytes, want);
        if (got > 0) reader.Feed(chunk->bytes, got);
        from += static_cast<std::int64_t>(got);
        if (got < want) {
            whole = false;
            break;
        }
    }
    t_spareChunk = std::move(chunk);
    return whole;
}

}  // namespace

std::optional<std::int64_t> DataFileReader::FeedInParts(std::int64_t length, int parts,
                                                        std::size_t chunkBytes,
                                                        const ReadAt& readAt) {
    // The start in order, a chunk's whole lines at a time, until what follows can be cut.
    std::int64_t offset = 0;
    if (!Started()) {
        std::unique_ptr<Chunk> chunk = TakeChunk();
        const std::size_t size = std::clamp<std::size_t>(chunkBytes, 1, kChunkBytes);
        while (!Started() && !m_stopped) {
            const std::size_t got = readAt(offset, chunk->bytes, size);
            const void* lf = ::memrchr(chunk->bytes, '\n', got);
            if (!lf) break;  // a line longer than a chunk, or the end of the text
            const std::size_t whole =
                static_cast<std::size_t>(static_cast<const char*>(lf) - chunk->bytes) + 1;
            Feed(chunk->bytes, whole);
            offset += static_cast<std::int64_t>(whole);
        }
        t_spareChunk = std::move(chunk);
        if (m_stopped) {
            Finish();
            return std::nullopt;
        }
        if (!Started()) return offset;
    }
    // The parts end at the last line end before `length`; each line adds at most one row and
    // holds at least its line end, so with fewer bytes than rows left the cap is not met.
    const std::int64_t lastEnd = LastLineEnd(readAt, offset, length);
    if (parts < 2 || lastEnd < 0) return offset;
    const std::int64_t end = lastEnd + 1;
    if (end - offset >= static_cast<std::int64_t>(m_cap) - m_rowCount) return offset;

    std::vector<std::int64_t> cuts{offset};
    const std::int64_t span = end - offset;
    for (int i = 1; i < parts; ++i) {
        const std::int64_t at = offset + span / parts * i + span % parts * i / parts;
        if (at <= cuts.back()) continue;
        const std::int64_t lf = NextLineEnd(readAt, at - 1, end);
        if (lf < 0 || lf + 1 >= end) break;
        if (lf + 1 > cuts.back()) cuts.push_back(lf + 1);
    }
    cuts.push_back(end);
    const int count = static_cast<int>(cuts.size()) - 1;

    // The first part is read straight into the columns, the others into buffers of their own,
    // appended in order afterwards. Each buffer column is freed as soon as it was appended rather
    // than kept for the next reading: the system hands its memory, already touched, to the
    // columns' storage appended next and to the chains' outputs, which costs far less than fresh
    // memory, and the reading needs little more memory at its peak than the columns themselves.
    std::vector<PieceBuffer> pieces(static_cast<std::size_t>(count));
    std::vector<char> whole(static_cast<std::size_t>(count), 0);
    ParallelFor(count, [&](int i) {
        const std::int64_t from = cuts[static_cast<std::size_t>(i)];
        const std::int64_t to = cuts[static_cast<std::size_t>(i) + 1];
        if (i == 0) {
            whole[0] = FeedRange(*this, readAt, from, to, chunkBytes);
            return;
        }
        PieceBuffer& piece = pieces[static_cast<std::size_t>(i)];
        piece.columns.reserve(kColumns + 3);  // see FeedLines
        piece.columns.resize(kColumns);
        // Room for the part's rows as the first data line reserves it for the whole text.
        const auto room = static_cast<std::size_t>((to - from) / 50);
        for (std::vector<double>& column : piece.columns) {
            if (column.capacity() >= room) continue;
            try {
                ReserveOnLargePages(column, room);
            } catch (const std::bad_alloc&) {
            } catch (const std::length_error&) {
            }
        }
        // The cap is not met within the parts (above).
        DataFileReader reader = PieceReader(piece.columns, piece.rows);
        whole[static_cast<std::size_t>(i)] = FeedRange(reader, readAt, from, to, chunkBytes);
        // A text that ends within the part ends there, its last line without a line end.
        if (!whole[static_cast<std::size_t>(i)]) reader.Finish();
        piece.Note(reader);
    });
    // The parts up to the first that met the end of the text.
    int kept = 1;
    while (kept < count && whole[static_cast<std::size_t>(kept) - 1])
        ++kept;
    // The first part was read straight into the columns; the others' buffers go as they are
    // joined.
    JoinPieces(std::span(pieces).first(static_cast<std::size_t>(kept)), true);
    if (!whole[static_cast<std::size_t>(kept) - 1]) {
        Finish();
        return std::nullopt;
    }
    return end;
}

void KeepColumnStorage(std::vector<double>& column) {
    const std::size_t bytes = column.capacity() * sizeof(double);
    if (bytes == 0 || bytes > kKeptColumnBytes) return;
    std::vector<std::vector<double>>& spares = t_spareColumns;
    // The latest document's storage is the likeliest to fit the next: the oldest make room.
    if (spares.size() >= static_cast<std::size_t>(DataFileReader::kColumns))
        spares.erase(spares.begin());
    while (!spares.empty() && SpareBytes() + bytes > kKeptColumnBytes)
        spares.erase(spares.begin());
    column.clear();
    spares.push_back(std::move(column));
}

void ReserveColumn(std::vector<double>& column, std::size_t count) {
    if (column.capacity() >= count) return;
    if (column.empty() && TakeColumnStorage(column, count)) return;
    ReserveOnLargePages(column, count);
}

namespace {

// Feeds what read(into, count) delivers (fewer than `count` bytes at the end) to FeedLines in
// batches of `batchBytes`: the whole lines of each batch, the rest carried over to the next; the
// bytes after the last line end go to Feed, then Finish. Two buffers take turns: while the lines
// of one are parsed, the carried bytes and the next batch go into the other.
// The batch buffers are kept from one reading to the next of the thread, as the chunk is: their
// first touch costs more than the parsing of what is read into them.
thread_local std::array<std::vector<char>, 2> t_spareBatchBuffers;

template <class Read>
void FeedBatches(DataFileReader& reader, std::size_t batchBytes, int pieces, Read&& read) {
    std::array<std::vector<char>, 2> buffers = std::move(t_spareBatchBuffers);
    struct GiveBack {
        std::array<std::vector<char>, 2>& buffers;
        ~GiveBack() { t_spareBatchBuffers = std::move(buffers); }
    } giveBack{buffers};
    int current = 0;
    buffers[0].resize(batchBytes);
    std::size_t got = read(buffers[0].data(), batchBytes);
    std::size_t held = got;  // the carried bytes, then the `got` read after them
    for (;;) {
        std::vector<char>& buffer = buffers[static_cast<std::size_t>(current)];
        const bool last = got < batchBytes;
        // The carried bytes hold no line end; only the new ones are searched.
        std::size_t whole = held;
        while (whole > held - got && buffer[whole - 1] != '\n')
            --whole;
        if (whole == held - got) whole = 0;
        if (whole == 0) {
            // No line end yet: the line goes on in the next batch, read into the same buffer.
            if (last) {
                if (held > 0) reader.Feed(buffer.data(), held);
                break;
            }
            if (buffer.size() < held + batchBytes) buffer.resize(held + batchBytes);
            got = read(buffer.data() + held, batchBytes);
            held += got;
            continue;
        }
        const std::size_t carry = held - whole;
        if (last) {
            if (reader.FeedLines(buffer.data(), whole, pieces) && carry > 0)
                reader.Feed(buffer.data() + whole, carry);
            break;
        }
        std::vector<char>& next = buffers[static_cast<std::size_t>(1 - current)];
        bool nextRead = false;
        const auto readNext = [&] {
            if (next.size() < carry + batchBytes) next.resize(carry + batchBytes);
            std::memcpy(next.data(), buffer.data() + whole, carry);
            got = read(next.data() + carry, batchBytes);
            nextRead = true;
        };
        if (!reader.FeedLines(buffer.data(), whole, pieces, readNext)) break;
        if (!nextRead) readNext();
        held = carry + got;
        current = 1 - current;
    }
    reader.Finish();
}

// The bytes a piece of a large file's batch holds.
constexpr std::size_t kPieceBytes = std::size_t{1} << 20;

// pread until `count` bytes or the end of the file (or a read error).
std::size_t ReadAtOffset(int fd, std::int64_t offset, char* into, std::size_t count) {
    std::size_t got = 0;
    while (got < count) {
        const ssize_t n = ::pread(fd, into + got, count - got,
                                  static_cast<off_t>(offset) + static_cast<off_t>(got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    return got;
}

}  // namespace

void ReadCsvFile(std::FILE* file, std::int64_t length, const ReadOptions& options,
                 Progress* progress, Recording& recording) {
    // The bar's range is 32-bit; a longer file fills it up to its end.
    const int range = length > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(length);
    if (progress) progress->SetRange(0, range);
    // The reader asks for large chunks itself; the stream needs no buffer of its own.
    std::setvbuf(file, nullptr, _IONBF, 0);
    DataFileReader reader(recording.columns, recording.rowCount, options, length, progress);
    const int threads = length >= kParallelReadBytes ? ThreadCount() : 1;
    try {
        // Without a progress to step line by line, a regular file is read in one large part per
        // thread; what the parts leave (the start when no parts fit, the end) is read below.
        bool over = false;
        std::int64_t left = length;  // bytes still to read, as far as the length tells
        struct stat status {};
        const int fd = ::fileno(file);
        if (threads > 1 && !progress && ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
            const std::optional<std::int64_t> rest =
                reader.FeedInParts(length, threads, kChunkBytes,
                                   [fd](std::int64_t offset, char* into, std::size_t count) {
                                       return ReadAtOffset(fd, offset, into, count);
                                   });
            over = !rest || ::fseeko(file, static_cast<off_t>(*rest), SEEK_SET) != 0;
            if (rest) left = length - *rest;
        }
        if (over) {
            reader.Finish();  // nothing left, or nothing more to read from
        } else if (threads > 1 && left >= kParallelReadBytes) {
            FeedBatches(
                reader, kPieceBytes * static_cast<std::size_t>(threads), threads,
                [file](char* into, std::size_t count) { return std::fread(into, 1, count, file); });
        } else {
            // One thread, or only the end of a text the parts read (at most its last line, unless
            // the file grew meanwhile): in order, through the thread's chunk, with no batch
            // buffers to set up for it.
            std::unique_ptr<Chunk> chunk = TakeChunk();
            for (;;) {
                const std::size_t got = std::fread(chunk->bytes, 1, kChunkBytes, file);
                if (got > 0 && !reader.Feed(chunk->bytes, got)) break;
                if (got < kChunkBytes) break;  // end of file or a read error: keep what was read
            }
            reader.Finish();
            t_spareChunk = std::move(chunk);
        }
    } catch (const std::bad_alloc&) {
        // A line or a column too long for the memory: the rows read so far stay. A line cut off
        // in the middle may have added its first cells; no column keeps more values than rows.
        recording.notes.outOfMemory = true;
        for (std::vector<double>& column : recording.columns) {
            if (column.size() > static_cast<std::size_t>(recording.rowCount))
                column.resize(static_cast<std::size_t>(recording.rowCount));
        }
    }
    ReadNotes& notes = recording.notes;
    notes.rowsLeftOut = reader.RowsLeftOut();
    notes.cancelled = reader.Cancelled();
    notes.textRows = reader.TextRows();
    if (!notes.cancelled && !notes.outOfMemory) {
        notes.nothingReadable = recording.rowCount == 0;
        notes.noNumbers = recording.rowCount > 0 && !reader.SawNumber();
    }
}

bool ReadDataText(std::string_view text, std::vector<std::vector<double>>& columns, int& rowCount,
                  const ReadOptions& options, Progress* progress) {
    DataFileReader reader(columns, rowCount, options, static_cast<std::int64_t>(text.size()),
                          progress);
    reader.Feed(text.data(), text.size());
    reader.Finish();
    return !reader.Cancelled();
}

bool ReadDataTextInPieces(std::string_view text, std::vector<std::vector<double>>& columns,
                          int& rowCount, const ReadOptions& options, Progress* progress, int pieces,
                          std::size_t batchBytes) {
    DataFileReader reader(columns, rowCount, options, static_cast<std::int64_t>(text.size()),
                          progress);
    std::size_t offset = 0;
    FeedBatches(reader, std::max<std::size_t>(batchBytes, 1), pieces,
                [&](char* into, std::size_t count) {
                    const std::size_t got = std::min(count, text.size() - offset);
                    std::memcpy(into, text.data() + offset, got);
                    offset += got;
                    return got;
                });
    return !reader.Cancelled();
}

void ReadDataTextInParts(std::string_view text, std::vector<std::vector<double>>& columns,
                         int& rowCount, const ReadOptions& options, int parts,
                         std::size_t chunkBytes) {
    const auto size = static_cast<std::int64_t>(text.size());
    DataFileReader reader(columns, rowCount, options, size, nullptr);
    const std::optional<std::int64_t> rest = reader.FeedInParts(
        size, parts, chunkBytes, [text, size](std::int64_t offset, char* into, std::size_t count) {
            const std::size_t got =
                offset < size ? std::min(count, static_cast<std::size_t>(size - offset)) : 0;
            if (got > 0) std::memcpy(into, text.data() + offset, got);
            return got;
        });
    if (!rest) return;
    const std::size_t step = std::max<std::size_t>(chunkBytes, 1);
    for (auto at = static_cast<std::size_t>(*rest); at < text.size(); at += step)
        if (!reader.Feed(text.data() + at, std::min(step, text.size() - at))) break;
    reader.Finish();
}

}  // namespace tavrel
