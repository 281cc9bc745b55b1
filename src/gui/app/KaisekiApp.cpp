#include "gui/app/KaisekiApp.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTimer>
#include <QUrl>
#include <cstdio>
#include <cstdlib>

#include "gui/app/AboutDlg.h"
#include "gui/app/OptionsDlg.h"
#include "gui/display/CommandIds.h"
#include "gui/display/KaisekiView.h"
#include "gui/display/MainFrame.h"
#include "gui/document/DocumentCommands.h"
#include "gui/document/ProcSetDlg.h"
#include "gui/document/RecentFileList.h"
#include "gui/platform/Translation.h"
#include "platform/Translate.h"
#include "platform/WorkerPool.h"

namespace tavrel::qt {

namespace {

// The options' thread count becomes the setting, unless the environment names one
// (TAVREL_THREADS, for tests and scripts).
void ApplyThreadOption(int threads) {
    if (!std::getenv("TAVREL_THREADS")) SetThreadSetting(threads);
}

}  // namespace

CommandLine ParseCommandLine(const QStringList& arguments) {
    CommandLine line;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg == QLatin1String("--print") || arg == QLatin1String("-p") ||
            arg == QLatin1String("/p")) {
            if (i + 1 >= arguments.size()) {
                line.error = QStringLiteral("%1 needs a document file").arg(arg);
                return line;
            }
            line.action = CommandLine::Action::Print;
            line.file = arguments[++i];
        } else if (arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            line.error = QStringLiteral("unknown option %1").arg(arg);
            return line;
        } else if (line.file.isEmpty()) {
            line.action = CommandLine::Action::Open;
            line.file = arg;
        } else {
            line.error = QStringLiteral("only one document file can be opened");
            return line;
        }
    }
    return line;
}

QStringList DroppedFiles(const QMimeData& data) {
    QStringList paths;
    for (const QUrl& url : data.urls()) {
        if (url.isLocalFile()) paths << url.toLocalFile();
    }
    return paths;
}

CKaisekiApp::CKaisekiApp(std::unique_ptr<RecentFileList> recent)
    : m_commands(std::make_unique<DocumentCommands>(m_doc, std::move(recent))) {
    InstallDialogs(m_host);
}

CKaisekiApp::~CKaisekiApp() {
    // The frame (with its views and dialogs) goes before the document it shows.
    m_frame.reset();
}

bool CKaisekiApp::InitInstance(const QStringList& arguments) {
    CommandLine line = ParseCommandLine(arguments);
    if (!line.error.isEmpty()) {
        std::fprintf(stderr, "tavrel: %s\nusage: tavrel [DOCUMENT.kcd | --print DOCUMENT.kcd]\n",
                     line.error.toLocal8Bit().constData());
        return false;
    }

    m_doc.m_rowLimit = UserOptions::Load().RowLimit();
    ApplyThreadOption(UserOptions::Load().threads);
    m_doc.OnNewDocument();
    m_frame = std::make_unique<CMainFrame>(&m_doc);
    m_frame->setWindowIcon(AppIcon());
    m_host.SetParentWindow(m_frame.get());
    m_commands->SetWindow(m_frame.get());
    ConnectCommands();

    switch (line.action) {
        case CommandLine::Action::New:
            m_doc.UpdateAllViews();
            break;
        case CommandLine::Action::Open:
            // A document that cannot be opened has been reported; the program starts with the
            // new document instead.
            if (!m_commands->OpenDocumentFile(line.file)) m_doc.UpdateAllViews();
            break;
        case CommandLine::Action::Print:
            // Like the print switch of a desktop program: print, then end without a window.
            m_endsAfterStartUp = true;
            return PrintDocument(line.file);
    }

    if (m_restoreWindowState) m_frame->RestoreWindowState();
    m_frame->setAcceptDrops(true);
    m_frame->installEventFilter(this);
    m_frame->show();
    m_frame->repaint();
    return true;
}

void CKaisekiApp::ConnectCommands() {
    CMainFrame* frame = m_frame.get();
    DocumentCommands* commands = m_commands.get();
    auto on = [this, frame](int id, auto handler) {
        if (QAction* action = frame->Action(id)) {
            connect(action, &QAction::triggered, this, [frame, handler] {
                handler();
                frame->UpdateCommandUI();
            });
        }
    };
    on(ID_FILE_NEW, [commands] { commands->OnFileNew(); });
    on(ID_FILE_OPEN, [commands] { commands->OnFileOpen(); });
    on(ID_FILE_SAVE, [commands] { commands->OnFileSave(); });
    on(ID_FILE_SAVE_AS, [commands] { commands->OnFileSaveAs(); });
    on(ID_APP_ABOUT, [this] { OnAppAbout(); });
    on(ID_TOOLS_OPTIONS, [this] { OnOptions(); });
    connect(frame, &CMainFrame::recentFileRequested, this, [frame, commands](const QString& p) {
        commands->OpenDocumentFile(p);
        frame->UpdateCommandUI();
    });
    connect(commands, &DocumentCommands::titleChanged, frame, &QWidget::setWindowTitle);
    connect(commands, &DocumentCommands::recentFilesChanged, frame, &CMainFrame::SetRecentFiles);
    connect(commands, &DocumentCommands::initialUpdate, frame, &CMainFrame::InitialUpdateFrame);
    frame->SetCloseQuery([commands] { return commands->SaveModified(); });
    frame->SetProcSetDlgFactory(
        [this](QWidget* parent) -> QWidget* { return new CProcSetDlg(&m_doc, parent); },
        [](QWidget* dialog) {
            if (auto* procSet = qobject_cast<CProcSetDlg*>(dialog)) procSet->RefreshFromDocument();
        });
    frame->SetRecentFiles(commands->Recent().Files());
    frame->setWindowTitle(commands->WindowTitle());
}

void CKaisekiApp::OnOptions() {
    COptionsDlg dialog(m_frame.get());
    dialog.m_options = UserOptions::Load();
    if (dialog.exec() != QDialog::Accepted) return;
    dialog.m_options.Save();
    // The next reading of a data file uses the new limit; what is loaded stays as it is.
    m_doc.m_rowLimit = dialog.m_options.RowLimit();
    ApplyThreadOption(dialog.m_options.threads);
}

void CKaisekiApp::OnAppAbout() {
    CAboutDlg dialog(m_frame.get());
    dialog.exec();
}

void CKaisekiApp::OpenDroppedFiles(const QStringList& paths) {
    for (const QString& path : paths)
        m_commands->OpenDocumentFile(path);
    if (m_frame) m_frame->UpdateCommandUI();
}

bool CKaisekiApp::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_frame.get()) {
        if (event->type() == QEvent::DragEnter) {
            // Only local files can be opened; anything else is refused while it is dragged.
            auto* drag = static_cast<QDragEnterEvent*>(event);
            if (drag->mimeData() && !DroppedFiles(*drag->mimeData()).isEmpty())
                drag->acceptProposedAction();
            else
                drag->ignore();
            return true;
        } else if (event->type() == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);
            const QStringList paths =
                drop->mimeData() ? DroppedFiles(*drop->mimeData()) : QStringList();
            if (paths.isEmpty()) {
                drop->ignore();
                return true;
            }
            drop->acceptProposedAction();
            // Opened once the drop has finished: the save question, the progress window and
            // error messages must not run while the dragging program waits for the drop.
            QTimer::singleShot(0, this, [this, paths] { OpenDroppedFiles(paths); });
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

bool CKaisekiApp::PrintDocument(const QString& file) {
    if (!m_commands->OpenDocumentFile(file)) return false;
    CKaisekiView* view = m_frame->GetActiveView();
    if (!view) return false;
    QPrinter& printer = m_frame->Printer();
    if (QPrinterInfo::defaultPrinter().isNull()) {
        // No printer on this machine: the pages go into a PDF file beside the document.
        QFileInfo info(file);
        QString pdf = info.absolutePath() + QLatin1Char('/') + info.completeBaseName() +
                      QStringLiteral(".pdf");
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        std::fprintf(stderr, "tavrel: no printer; printing to %s\n", pdf.toLocal8Bit().constData());
    }
    if (!view->PrintTo(printer)) {
        GetHost().MessageBox(Translate("KaisekiApp", "印刷できませんでした。"));
        return false;
    }
    return true;
}

}  // namespace tavrel::qt
