// CKaisekiApp: the application object. It owns the one document of the program's life, the main
// frame and the Qt host, wires the document commands, the dialogs and the progress window into
// them, carries out the command line and opens files dropped onto the main window.
#pragma once

#include <QObject>
#include <QStringList>
#include <memory>

class QMimeData;

#include "document/KaisekiDoc.h"
#include "gui/document/RecentFileList.h"
#include "gui/platform/QtHost.h"

namespace tavrel::qt {

class CMainFrame;
class DocumentCommands;

// What the command line asks for: nothing (a new document), a document file to open, or a
// document file to print.
struct CommandLine {
    enum class Action { New, Open, Print };
    Action action = Action::New;
    QString file;
    QString error;  // not empty when the command line cannot be understood
};
CommandLine ParseCommandLine(const QStringList& arguments);

// The local files among data dropped onto the main window, in their order.
QStringList DroppedFiles(const QMimeData& data);

// Installs the program's windows into the host and the processing-settings dialog: module
// settings dialogs, the processing-list editor, the progress window and the export settings.
void InstallDialogs(QtHost& host);

class CKaisekiApp : public QObject {
    Q_OBJECT
  public:
    // `recent` is the recent-file list to use (the per-user settings store when null).
    explicit CKaisekiApp(std::unique_ptr<RecentFileList> recent = nullptr);
    ~CKaisekiApp() override;

    // Start-up: creates the main frame, carries out the command line (arguments without the
    // program name) and shows the frame. False when the command line cannot be carried out
    // (a document that cannot be opened or printed); the program then ends.
    bool InitInstance(const QStringList& arguments);
    // True when start-up has done all the command line asked for and the program ends without
    // showing its window (printing a document).
    bool EndsAfterStartUp() const { return m_endsAfterStartUp; }

    // Whether start-up restores the main window's size and position from the settings store.
    void SetRestoreWindowState(bool restore) { m_restoreWindowState = restore; }

    // "Tavrel のﾊﾞｰｼﾞｮﾝ情報": the about box, modally.
    void OnAppAbout();
    // "オプション...": the options dialog; on OK the options are stored for the user and the
    // row limit applies from the next reading of a data file.
    void OnOptions();
    // Opens each file in turn, as for files dropped onto the main window.
    void OpenDroppedFiles(const QStringList& paths);

    CKaisekiDoc& Document() { return m_doc; }
    CMainFrame* MainFrame() const { return m_frame.get(); }
    DocumentCommands& Commands() { return *m_commands; }
    QtHost& Host() { return m_host; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void ConnectCommands();
    // Prints the opened document to the default printer, or to a PDF file beside it when the
    // machine has no printer.
    bool PrintDocument(const QString& file);

    QtHost m_host;
    CKaisekiDoc m_doc;
    std::unique_ptr<DocumentCommands> m_commands;
    std::unique_ptr<CMainFrame> m_frame;
    bool m_restoreWindowState = true;
    bool m_endsAfterStartUp = false;
};

}  // namespace tavrel::qt
