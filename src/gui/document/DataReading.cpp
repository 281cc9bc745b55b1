#include "gui/document/DataReading.h"

#include "gui/platform/Translation.h"

#include <memory>

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

void ReadDataFile(CKaisekiDoc& doc, bool takeValues) {
    ReadingScope reading;
    Host& host = GetHost();
    std::unique_ptr<Progress> progress = host.CreateProgress();
    auto read = [&] {
        WaitCursor wait;
        return doc.LoadDataFile(doc.m_rowLimit, progress.get(), takeValues);
    }();
    progress.reset();
    if (!read) {
        if (const std::string message = ReadErrorMessage(read.Error()); !message.empty())
            host.MessageBox(message);
        return;
    }
    for (const std::string& message : ReadingMessages(*read))
        host.MessageBox(message);
    if (read->cancelled) host.Beep();
}

QString RowsLeftOutNotice(const CKaisekiDoc& doc) {
    if (!doc.RowsLeftOut()) return {};
    return Tr("DataReading",
              "データファイルの先頭 %1 行だけを読み込みました（上限はオプションで変更できます）")
        .arg(doc.m_rowCount);
}

}  // namespace tavrel::qt
