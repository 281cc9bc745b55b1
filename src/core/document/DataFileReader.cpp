#include "document/DataFileReader.h"

#include <bit>
#include <cstring>
#include <iterator>
#include <limits>
#include <mutex>
#include <new>

#include "platform/Host.h"
#include "platform/NumberParse.h"
#include "platform/Rounding.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Writes the offsets from `p` of the first `want` commas of [p, end) to `out` and returns how many
// there are (at most `want`). Bytes up to `readable` may be looked at; `out` has room for
// kCommaSlack positions more than `want`.
int FindCommas(const char* p, const char* end, const char* readable, std::ptrdiff_t* out,
               int want) {
    const char* const base = p;
    int count = 0;
#if defined(__SSE2__)
    // Thirty-two bytes at a time; such a block holds two or three commas of a line of numbers,
    // so the first three positions are stored without asking whether they exist.
    const __m128i comma = _mm_set1_epi8(',');
    while (count < want && p < end && readable - p >= 32) {
        const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
        std::uint32_t mask =
            static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(low, comma))) |
            static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(high, comma))) << 16;
        if (end - p < 32) mask &= (std::uint32_t{1} << (end - p)) - 1;
        const std::ptrdiff_t offset = p - base;
        for (int i = 0; i < 3; ++i) {
            out[count] = offset + std::countr_zero(mask);
            count += mask != 0;
            mask &= mask - 1;
        }
        for (; mask != 0; mask &= mask - 1)
            out[count++] = offset + std::countr_zero(mask);
        p += 32;
    }
    if (count >= want) return want;
#endif
    while (count < want && p < end) {
        const char* found = FindComma(p, end);
        if (!found) break;
        out[count++] = found - base;
        p = found + 1;
    }
    return count;
}

constexpr std::size_t kKeptColumnValues = 8192;

// Column arrays kept from closed documents, at most one per column.
struct SpareColumns {
    std::mutex lock;
    std::vector<std::vector<double>> columns;
};

SpareColumns& Spares() {
    static SpareColumns spares;
    return spares;
}

// Replaces the storage of `column` (empty) by kept storage of at least `capacity` values, if
// there is such.
bool TakeColumnStorage(std::vector<double>& column, std::size_t capacity) {
    SpareColumns& spares = Spares();
    std::lock_guard<std::mutex> hold(spares.lock);
    for (auto spare = spares.columns.rbegin(); spare != spares.columns.rend(); ++spare) {
        if (spare->capacity() < capacity) continue;
        column.swap(*spare);
        spares.columns.erase(std::next(spare).base());
        return true;
    }
    return false;
}

// Appends the numbers of a line's first `cells` cells to the columns, cell k to column k. The cells
// start at `first`; cell k ends at first + ends[k] and the next starts after it.
void AppendCells(std::vector<double>* columns, const char* first, const std::ptrdiff_t* ends,
                 int cells, const char* readable) {
    const char* p = first;
    for (int k = 0; k < cells; ++k) {
        const char* cellEnd = first + ends[k];
        columns[k].push_back(ParseNumberPrefix(p, cellEnd, readable).value);
        p = cellEnd + 1;
    }
}

#if TAVREL_HAVE_SSSE3_READING
// Reads a whole line's cells (up to sixteen) with the vector reading, finding each cell's end
// from the sixteen bytes read at its start. Needs 17 bytes after `end` to look at. Returns the
// number of cells read.
__attribute__((target("ssse3"))) int ReadLineCellsSsse3(std::vector<double>* columns,
                                                        const char* p, const char* end) {
    const __m128i commaBytes = _mm_set1_epi8(',');
    int k = 0;
    while (k < 16) {
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
        if (!number_parse::ReadPlainDecimalSsse3(p, cellEnd, number))
            number = ParseNumberPrefix(p, cellEnd, end + 17);
        columns[k++].push_back(number.value);
        if (cellEnd == end) break;
        p = cellEnd + 1;
        // A line that ends with a comma has no empty last cell.
        if (p == end) break;
    }
    return k;
}
#endif

}  // namespace

DataFileReader::DataFileReader(std::vector<std::vector<double>>& columns, int& rowCount,
                               const DataReadOptions& options, std::int64_t fileLength,
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
    if (!m_carry.empty()) {
        const char* lf = static_cast<const char*>(std::memchr(p, '\n', size));
        if (!lf) {
            m_carry.append(p, size);
            return true;
        }
        m_carry.append(p, static_cast<std::size_t>(lf - p));
        p = lf + 1;
        const char* line = m_carry.data();
        m_readable = line + m_carry.size();
        if (!HandleLine(line, LineContentEnd(line, line + m_carry.size()))) return false;
        m_carry.clear();
    }
    m_readable = end;
    while (p < end) {
        const char* lf =
            static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
        if (!lf) {
            m_carry.assign(p, end);
            break;
        }
        if (!HandleLine(p, LineContentEnd(p, lf))) return false;
        p = lf + 1;
    }
    return true;
}

void DataFileReader::Finish() {
    if (m_stopped || m_carry.empty()) return;
    // The last line has no line end; a CR at its end is part of it.
    m_readable = m_carry.data() + m_carry.size();
    HandleLine(m_carry.data(), m_carry.data() + m_carry.size());
    m_carry.clear();
    m_carry.shrink_to_fit();
}

bool DataFileReader::HandleLine(const char* begin, const char* end) {
    ++m_lines;
    if (m_progress) {
        m_progress->Step(SaturateToInt(static_cast<std::int64_t>(end - begin) + 2));
        if (m_progress->PumpMessages()) {
            m_cancelled = true;
            m_stopped = true;
            return false;
        }
    }
    if (m_rowCount >= m_cap || m_columns.size() < kColumns) {
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
        if (ReadLineCellsSsse3(m_columns.data(), p, end) > 0) ++m_rowCount;
        return;
    }
#endif
    // The ends of the (at most sixteen) cells are found first, in one sweep over the line; the
    // numbers are then read cell by cell, each from a known start, so that the reading of one
    // number does not wait for the end of the one before it.
    // Cell k ends at first + ends[k]: at a comma, or for the last cell of a line with fewer than
    // sixteen commas, at the line's end.
    std::ptrdiff_t ends[kColumns + kCommaSlack];
    const char* const first = p;
    const int found = FindCommas(first, end, m_readable, ends, kColumns);
    int cells = kColumns;
    if (found < kColumns) {
        ends[found] = end - first;
        cells = found + 1;
        // A line that ends with a comma has no empty last cell.
        if (found > 0 && ends[found - 1] + 1 == ends[found]) --cells;
    }
    if (m_firstDataLine) {
        for (int k = 0; k < cells; ++k) {
            std::vector<double>& column = m_columns[static_cast<std::size_t>(k)];
            if (column.capacity() >= m_reserve || TakeColumnStorage(column, m_reserve)) continue;
            // The reservation only saves later growth; without the memory for it the column
            // grows as it fills.
            try {
                column.reserve(m_reserve);
            } catch (const std::bad_alloc&) {
            } catch (const std::length_error&) {
            }
        }
    }
    AppendCells(m_columns.data(), first, ends, cells, m_readable);
    if (cells > 0) ++m_rowCount;
}

void KeepColumnStorage(std::vector<double>& column) {
    if (column.capacity() == 0 || column.capacity() > kKeptColumnValues) return;
    SpareColumns& spares = Spares();
    std::lock_guard<std::mutex> hold(spares.lock);
    // The latest document's storage is the likeliest to fit the next: the oldest makes room.
    if (spares.columns.size() >= static_cast<std::size_t>(DataFileReader::kColumns))
        spares.columns.erase(spares.columns.begin());
    column.clear();
    spares.columns.push_back(std::move(column));
}

bool ReadDataText(std::string_view text, std::vector<std::vector<double>>& columns, int& rowCount,
                  const DataReadOptions& options, Progress* progress) {
    DataFileReader reader(columns, rowCount, options, static_cast<std::int64_t>(text.size()),
                          progress);
    reader.Feed(text.data(), text.size());
    reader.Finish();
    return !reader.Cancelled();
}

}  // namespace tavrel
