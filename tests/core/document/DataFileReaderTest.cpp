// The data-file reader on texts held in memory: cells, lines, caps, reservation, chunking and the
// progress it reports.
#include "document/DataFileReader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "support/ScriptedHost.h"

namespace tavrel {
namespace {

using Column = std::vector<double>;

struct Result {
    std::vector<Column> columns = std::vector<Column>(16);
    int rows = 0;
};

Result Read(std::string_view text, int headerRows = 0, int skipColumns = 0, int maxRows = 8192) {
    Result r;
    ReadOptions options;
    options.headerRows = headerRows;
    options.skipColumns = skipColumns;
    options.maxRows = maxRows;
    ReadDataText(text, r.columns, r.rows, options);
    return r;
}

TEST(DataFileReader, HeaderRowIsSkippedAndTextCellsReadAsZero) {
    const std::string text = "a,b\n1,2\n3,4\n";
    Result withHeader = Read(text, 1);
    EXPECT_EQ(withHeader.columns[0], (Column{1, 3}));
    EXPECT_EQ(withHeader.columns[1], (Column{2, 4}));
    EXPECT_EQ(withHeader.rows, 2);
    EXPECT_TRUE(withHeader.columns[2].empty());

    Result noHeader = Read(text);
    EXPECT_EQ(noHeader.columns[0], (Column{0, 1, 3}));
    EXPECT_EQ(noHeader.columns[1], (Column{0, 2, 4}));
    EXPECT_EQ(noHeader.rows, 3);

    // Header lines are counted whatever they hold, empty lines included.
    Result emptyHeaders = Read("\n\n5\n", 2);
    EXPECT_EQ(emptyHeaders.columns[0], (Column{5}));
}

TEST(DataFileReader, LeadingColumnsAreSkippedAndOnlySixteenCellsKept) {
    Result skipped = Read("10,1.5,2.5\n", 0, 1);
    EXPECT_EQ(skipped.columns[0], (Column{1.5}));
    EXPECT_EQ(skipped.columns[1], (Column{2.5}));
    EXPECT_TRUE(skipped.columns[2].empty());

    std::string twenty;
    for (int i = 1; i <= 20; ++i)
        twenty += std::to_string(i) + (i < 20 ? "," : "\n");
    Result wide = Read(twenty);
    for (int k = 0; k < 16; ++k)
        EXPECT_EQ(wide.columns[k], (Column{k + 1.0})) << k;
    EXPECT_EQ(wide.rows, 1);

    // With three skipped cells the sixteen columns are cells 4-19.
    Result wideSkipped = Read(twenty, 0, 3);
    EXPECT_EQ(wideSkipped.columns[0], (Column{4}));
    EXPECT_EQ(wideSkipped.columns[15], (Column{19}));

    // A line with no more cells than are skipped delivers nothing and is no row.
    Result shortLine = Read("x\nx,5\n", 0, 1);
    EXPECT_EQ(shortLine.columns[0], (Column{5}));
    EXPECT_EQ(shortLine.rows, 1);
}

TEST(DataFileReader, RaggedLinesFillOnlyTheColumnsTheyHave) {
    Result r = Read("1,2,3\n4\n");
    EXPECT_EQ(r.columns[0], (Column{1, 4}));
    EXPECT_EQ(r.columns[1], (Column{2}));
    EXPECT_EQ(r.columns[2], (Column{3}));
    EXPECT_EQ(r.rows, 2);
}

TEST(DataFileReader, CommaRules) {
    // A trailing comma ends the line without an empty cell.
    Result trailing = Read("1,2,\n");
    EXPECT_EQ(trailing.columns[1], (Column{2}));
    EXPECT_TRUE(trailing.columns[2].empty());
    // An empty cell between commas is 0.0.
    Result inner = Read("1,,3\n");
    EXPECT_EQ(inner.columns[1], (Column{0}));
    EXPECT_EQ(inner.columns[2], (Column{3}));
    // A lone comma is one empty cell; two commas are two.
    EXPECT_EQ(Read(",\n").columns[0], (Column{0}));
    EXPECT_TRUE(Read(",\n").columns[1].empty());
    Result two = Read(",,\n");
    EXPECT_EQ(two.columns[1], (Column{0}));
    EXPECT_TRUE(two.columns[2].empty());
    // An empty data line gives no cells and no row.
    Result empty = Read("1\n\n2\n");
    EXPECT_EQ(empty.columns[0], (Column{1, 2}));
    EXPECT_EQ(empty.rows, 2);
    // No quoting: "1,5" is two cells, the first of which is not a number.
    Result quoted = Read("\"1,5\"\n");
    EXPECT_EQ(quoted.columns[0], (Column{0}));
    EXPECT_EQ(quoted.columns[1], (Column{5}));
}

TEST(DataFileReader, TabSeparatedLinesGiveTheirNumericStartInColumnZero) {
    Result r = Read("1\t2\t3\n4.5\t5\n");
    EXPECT_EQ(r.columns[0], (Column{1, 4.5}));
    EXPECT_TRUE(r.columns[1].empty());
    EXPECT_EQ(r.rows, 2);
}

TEST(DataFileReader, LineEndsOfEveryKind) {
    Result r = Read("1,2\r\n3,4\n5,6");
    EXPECT_EQ(r.columns[0], (Column{1, 3, 5}));
    EXPECT_EQ(r.columns[1], (Column{2, 4, 6}));
    // A CR LF line whose last cell is empty ends with its comma: no extra cell.
    Result crlf = Read("7,\r\n");
    EXPECT_EQ(crlf.columns[0], (Column{7}));
    EXPECT_TRUE(crlf.columns[1].empty());
    // A lone CR is not a line end; the text after it belongs to the same cell.
    Result lone = Read("1\r2,3\n");
    EXPECT_EQ(lone.columns[0], (Column{1}));
    EXPECT_EQ(lone.columns[1], (Column{3}));
}

TEST(DataFileReader, RowCapStopsAtTheFirstLineReachedWithTheCapMet) {
    std::string text;
    for (int i = 0; i < 10000; ++i)
        text += std::to_string(i) + "," + std::to_string(-i) + "\n";
    Result capped = Read(text);
    EXPECT_EQ(capped.rows, 8192);
    ASSERT_EQ(capped.columns[0].size(), 8192u);
    EXPECT_EQ(capped.columns[0].back(), 8191);
    EXPECT_EQ(capped.columns[1].size(), 8192u);

    Result uncapped = Read(text, 0, 0, 0);
    EXPECT_EQ(uncapped.rows, 10000);
    EXPECT_EQ(uncapped.columns[1].back(), -9999);

    // Lines that deliver no column 0 do not count towards the cap; header lines neither.
    Result small = Read("h\n1\n\n2\n3\n", 1, 0, 2);
    EXPECT_EQ(small.columns[0], (Column{1, 2}));
}

TEST(DataFileReader, FirstDataLineReservesAFiftiethOfTheFileInEachColumnItFills) {
    std::string text = "h1,h2,h3\n1,2\n";
    const std::string pad(5000, ' ');
    for (int i = 0; i < 20; ++i)
        text += "5,6,7" + pad + "\n";
    Result r = Read(text, 1);
    const std::size_t reserve = text.size() / 50;
    ASSERT_GT(reserve, 1000u);
    EXPECT_EQ(r.columns[0].capacity(), reserve);
    EXPECT_EQ(r.columns[1].capacity(), reserve);
    // Column 2 received nothing on the first data line and grew as usual.
    EXPECT_EQ(r.columns[2].size(), 20u);
    EXPECT_LT(r.columns[2].capacity(), reserve);

    // Under a row cap smaller than L / 50 the reservation is the cap.
    Result capped = Read(text, 1, 0, 100);
    EXPECT_EQ(capped.columns[0].capacity(), 100u);
}

TEST(DataFileReader, ChunkBoundariesDoNotChangeTheResult) {
    const std::string text =
        "skip me,please\r\n1.25,-2e3,x\r\n\r\n3,4,5,6\n7e-1,,9,\n10\r\n11,12,13,14,15,16,17";
    Result whole = Read(text, 1);
    for (std::size_t piece : {1u, 2u, 3u, 5u, 7u, 16u}) {
        Result r;
        ReadOptions options;
        options.headerRows = 1;
        DataFileReader reader(r.columns, r.rows, options, static_cast<std::int64_t>(text.size()),
                              nullptr);
        for (std::size_t at = 0; at < text.size(); at += piece)
            reader.Feed(text.data() + at, std::min(piece, text.size() - at));
        reader.Finish();
        EXPECT_EQ(r.rows, whole.rows) << piece;
        for (int k = 0; k < 16; ++k)
            EXPECT_EQ(r.columns[k], whole.columns[k]) << piece << " " << k;
    }
    EXPECT_EQ(whole.columns[0], (Column{1.25, 3, 0.7, 10, 11}));
    EXPECT_EQ(whole.columns[1], (Column{-2000, 4, 0, 12}));
    EXPECT_EQ(whole.columns[3], (Column{6, 14}));
}

TEST(DataFileReader, ByteOrderMarkAtTheStartIsSkipped) {
    // "CSV UTF-8" as spreadsheet programs save it: the mark is no part of the first value, in
    // whatever pieces the file arrives.
    const std::string mark = "\xEF\xBB\xBF";
    const std::string text = mark + "1.5,2\n3,4\n";
    for (std::size_t piece : {std::size_t{1}, std::size_t{2}, std::size_t{4}, text.size()}) {
        Result r;
        DataFileReader reader(r.columns, r.rows, {}, static_cast<std::int64_t>(text.size()),
                              nullptr);
        for (std::size_t at = 0; at < text.size(); at += piece)
            reader.Feed(text.data() + at, std::min(piece, text.size() - at));
        reader.Finish();
        EXPECT_EQ(r.columns[0], (Column{1.5, 3})) << piece;
        EXPECT_EQ(r.columns[1], (Column{2, 4})) << piece;
    }
    // Only those three bytes at offset 0: a mark further on, or the start of one that does not
    // go on, is read as before.
    EXPECT_EQ(Read("1\n" + mark + "2\n").columns[0], (Column{1, 0}));
    const Result cut = Read(mark.substr(0, 2) + "7,8\n");
    EXPECT_EQ(cut.columns[0], (Column{0}));
    EXPECT_EQ(cut.columns[1], (Column{8}));
    EXPECT_EQ(Read(mark.substr(0, 2)).rows, 1);
    EXPECT_EQ(Read(mark).rows, 0);
}

TEST(DataFileReader, RandomLinesReadAsSplittingAndStrtodReadThem) {
    // Lines of random cells (numbers of the export's shapes and beyond, empty cells, runs of
    // commas, spaces, stray signs, points and exponents), read in chunks of random sizes: every
    // value must be strtod's of its cell (the text has no letters strtod reads otherwise) and
    // every line must split as commas say.
    std::mt19937 random(7);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const std::string alphabet = "0123456789-+.,eE \t";
    std::string text;
    Result expected;
    for (int line = 0; line < 400; ++line) {
        std::vector<std::string> cells(static_cast<std::size_t>(1 + pick(40)));
        for (std::string& cell : cells) {
            if (pick(4) == 0) {
                for (int n = pick(30); n > 0; --n)
                    cell +=
                        alphabet[static_cast<std::size_t>(pick(static_cast<int>(alphabet.size())))];
            } else {
                char number[64];
                const double value =
                    std::ldexp(static_cast<double>(random()) - 2147483648.0, pick(40) - 40);
                const int digits = pick(3) == 0 ? 15 : pick(12);
                if (pick(2))
                    std::snprintf(number, sizeof number, "%.10G", value);
                else
                    std::snprintf(number, sizeof number, "%.*f", digits, value);
                cell = number;
            }
        }
        std::string joined;
        for (std::size_t k = 0; k < cells.size(); ++k)
            joined += (k ? "," : "") + cells[k];
        if (pick(5) == 0) joined += ",";
        text += joined + (pick(2) ? "\r\n" : "\n");
        if (joined.empty()) continue;
        // The cells as the commas give them (random cells may hold commas too); a final comma
        // ends the line without an empty cell after it.
        std::vector<std::string> split;
        for (std::size_t start = 0;;) {
            const std::size_t comma = joined.find(',', start);
            split.push_back(joined.substr(start, comma - start));
            if (comma == std::string::npos || comma + 1 == joined.size()) break;
            start = comma + 1;
        }
        for (std::size_t k = 0; k < split.size() && k < 16; ++k)
            expected.columns[k].push_back(std::strtod(split[k].c_str(), nullptr));
        ++expected.rows;
    }
    for (std::size_t piece : {std::size_t{0}, std::size_t{1} + static_cast<std::size_t>(pick(64)),
                              std::size_t{4096} + static_cast<std::size_t>(pick(4096))}) {
        Result r;
        ReadOptions options;
        options.maxRows = 0;
        DataFileReader reader(r.columns, r.rows, options, static_cast<std::int64_t>(text.size()),
                              nullptr);
        if (piece == 0) piece = text.size();
        for (std::size_t at = 0; at < text.size(); at += piece)
            reader.Feed(text.data() + at, std::min(piece, text.size() - at));
        reader.Finish();
        ASSERT_EQ(r.rows, expected.rows) << piece;
        for (int k = 0; k < 16; ++k) {
            ASSERT_EQ(r.columns[k].size(), expected.columns[k].size()) << piece << " " << k;
            for (std::size_t i = 0; i < r.columns[k].size(); ++i)
                ASSERT_EQ(std::memcmp(&r.columns[k][i], &expected.columns[k][i], sizeof(double)), 0)
                    << piece << " column " << k << " row " << i << ": " << r.columns[k][i]
                    << " against " << expected.columns[k][i];
        }
    }
}

TEST(DataFileReader, DegenerateInputsReadSafely) {
    Result empty = Read("");
    EXPECT_EQ(empty.rows, 0);
    for (const Column& c : empty.columns)
        EXPECT_TRUE(c.empty());

    // One very long line: a million cells, the first sixteen kept.
    std::string wide;
    for (int i = 0; i < 1000000; ++i)
        wide += "1,";
    Result longLine = Read(wide);
    EXPECT_EQ(longLine.rows, 1);
    EXPECT_EQ(longLine.columns[15], (Column{1}));

    // A cell of a million digits is a number too large for a double.
    Result huge = Read(std::string(1000000, '9') + ",1e999,-1e999,1e-999\n");
    EXPECT_TRUE(std::isinf(huge.columns[0][0]) && huge.columns[0][0] > 0);
    EXPECT_TRUE(std::isinf(huge.columns[1][0]) && huge.columns[1][0] > 0);
    EXPECT_TRUE(std::isinf(huge.columns[2][0]) && huge.columns[2][0] < 0);
    EXPECT_EQ(huge.columns[3][0], 0.0);

    // Binary bytes, NULs included: whatever they read as, every row stays within 16 columns.
    std::string binary;
    std::uint32_t state = 12345;
    for (int i = 0; i < 200000; ++i) {
        state = state * 1664525u + 1013904223u;
        binary += static_cast<char>(state >> 24);
    }
    Result noise = Read(binary, 0, 0, 0);
    std::size_t lines = 1;
    for (char c : binary)
        lines += c == '\n';
    EXPECT_LE(static_cast<std::size_t>(noise.rows), lines);
    EXPECT_EQ(noise.columns[0].size(), static_cast<std::size_t>(noise.rows));
    for (const Column& c : noise.columns)
        EXPECT_LE(c.size(), noise.columns[0].size());
}

TEST(DataFileReader, ProgressStepsByLineLengthPlusTwoAndCancelKeepsRowsRead) {
    test::ScriptedHost host;
    std::unique_ptr<Progress> progress = host.CreateProgress();
    Result r;
    ReadOptions options;
    options.headerRows = 1;
    EXPECT_TRUE(ReadDataText("head\r\n1,2\n\n333", r.columns, r.rows, options, progress.get()));
    EXPECT_EQ(host.progressSteps, (std::vector<int>{6, 5, 2, 5}));
    EXPECT_EQ(host.pumps, 4);

    // The user cancels during the third pump: two lines have been handled.
    test::ScriptedHost cancelling;
    cancelling.cancelAfterPumps = 2;
    progress = cancelling.CreateProgress();
    Result c;
    EXPECT_FALSE(ReadDataText("1\n2\n3\n4\n", c.columns, c.rows, {}, progress.get()));
    EXPECT_EQ(c.columns[0], (Column{1, 2}));
    EXPECT_EQ(c.rows, 2);
    EXPECT_EQ(cancelling.pumps, 3);

    // At the cap the line that is reached is still stepped and pumped, then reading stops.
    test::ScriptedHost capped;
    progress = capped.CreateProgress();
    Result s;
    ReadOptions cap;
    cap.maxRows = 1;
    ReadDataText("1\n2\n3\n", s.columns, s.rows, cap, progress.get());
    EXPECT_EQ(s.columns[0], (Column{1}));
    EXPECT_EQ(capped.progressSteps, (std::vector<int>{3, 3}));
}

}  // namespace
}  // namespace tavrel

namespace tavrel {
namespace {

TEST(DataFileReader, RowsOfTextAndNumbersAreCounted) {
    std::vector<Column> columns(16);
    int rows = 0;
    // "nan" and "inf" are what the export writes for such values: they read as 0, and count.
    DataFileReader reader(columns, rows, {}, 0, nullptr);
    const std::string text = "1,abc\n2,3\nnan,4\n  ,5\nINF\n";
    reader.Feed(text.data(), text.size());
    reader.Finish();
    EXPECT_EQ(rows, 5);
    EXPECT_EQ(reader.TextRows(), 3);
    EXPECT_TRUE(reader.SawNumber());

    std::vector<Column> words(16);
    DataFileReader onlyText(words, rows, {}, 0, nullptr);
    onlyText.Feed("a,b\nc\n", 6);
    onlyText.Finish();
    EXPECT_FALSE(onlyText.SawNumber());
    EXPECT_EQ(onlyText.TextRows(), 2);
}

// A line far longer than a chunk keeps only its kept cells while it is read, yet reads as a
// short line with the same cells would, and its progress still counts every byte.
TEST(DataFileReader, AVeryLongLineKeepsOnlyItsKeptCells) {
    for (const int skip : {0, 3}) {
        std::string line;
        for (int cell = 0; cell < 400000; ++cell)
            line += std::to_string(cell % 1000) + ",";
        const std::string text = "h\r\n" + line + "7\r\n1,2,3,4,5\r\n";
        test::ScriptedHost host;
        std::unique_ptr<Progress> progress = host.CreateProgress();
        std::vector<Column> columns(16);
        int rows = 0;
        ReadOptions options;
        options.headerRows = 1;
        options.skipColumns = skip;
        DataFileReader reader(columns, rows, options, 0, progress.get());
        for (std::size_t at = 0; at < text.size(); at += 65536)
            reader.Feed(text.data() + at, std::min<std::size_t>(65536, text.size() - at));
        reader.Finish();
        ASSERT_EQ(rows, 2) << skip;
        for (int k = 0; k < 16; ++k)
            EXPECT_EQ(columns[k][0], skip + k) << skip << " " << k;
        EXPECT_EQ(columns[0][1], 1 + skip);
        long long stepped = 0;
        for (int step : host.progressSteps)
            stepped += step;
        EXPECT_EQ(stepped, static_cast<long long>(text.size())) << skip;
    }
}

}  // namespace
}  // namespace tavrel
