#include "gui/document/RecentFileList.h"

#include <QFileInfo>
#include <QSettings>

namespace tavrel::qt {

namespace {
const QString kSection = QStringLiteral("Recent File List");

QString Key(int i) {
    return kSection + QStringLiteral("/File%1").arg(i + 1);
}

// Two names of the same file compare equal.
QString Canonical(const QString& path) {
    QFileInfo info(path);
    QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}
}  // namespace

RecentFileList::RecentFileList() : m_store(std::make_unique<QSettings>()) {
    Load();
}

RecentFileList::RecentFileList(const QString& iniFile)
    : m_store(std::make_unique<QSettings>(iniFile, QSettings::IniFormat)) {
    Load();
}

RecentFileList::~RecentFileList() = default;

void RecentFileList::Load() {
    m_files.clear();
    for (int i = 0; i < kSize; ++i) {
        QString path = m_store->value(Key(i)).toString();
        if (!path.isEmpty() && !m_files.contains(path)) m_files << path;
    }
}

void RecentFileList::Store() {
    for (int i = 0; i < kSize; ++i) {
        if (i < m_files.size()) {
            m_store->setValue(Key(i), m_files[i]);
        } else {
            m_store->remove(Key(i));
        }
    }
    m_store->sync();
}

void RecentFileList::Add(const QString& path) {
    if (path.isEmpty()) return;
    QString entry = QFileInfo(path).absoluteFilePath();
    QString canonical = Canonical(entry);
    m_files.removeIf([&](const QString& f) { return Canonical(f) == canonical; });
    m_files.prepend(entry);
    while (m_files.size() > kSize)
        m_files.removeLast();
    Store();
}

void RecentFileList::Remove(const QString& path) {
    QString canonical = Canonical(path);
    if (m_files.removeIf([&](const QString& f) { return Canonical(f) == canonical; }) > 0) Store();
}

}  // namespace tavrel::qt
