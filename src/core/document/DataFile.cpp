// Reading the data file into the document's source columns.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <new>

#include "document/DataFileReader.h"
#include "document/EdfReader.h"
#include "document/KaisekiDoc.h"
#include "platform/Host.h"
#include "platform/Translate.h"

namespace tavrel {

namespace {

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
thread_local std::unique_ptr<Chunk> g_spareChunk;

std::unique_ptr<Chunk> TakeChunk() {
    if (g_spareChunk) return std::move(g_spareChunk);
    return std::make_unique_for_overwrite<Chunk>();
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Opens `path` for reading when it names a regular file; the file's length goes to `length`.
// Anything else (a folder, a device such as /dev/zero, a pipe) counts as a file that cannot be
// opened: reading it could block or never reach an end.
FilePtr OpenForReading(const std::filesystem::path& path, std::int64_t& length) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return nullptr;
    FilePtr file(std::fopen(path.c_str(), "rb"));
    if (!file) return nullptr;
    // The reader asks for large chunks itself; the stream needs no buffer of its own.
    std::setvbuf(file.get(), nullptr, _IONBF, 0);
    std::uintmax_t size = std::filesystem::file_size(path, ec);
    length = ec ? 0 : static_cast<std::int64_t>(size);
    return file;
}

// The data file as named, or, for a relative name that does not open as it is, relative to the
// folder of the document file (so a document and its data can move together). The path opened
// goes to `opened`.
FilePtr OpenDataFile(const std::string& dataPath, const std::string& documentPath,
                     std::int64_t& length, std::filesystem::path& opened) {
    opened = dataPath;
    if (FilePtr file = OpenForReading(opened, length)) return file;
    if (opened.is_relative() && !documentPath.empty()) {
        std::filesystem::path folder = std::filesystem::path(documentPath).parent_path();
        if (!folder.empty()) {
            opened = folder / std::filesystem::path(dataPath);
            return OpenForReading(opened, length);
        }
    }
    return nullptr;
}

}  // namespace

std::string DataFileForReading(const std::string& dataPath, const std::string& documentPath) {
    std::int64_t length = 0;
    std::filesystem::path opened;
    if (dataPath.empty() || !OpenDataFile(dataPath, documentPath, length, opened)) return {};
    return opened.string();
}

void CKaisekiDoc::ClearSourceData() {
    if (m_columns.size() < kChannels) m_columns.resize(kChannels);
    if (m_rowCount == 0) return;
    // Values go, reserved capacity stays; the chains forget what they computed.
    for (int i = 0; i < kChannels; ++i) {
        m_columns[static_cast<std::size_t>(i)].clear();
        if (CHeadFilter* head = Head(i)) head->ClearBuffers();
    }
    m_rowCount = 0;
}

DataLoadResult CKaisekiDoc::TryLoadDataFile(int maxRows, std::string* reason) {
    m_rowsLeftOut = false;
    if (m_dataFilePath.empty()) return DataLoadResult::NoPath;
    std::int64_t length = 0;
    std::filesystem::path opened;
    FilePtr file = OpenDataFile(m_dataFilePath, m_pathName, length, opened);
    if (!file) {
        // The file named, so that the user can tell which of a document's files is missing.
        GetHost().MessageBox(Translate("Document", "データファイルが開けません。") + "\n" +
                             m_dataFilePath);
        return DataLoadResult::CannotOpen;
    }
    // An EDF or BDF recording, recognised by its first bytes, is read through EDFlib.
    char head[8];
    if (IsRecordingHeader({head, std::fread(head, 1, sizeof head, file.get())})) {
        file.reset();
        return LoadRecording(*this, opened.string(), maxRows, reason);
    }
    std::rewind(file.get());

    std::unique_ptr<Progress> progress = GetHost().CreateProgress();
    WaitCursor wait;
    ClearSourceData();
    // The bar's range is 32-bit; a longer file fills it up to its end.
    int range = length > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(length);
    if (progress) progress->SetRange(0, range);

    DataReadOptions options;
    options.headerRows = m_headerRows;
    options.skipColumns = m_skipColumns;
    options.maxRows = maxRows;
    DataFileReader reader(m_columns, m_rowCount, options, length, progress.get());
    bool outOfMemory = false;
    try {
        std::unique_ptr<Chunk> chunk = TakeChunk();
        for (;;) {
            std::size_t got = std::fread(chunk->bytes, 1, kChunkBytes, file.get());
            if (got > 0 && !reader.Feed(chunk->bytes, got)) break;
            if (got < kChunkBytes) break;  // end of file or a read error: keep what was read
        }
        reader.Finish();
        g_spareChunk = std::move(chunk);
    } catch (const std::bad_alloc&) {
        outOfMemory = true;
    }
    m_rowsLeftOut = reader.RowsLeftOut();
    if (outOfMemory) {
        // A line or a column too long for the memory: the rows read so far stay. A line cut off
        // in the middle may have added its first cells; no column keeps more values than rows.
        for (std::vector<double>& column : m_columns) {
            if (column.size() > static_cast<std::size_t>(m_rowCount))
                column.resize(static_cast<std::size_t>(m_rowCount));
        }
        GetHost().MessageBox(Translate("Document", "メモリが不足しています。"));
        return DataLoadResult::OutOfMemory;
    }
    if (reader.Cancelled()) {
        GetHost().Beep();
        return DataLoadResult::Cancelled;
    }
    return DataLoadResult::Loaded;
}

}  // namespace tavrel
