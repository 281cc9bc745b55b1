#include "gui/display/SetupHistory.h"

#include <QHash>
#include <QUndoCommand>
#include <QUndoStack>
#include <utility>

#include "document/SetupSnapshot.h"
#include "gui/document/DataReading.h"
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

void SetupHistory::Undo() {
    if (!m_doc || RefuseWhileReading() || !CanUndo()) return;
    NoteSavedState();
    m_stack->undo();
    m_doc->SetModifiedFlag(!m_stack->isClean());
    m_doc->UpdateAllViews();
}

void SetupHistory::Redo() {
    if (!m_doc || RefuseWhileReading() || !CanRedo()) return;
    NoteSavedState();
    m_stack->redo();
    m_doc->SetModifiedFlag(!m_stack->isClean());
    m_doc->UpdateAllViews();
}

void SetupHistory::Clear() {
    m_stack->clear();
    emit changed();
}

void SetupHistory::Record(const QString& name, std::string before) {
    if (!m_doc) return;
    std::string after = TakeSetupSnapshot(*m_doc);
    if (after == before) return;
    m_stack->push(new SetupCommand(*this, name, std::move(before), std::move(after)));
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
    m_history->Record(m_descriptions == 1 ? m_described : m_name, std::move(m_before));
}

void SetupStep::Describe(const QString& what) {
    SetupStep* step = OpenStep();
    if (!step) return;
    step->m_described = what;
    ++step->m_descriptions;
}

}  // namespace tavrel::qt
