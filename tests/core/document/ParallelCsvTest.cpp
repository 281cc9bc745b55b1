// The parallel reading of large data files: pieces cut at line ends, parsed side by side and joined
// in order, give exactly the sequential reader's columns, rows, progress and cancel.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "document/DataFileReader.h"
#include "document/Recording.h"
#include "platform/Host.h"
#include "platform/WorkerPool.h"
#include "support/TempDir.h"

namespace tavrel {
namespace {

// Records every step and cancels at the given pump (negative: never).
class StepLog : public Progress {
  public:
    explicit StepLog(int cancelAt) : m_cancelAt(cancelAt) {}
    void SetRange(int, int) override {}
    void Step(int amount) override { steps.push_back(amount); }
    int PumpMessages() override { return m_pumps++ == m_cancelAt ? 1 : 0; }
    std::vector<int> steps;

  private:
    int m_cancelAt;
    int m_pumps = 0;
};

struct Read {
    std::vector<std::vector<double>> columns = std::vector<std::vector<double>>(16);
    int rows = 0;
    bool complete = false;
    std::vector<int> steps;
};

// Columns compared bit for bit (NaN cells included).
bool SameColumns(const Read& a, const Read& b) {
    for (std::size_t k = 0; k < 16; ++k) {
        if (a.columns[k].size() != b.columns[k].size()) return false;
        if (!a.columns[k].empty() && std::memcmp(a.columns[k].data(), b.columns[k].data(),
                                                 a.columns[k].size() * sizeof(double)) != 0)
            return false;
    }
    return a.rows == b.rows;
}

Read Sequential(const std::string& text, const ReadOptions& options, int cancelAt) {
    Read read;
    StepLog log(cancelAt);
    read.complete = ReadDataText(text, read.columns, read.rows, options, &log);
    read.steps = log.steps;
    return read;
}

Read InPieces(const std::string& text, const ReadOptions& options, int cancelAt, int pieces,
              std::size_t batch) {
    Read read;
    StepLog log(cancelAt);
    read.complete =
        ReadDataTextInPieces(text, read.columns, read.rows, options, &log, pieces, batch);
    read.steps = log.steps;
    return read;
}

TEST(ParallelCsv, EveryCutOfEveryTextGivesTheSequentialResult) {
    const std::string texts[] = {
        "\xEF\xBB\xBFtime,a,b\r\n1,2,3\r\n4,5\r\n\r\n6,x7,8,9\r\n1e3,-0,.5\r\n10,11,12",
        "h1\nh2\n1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18\n,,\n3\n\n4,5,abc,6\n7,8,9,\n",
        "1,2\r\n3,4\r\n5,6\r\n7,8\r\n9,10\r\n11,12\r\n13,14\r\n15,16\r\n\r\n\r\n",
        "\xEF\xBB,1\n2,3\n4,5\n6,7\r",
        "a\n1.5,2.5\n\xEF\xBB\xBF"
        "3,4\n5,6e-3\n7,INF,nan\n8\n9\n10\n11\n12\n",
        // No quoting, tabs are no separator, a lone CR is no line end.
        "\"1,5\"\n1\t2\t3\n4.5\t5\r\n1\r2,3\n7,\r\n\"a\",2\n\r\r\n9\t,8"};
    for (const std::string& text : texts) {
        for (int headers : {0, 1, 2}) {
            for (int skip : {0, 1}) {
                for (int cap : {0, 2, 4}) {
                    ReadOptions options;
                    options.headerRows = headers;
                    options.skipColumns = skip;
                    options.maxRows = cap;
                    for (int cancelAt : {-1, 3, 6}) {
                        const Read one = Sequential(text, options, cancelAt);
                        for (std::size_t batch = 1; batch <= text.size() + 1; ++batch) {
                            for (int pieces : {2, 3}) {
                                const Read many = InPieces(text, options, cancelAt, pieces, batch);
                                ASSERT_TRUE(SameColumns(many, one))
                                    << text << " h" << headers << " s" << skip << " cap " << cap
                                    << " cancel " << cancelAt << " batch " << batch;
                                ASSERT_EQ(many.steps, one.steps) << text << " batch " << batch;
                                ASSERT_EQ(many.complete, one.complete);
                            }
                        }
                        // One large part per thread (no progress, so no cancel): the parts' cuts
                        // move with their count, the chunk boundaries within them with the size.
                        if (cancelAt >= 0) continue;
                        for (std::size_t chunk = 1; chunk <= text.size() + 1; ++chunk) {
                            for (int parts : {2, 3, 5, 8}) {
                                Read many;
                                ReadDataTextInParts(text, many.columns, many.rows, options, parts,
                                                    chunk);
                                ASSERT_TRUE(SameColumns(many, one))
                                    << text << " h" << headers << " s" << skip << " cap " << cap
                                    << " parts " << parts << " chunk " << chunk;
                            }
                        }
                    }
                }
            }
        }
    }
}

// A read that comes up short in the middle of a file while its parts are read (a read error, or
// the file cut meanwhile) ends the file there, as for the sequential reader: the parts after it
// are dropped even where their own reads succeed, never joined out of order. Here the reads of
// chunks that start in the 100 bytes from `cut` stop at `cut`; the larger reads that lay out the
// parts see the whole file.
TEST(ParallelCsv, ReadFailingWhileThePartsAreReadEndsTheFileThere) {
    std::string text = "h\n";
    for (int r = 0; text.size() < 12000; ++r)
        text += std::to_string(r) + "," + std::to_string(r * 7 % 13) + (r % 5 ? "\r\n" : "\n");
    ReadOptions options;
    options.headerRows = 1;
    options.maxRows = 0;
    constexpr std::size_t kChunk = 64;
    for (std::size_t cut = 0; cut <= text.size(); cut += 211) {
        Read one;
        ReadDataText(text.substr(0, cut), one.columns, one.rows, options);
        for (int parts : {2, 3, 4}) {
            Read many;
            DataFileReader reader(many.columns, many.rows, options,
                                  static_cast<std::int64_t>(text.size()), nullptr);
            const auto readAt = [&](std::int64_t offset, char* into, std::size_t count) {
                const auto at = static_cast<std::size_t>(offset);
                const std::size_t end = count <= kChunk && at < cut + 100 ? cut : text.size();
                const std::size_t got = at < end ? std::min(count, end - at) : 0;
                std::memcpy(into, text.data() + at, got);
                return got;
            };
            if (const auto rest = reader.FeedInParts(static_cast<std::int64_t>(text.size()), parts,
                                                     kChunk, readAt)) {
                char chunk[kChunk];
                for (auto at = *rest; const std::size_t got = readAt(at, chunk, kChunk);
                     at += static_cast<std::int64_t>(got))
                    reader.Feed(chunk, got);
                reader.Finish();
            }
            ASSERT_TRUE(SameColumns(many, one)) << "cut " << cut << " parts " << parts;
        }
    }
}

TEST(ParallelCsv, LargeFileReadOnSeveralThreadsEqualsOneThread) {
    // Above the size from which a file is parsed in parallel, with rows of varying length.
    std::string text = "t,a,b\r\n";
    for (int r = 0; text.size() < kParallelReadBytes + (1 << 20); ++r) {
        text += std::to_string(r);
        for (int c = 0; c < 1 + r % 17; ++c)
            text += "," + std::to_string(std::sin(r * 0.01 + c) * 1000.0);
        text += r % 1000 == 7 ? ",text\r\n" : "\r\n";
    }
    test::TempDir dir;
    const int saved = ThreadSetting();
    // Also without the last line's line end: what the parts leave is then read in order.
    for (const bool lastLineEnded : {true, false}) {
        const std::string path =
            dir.Write("large.csv", lastLineEnded ? text : text.substr(0, text.size() - 2));
        std::vector<Recording> reads;
        for (int threads : {1, 2, 3}) {
            SetThreadSetting(threads);
            for (int cap : {0, 30000}) {
                ReadOptions options;
                options.headerRows = 1;
                options.skipColumns = 1;
                options.maxRows = cap;
                RecordingResult read = ReadRecording(path, options, nullptr);
                ASSERT_TRUE(read);
                reads.push_back(std::move(read.Value()));
            }
        }
        for (std::size_t i = 2; i < reads.size(); ++i) {
            const Recording& one = reads[i % 2];
            EXPECT_EQ(reads[i].rowCount, one.rowCount) << i;
            EXPECT_EQ(reads[i].notes.rowsLeftOut, one.notes.rowsLeftOut) << i;
            EXPECT_EQ(reads[i].notes.textRows, one.notes.textRows) << i;
            EXPECT_TRUE(reads[i].columns == one.columns) << i;
        }
        EXPECT_TRUE(reads[1].notes.rowsLeftOut);
        EXPECT_EQ(reads[1].rowCount, 30000);
        EXPECT_GT(reads[0].notes.textRows, 0);
    }
    SetThreadSetting(saved);
}

}  // namespace
}  // namespace tavrel
