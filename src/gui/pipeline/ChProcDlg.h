// CChProcDlg: the processing-list editor of one channel. It offers the module catalogue in a
// drop-down list, lists the modules after the chain's head, and adds, inserts, deletes and
// re-configures modules, working directly on the chain it is given (the caller decides whether
// the changed chain is kept).
#pragma once

#include <QDialog>
#include <memory>
#include <vector>

namespace tavrel {
class CHeadFilter;
class CModBase;
}  // namespace tavrel

class QComboBox;
class QListWidget;
class QPushButton;

namespace tavrel::qt {

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
    const std::vector<std::unique_ptr<CModBase>>& Catalogue() const { return m_catalogue; }

    // The button actions (also reachable through the buttons with ids 1001-1004).
    void OnAdd();
    void OnInsert();
    void OnDelete();
    // Runs the settings dialog of the selected module; on Cancel the module is replaced by a
    // clone taken before the dialog opened.
    void OnChange();

  private:
    // The selected list entry, or -1.
    int SelectedEntry() const;
    // A fresh module of the chosen catalogue entry, or null.
    std::unique_ptr<CModBase> CloneChosen() const;
    // Adds a clone of the chosen catalogue class `offset` entries after the selected one (at the
    // end when nothing is selected), selecting it when `selectNew`.
    void AddChosen(int offset, bool selectNew);
    void EnableEditButtons(bool enabled);

    CHeadFilter* m_head;
    int m_channel;
    std::vector<std::unique_ptr<CModBase>> m_catalogue;
    QComboBox* m_menu = nullptr;
    QListWidget* m_list = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_insert = nullptr;
    QPushButton* m_delete = nullptr;
    QPushButton* m_change = nullptr;
    // Set while the list is changed by the program, whose selection changes enable nothing.
    bool m_updating = false;
};

// Runs the processing-list editor modally over `parent` on the chain `head` of `channel`; true
// when it ended with OK (the chain has been changed in place either way).
bool RunChainEditor(QWidget* parent, CHeadFilter* head, int channel);

}  // namespace tavrel::qt
