// The main frame's edit commands and view options: undo and redo of the set-up, copy, the three
// view options of the 表示 menu, and the status-bar panes of the readout and the cursors.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QLabel>
#include <QMimeData>
#include <QScrollBar>
#include <QStatusBar>
#include <algorithm>

#include "gui/display/CommandIds.h"
#include "gui/display/GraphReadout.h"
#include "gui/display/GraphSplitter.h"
#include "gui/display/KaisekiView.h"
#include "gui/display/MagView.h"
#include "gui/display/MainFrame.h"
#include "gui/display/MeasureWnd.h"
#include "gui/display/SetupHistory.h"
#include "gui/display/ViewState.h"
#include "gui/platform/GraphPicture.h"
#include "gui/platform/Translation.h"

namespace tavrel::qt {

void CMainFrame::CreateEditCommands() {
    m_viewState = new ViewState(this);
    m_viewState->Load();
    m_history = new SetupHistory(m_doc, this);
    // The readout and the cursor figures, shown only while they have something to say.
    m_readout = new QLabel;
    m_readout->setObjectName(QStringLiteral("readout"));
    m_cursorFigures = new QLabel;
    m_cursorFigures->setObjectName(QStringLiteral("cursorFigures"));
    for (QLabel* pane : {m_readout, m_cursorFigures}) {
        m_wndStatusBar->addWidget(pane, 1);
        pane->hide();
    }

    Action(ID_EDIT_REDO)
        ->setShortcuts(
            {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    for (int id : {ID_VIEW_FIT_WIDTH, ID_VIEW_HIDE_EMPTY, ID_VIEW_EVENTS})
        Action(id)->setCheckable(true);
    auto on = [this](int id, auto handler) {
        connect(Action(id), &QAction::triggered, this, [this, handler] {
            handler();
            UpdateCommandUI();
        });
    };
    on(ID_EDIT_UNDO, [this] { m_history->Undo(); });
    on(ID_EDIT_REDO, [this] { m_history->Redo(); });
    on(ID_EDIT_COPY, [this] { OnEditCopy(); });
    on(ID_VIEW_FIT_WIDTH, [this] { m_viewState->SetFitWidth(!m_viewState->FitWidth()); });
    on(ID_VIEW_HIDE_EMPTY, [this] { m_viewState->SetHideEmpty(!m_viewState->HideEmpty()); });
    on(ID_VIEW_EVENTS, [this] { m_viewState->SetShowEvents(!m_viewState->ShowEvents()); });
    connect(m_history, &SetupHistory::changed, this, [this] { UpdateEditCommandUI(); });

    auto repaintGraphs = [this] {
        for (CKaisekiView* view : m_wndSplitter->Panes())
            view->viewport()->update();
        if (m_magWnd && m_magWnd->View()) m_magWnd->View()->update();
    };
    connect(m_viewState, &ViewState::cursorsChanged, this, [this, repaintGraphs] {
        repaintGraphs();
        ShowCursorFigures(m_doc ? CursorFigures(*m_doc, *m_viewState, -1) : QString());
    });
    connect(m_viewState, &ViewState::optionsChanged, this, [this, repaintGraphs] {
        for (CKaisekiView* view : m_wndSplitter->Panes()) {
            view->RefreshLayout();
            view->ApplyScrollSizes();
        }
        repaintGraphs();
        UpdateCommandUI();
    });
}

void CMainFrame::UpdateEditCommandUI() {
    auto named = [this](int id, const QString& step, const char* withStep) {
        const CommandText* text = FindCommandText(id);
        QAction* action = Action(id);
        action->setEnabled(!step.isNull());
        // The prompt names the step ("元に戻す: 移動平均の設定").
        action->setStatusTip(step.isNull() ? Tr("Commands", text->prompt)
                                           : Tr("MainFrame", withStep).arg(step));
    };
    named(ID_EDIT_UNDO, m_history->CanUndo() ? m_history->UndoText() : QString(),
          QT_TRANSLATE_NOOP("MainFrame", "元に戻す: %1"));
    named(ID_EDIT_REDO, m_history->CanRedo() ? m_history->RedoText() : QString(),
          QT_TRANSLATE_NOOP("MainFrame", "やり直し: %1"));
    // Copy: the results window's rows while it is the active window, else the graphs with data.
    const bool results = m_measureWnd && m_measureWnd->isActiveWindow();
    Action(ID_EDIT_COPY)->setEnabled(results || (m_doc && m_doc->m_rowCount > 0));
    Action(ID_VIEW_FIT_WIDTH)->setChecked(m_viewState->FitWidth());
    Action(ID_VIEW_HIDE_EMPTY)->setChecked(m_viewState->HideEmpty());
    Action(ID_VIEW_EVENTS)->setChecked(m_viewState->ShowEvents());
}

void CMainFrame::ForgetHistoryAndCursors() {
    m_history->Clear();
    m_viewState->ClearCursors();
}

void CMainFrame::ShowReadout(const QString& text) {
    m_readout->setText(text);
    m_readout->setVisible(!text.isEmpty());
    // The readings take the place of the idle text while there are any.
    m_idleText->setVisible(m_readout->isHidden() && m_cursorFigures->isHidden());
}

void CMainFrame::ShowCursorFigures(const QString& text) {
    m_cursorFigures->setText(text);
    m_cursorFigures->setVisible(!text.isEmpty());
    m_idleText->setVisible(m_readout->isHidden() && m_cursorFigures->isHidden());
}

void CMainFrame::OnEditCopy() {
    if (auto* results = qobject_cast<CMeasureWnd*>(m_measureWnd.data());
        results && results->isActiveWindow()) {
        results->CopySelection();
        return;
    }
    CopyGraphs();
}

bool CMainFrame::CopyGraphs() {
    CKaisekiView* view = GetActiveView();
    if (!view || !m_doc) return false;
    // The bands that cross the visible part of the view, at the view's size.
    const int top = view->verticalScrollBar()->value();
    const int bottom = top + view->viewport()->height();
    const int bandHeight = view->BandHeight();
    std::vector<int> bands;
    const std::vector<int>& shown = view->ShownChannels();
    for (std::size_t row = 0; row < shown.size(); ++row) {
        const int bandTop = static_cast<int>(row) * bandHeight;
        if (bandTop < bottom && bandTop + bandHeight > top) bands.push_back(shown[row]);
    }
    if (bands.empty()) return false;
    auto* data = new QMimeData;
    const bool events = m_viewState->ShowEvents();
    const QByteArray png = BandsPng(*m_doc, bands, view->TotalWidth(), bandHeight, events);
    data->setImageData(QImage::fromData(png, "PNG"));
    data->setData(QStringLiteral("image/png"), png);
    data->setData(QStringLiteral("image/svg+xml"),
                  BandsSvg(*m_doc, bands, view->TotalWidth(), bandHeight, events));
    QApplication::clipboard()->setMimeData(data);
    return true;
}

}  // namespace tavrel::qt
