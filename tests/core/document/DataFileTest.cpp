// Reading the document's data file (CKaisekiDoc::LoadDataFile, ReadRecording underneath): opening
// the file, what a new reading replaces, the progress, cancelling, the row cap and the names under
// which data files are found.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "document/ExportWriter.h"
#include "document/KaisekiDoc.h"
#include "pipeline/ModuleRegistry.h"
#include "platform/Host.h"
#include "support/ScriptedHost.h"
#include "support/TempDir.h"

namespace tavrel {
namespace {

using Column = std::vector<double>;

class DataFile : public ::testing::Test {
  protected:
    void SetUp() override { doc.OnNewDocument(); }

    std::vector<double> Channel(int channel) {
        std::vector<double> values, times;
        std::string label;
        doc.GetChannelData(&values, &label, &times, channel);
        return values;
    }

    // Reads as the front ends do, with the host's progress window.
    Result<ReadNotes, ReadError> Load(int maxRows) {
        std::unique_ptr<Progress> progress = GetHost().CreateProgress();
        return doc.LoadDataFile(maxRows, progress.get());
    }
    Result<ReadNotes, ReadError> Load() { return Load(doc.m_rowLimit); }
    static ReadError::Kind Kind(const Result<ReadNotes, ReadError>& read) {
        return read ? static_cast<ReadError::Kind>(-1) : read.Error().kind;
    }

    test::ScriptedHost host;
    test::TempDir dir;
    CKaisekiDoc doc;
};

TEST_F(DataFile, EmptyPathDoesNothing) {
    doc.m_columns[0] = {1, 2};
    doc.m_rowCount = 2;
    const auto read = Load();
    EXPECT_EQ(Kind(read), ReadError::Kind::NotNamed);
    EXPECT_EQ(ReadErrorMessage(read.Error()), "");
    EXPECT_TRUE(host.progressRanges.empty());
    EXPECT_EQ(doc.m_rowCount, 2);
}

TEST_F(DataFile, FileThatCannotBeOpenedIsReportedAndChangesNothing) {
    doc.m_dataFilePath = dir.Write("first.csv", "1\n2\n");
    ASSERT_TRUE(Load());
    ASSERT_EQ(doc.m_rowCount, 2);
    ASSERT_EQ(Channel(0), (Column{1, 2}));

    // A missing file, a folder and a device all count as files that cannot be opened.
    for (std::string path :
         {dir.File("missing.csv"), dir.Path().string(), std::string("/dev/zero")}) {
        doc.m_dataFilePath = path;
        const auto read = Load();
        ASSERT_EQ(Kind(read), ReadError::Kind::CannotOpen) << path;
        EXPECT_EQ(ReadErrorMessage(read.Error()), "データファイルが開けません。\n" + path);
        EXPECT_FALSE(read.Error().reason.empty());
        EXPECT_EQ(doc.m_rowCount, 2);
        EXPECT_EQ(doc.m_columns[0], (Column{1, 2}));
        // The chain keeps what it had computed.
        EXPECT_EQ(Channel(0), (Column{1, 2}));
    }
    EXPECT_EQ(host.progressRanges.size(), 1u);  // only the reading that opened its file
}

TEST_F(DataFile, SecondFileClearsTheFirstAndTheChainsBuffers) {
    doc.m_dataFilePath = dir.Write("a.csv", "1,10,100\n2,20,200\n3,30,300\n");
    ASSERT_TRUE(Load());
    EXPECT_EQ(Channel(0), (Column{1, 2, 3}));
    EXPECT_EQ(Channel(2), (Column{100, 200, 300}));

    doc.m_dataFilePath = dir.Write("b.csv", "7,70\n8,80\n");
    EXPECT_TRUE(Load());
    EXPECT_EQ(doc.m_rowCount, 2);
    EXPECT_EQ(doc.m_columns[0], (Column{7, 8}));
    EXPECT_TRUE(doc.m_columns[2].empty());
    // Without clearing, each head would still hand out what it computed from the first file.
    EXPECT_EQ(Channel(0), (Column{7, 8}));
    EXPECT_EQ(Channel(1), (Column{70, 80}));
    EXPECT_TRUE(Channel(2).empty());
}

TEST_F(DataFile, ProgressRangeAndSteps) {
    const std::string text = "h\r\n1,2\r\n3,4";
    doc.m_dataFilePath = dir.Write("p.csv", text);
    doc.m_headerRows = 1;
    ASSERT_TRUE(Load());
    EXPECT_EQ(host.progressRanges,
              (std::vector<std::pair<int, int>>{{0, static_cast<int>(text.size())}}));
    EXPECT_EQ(host.progressSteps, (std::vector<int>{3, 5, 5}));
    EXPECT_EQ(doc.m_columns[1], (Column{2, 4}));
}

TEST_F(DataFile, CancelKeepsTheRowsRead) {
    doc.m_dataFilePath = dir.Write("c.csv", "1\n2\n3\n4\n5\n");
    host.cancelAfterPumps = 3;
    const auto read = Load();
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->cancelled);
    EXPECT_EQ(doc.m_rowCount, 3);
    EXPECT_EQ(Channel(0), (Column{1, 2, 3}));
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(DataFile, ProgressBarAdvancesInHundredthsOfTheFileAndCancelStopsMidFile) {
    // 1000 CR LF lines of different lengths: the steps (length + 2) add up to the file length.
    std::string text;
    for (int i = 0; i < 1000; ++i)
        text += std::to_string(i * 37) + "," + std::to_string(i % 7) + "\r\n";
    const int length = static_cast<int>(text.size());
    const int threshold = length / 100;
    doc.m_dataFilePath = dir.Write("bar.csv", text);
    ASSERT_TRUE(Load());
    ASSERT_EQ(doc.m_rowCount, 1000);
    int sum = 0;
    for (int step : host.progressSteps)
        sum += step;
    EXPECT_EQ(sum, length);
    // Each advance gathers more than a hundredth of the range, so the bar moves fewer than a
    // hundred times, never backwards, and ends short of the range by what was pending.
    ASSERT_FALSE(host.progressPositions.empty());
    EXPECT_LT(host.progressPositions.size(), 100u);
    int previous = 0;
    for (int position : host.progressPositions) {
        EXPECT_GT(position - previous, threshold);
        previous = position;
    }
    EXPECT_LE(previous, length);
    EXPECT_LE(length - previous, threshold);

    // The user cancels at the 501st line: 500 rows stay, the bar shows at most what was stepped.
    test::ScriptedHost cancelling;
    cancelling.cancelAfterPumps = 500;
    EXPECT_TRUE(Load()->cancelled);
    EXPECT_EQ(cancelling.pumps, 501);
    EXPECT_EQ(cancelling.progressSteps.size(), 501u);
    EXPECT_EQ(doc.m_rowCount, 500);
    EXPECT_EQ(doc.m_columns[0].back(), 499 * 37);
    EXPECT_EQ(Channel(1).size(), 500u);
    int stepped = 0;
    for (int step : cancelling.progressSteps)
        stepped += step;
    ASSERT_FALSE(cancelling.progressPositions.empty());
    EXPECT_LE(cancelling.progressPositions.back(), stepped);
    EXPECT_LT(cancelling.progressPositions.back(), length);
}

TEST_F(DataFile, FirstDataLineReservesAndAnEmptyOneReservesNothing) {
    // Two rows in a file of about 6000 bytes: the first data line reserves L / 50 values in each
    // column it fills, far more than the two rows need.
    const std::string first = "1,2" + std::string(6000, ' ') + "\n3,4\n";
    const std::size_t reserve = first.size() / 50;
    doc.m_dataFilePath = dir.Write("first.csv", first);
    ASSERT_TRUE(Load());
    // (Storage kept from a closed document may serve the reservation, so it can be larger.)
    const std::size_t reserved = doc.m_columns[1].capacity();
    ASSERT_GE(reserved, reserve);
    // A small second file: the values go.
    doc.m_dataFilePath = dir.Write("second.csv", "5\n");
    ASSERT_TRUE(Load());
    EXPECT_EQ(doc.m_columns[0], (Column{5}));
    EXPECT_TRUE(doc.m_columns[1].empty());

    // The first line after the header is the first data line even when it is empty; then no
    // line reserves and the columns grow as they fill.
    CKaisekiDoc fresh;
    fresh.OnNewDocument();
    fresh.m_dataFilePath = dir.Write("gap.csv", "\n" + first);
    ASSERT_TRUE(fresh.LoadDataFile(CKaisekiDoc::kMaxRows, nullptr));
    EXPECT_EQ(fresh.m_rowCount, 2);
    EXPECT_LT(fresh.m_columns[0].capacity(), reserve);
}

TEST_F(DataFile, StorageOfAClosedDocumentServesTheNextReadingWithoutItsValues) {
    // Lines of over 50 bytes: the L / 50 values reserved hold every row.
    std::string text;
    for (int row = 0; row < 200; ++row)
        text +=
            std::to_string(row) + ",-" + std::to_string(row) + ".5" + std::string(50, ' ') + "\n";
    std::vector<const double*> closedStorage;
    {
        CKaisekiDoc closed;
        closed.OnNewDocument();
        closed.m_dataFilePath = dir.Write("closed.csv", "9,9,9\n" + text);
        ASSERT_TRUE(closed.LoadDataFile(CKaisekiDoc::kMaxRows, nullptr));
        ASSERT_EQ(closed.m_rowCount, 201);
        for (int k = 0; k < 3; ++k)
            closedStorage.push_back(closed.m_columns[static_cast<std::size_t>(k)].data());
    }
    // The next reading reserves its L / 50 values from the closed document's storage; none of
    // the old values shows.
    doc.m_dataFilePath = dir.Write("next.csv", text);
    ASSERT_TRUE(Load());
    for (int k = 0; k < 2; ++k) {
        const double* storage = doc.m_columns[static_cast<std::size_t>(k)].data();
        EXPECT_NE(std::find(closedStorage.begin(), closedStorage.end(), storage),
                  closedStorage.end())
            << k;
    }
    ASSERT_EQ(doc.m_rowCount, 200);
    ASSERT_EQ(doc.m_columns[0].size(), 200u);
    ASSERT_EQ(doc.m_columns[1].size(), 200u);
    EXPECT_GE(doc.m_columns[0].capacity(), text.size() / 50);
    EXPECT_EQ(doc.m_columns[0][0], 0.0);
    EXPECT_EQ(doc.m_columns[1][2], -2.5);
    EXPECT_EQ(doc.m_columns[0].back(), 199.0);
    EXPECT_TRUE(doc.m_columns[2].empty());
}

TEST_F(DataFile, RowCapIsAParameter) {
    std::string text;
    for (int i = 0; i < 10000; ++i)
        text += std::to_string(i) + "\n";
    doc.m_dataFilePath = dir.Write("long.csv", text);
    ASSERT_TRUE(Load());
    EXPECT_EQ(doc.m_rowCount, 8192);
    ASSERT_TRUE(Load(0));
    EXPECT_EQ(doc.m_rowCount, 10000);
    EXPECT_EQ(doc.m_columns[0].back(), 9999);
    ASSERT_TRUE(Load(10));
    EXPECT_EQ(doc.m_rowCount, 10);
}

TEST_F(DataFile, RowsLeftOutAreKnownOnlyWhenTheCapCutsLinesWithContent) {
    struct Case {
        const char* text;
        int limit;
        bool leftOut;
    } cases[] = {
        {"1\n2\n3\n", 3, false},           // ends at the cap
        {"1\r\n2\r\n\r\n\r\n", 2, false},  // only empty lines after the cap
        {"1\n2\n3", 2, true},              // a last line without a line end
        {"1\n2\n\n\n3\n", 2, true},        // content after empty lines
        {"1\n2\n3\n", 0, false},           // no cap
    };
    for (const Case& c : cases) {
        doc.m_dataFilePath = dir.Write("cap.csv", c.text);
        doc.m_rowLimit = c.limit;
        const auto read = Load();
        ASSERT_TRUE(read) << c.text;
        EXPECT_EQ(read->rowsLeftOut, c.leftOut) << c.text;
        EXPECT_EQ(doc.RowsLeftOut(), c.leftOut) << c.text;
    }
    // A new document forgets it, and the document's own limit is what a plain reading uses.
    doc.m_rowLimit = 1;
    ASSERT_TRUE(Load());
    EXPECT_EQ(doc.m_rowCount, 1);
    EXPECT_TRUE(doc.RowsLeftOut());
    doc.OnNewDocument();
    EXPECT_FALSE(doc.RowsLeftOut());
    EXPECT_EQ(doc.m_rowLimit, 1);
}

// The sanitizers' own allocators do not run under an address-space limit.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__) && !defined(__has_feature)
#define TAVREL_CAN_LIMIT_MEMORY 1
#elif defined(__has_feature)
#if !__has_feature(address_sanitizer) && !__has_feature(thread_sanitizer)
#define TAVREL_CAN_LIMIT_MEMORY 1
#endif
#endif

#ifdef TAVREL_CAN_LIMIT_MEMORY
// Memory that runs out while reading stops the reading with a message; the rows read so far stay,
// and no column holds more values than there are rows.
TEST_F(DataFile, MemoryThatRunsOutKeepsTheRowsReadAndSaysSo) {
    const std::string path = dir.File("big.csv");
    {
        std::ofstream out(path, std::ios::binary);
        const std::string line = "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16\n";
        for (int i = 0; i < 1200000; ++i)
            out << line;
    }
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        long pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        const rlim_t room =
            static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (48u << 20);
        rlimit limit{room, room};
        setrlimit(RLIMIT_AS, &limit);
        doc.m_dataFilePath = path;
        const auto read = Load(0);
        bool columnsFit = true;
        for (const Column& column : doc.m_columns)
            columnsFit = columnsFit && column.size() <= static_cast<std::size_t>(doc.m_rowCount);
        const bool told =
            read && ReadingMessages(*read) == std::vector<std::string>{"メモリが不足しています。"};
        _exit(read && read->outOfMemory && doc.m_rowCount > 0 && doc.m_rowCount < 1200000 &&
                      columnsFit && told
                  ? 0
                  : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
#endif

TEST_F(DataFile, ReadingSettingsOfTheDocumentApply) {
    doc.m_dataFilePath = dir.Write("s.csv", "title\nt,a,b\n0.0,1.5,2.5\n0.5,3.5,4.5\n");
    doc.m_headerRows = 2;
    doc.m_skipColumns = 1;
    ASSERT_TRUE(Load());
    EXPECT_EQ(doc.m_columns[0], (Column{1.5, 3.5}));
    EXPECT_EQ(doc.m_columns[1], (Column{2.5, 4.5}));
}

TEST_F(DataFile, FilesThatAreNotTextAreRefusedAndFilesWithoutNumbersSaySo) {
    doc.m_dataFilePath = dir.Write("first.csv", "1\n2\n");
    ASSERT_TRUE(Load());
    // A picture and noise (no reader here knows them): refused, nothing changes.
    std::string noise;
    for (int i = 0; i < 70000; ++i)
        noise += static_cast<char>((i * 7919) % 256);
    for (const std::string& bytes : {std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), noise}) {
        doc.m_dataFilePath = dir.Write("not-text.dat", bytes);
        const auto read = Load();
        ASSERT_EQ(Kind(read), ReadError::Kind::UnknownFormat);
        EXPECT_EQ(ReadErrorMessage(read.Error()), "データファイルの形式が分かりません。");
        EXPECT_EQ(doc.m_columns[0], (Column{1, 2}));
    }
    // A GDF header cut short: a known format, refused with the reader's reason.
    doc.m_dataFilePath =
        dir.Write("cut.gdf", std::string("GDF 2.20") + std::string(248, '\0') + "\x01\x02");
    const auto cut = Load();
    ASSERT_EQ(Kind(cut), ReadError::Kind::Refused);
    EXPECT_FALSE(cut.Error().reason.empty());
    EXPECT_EQ(doc.m_columns[0], (Column{1, 2}));
    // Text that holds no number, an empty file, a file of header lines only: read, and noted.
    const struct {
        const char* text;
        int headerRows;
        bool nothing, noNumbers;
        int textRows;
    } cases[] = {{"", 0, true, false, 0},
                 {"a\nb\n", 2, true, false, 0},
                 {"time,value\nx,y\n", 0, false, true, 2},
                 {"1,nan\n2,3\n", 0, false, false, 1}};
    for (const auto& c : cases) {
        doc.m_dataFilePath = dir.Write("notes.csv", c.text);
        doc.m_headerRows = c.headerRows;
        const auto read = Load();
        ASSERT_TRUE(read) << c.text;
        EXPECT_EQ(read->nothingReadable, c.nothing) << c.text;
        EXPECT_EQ(read->noNumbers, c.noNumbers) << c.text;
        EXPECT_EQ(read->textRows, c.textRows) << c.text;
        EXPECT_EQ(doc.LastReading().textRows, c.textRows) << c.text;
    }
}

TEST_F(DataFile, JapaneseFileNameStoredInTheDocumentFileOpens) {
    const std::string path = dir.Write("データ.csv", "4,5\n6,7\n");
    doc.m_dataFilePath = path;
    // The document file holds the path in Shift-JIS; loading gives back the file-system name.
    std::string bytes = doc.SaveToBytes();
    ASSERT_EQ(bytes.find("データ"), std::string::npos);
    CKaisekiDoc loaded;
    loaded.LoadFromBytes(bytes);
    loaded.m_columns.assign(16, {});
    EXPECT_EQ(loaded.m_dataFilePath, path);
    EXPECT_TRUE(loaded.LoadDataFile(CKaisekiDoc::kMaxRows, nullptr));
    EXPECT_EQ(loaded.m_columns[1], (Column{5, 7}));
}

TEST_F(DataFile, RelativeNameIsFoundBesideTheDocumentFile) {
    dir.Write("relative-data-of-a-test.csv", "9\n");
    doc.SetPathName(dir.File("set-up.kcd"));
    doc.m_dataFilePath = "relative-data-of-a-test.csv";
    EXPECT_TRUE(Load());
    EXPECT_EQ(doc.m_columns[0], (Column{9}));
}

TEST_F(DataFile, ARecordingReadOnceServesTwoDocumentsAsTheirOwnReadingsWould) {
    doc.m_dataFilePath = dir.Write("once.csv", "1,2\n3,4\n5,6\n7,8\n");
    ASSERT_TRUE(Load());
    CModBase::AppendModule(doc.Head(1), CreateModule("CDiffFilter").release());
    const std::string document = dir.Write("once.kcd", doc.SaveToBytes());
    auto exported = [&](CKaisekiDoc& d, const std::string& name) {
        ExportSettings settings;
        settings.m_numberColumn = 1;
        EXPECT_TRUE(WriteProcessedData(d, dir.File(name), settings));
        return test::ReadFileBytes(dir.File(name));
    };
    const std::string own = exported(doc, "own.csv");

    const auto read = ReadRecording(doc.m_dataFilePath, doc.ReadingOptions(0), nullptr);
    ASSERT_TRUE(read);
    for (const char* name : {"a.csv", "b.csv"}) {
        CKaisekiDoc other;
        ASSERT_TRUE(other.ReadDocumentFile(document));
        other.SetRecording(Recording(*read));
        EXPECT_EQ(exported(other, name), own) << name;
    }
}

}  // namespace
}  // namespace tavrel
