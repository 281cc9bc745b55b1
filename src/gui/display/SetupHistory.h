// Undo and redo of the document's set-up. Every change of the set-up (a module added, inserted,
// deleted or re-configured in the processing-list editor, chains propagated to disabled channels,
// the data settings applied, the channel assignment) becomes one step on a QUndoStack holding the
// set-up before and after it (the document file's bytes). Taking a step back restores those bytes
// exactly, keeps the data read from the data file (reading it again when its path or reading
// settings return to other values) and clears the chains' buffers.
//
// The document's modified flag follows the stack: the state in which the document was last saved
// (or opened) is the stack's clean state, so undoing back to it leaves the document unmodified.
// Opening or creating a document empties the history; saving does not.
#pragma once

#include <QObject>
#include <QString>
#include <string>

#include "document/KaisekiDoc.h"

class QUndoStack;

namespace tavrel::qt {

class SetupHistory : public QObject {
    Q_OBJECT

  public:
    // Steps kept; older ones are dropped.
    static constexpr int kLimit = 100;

    explicit SetupHistory(CKaisekiDoc* doc, QObject* parent = nullptr);
    ~SetupHistory() override;

    // The history of a document, or null when nothing keeps one (a dialog tested on its own).
    static SetupHistory* For(const CKaisekiDoc* doc);

    QUndoStack* Stack() const { return m_stack; }
    CKaisekiDoc* Document() const { return m_doc; }

    bool CanUndo() const;
    bool CanRedo() const;
    QString UndoText() const;
    QString RedoText() const;
    void Undo();
    void Redo();
    // Forgets every step (a new or opened document).
    void Clear();

    // A change is about to start: when the document is unmodified, the present state is the
    // saved one.
    void NoteSavedState();
    // Records a finished change named `name`, `before` being the set-up before it; nothing is
    // recorded when the set-up did not change.
    void Record(const QString& name, std::string before);

  signals:
    // Steps were pushed, taken back or forgotten.
    void changed();

  private:
    friend class SetupCommand;
    // Puts a set-up in place and updates the views.
    void Apply(const std::string& setup);

    CKaisekiDoc* m_doc;
    QUndoStack* m_stack;
};

// One change of the set-up, from construction to destruction. Nested steps belong to the
// outermost one. The processing-list editor names the step by what was done in it (Describe);
// a step in which several things were done keeps its own name.
class SetupStep {
  public:
    SetupStep(CKaisekiDoc* doc, QString name);
    ~SetupStep();
    SetupStep(const SetupStep&) = delete;
    SetupStep& operator=(const SetupStep&) = delete;

    // Names the step that is open (if any) by the action `what` ("移動平均の設定").
    static void Describe(const QString& what);

  private:
    SetupHistory* m_history = nullptr;
    QString m_name;
    QString m_described;
    int m_descriptions = 0;
    std::string m_before;
};

}  // namespace tavrel::qt
