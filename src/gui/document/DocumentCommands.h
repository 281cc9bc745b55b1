// The document commands of the single-document program: new, open, save, save as, the recent-file
// list and the question whether to save a modified document before it is replaced or the program
// ends. The one document object lives as long as the program; new and open re-initialise it.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "gui/document/RecentFileList.h"

class QWidget;

namespace tavrel {
class CKaisekiDoc;
}

namespace tavrel::qt {

class DocumentCommands : public QObject {
    Q_OBJECT
  public:
    // The answer to the save question.
    enum class SaveAnswer { Save, Discard, Cancel };

    DocumentCommands(CKaisekiDoc& doc, std::unique_ptr<RecentFileList> recent,
                     QWidget* window = nullptr);
    ~DocumentCommands() override;

    // The window that owns the file dialogs and questions.
    void SetWindow(QWidget* window) { m_window = window; }

    // "新規作成": after the save question, a new document.
    bool OnFileNew();
    // "開く...": a file-open dialog with the document filter, then OpenDocumentFile.
    bool OnFileOpen();
    // Opens a document file (open command, recent files, command line, dropped files): the save
    // question, then the file is read with its data file. A file that cannot be read is reported,
    // dropped from the recent files, and leaves a new document.
    bool OpenDocumentFile(const QString& path);
    // "上書き保存": writes to the document's file, or asks for one like "名前を付けて保存".
    bool OnFileSave();
    // "名前を付けて保存...": asks for a file name, then writes.
    bool OnFileSaveAs();
    bool SaveAs(const QString& path);
    // The save question for a modified document; true when the caller may go on (saved,
    // discarded, or nothing to save), false when the user cancelled or saving failed.
    bool SaveModified();

    // "無題" for a document without a file, otherwise the file name.
    QString DocumentTitle() const;
    // The main window's title: "<document> - Tavrel".
    QString WindowTitle() const;
    const RecentFileList& Recent() const { return *m_recent; }

    // The user's side of the commands; the defaults show the platform's dialogs. Tests replace
    // them with scripted answers. An empty path means cancelled.
    std::function<QString()> askOpenPath;
    std::function<QString(const QString& proposed)> askSavePath;
    std::function<SaveAnswer(const QString& title)> askSaveChanges;

  signals:
    // The document was replaced, saved under another name or renamed: the title changed.
    void titleChanged(const QString& windowTitle);
    void recentFilesChanged(const QStringList& files);
    // A new document was set up or a document file opened: the views take their initial update
    // (scrolling sizes from the document, the frame shrunk to the graphs).
    void initialUpdate();

  private:
    void Announce();

    CKaisekiDoc& m_doc;
    std::unique_ptr<RecentFileList> m_recent;
    QWidget* m_window;
};

}  // namespace tavrel::qt
