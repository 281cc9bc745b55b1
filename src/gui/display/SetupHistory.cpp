#include "gui/display/SetupHistory.h"

#include <QHash>
#include <QUndoCommand>
#include <QUndoStack>
#include <utility>

#include "document/ChannelChains.h"
#include "document/SetupSnapshot.h"
#include "gui/document/DataReading.h"
#include "pipeline/ChainEdit.h"
#include "platform/Archive.h"

namespace tavrel::qt {

namespace {

QHash<const CKaisekiDoc*, SetupHistory*>& Histories() {
    static QHash<const CKaisekiDoc*, SetupHistory*> histories;
    return histories;
}

SetupStep*& OpenStep() {
    static SetupStep* open = nullptr;
    return open;
}

}  // namespace

// A step: the set-up before and after. Pushing runs redo once; the change has been made then.
class SetupCommand : public QUndoCommand {
  public:
    SetupCommand(SetupHistory& history, const QString& name, std::string before, std::string after)
        : QUndoCommand(name),
          m_history(history),
          m_before(std::move(before)),
          m_after(std::move(after)) {}
    void undo() override { m_history.Apply(m_before); }
    void redo() override {
        if (m_pushed) m_history.Apply(m_after);
        m_pushed = true;
    }

  private:
    SetupHistory& m_history;
    std::string m_before;
    std::string m_after;
    bool m_pushed = false;
};

SetupHistory::SetupHistory(CKaisekiDoc* doc, QObject* parent)
    : QObject(parent), m_doc(doc), m_stack(new QUndoStack(this)) {
    m_stack->setUndoLimit(kLimit);
    if (m_doc) Histories().insert(m_doc, this);
    connect(m_stack, &QUndoStack::indexChanged, this, &SetupHistory::changed);
}

SetupHistory::~SetupHistory() {
    if (m_doc && Histories().value(m_doc) == this) Histories().remove(m_doc);
}

SetupHistory* SetupHistory::For(const CKaisekiDoc* doc) {
    return Histories().value(doc, nullptr);
}

bool SetupHistory::CanUndo() const {
    return m_stack->canUndo();
}

bool SetupHistory::CanRedo() const {
    return m_stack->canRedo();
}

QString SetupHistory::UndoText() const {
    return m_stack->undoText();
}

QString SetupHistory::RedoText() const {
    return m_stack->redoText();
}

void SetupHistory::NoteSavedState() {
    if (m_doc && !m_doc->IsModified()) m_stack->setClean();
}

bool SetupHistory::Undo() {
    if (!m_doc || !CanUndo() || RefuseWhileReading()) return false;
    NoteSavedState();
    m_stack->undo();
    m_doc->SetModifiedFlag(!m_stack->isClean());
    m_doc->UpdateAllViews();
    return true;
}

bool SetupHistory::Redo() {
    if (!m_doc || !CanRedo() || RefuseWhileReading()) return false;
    NoteSavedState();
    m_stack->redo();
    m_doc->SetModifiedFlag(!m_stack->isClean());
    m_doc->UpdateAllViews();
    return true;
}

void SetupHistory::Clear() {
    m_stack->clear();
    emit changed();
}

bool SetupHistory::Record(const QString& name, std::string before) {
    if (!m_doc) return false;
    std::string after = TakeSetupSnapshot(*m_doc);
    if (after == before) return false;
    m_stack->push(new SetupCommand(*this, name, std::move(before), std::move(after)));
    return true;
}

void SetupHistory::DropRedo() {
    if (!CanRedo()) return;
    // Pushing drops the steps above the present one; an obsolete command is not kept itself.
    auto* nothing = new QUndoCommand;
    nothing->setObsolete(true);
    m_stack->push(nothing);
}

void SetupHistory::Apply(const std::string& setup) {
    try {
        if (RestoreSetupSnapshot(*m_doc, setup).dataSourceChanged) ReadDataFile(*m_doc);
    } catch (const ArchiveError&) {
        // The bytes were written by the document itself; a refusal cannot happen. Should it,
        // the set-up is a new document's and the history no longer fits it.
        m_stack->clear();
    }
}

// ---- steps -------------------------------------------------------------------------------------

SetupStep::SetupStep(CKaisekiDoc* doc, QString name) : m_name(std::move(name)) {
    SetupHistory* history = SetupHistory::For(doc);
    if (!history || OpenStep()) return;  // no history, or part of an outer step
    m_history = history;
    m_history->NoteSavedState();
    m_before = TakeSetupSnapshot(*doc);
    OpenStep() = this;
}

SetupStep::~SetupStep() {
    if (!m_history) return;
    OpenStep() = nullptr;
    m_history->Record(m_name, std::move(m_before));
}

// ---- the processing-list editor's steps ---------------------------------------------------------

namespace {

QHash<const CHeadFilter*, ChainEditSteps*>& Runs() {
    static QHash<const CHeadFilter*, ChainEditSteps*> runs;
    return runs;
}

}  // namespace

ChainEditSteps::ChainEditSteps(CKaisekiDoc* doc, int channel, QString name)
    : m_doc(doc), m_channel(channel), m_name(std::move(name)) {
    m_history = SetupHistory::For(doc);
    if (!m_history) return;
    m_history->NoteSavedState();
    m_opened = TakeSetupSnapshot(*doc);
    m_before = m_opened;
    m_openedModified = doc->IsModified();
}

ChainEditSteps::~ChainEditSteps() {
    if (m_working && Runs().value(m_working) == this) Runs().remove(m_working);
}

ChainEditSteps* ChainEditSteps::For(const CHeadFilter* working) {
    return Runs().value(working, nullptr);
}

void ChainEditSteps::Attach(CHeadFilter* working) {
    if (!m_history || !working) return;
    m_working = working;
    Runs().insert(working, this);
}

void ChainEditSteps::Edited(const QString& name) {
    if (!m_history || !m_working || m_finished) return;
    // The copy takes the channel's place as OK would put it there, and the channels that follow
    // the channel are refreshed.
    auto& chains = m_doc->m_chains;
    if (m_channel < 0 || m_channel >= static_cast<int>(chains.size())) return;
    HeadPtr old = std::move(chains[static_cast<std::size_t>(m_channel)]);
    chains[static_cast<std::size_t>(m_channel)] = CopyChain(m_working);
    PropagateChains(*m_doc, m_channel + 1);
    if (!m_history->Record(name, m_before)) return;
    m_before = TakeSetupSnapshot(*m_doc);
    m_pushed = m_done + 1;
    m_done = m_pushed;
    m_doc->SetModifiedFlag();
    m_doc->UpdateAllViews();
}

bool ChainEditSteps::Undo() {
    if (!CanUndo() || !m_history->Undo()) return false;
    --m_done;
    Reload();
    return true;
}

bool ChainEditSteps::Redo() {
    if (!CanRedo() || !m_history->Redo()) return false;
    ++m_done;
    Reload();
    return true;
}

void ChainEditSteps::Reload() {
    m_before = TakeSetupSnapshot(*m_doc);
    if (!m_working) return;
    const auto& chains = m_doc->m_chains;
    const bool known = m_channel >= 0 && m_channel < static_cast<int>(chains.size());
    ReplaceDownstream(m_working, known ? chains[static_cast<std::size_t>(m_channel)].get() : nullptr);
    m_working->ClearBuffers();
}

void ChainEditSteps::Finish(bool accepted) {
    if (!m_history || m_finished) return;
    m_finished = true;
    if (!Recorded()) {
        // Nothing was put in place on the way: the document took the editor's copy on OK (or
        // kept its chain), which makes one step.
        if (accepted) m_history->Record(m_name, std::move(m_opened));
        return;
    }
    if (accepted) {
        // The document holds the copy already; it is modified unless the steps taken back led
        // to the saved state.
        m_doc->SetModifiedFlag(!m_history->m_stack->isClean());
        return;
    }
    // Cancelled: the run's steps are taken back and forgotten.
    while (m_done > 0 && m_history->Undo())
        --m_done;
    m_history->DropRedo();
    if (TakeSetupSnapshot(*m_doc) != m_opened) {
        // Steps of the run fell off the end of the history: the set-up goes back directly, and
        // the history, which no longer leads to it, is forgotten.
        m_history->Apply(m_opened);
        m_history->Clear();
    }
    m_doc->SetModifiedFlag(m_openedModified);
    m_doc->UpdateAllViews();
}

}  // namespace tavrel::qt
