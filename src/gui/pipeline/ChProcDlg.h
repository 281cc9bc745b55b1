// CChProcDlg: the processing-list editor of one channel. It offers the module catalogue in a
// drop-down list, lists the modules after the chain's head, and adds, inserts, deletes and
// re-configures modules through the core's ChainEdit, working directly on the chain it is given
// (the caller decides whether the changed chain is kept). The dialog keeps its list in step and
// enables its buttons; the chain itself is changed only by ChainEdit. Cancel, Escape and the
// close button ask before a chain that differs from the one the dialog opened with is discarded.
// When the chain is the copy of a channel whose document keeps a set-up history, every edit is
// recorded as a step at once, and Ctrl+Z and Ctrl+Y (Ctrl+Shift+Z) take the editor's own steps
// back and forward.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "pipeline/ChainEdit.h"

class QComboBox;
class QListWidget;
class QPushButton;

namespace tavrel::qt {

class ChainEditSteps;

class CChProcDlg : public QDialog {
    Q_OBJECT
  public:
    // The class names of the catalogue, in the order of the filter menu.
    static const std::vector<const char*>& CatalogueClasses();

    // `head` is the chain to edit (not owned); `channel` is 0-15.
    CChProcDlg(QWidget* parent, CHeadFilter* head, int channel);
    // The same with another catalogue (class names in menu order).
    CChProcDlg(QWidget* parent, CHeadFilter* head, int channel,
               const std::vector<const char*>& catalogueClasses);
    ~CChProcDlg() override;

    // The catalogue prototypes, in menu order (classes not available are left out).
    const std::vector<std::unique_ptr<CModBase>>& Catalogue() const { return m_edit.Catalogue(); }

    // The button actions (also reachable through the buttons with ids 1001-1004).
    void OnAdd();
    void OnInsert();
    void OnDelete();
    // Runs the settings dialog of the selected module (ChainEdit::Change).
    void OnChange();
    // Takes the last edit back, or makes the one taken back again, and shows the chain.
    void OnUndo();
    void OnRedo();

    // Cancel: with a changed chain, only when the user agrees to discard the changes.
    void reject() override;
    // Whether the chain differs from the one the dialog opened with (modules, order, settings).
    bool IsChainChanged() const;
    // The question "変更を破棄しますか?"; true to discard. Replaceable for tests.
    std::function<bool()> askDiscard;

  private:
    // The selected list entry, or -1.
    int SelectedEntry() const;
    // The catalogue index of the drop-down's choice (the separator is not an entry), or -1.
    int MenuChoice() const;
    // Shows the module added at list entry `entry` (-1: none was added).
    void ShowAdded(int entry);
    // The name the list shows for entry `entry`.
    QString EntryText(int entry) const;
    void EnableEditButtons(bool enabled);
    // Hands the edit `name` to the steps of the run, if any.
    void Recorded(const QString& name);
    // Fills the list from the chain, without a selection.
    void ShowChain();

    ChainEdit m_edit;
    int m_channel;
    QComboBox* m_menu = nullptr;
    QListWidget* m_list = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_insert = nullptr;
    QPushButton* m_delete = nullptr;
    QPushButton* m_change = nullptr;
    // The drop-down index of the separator in front of the entries after the twelve, or -1.
    int m_separatorAt = -1;
    // Set while the list is changed by the program, whose selection changes enable nothing.
    bool m_updating = false;
    // The chain's stored form when the dialog opened.
    std::string m_openedForm;
    // The steps of the editor's run, or null.
    ChainEditSteps* m_steps = nullptr;
};

// Runs the processing-list editor modally over `parent` on the chain `head` of `channel`; true
// when it ended with OK (the chain has been changed in place either way).
bool RunChainEditor(QWidget* parent, CHeadFilter* head, int channel);

}  // namespace tavrel::qt
