// CMainFrame: the program's main window. It carries the menus, the toolbar, the status bar with
// its prompt and key-state panes, and the splitter of graph views; it implements the display and
// zoom commands, printing, the graph image export, the show/hide toggle of the processing-settings
// dialog and the magnifier. The document commands (new, open, save, recent files, about) are
// connected by the application through Action(id).
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <memory>

#include "document/KaisekiDoc.h"
#include "gui/display/MagWnd.h"

class QAction;
class QLabel;
class QMenu;
class QPrinter;
class QToolBar;

namespace tavrel::qt {

class CKaisekiView;
class GraphSplitter;
class SetupHistory;
class ViewState;

// Lock-key states as the platform reports them; a state the platform cannot tell is unknown.
struct KeyStates {
    enum State { Unknown = -1, Off = 0, On = 1 };
    State kana = Unknown;
    State caps = Unknown;
    State num = Unknown;
    State scroll = Unknown;
};

class CMainFrame : public QMainWindow {
    Q_OBJECT

  public:
    static constexpr int kMaxRecentFiles = 4;

    explicit CMainFrame(CKaisekiDoc* doc, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // The action of a menu, toolbar or accelerator command (its objectName is the id); nullptr
    // for an unknown id. Toolbar buttons share the menu's actions.
    QAction* Action(int commandId) const;
    // The menu-bar menu whose title starts with `title` ("ﾌｧｲﾙ", "表示", ...), or a submenu.
    QMenu* Menu(const QString& title) const;

    CKaisekiDoc* GetActiveDocument() const { return m_doc; }
    GraphSplitter* Splitter() const { return m_wndSplitter; }
    CKaisekiView* GetActiveView() const;
    QToolBar* ToolBar() const { return m_wndToolBar; }

    // Shows the magnifier for the channel with the sample range (first, last) or, when `range`
    // is null, (0, 0). Created 600 x 250 centred on the frame on first use; afterwards only
    // updated and shown where it is. Returns 1 when shown, 0 when it could not be created.
    int ShowMagnifier(int channel, const int* range);
    CMagWnd* Magnifier() const { return m_magWnd.data(); }

    // The processing-settings dialog: `create` builds it (modeless, parented to the frame) on
    // the first toggle; `refresh` is called with it on every update of a graph view.
    void SetProcSetDlgFactory(std::function<QWidget*(QWidget* parent)> create,
                              std::function<void(QWidget*)> refresh);
    QWidget* ProcSetDlg() const { return m_procSetDlg.data(); }
    // Command 32771: creates the dialog on first use, then shows or hides it.
    void OnProcSettings();

    // The results window: created on first use, then shown and raised.
    void OnMeasurements();
    QWidget* MeasureWnd() const { return m_measureWnd.data(); }

    // Called by a graph view whenever the document updates it.
    void OnViewUpdate();
    // After a new document or an opened one: every graph view takes its initial update.
    void InitialUpdateFrame();

    // Brings ticks, greyed entries and the captions of the menus and toolbar up to date with the
    // document; runs before a menu is shown and after every command.
    void UpdateCommandUI();

    // The recent-file entries 57616 .. 57619 ("&1 path" ...; "最近使ったﾌｧｲﾙ" greyed when empty).
    void SetRecentFiles(const QStringList& paths);
    QStringList RecentFiles() const { return m_recentFiles; }

    // Asked before the window closes (the framework's question whether to save); false keeps
    // the window open.
    void SetCloseQuery(std::function<bool()> query) { m_closeQuery = std::move(query); }

    // Restores the window's size and position from the per-user settings and from then on
    // stores them when the window closes.
    void RestoreWindowState();

    // Source of the key-state panes, polled while the window is shown.
    void SetKeyStateProvider(std::function<KeyStates()> provider);
    void UpdateKeyStates();

    // The cursors and view options the graph views and the magnifier share.
    ViewState* State() const { return m_viewState; }
    // Undo and redo of the document's set-up.
    SetupHistory* History() const { return m_history; }
    // Status bar: the value under the mouse, and the figures of the two cursors; an empty text
    // hides the pane.
    void ShowReadout(const QString& text);
    void ShowCursorFigures(const QString& text);
    QLabel* ReadoutPane() const { return m_readout; }
    QLabel* CursorPane() const { return m_cursorFigures; }
    // "ｺﾋﾟｰ": the selected rows of the results window when it is the active window, otherwise the
    // visible bands of the active graph view as a picture (PNG and SVG).
    void OnEditCopy();
    // The visible bands of the active graph view on the clipboard; false when there is none.
    bool CopyGraphs();

    // The printer of the print, print preview and printer setup commands.
    QPrinter& Printer();

    // Command handlers (also reachable through the actions).
    void SetDisplayFlag(int* flag, int value);
    void SetZoomX(int factor);
    void SetZoomY(int factor);
    void OnSaveProcessedData();
    void OnFilePrint();
    void OnFilePrintPreview();
    void OnFilePrintSetup();
    // Asks for a file name and writes the graphs as PNG, SVG or PDF in the printed layout.
    void OnExportImage();
    // Writes the image export to `path` without asking; false after telling the user.
    bool ExportImageTo(const QString& path);

  signals:
    // A recent-file entry was chosen.
    void recentFileRequested(const QString& path);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    QAction* AddCommand(QMenu* menu, int id);
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void ConnectCommands();
    // The set-up history, the view state, the readout panes, and the commands undo, redo, copy
    // and the view options (MainFrameEdit.cpp).
    void CreateEditCommands();
    void UpdateEditCommandUI();
    void ForgetHistoryAndCursors();

    CKaisekiDoc* m_doc;
    QPointer<QWidget> m_procSetDlg;
    QStatusBar* m_wndStatusBar = nullptr;
    QToolBar* m_wndToolBar = nullptr;
    QPointer<CMagWnd> m_magWnd;
    QPointer<QWidget> m_measureWnd;
    GraphSplitter* m_wndSplitter = nullptr;

    std::function<QWidget*(QWidget*)> m_procSetDlgCreate;
    std::function<void(QWidget*)> m_procSetDlgRefresh;
    std::function<bool()> m_closeQuery;
    std::function<KeyStates()> m_keyStates;
    std::unique_ptr<QPrinter> m_printer;
    QStringList m_recentFiles;
    QLabel* m_idleText = nullptr;
    QLabel* m_indicators[4] = {};
    class QTimer* m_keyTimer = nullptr;
    bool m_rememberGeometry = false;
    ViewState* m_viewState = nullptr;
    SetupHistory* m_history = nullptr;
    QLabel* m_readout = nullptr;
    QLabel* m_cursorFigures = nullptr;
};

}  // namespace tavrel::qt
