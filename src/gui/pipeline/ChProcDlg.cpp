#include "gui/pipeline/ChProcDlg.h"

#include <QAction>
#include <QComboBox>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>

#include "gui/display/SetupHistory.h"
#include "gui/pipeline/DialogTemplates.h"
#include "gui/platform/DialogLayout.h"
#include "gui/platform/QtHost.h"
#include "gui/platform/Translation.h"
#include "pipeline/HeadFilter.h"
#include "pipeline/ModuleRegistry.h"
#include "platform/Archive.h"

namespace tavrel::qt {

namespace {

constexpr int kMenuId = 1035;
constexpr int kListId = 1036;
constexpr int kAddId = 1001;
constexpr int kInsertId = 1002;
constexpr int kDeleteId = 1003;
constexpr int kChangeId = 1004;

// The chain's persistent form (every module's class, name, rate and settings, in chain order):
// two chains with the same form compute the same.
std::string ChainForm(CHeadFilter* head) {
    if (!head) return {};
    Archive ar;
    head->Serialize(ar);
    return ar.Bytes();
}

bool AskDiscard(QWidget* parent) {
    QMessageBox box(QMessageBox::Question, ApplicationTitle(),
                    Tr("ChProcDlg", "変更を破棄しますか?"), QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton(Tr("ChProcDlg", "はい(&Y)"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(Tr("ChProcDlg", "いいえ(&N)"), QMessageBox::NoRole);
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

}  // namespace

const std::vector<const char*>& CChProcDlg::CatalogueClasses() {
    static const std::vector<const char*> classes = [] {
        std::vector<const char*> names;
        for (const tavrel::ModuleClass* c : tavrel::CatalogueClasses())
            names.push_back(c->className);
        return names;
    }();
    return classes;
}

CChProcDlg::CChProcDlg(QWidget* parent, CHeadFilter* head, int channel)
    : CChProcDlg(parent, head, channel, CatalogueClasses()) {}

CChProcDlg::CChProcDlg(QWidget* parent, CHeadFilter* head, int channel,
                       const std::vector<const char*>& catalogueClasses)
    : QDialog(parent),
      m_edit(head, catalogueClasses),
      m_channel(channel),
      m_openedForm(ChainForm(head)),
      m_steps(ChainEditSteps::For(head)) {
    askDiscard = [this] { return AskDiscard(this); };
    const DialogTemplate& tmpl = *FindDialogTemplate(kChainEditorTemplate);
    BuildControls(this, tmpl, DialogUnits());
    setModal(true);
    m_menu = Control<QComboBox>(this, kMenuId);
    m_list = Control<QListWidget>(this, kListId);
    m_add = Control<QPushButton>(this, kAddId);
    m_insert = Control<QPushButton>(this, kInsertId);
    m_delete = Control<QPushButton>(this, kDeleteId);
    m_change = Control<QPushButton>(this, kChangeId);

    // The list: the display name of every module after the head, in chain order.
    for (const std::string& name : m_edit.EntryNames())
        m_list->addItem(QString::fromStdString(name));
    // The catalogue: the display name of each offered class, in menu order, with a separator
    // after the twelve entries. The drop-down starts without a choice, so Add and Insert wait for
    // the user to pick an entry.
    for (const std::unique_ptr<CModBase>& prototype : m_edit.Catalogue()) {
        const ModuleClass* c = FindModuleClass(prototype->GetClassName());
        if (c && StartsCatalogueGroup(*c) && m_menu->count() > 0) {
            m_separatorAt = m_menu->count();
            m_menu->insertSeparator(m_separatorAt);
        }
        m_menu->addItem(QString::fromStdString(ShownModuleName(*prototype)));
    }
    m_menu->setCurrentIndex(-1);

    // Title: the channel number (1-based) after the first two characters of the caption.
    const QString caption = Tr("ModuleDialogs", tmpl.title);
    setWindowTitle(caption.left(2) + QString::number(m_channel + 1) + caption.mid(2));

    connect(m_menu, &QComboBox::activated, this, [this] {
        m_add->setEnabled(true);
        m_insert->setEnabled(true);
    });
    connect(m_list, &QListWidget::itemSelectionChanged, this, [this] {
        if (!m_updating) EnableEditButtons(true);
    });
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { OnChange(); });
    connect(m_add, &QPushButton::clicked, this, &CChProcDlg::OnAdd);
    connect(m_insert, &QPushButton::clicked, this, &CChProcDlg::OnInsert);
    connect(m_delete, &QPushButton::clicked, this, &CChProcDlg::OnDelete);
    connect(m_change, &QPushButton::clicked, this, &CChProcDlg::OnChange);
    connect(Control<QPushButton>(this, kIdOk), &QPushButton::clicked, this, &QDialog::accept);
    connect(Control<QPushButton>(this, kIdCancel), &QPushButton::clicked, this, &QDialog::reject);

    // Undo and redo of the edits made since the editor opened (the main window's keys, which
    // do not reach it while the editor is open).
    auto addShortcuts = [this](const QList<QKeySequence>& keys, void (CChProcDlg::*slot)()) {
        auto* action = new QAction(this);
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, slot);
        addAction(action);
    };
    addShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Z)}, &CChProcDlg::OnUndo);
    addShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)},
        &CChProcDlg::OnRedo);
}

CChProcDlg::~CChProcDlg() = default;

int CChProcDlg::MenuChoice() const {
    const int index = m_menu->currentIndex();
    return m_separatorAt >= 0 && index > m_separatorAt ? index - 1 : index;
}

int CChProcDlg::SelectedEntry() const {
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    return selected.isEmpty() ? -1 : m_list->row(selected.first());
}

void CChProcDlg::EnableEditButtons(bool enabled) {
    m_delete->setEnabled(enabled);
    m_change->setEnabled(enabled);
}

void CChProcDlg::ShowAdded(int entry) {
    if (entry < 0) return;
    m_updating = true;
    m_list->insertItem(entry, QString::fromStdString(m_edit.EntryName(entry)));
    m_updating = false;
}

void CChProcDlg::OnAdd() {
    // After the selected entry (at the end without one); the new entry becomes the selection
    // when there was one.
    const int s = SelectedEntry();
    const int entry = m_edit.Add(MenuChoice(), s);
    if (entry >= 0) Recorded(Tr("ChProcDlg", "%1の追加").arg(EntryText(entry)));
    ShowAdded(entry);
    if (entry >= 0 && s >= 0) {
        m_updating = true;
        m_list->setCurrentRow(entry);
        m_updating = false;
    }
}

void CChProcDlg::OnInsert() {
    // In front of the selected entry (at the end without one); the selection stays with the
    // entry it was on.
    const int entry = m_edit.Insert(MenuChoice(), SelectedEntry());
    if (entry >= 0) Recorded(Tr("ChProcDlg", "%1の挿入").arg(EntryText(entry)));
    ShowAdded(entry);
}

void CChProcDlg::OnDelete() {
    const int s = SelectedEntry();
    if (s < 0 || !m_edit.Head()) return;
    const QString name = Tr("ChProcDlg", "%1の削除").arg(EntryText(s));
    m_updating = true;
    m_list->model()->removeRow(s);
    m_list->clearSelection();
    m_updating = false;
    m_edit.Delete(s);
    EnableEditButtons(false);
    Recorded(name);
}

void CChProcDlg::OnChange() {
    // The list text stays on Cancel too: the backup that takes the module's place has its name.
    const int s = SelectedEntry();
    if (m_edit.Change(s) == ChainEdit::ChangeResult::Accepted)
        Recorded(Tr("ChProcDlg", "%1の設定").arg(EntryText(s)));
}

void CChProcDlg::Recorded(const QString& name) {
    if (m_steps) m_steps->Edited(name);
}

void CChProcDlg::OnUndo() {
    if (m_steps && m_steps->Undo()) ShowChain();
}

void CChProcDlg::OnRedo() {
    if (m_steps && m_steps->Redo()) ShowChain();
}

void CChProcDlg::ShowChain() {
    m_updating = true;
    m_list->clear();
    for (const std::string& name : m_edit.EntryNames())
        m_list->addItem(QString::fromStdString(name));
    m_updating = false;
    EnableEditButtons(false);
}

QString CChProcDlg::EntryText(int entry) const {
    return QString::fromStdString(m_edit.EntryName(entry));
}

bool CChProcDlg::IsChainChanged() const {
    return ChainForm(m_edit.Head()) != m_openedForm;
}

void CChProcDlg::reject() {
    if (IsChainChanged() && !askDiscard()) return;
    QDialog::reject();
}

bool RunChainEditor(QWidget* parent, CHeadFilter* head, int channel) {
    CChProcDlg dialog(parent, head, channel);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace tavrel::qt
