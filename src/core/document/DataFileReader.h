// The data-file reader: turns the lines of a comma-separated text into the document's sixteen
// source columns. It is fed the file's bytes in chunks of any size, so a file is read in large
// blocks without holding it whole, and a line may be of any length (only a line that crosses a
// chunk boundary is copied).
//
// A UTF-8 byte-order mark at offset 0 (spreadsheet programs write one at the start of "CSV UTF-8"
// files) is skipped; every other byte is read as it is.
//
// Per line, in file order: the progress is stepped by the line's length + 2 and the user
// interface pumped (a cancel stops the reading); reading stops at the first line with content
// reached while the row cap is met (empty lines after the last row are passed over, so that a
// file that ends within the cap is not taken for a cut one); header lines are skipped; the cells
// after the skipped leading cells go into columns 0-15 (further cells are ignored); the first data
// line reserves L / 50 values in each column it fills (L = file length), at most as many as the row
// cap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "document/Recording.h"

namespace tavrel {

class Progress;

class DataFileReader {
  public:
    static constexpr int kColumns = 16;

    // `columns` must hold 16 arrays (the reader stops if it holds fewer) and belong to the
    // reading alone: with several threads, the user interface pumped by the progress runs while
    // they are written. Rows are appended; `rowCount` counts the lines that delivered column 0.
    // `fileLength` is L of the reservation rule; `progress` may be null.
    DataFileReader(std::vector<std::vector<double>>& columns, int& rowCount,
                   const ReadOptions& options, std::int64_t fileLength, Progress* progress);

    // The next bytes of the file. Returns false once reading has stopped (row cap met or
    // cancelled); further bytes are then ignored.
    bool Feed(const char* data, std::size_t size);
    // The end of the file: reads a last line that has no line end.
    void Finish();
    // Whole lines of the file (`size` bytes ending with a line end), read as Feed reads them, but
    // cut at line ends into `pieces` parts that are parsed side by side and joined in order -
    // once the start of the file (mark, header lines, first data line) is behind and the row cap
    // cannot be met within these lines; otherwise they go to Feed. The progress is stepped (and
    // a cancel taken) line by line on the calling thread while the pieces are parsed; after a
    // cancel the lines before it are read again in order, so a cancelled reading keeps exactly
    // the lines before the one at which the user cancelled. `alongside`, when given, runs once
    // on one of the threads while the pieces are parsed (not at all when the lines go to Feed).
    bool FeedLines(const char* data, std::size_t size, int pieces,
                   const std::function<void()>& alongside = nullptr);

    // Positioned reads of the whole text: up to `count` bytes from `offset` into `into`, fewer
    // only at the end of the text or on a read error.
    using ReadAt = std::function<std::size_t(std::int64_t offset, char* into, std::size_t count)>;
    // A whole text of `length` bytes read without a progress, in `parts` large parts side by
    // side, each in chunks of `chunkBytes` on a thread of its own, joined once at the end. The
    // start of the text (mark, header lines, first data line) is read in order first; the parts
    // then cut the lines up to the last line end before `length` at line ends - provided the row
    // cap cannot be met within them. Returns the offset from which the rest of the text is still
    // to be read in order (Feed, then Finish): where the parts ended, or where the start ended
    // when no parts could be used. Returns nothing when reading is over (Finish done): the
    // reading stopped, or a part came to the end of the text before its own end (the text grew
    // shorter), which then is the end of the text.
    std::optional<std::int64_t> FeedInParts(std::int64_t length, int parts, std::size_t chunkBytes,
                                            const ReadAt& readAt);

    bool Stopped() const { return m_stopped; }
    bool Cancelled() const { return m_cancelled; }
    // True when the row cap stopped the reading while a line with content was still unread.
    bool RowsLeftOut() const { return m_rowsLeftOut; }
    // Lines seen so far (header lines and the line at which reading stopped included).
    std::int64_t Lines() const { return m_lines; }
    // Rows with a kept cell that held text (read as 0, "nan" and "inf" included).
    std::int64_t TextRows() const { return m_textRows; }
    // Whether any kept cell held a number.
    bool SawNumber() const { return m_sawNumber; }

  private:
    struct PieceBuffer;
    // The start of the text is behind: what follows can be cut into pieces at any line end.
    bool Started() const;
    // A reader of a piece that starts after a line end in the middle of the text, into `columns`
    // (storage reserved) and `rows`, without the row cap (callers cut pieces only where the cap
    // cannot be met).
    DataFileReader PieceReader(std::vector<std::vector<double>>& columns, int& rows) const;
    // Appends the pieces' columns to the columns, in order, and adds up what the pieces counted;
    // the first piece was read straight into the columns, so only its counts other than rows are
    // added. Lines are added only without a progress (with one they were counted as it stepped).
    // With `release`, each piece column's storage is freed as soon as it was appended.
    void JoinPieces(std::span<PieceBuffer> pieces, bool release);
    // One line without its line end; false to stop reading.
    bool HandleLine(const char* begin, const char* end);
    void SplitLine(const char* begin, const char* end);
    // Counts what a row's cells held (kLineHadText, kLineHadNumber).
    void NoteLine(int held);
    // Keeps bytes of a line that continues in the next chunk; once the line is long, only up to
    // the end of its last kept cell (the rest of the line is counted, not kept).
    void Carry(const char* data, std::size_t size);
    // The carried line was read: forget it.
    void EndCarry();

    std::vector<std::vector<double>>& m_columns;
    int& m_rowCount;
    Progress* m_progress;
    std::int64_t m_headerLeft;
    std::int64_t m_skip;
    int m_cap;
    std::size_t m_reserve;
    bool m_firstDataLine = true;
    bool m_stopped = false;
    bool m_cancelled = false;
    bool m_rowsLeftOut = false;
    std::int64_t m_lines = 0;
    std::string m_carry;            // the start of a line that continues in the next chunk
    bool m_dropping = false;        // the carried line's cells after the kept ones are dropped
    bool m_droppedCr = false;       // the last byte dropped was a CR
    std::int64_t m_dropped = 0;     // bytes of the carried line dropped
    std::size_t m_commaScan = 0;    // where the carried line's commas have been counted to
    std::int64_t m_commasSeen = 0;  // commas counted in the carried line
    std::size_t m_trimAt = std::size_t{1} << 20;  // carry length at which to count again
    std::int64_t m_textRows = 0;
    bool m_sawNumber = false;
    // Bytes of a UTF-8 byte-order mark matched at the start of the file so far; -1 once the
    // start has been passed.
    int m_markBytes = 0;
    // The end of the bytes the current line lies in (the chunk, or the carried line): the reading
    // of a line may look ahead up to here.
    const char* m_readable = nullptr;
    // Large files on several threads: what each piece of a batch read (see FeedLines). Each on
    // cache lines of its own, as its reader counts rows into it line by line.
    struct alignas(64) PieceBuffer {
        std::vector<std::vector<double>> columns;
        int rows = 0;
        std::int64_t lines = 0;
        std::int64_t textRows = 0;
        bool sawNumber = false;
        // What the piece's reader counted.
        void Note(const DataFileReader& reader) {
            lines = reader.Lines();
            textRows = reader.TextRows();
            sawNumber = reader.SawNumber();
        }
    };
    std::vector<PieceBuffer> m_pieces;
};

// Column storage outlives documents: a closed document hands its columns here, and a later
// reading that reserves storage takes them instead of fresh memory, whose first touch costs more
// than the parsing or decoding of what is written into it (on a virtual machine, several times
// more). The latest sixteen columns of the thread are kept (a reading takes only what its own
// thread kept), together at most kKeptColumnBytes; the oldest make room.
inline constexpr std::size_t kKeptColumnBytes = std::size_t{1} << 30;
void KeepColumnStorage(std::vector<double>& column);

// Makes an empty `column` able to hold `count` values without growing: kept storage of at least
// that many values (and not wastefully more), otherwise new storage. Throws std::bad_alloc or
// std::length_error as reserve does.
void ReserveColumn(std::vector<double>& column, std::size_t count);

// Reads the comma-separated text of an open file (at its start, `length` bytes long) into
// `recording`'s columns: the progress range is the file's length; a cancel, the row cap and a
// lack of memory keep what was read and are noted in the recording. A file of at least
// kParallelReadBytes is parsed on ThreadCount() threads, with the same result: a regular file read
// without a progress in one large part per thread (FeedInParts), otherwise batch by batch
// (FeedLines).
inline constexpr std::int64_t kParallelReadBytes = std::int64_t{4} << 20;
void ReadCsvFile(std::FILE* file, std::int64_t length, const ReadOptions& options,
                 Progress* progress, Recording& recording);

// Reads a whole text held in memory (tests, fuzzing, the benchmarks' reference runs). Returns
// false when the reading was cancelled.
bool ReadDataText(std::string_view text, std::vector<std::vector<double>>& columns, int& rowCount,
                  const ReadOptions& options, Progress* progress = nullptr);

// ReadDataText as a large file is read in parallel: the text handed to FeedLines in batches of
// `batchBytes` (each cut after its last line end, the rest carried to the next) and each batch
// parsed in `pieces` pieces. For the tests and the fuzz target, which compare it with ReadDataText
// (small batches put the cuts at every place of a text).
bool ReadDataTextInPieces(std::string_view text, std::vector<std::vector<double>>& columns,
                          int& rowCount, const ReadOptions& options, Progress* progress, int pieces,
                          std::size_t batchBytes);

// ReadDataText as a large file is read in parallel without a progress: FeedInParts in `parts`
// parts read in chunks of `chunkBytes`, then the rest in order. For the tests and the fuzz target.
void ReadDataTextInParts(std::string_view text, std::vector<std::vector<double>>& columns,
                         int& rowCount, const ReadOptions& options, int parts,
                         std::size_t chunkBytes);

}  // namespace tavrel
