// The four-entry list of recently used documents, kept per user in the settings store (section
// "Recent File List", keys File1 .. File4, the most recent first). Read when the program starts
// and written back whenever it changes, so the list survives a restart.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class QSettings;

namespace tavrel::qt {

class RecentFileList {
  public:
    static constexpr int kSize = 4;

    // The program's own settings store; or, for tests and tools, an INI file of their own.
    RecentFileList();
    explicit RecentFileList(const QString& iniFile);
    ~RecentFileList();

    // Moves `path` (made absolute) to the front, dropping the oldest entry beyond four.
    void Add(const QString& path);
    // Drops `path`, e.g. after it could not be opened.
    void Remove(const QString& path);
    const QStringList& Files() const { return m_files; }

  private:
    void Load();
    void Store();

    std::unique_ptr<QSettings> m_store;
    QStringList m_files;
};

}  // namespace tavrel::qt
