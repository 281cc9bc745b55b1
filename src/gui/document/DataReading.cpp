#include "gui/document/DataReading.h"

#include "gui/platform/Translation.h"

#include <filesystem>
#include <system_error>

#include "document/KaisekiDoc.h"
#include "platform/Host.h"

namespace tavrel::qt {

namespace {
int g_readingDepth = 0;

// Marks the span of a read; restores the state on every way out.
class ReadingScope {
  public:
    ReadingScope() { ++g_readingDepth; }
    ~ReadingScope() { --g_readingDepth; }
    ReadingScope(const ReadingScope&) = delete;
    ReadingScope& operator=(const ReadingScope&) = delete;
};
}  // namespace

bool IsReadingData() {
    return g_readingDepth > 0;
}

bool RefuseWhileReading() {
    if (!IsReadingData()) return false;
    GetHost().Beep();
    return true;
}

std::string DataPathForReading(const std::string& dataPath, const std::string& documentPath) {
    namespace fs = std::filesystem;
    if (dataPath.empty() || documentPath.empty()) return dataPath;
    std::error_code error;
    fs::path given = fs::u8path(dataPath);
    if (given.is_absolute() || fs::exists(given, error)) return dataPath;
    fs::path beside = fs::u8path(documentPath).parent_path() / given;
    if (fs::is_regular_file(beside, error)) {
        std::u8string text = beside.lexically_normal().u8string();
        return std::string(text.begin(), text.end());
    }
    return dataPath;
}

void ReadDataFile(CKaisekiDoc& doc) {
    ReadingScope reading;
    std::string stored = doc.m_dataFilePath;
    doc.m_dataFilePath = DataPathForReading(stored, doc.GetPathName());
    // Put the stored path back however the reader returns.
    struct Restore {
        CKaisekiDoc& doc;
        std::string path;
        ~Restore() { doc.m_dataFilePath = std::move(path); }
    } restore{doc, std::move(stored)};
    doc.LoadDataFile();
}

QString RowsLeftOutNotice(const CKaisekiDoc& doc) {
    if (!doc.m_rowsLeftOut) return {};
    return Tr("DataReading",
              "データファイルの先頭 %1 行だけを読み込みました（上限はオプションで変更できます）")
        .arg(doc.m_rowCount);
}

}  // namespace tavrel::qt
