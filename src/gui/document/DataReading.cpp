#include "gui/document/DataReading.h"

#include "gui/platform/Translation.h"

#include <QStringList>

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

QString ReadingNotice(const CKaisekiDoc& doc) {
    const ReadNotes& notes = doc.LastReading();
    QStringList parts;
    if (notes.rowsLeftOut) {
        // One literal, so that the translation finds it whole.
        // clang-format off
        const QString cut = Tr(
            "DataReading", "データファイルの先頭 %1 行だけを読み込みました（上限はオプションで変更できます）");
        // clang-format on
        parts << cut.arg(doc.m_rowCount);
    }
    if (notes.nothingReadable) parts << Tr("DataReading", "読み込めるデータがありませんでした。");
    if (notes.noNumbers) parts << Tr("DataReading", "数値が見つかりませんでした。");
    if (notes.textRows > 0)
        parts << Tr("DataReading", "%1 行の文字列を 0 として読み込みました").arg(notes.textRows);
    if (notes.unroundedRate > 0.0 && notes.values) {
        parts << Tr("DataReading", "サンプリング周波数 %1 Hz を %2 Hz に丸めました")
                     .arg(QString::number(notes.unroundedRate, 'g', 10))
                     .arg(notes.values->rate);
    }
    return parts.join(QStringLiteral("  "));
}

}  // namespace tavrel::qt
