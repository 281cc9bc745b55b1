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
    // Take a step back or forward; false when none was taken.
    bool Undo();
    bool Redo();
    // Forgets every step (a new or opened document).
    void Clear();

    // A change is about to start: when the document is unmodified, the present state is the
    // saved one.
    void NoteSavedState();
    // Records a finished change named `name`, `before` being the set-up before it; nothing is
    // recorded (and false returned) when the set-up did not change.
    bool Record(const QString& name, std::string before);

  signals:
    // Steps were pushed, taken back or forgotten.
    void changed();

  private:
    friend class SetupCommand;
    friend class ChainEditSteps;
    // Puts a set-up in place and updates the views.
    void Apply(const std::string& setup);
    // Forgets the steps that could be redone.
    void DropRedo();

    CKaisekiDoc* m_doc;
    QUndoStack* m_stack;
};

// One change of the set-up, from construction to destruction. Nested steps belong to the
// outermost one.
class SetupStep {
  public:
    SetupStep(CKaisekiDoc* doc, QString name);
    ~SetupStep();
    SetupStep(const SetupStep&) = delete;
    SetupStep& operator=(const SetupStep&) = delete;

  private:
    SetupHistory* m_history = nullptr;
    QString m_name;
    std::string m_before;
};

// The steps of one run of the processing-list editor on a channel. The editor works on a copy of
// the channel's chain; every edit made in it is put in the document at once (the channels that
// follow the channel refreshed) and becomes a step of its own, named by the edit. The editor's
// undo and redo move through the steps of its run only and make its copy that of the channel
// again. Cancelling the editor takes the run's steps back and forgets them; after OK the
// document already holds the result. An editor that records nothing (one that is not the
// processing-list editor) is recorded as a single step named `name` when it ends with OK.
class ChainEditSteps {
  public:
    ChainEditSteps(CKaisekiDoc* doc, int channel, QString name);
    ~ChainEditSteps();
    ChainEditSteps(const ChainEditSteps&) = delete;
    ChainEditSteps& operator=(const ChainEditSteps&) = delete;

    // The run that edits the copy `working`, or null (no history, or a chain no run edits).
    static ChainEditSteps* For(const CHeadFilter* working);
    // The editor is about to run on `working`.
    void Attach(CHeadFilter* working);

    // Whether an edit of the run has been recorded: the document then holds the editor's copy.
    bool Recorded() const { return m_pushed > 0; }
    // The editor's copy was changed by the edit `name` ("移動平均の追加").
    void Edited(const QString& name);
    bool CanUndo() const { return m_done > 0; }
    bool CanRedo() const { return m_done < m_pushed; }
    // Takes one step of the run back (or forward) and copies the channel's chain into the
    // editor's copy; false when there was none.
    bool Undo();
    bool Redo();
    // The editor ended, with OK when `accepted`.
    void Finish(bool accepted);

  private:
    // Makes the editor's copy a copy of the channel's chain again (the head stays).
    void Reload();

    SetupHistory* m_history = nullptr;
    CKaisekiDoc* m_doc;
    int m_channel;
    QString m_name;
    CHeadFilter* m_working = nullptr;
    // The set-up when the editor opened and before the next edit.
    std::string m_opened;
    std::string m_before;
    bool m_openedModified = false;
    // Steps of the run on the stack, and how many of them are in effect.
    int m_pushed = 0;
    int m_done = 0;
    bool m_finished = false;
};

}  // namespace tavrel::qt
