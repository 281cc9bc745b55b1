#include "gui/display/MainFrame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include "document/ExportWriter.h"
#include "gui/display/CommandIds.h"
#include "gui/display/GraphPrinting.h"
#include "gui/display/GraphSplitter.h"
#include "gui/display/KaisekiView.h"
#include "gui/display/KeyStates.h"
#include "gui/display/MagView.h"
#include "gui/display/MagWnd.h"
#include "gui/display/MeasureWnd.h"
#include "gui/display/ToolBarIcons.h"
#include "gui/display/ViewState.h"
#include "gui/document/DataReading.h"
#include "gui/platform/FileChooser.h"
#include "gui/platform/Translation.h"
#include "platform/Host.h"
#include "platform/Translate.h"

namespace tavrel::qt {

namespace {

constexpr int kMagWidth = 600;
constexpr int kMagHeight = 250;
constexpr int kKeyStatePollMs = 250;
const char* const kGeometryKey = "MainFrame/geometry";

QString RecentCaption(int index, const QString& path) {
    // "&1 name": the path shortened to its file name when it is long, like the framework's list.
    QString shown = path;
    if (shown.size() > 40) shown = QStringLiteral(".../") + QFileInfo(path).fileName();
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return QStringLiteral("&%1 %2").arg(index + 1).arg(shown);
}

}  // namespace

CMainFrame::CMainFrame(CKaisekiDoc* doc, QWidget* parent) : QMainWindow(parent), m_doc(doc) {
    setWindowTitle(QStringLiteral("Tavrel"));

    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();

    m_wndSplitter = new GraphSplitter(m_doc);
    setCentralWidget(m_wndSplitter);
    ConnectCommands();
    CreateEditCommands();

    m_keyTimer = new QTimer(this);
    m_keyTimer->setInterval(kKeyStatePollMs);
    connect(m_keyTimer, &QTimer::timeout, this, [this] { UpdateKeyStates(); });
    SetKeyStateProvider(PlatformKeyStates);

    SetRecentFiles({});
    resize(820, 720);
    UpdateCommandUI();
}

CMainFrame::~CMainFrame() {
    // The dialog is the frame's; the magnifier goes with the frame as its child window.
    delete m_procSetDlg.data();
}

// ---- building the window -----------------------------------------------------------------------

void CMainFrame::CreateActions() {
    int count = 0;
    const CommandText* texts = CommandTexts(&count);
    for (int i = 0; i < count; ++i) {
        const CommandText& t = texts[i];
        auto* action = new QAction(this);
        action->setObjectName(QString::number(t.id));
        if (t.caption) action->setText(Tr("Commands", t.caption));
        if (t.prompt) action->setStatusTip(Tr("Commands", t.prompt));
        if (t.tooltip) action->setToolTip(Tr("Commands", t.tooltip));
    }
    // The further recent-file entries share the first one's prompt.
    for (int i = 1; i < kMaxRecentFiles; ++i) {
        auto* action = new QAction(this);
        action->setObjectName(QString::number(ID_FILE_MRU_FILE1 + i));
        action->setStatusTip(Action(ID_FILE_MRU_FILE1)->statusTip());
        action->setVisible(false);
    }

    auto keys = [this](int id, std::initializer_list<QKeySequence> sequences) {
        Action(id)->setShortcuts(QList<QKeySequence>(sequences));
    };
    keys(ID_FILE_NEW, {QKeySequence(Qt::CTRL | Qt::Key_N)});
    keys(ID_FILE_OPEN, {QKeySequence(Qt::CTRL | Qt::Key_O)});
    keys(ID_FILE_SAVE, {QKeySequence(Qt::CTRL | Qt::Key_S)});
    keys(ID_FILE_PRINT, {QKeySequence(Qt::CTRL | Qt::Key_P)});
    keys(ID_EDIT_UNDO,
         {QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::ALT | Qt::Key_Backspace)});
    keys(ID_EDIT_CUT,
         {QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::SHIFT | Qt::Key_Delete)});
    keys(ID_EDIT_COPY,
         {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)});
    keys(ID_EDIT_PASTE,
         {QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)});
    keys(ID_NEXT_PANE, {QKeySequence(Qt::Key_F6)});
    keys(ID_PREV_PANE, {QKeySequence(Qt::SHIFT | Qt::Key_F6)});
    // The pane keys have no menu entry; the window itself carries them.
    addAction(Action(ID_NEXT_PANE));
    addAction(Action(ID_PREV_PANE));

    for (int id : {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, ID_DISPLAY_NORMAL, ID_DISPLAY_PROBE,
                   ID_SCALE_RELATIVE, ID_SCALE_ABSOLUTE, ID_ZOOMX_1, ID_ZOOMX_2, ID_ZOOMX_4,
                   ID_ZOOMX_10, ID_ZOOMX_20, ID_ZOOMX_40, ID_ZOOMX_100, ID_ZOOMY_1, ID_ZOOMY_2}) {
        Action(id)->setCheckable(true);
    }
    // No handlers: the edit commands and "x100" stay greyed.
    for (int id : {ID_EDIT_UNDO, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_ZOOMX_100})
        Action(id)->setEnabled(false);

    for (int id : {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, ID_EDIT_CUT, ID_EDIT_COPY,
                   ID_EDIT_PASTE, ID_FILE_PRINT, ID_APP_ABOUT})
        Action(id)->setIcon(ToolBarIcon(id));
}

QAction* CMainFrame::AddCommand(QMenu* menu, int id) {
    QAction* action = Action(id);
    menu->addAction(action);
    return action;
}

void CMainFrame::CreateMenus() {
    QMenuBar* bar = menuBar();
    QMenu* file = bar->addMenu(Tr("MainFrame", "ﾌｧｲﾙ(&F)"));
    for (int id : {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, ID_FILE_SAVE_AS})
        AddCommand(file, id);
    file->addSeparator();
    AddCommand(file, ID_FILE_SAVE_PROCESSED);
    AddCommand(file, ID_FILE_EXPORT_IMAGE);
    file->addSeparator();
    for (int id : {ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW, ID_FILE_PRINT_SETUP})
        AddCommand(file, id);
    file->addSeparator();
    for (int i = 0; i < kMaxRecentFiles; ++i)
        AddCommand(file, ID_FILE_MRU_FILE1 + i);
    file->addSeparator();
    AddCommand(file, ID_APP_EXIT);

    QMenu* edit = bar->addMenu(Tr("MainFrame", "編集(&E)"));
    AddCommand(edit, ID_EDIT_UNDO);
    AddCommand(edit, ID_EDIT_REDO);
    edit->addSeparator();
    for (int id : {ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE})
        AddCommand(edit, id);

    QMenu* view = bar->addMenu(Tr("MainFrame", "表示(&V)"));
    AddCommand(view, ID_VIEW_TOOLBAR);
    AddCommand(view, ID_VIEW_STATUS_BAR);
    view->addSeparator();
    QMenu* data = view->addMenu(Tr("MainFrame", "グラフ表示データ"));
    for (int id : {ID_DISPLAY_NORMAL, ID_DISPLAY_PROBE})
        AddCommand(data, id);
    QMenu* scale = view->addMenu(Tr("MainFrame", "グラフY軸表示"));
    for (int id : {ID_SCALE_RELATIVE, ID_SCALE_ABSOLUTE})
        AddCommand(scale, id);
    view->addSeparator();
    QMenu* zoomX = view->addMenu(Tr("MainFrame", "X軸拡大率"));
    for (int id :
         {ID_ZOOMX_1, ID_ZOOMX_2, ID_ZOOMX_4, ID_ZOOMX_10, ID_ZOOMX_20, ID_ZOOMX_40, ID_ZOOMX_100})
        AddCommand(zoomX, id);
    QMenu* zoomY = view->addMenu(Tr("MainFrame", "Y軸拡大率"));
    for (int id : {ID_ZOOMY_1, ID_ZOOMY_2})
        AddCommand(zoomY, id);
    view->addSeparator();
    AddCommand(view, ID_VIEW_FIT_WIDTH);
    AddCommand(view, ID_VIEW_HIDE_EMPTY);
    AddCommand(view, ID_VIEW_EVENTS);
    view->addSeparator();
    AddCommand(view, ID_VIEW_MEASUREMENTS);

    QMenu* proc = bar->addMenu(Tr("MainFrame", "処理設定"));
    AddCommand(proc, ID_PROC_SETTINGS);
    proc->addSeparator();
    AddCommand(proc, ID_TOOLS_OPTIONS);

    QMenu* help = bar->addMenu(Tr("MainFrame", "ﾍﾙﾌﾟ(&H)"));
    AddCommand(help, ID_APP_ABOUT);

    // Entries are brought up to date right before a menu opens.
    for (QMenu* menu : {file, edit, view, data, scale, zoomX, zoomY, proc, help}) {
        menu->setToolTipsVisible(false);
        connect(menu, &QMenu::aboutToShow, this, [this] { UpdateCommandUI(); });
    }
}

void CMainFrame::CreateToolBar() {
    m_wndToolBar = new QToolBar(Tr("MainFrame", "ﾂｰﾙ ﾊﾞｰ"), this);
    m_wndToolBar->setObjectName(QStringLiteral("128"));
    m_wndToolBar->setIconSize(QSize(16, 16));
    m_wndToolBar->setMovable(true);
    m_wndToolBar->setFloatable(true);
    m_wndToolBar->setAllowedAreas(Qt::AllToolBarAreas);
    m_wndToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (int id : {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE})
        m_wndToolBar->addAction(Action(id));
    m_wndToolBar->addSeparator();
    for (int id : {ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE})
        m_wndToolBar->addAction(Action(id));
    m_wndToolBar->addSeparator();
    m_wndToolBar->addAction(Action(ID_FILE_PRINT));
    m_wndToolBar->addSeparator();
    m_wndToolBar->addAction(Action(ID_APP_ABOUT));
    addToolBar(Qt::TopToolBarArea, m_wndToolBar);
}

void CMainFrame::CreateStatusBar() {
    m_wndStatusBar = statusBar();
    m_idleText = new QLabel(Tr("MainFrame", "ﾚﾃﾞｨ"));
    m_idleText->setObjectName(QString::number(ID_IDLE_MESSAGE));
    // A normal widget: the prompts (temporary messages) cover it while a command is highlighted.
    m_wndStatusBar->addWidget(m_idleText, 1);
    const struct {
        int id;
        const char* text;
    } panes[4] = {{ID_INDICATOR_KANA, QT_TRANSLATE_NOOP("MainFrame", "ｶﾅ")},
                  {ID_INDICATOR_CAPS, "CAP"},
                  {ID_INDICATOR_NUM, "NUM"},
                  {ID_INDICATOR_SCRL, "SCRL"}};
    for (int i = 0; i < 4; ++i) {
        auto* label = new QLabel(Tr("MainFrame", panes[i].text));
        label->setObjectName(QString::number(panes[i].id));
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setAlignment(Qt::AlignCenter);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("SCRL")) + 8);
        label->setEnabled(false);
        m_wndStatusBar->addPermanentWidget(label);
        m_indicators[i] = label;
    }
}

void CMainFrame::ConnectCommands() {
    auto on = [this](int id, auto handler) {
        connect(Action(id), &QAction::triggered, this, [this, handler] {
            handler();
            UpdateCommandUI();
        });
    };
    on(ID_FILE_SAVE_PROCESSED, [this] { OnSaveProcessedData(); });
    on(ID_FILE_EXPORT_IMAGE, [this] { OnExportImage(); });
    on(ID_FILE_PRINT, [this] { OnFilePrint(); });
    on(ID_FILE_PRINT_PREVIEW, [this] { OnFilePrintPreview(); });
    on(ID_FILE_PRINT_SETUP, [this] { OnFilePrintSetup(); });
    on(ID_APP_EXIT, [this] { close(); });
    on(ID_VIEW_TOOLBAR, [this] { m_wndToolBar->setVisible(!m_wndToolBar->isVisible()); });
    on(ID_VIEW_STATUS_BAR, [this] { m_wndStatusBar->setVisible(!m_wndStatusBar->isVisible()); });
    auto flag = [this](int DisplayState::*member, int value) {
        if (m_doc) SetDisplayFlag(&(m_doc->m_display.*member), value);
    };
    on(ID_DISPLAY_NORMAL, [flag] { flag(&DisplayState::m_probeDisplay, 0); });
    on(ID_DISPLAY_PROBE, [flag] { flag(&DisplayState::m_probeDisplay, 1); });
    on(ID_SCALE_RELATIVE, [flag] { flag(&DisplayState::m_absoluteScale, 0); });
    on(ID_SCALE_ABSOLUTE, [flag] { flag(&DisplayState::m_absoluteScale, 1); });
    const struct {
        int id;
        int factor;
    } zoomsX[] = {{ID_ZOOMX_1, 1},   {ID_ZOOMX_2, 2},   {ID_ZOOMX_4, 4},
                  {ID_ZOOMX_10, 10}, {ID_ZOOMX_20, 20}, {ID_ZOOMX_40, 40}};
    for (const auto& z : zoomsX)
        on(z.id, [this, f = z.factor] { SetZoomX(f); });
    on(ID_ZOOMY_1, [this] { SetZoomY(1); });
    on(ID_ZOOMY_2, [this] { SetZoomY(2); });
    on(ID_PROC_SETTINGS, [this] { OnProcSettings(); });
    on(ID_VIEW_MEASUREMENTS, [this] { OnMeasurements(); });
    on(ID_NEXT_PANE, [this] { m_wndSplitter->ActivateNext(false); });
    on(ID_PREV_PANE, [this] { m_wndSplitter->ActivateNext(true); });
    for (int i = 0; i < kMaxRecentFiles; ++i) {
        connect(Action(ID_FILE_MRU_FILE1 + i), &QAction::triggered, this, [this, i] {
            if (i < m_recentFiles.size()) emit recentFileRequested(m_recentFiles[i]);
        });
    }
    connect(m_wndToolBar, &QToolBar::visibilityChanged, this, [this] { UpdateCommandUI(); });
}

// ---- command state -----------------------------------------------------------------------------

QAction* CMainFrame::Action(int commandId) const {
    return findChild<QAction*>(QString::number(commandId), Qt::FindDirectChildrenOnly);
}

QMenu* CMainFrame::Menu(const QString& title) const {
    for (QMenu* menu : menuBar()->findChildren<QMenu*>()) {
        if (menu->title().startsWith(title)) return menu;
    }
    return nullptr;
}

CKaisekiView* CMainFrame::GetActiveView() const {
    return m_wndSplitter ? m_wndSplitter->ActiveView() : nullptr;
}

void CMainFrame::UpdateCommandUI() {
    const bool hasDoc = m_doc != nullptr;
    Action(ID_FILE_SAVE_PROCESSED)->setEnabled(hasDoc && m_doc->m_rowCount > 0);
    Action(ID_VIEW_TOOLBAR)->setChecked(m_wndToolBar->isVisibleTo(this));
    Action(ID_VIEW_STATUS_BAR)->setChecked(m_wndStatusBar->isVisibleTo(this));
    Action(ID_DISPLAY_NORMAL)->setChecked(hasDoc && !m_doc->m_display.m_probeDisplay);
    Action(ID_DISPLAY_PROBE)->setChecked(hasDoc && m_doc->m_display.m_probeDisplay);
    Action(ID_SCALE_RELATIVE)->setChecked(hasDoc && !m_doc->m_display.m_absoluteScale);
    Action(ID_SCALE_ABSOLUTE)->setChecked(hasDoc && m_doc->m_display.m_absoluteScale);
    const struct {
        int id;
        int factor;
    } zoomsX[] = {{ID_ZOOMX_1, 1},   {ID_ZOOMX_2, 2},   {ID_ZOOMX_4, 4},    {ID_ZOOMX_10, 10},
                  {ID_ZOOMX_20, 20}, {ID_ZOOMX_40, 40}, {ID_ZOOMX_100, 100}};
    for (const auto& z : zoomsX)
        Action(z.id)->setChecked(hasDoc && m_doc->m_display.m_zoomX == z.factor);
    Action(ID_ZOOMY_1)->setChecked(hasDoc && m_doc->m_display.m_zoomY == 1);
    Action(ID_ZOOMY_2)->setChecked(hasDoc && m_doc->m_display.m_zoomY == 2);
    const bool dialogShown = m_procSetDlg && m_procSetDlg->isVisible();
    Action(ID_PROC_SETTINGS)
        ->setText(dialogShown ? Tr("MainFrame", "隠す") : Tr("MainFrame", "表示"));
    UpdateEditCommandUI();
}

void CMainFrame::SetRecentFiles(const QStringList& paths) {
    m_recentFiles = paths.mid(0, kMaxRecentFiles);
    QAction* first = Action(ID_FILE_MRU_FILE1);
    if (m_recentFiles.isEmpty()) {
        first->setText(Tr("Commands", FindCommandText(ID_FILE_MRU_FILE1)->caption));
        first->setEnabled(false);
        first->setVisible(true);
    }
    for (int i = 0; i < kMaxRecentFiles; ++i) {
        QAction* action = Action(ID_FILE_MRU_FILE1 + i);
        if (i < m_recentFiles.size()) {
            action->setText(RecentCaption(i, m_recentFiles[i]));
            action->setEnabled(true);
            action->setVisible(true);
        } else if (i > 0) {
            action->setVisible(false);
        }
    }
}

// ---- display commands --------------------------------------------------------------------------

void CMainFrame::SetDisplayFlag(int* flag, int value) {
    if (!m_doc || !flag || *flag == value) return;
    *flag = value;
    m_doc->UpdateAllViews();
}

void CMainFrame::SetZoomX(int factor) {
    if (!m_doc || m_doc->m_display.m_zoomX == factor) return;
    m_doc->m_display.m_zoomX = factor;
    m_doc->ApplyZoomToViews();
}

void CMainFrame::SetZoomY(int factor) {
    if (!m_doc || m_doc->m_display.m_zoomY == factor) return;
    m_doc->m_display.m_zoomY = factor;
    m_doc->ApplyZoomToViews();
}

void CMainFrame::OnSaveProcessedData() {
    if (!m_doc) {
        GetHost().Beep();
        return;
    }
    ExportProcessedData(*m_doc);
}

// ---- processing-settings dialog and view updates -----------------------------------------------

void CMainFrame::SetProcSetDlgFactory(std::function<QWidget*(QWidget*)> create,
                                      std::function<void(QWidget*)> refresh) {
    m_procSetDlgCreate = std::move(create);
    m_procSetDlgRefresh = std::move(refresh);
}

void CMainFrame::OnProcSettings() {
    if (!m_procSetDlg) {
        if (!m_procSetDlgCreate) return;
        m_procSetDlg = m_procSetDlgCreate(this);
        if (!m_procSetDlg) return;
    }
    m_procSetDlg->setVisible(!m_procSetDlg->isVisible());
    UpdateCommandUI();
}

void CMainFrame::OnMeasurements() {
    if (!m_measureWnd) m_measureWnd = new CMeasureWnd(m_doc, this);
    m_measureWnd->show();
    m_measureWnd->raise();
}

void CMainFrame::OnViewUpdate() {
    if (m_procSetDlg && m_procSetDlgRefresh) m_procSetDlgRefresh(m_procSetDlg.data());
    // A data file cut at the row limit is told in the first pane until the next reading.
    const QString notice = m_doc ? ReadingNotice(*m_doc) : QString();
    m_idleText->setText(notice.isEmpty() ? Tr("MainFrame", "ﾚﾃﾞｨ") : notice);
    UpdateCommandUI();
}

void CMainFrame::InitialUpdateFrame() {
    // A new or opened document starts without history and without cursors.
    ForgetHistoryAndCursors();
    for (CKaisekiView* view : m_wndSplitter->Panes())
        view->OnInitialUpdate();
}

// ---- magnifier ---------------------------------------------------------------------------------

int CMainFrame::ShowMagnifier(int channel, const int* range) {
    int first = 0;
    int last = 0;
    if (range) {
        first = range[0];
        last = range[1];
    }
    if (!m_magWnd) {
        // A window rectangle (frame and caption included) of 600 x 250, centred on the frame's
        // screen rectangle.
        const QRect frame = frameGeometry();
        const int cx = (frame.left() + frame.left() + frame.width()) / 2;
        const int cy = (frame.top() + frame.top() + frame.height()) / 2;
        auto* wnd = new CMagWnd(m_doc, this);
        wnd->SetFrameGeometry(
            QRect(cx - kMagWidth / 2, cy - kMagHeight / 2, kMagWidth, kMagHeight));
        m_magWnd = wnd;
    }
    CMagView* view = m_magWnd->View();
    if (!view) return 0;
    view->m_firstSample = first;
    view->m_lastSample = last;
    view->m_channel = channel;
    if (m_magWnd->isVisible()) {
        m_magWnd->update();
        view->update();
    } else {
        m_magWnd->show();
    }
    return 1;
}

// ---- printing and image export -----------------------------------------------------------------

QPrinter& CMainFrame::Printer() {
    if (!m_printer) m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

void CMainFrame::OnFilePrint() {
    CKaisekiView* view = GetActiveView();
    if (!view) return;
    QPrinter& printer = Printer();
    if (!view->OnPreparePrinting(printer)) return;
    bool printed = false;
    {
        WaitCursor wait;
        printed = view->PrintTo(printer);
    }
    if (!printed) GetHost().MessageBox(Translate("MainFrame", "印刷できませんでした。"));
}

void CMainFrame::OnFilePrintPreview() {
    CKaisekiView* view = GetActiveView();
    if (!view) return;
    QPrintPreviewDialog preview(&Printer(), this);
    preview.setWindowTitle(Tr("MainFrame", "印刷ﾌﾟﾚﾋﾞｭｰ"));
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [view](QPrinter* printer) {
        // The preview shows every page, whatever range the last print named; that range is
        // kept for the next print.
        const QPrinter::PrintRange range = printer->printRange();
        const int from = printer->fromPage();
        const int to = printer->toPage();
        printer->setPrintRange(QPrinter::AllPages);
        printer->setFromTo(0, 0);
        {
            WaitCursor wait;
            view->PrintTo(*printer);
        }
        printer->setPrintRange(range);
        printer->setFromTo(from, to);
    });
    preview.exec();
    view->OnEndPrinting();
}

void CMainFrame::OnFilePrintSetup() {
    // The platform's print dialog as the printer set-up: it chooses the printer, and its
    // properties the paper and the orientation; nothing is printed. The page range belongs to
    // the print command.
    QPrintDialog dialog(&Printer(), this);
    dialog.setWindowTitle(Tr("MainFrame", "ﾌﾟﾘﾝﾀの設定"));
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    dialog.exec();
}

void CMainFrame::OnExportImage() {
    if (!m_doc) return;
    QString base = QString::fromStdString(m_doc->GetPathName());
    base = base.isEmpty() ? QStringLiteral("graph") : QFileInfo(base).completeBaseName();
    FileQuestion question;
    question.kind = FileQuestion::Kind::Save;
    question.title = Tr("MainFrame", "グラフ画像を保存");
    question.proposed = base + QStringLiteral(".png");
    question.filters = {Tr("MainFrame", "PNG 画像 (*.png)"), Tr("MainFrame", "SVG 画像 (*.svg)"),
                        Tr("MainFrame", "PDF ファイル (*.pdf)")};
    FileAnswer answer = ChooseFile(this, question);
    QString path = answer.path;
    const QString& filter = answer.filter;
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) {
        if (filter.contains(QLatin1String("svg")))
            path += QStringLiteral(".svg");
        else if (filter.contains(QLatin1String("pdf")))
            path += QStringLiteral(".pdf");
        else
            path += QStringLiteral(".png");
    }
    ExportImageTo(path);
}

bool CMainFrame::ExportImageTo(const QString& path) {
    if (!m_doc) return false;
    QString error;
    bool written = false;
    {
        WaitCursor wait;
        CKaisekiView* view = GetActiveView();
        written = ExportGraphImage(*m_doc, path, 6, &error, view ? &view->ShownChannels() : nullptr,
                                   State()->ShowEvents());
    }
    if (!written) GetHost().MessageBox(error.toStdString());
    return written;
}

// ---- key states, geometry, closing -------------------------------------------------------------

void CMainFrame::SetKeyStateProvider(std::function<KeyStates()> provider) {
    m_keyStates = std::move(provider);
    UpdateKeyStates();
}

void CMainFrame::UpdateKeyStates() {
    const KeyStates states = m_keyStates ? m_keyStates() : KeyStates{};
    const KeyStates::State each[4] = {states.kana, states.caps, states.num, states.scroll};
    for (int i = 0; i < 4; ++i) {
        // Lit only when the platform reports the key as on; greyed when off or unknown.
        m_indicators[i]->setEnabled(each[i] == KeyStates::On);
    }
}

void CMainFrame::RestoreWindowState() {
    QSettings settings;
    const QByteArray geometry = settings.value(QLatin1String(kGeometryKey)).toByteArray();
    if (!geometry.isEmpty()) restoreGeometry(geometry);
    m_rememberGeometry = true;
}

void CMainFrame::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    m_keyTimer->start();
    UpdateKeyStates();
    // Once laid out, the frame shrinks to what the graphs need.
    QTimer::singleShot(0, this, [this] {
        if (CKaisekiView* view = GetActiveView()) view->ApplyScrollSizes();
    });
}

void CMainFrame::hideEvent(QHideEvent* event) {
    m_keyTimer->stop();
    QMainWindow::hideEvent(event);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (m_closeQuery && !m_closeQuery()) {
        event->ignore();
        return;
    }
    if (m_rememberGeometry) QSettings().setValue(QLatin1String(kGeometryKey), saveGeometry());
    if (m_magWnd) m_magWnd->Hide();
    if (m_procSetDlg) m_procSetDlg->hide();
    event->accept();
}

}  // namespace tavrel::qt
