#include "document/DataFileReader.h"

#include <cstring>
#include <limits>
#include <new>

#include "platform/Host.h"
#include "platform/NumberParse.h"
#include "platform/Rounding.h"

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
        if (!HandleLine(line, LineContentEnd(line, line + m_carry.size()))) return false;
        m_carry.clear();
    }
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
    std::int64_t cell = 0;
    for (;;) {
        const char* comma;
        if (cell < m_skip) {
            comma = FindComma(p, end);
        } else {
            std::int64_t k = cell - m_skip;
            if (k >= kColumns) break;
            ParsedNumber number = ParseNumberPrefix(p, end);
            // A number never holds a comma, so the cell's comma lies at or after its end.
            comma = FindComma(number.end, end);
            std::vector<double>& column = m_columns[static_cast<std::size_t>(k)];
            if (m_firstDataLine && column.capacity() < m_reserve) {
                // The reservation only saves later growth; without the memory for it the
                // column grows as it fills.
                try {
                    column.reserve(m_reserve);
                } catch (const std::bad_alloc&) {
                } catch (const std::length_error&) {
                }
            }
            column.push_back(number.value);
            if (k == 0) ++m_rowCount;
        }
        if (!comma) break;
        p = comma + 1;
        // A line that ends with a comma has no empty last cell.
        if (p == end) break;
        ++cell;
    }
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
