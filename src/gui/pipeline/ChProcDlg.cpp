#include "gui/pipeline/ChProcDlg.h"

#include <QComboBox>
#include <QListWidget>
#include <QPushButton>

#include "document/KaisekiDoc.h"
#include "gui/pipeline/DialogTemplates.h"
#include "gui/platform/DialogLayout.h"
#include "pipeline/HeadFilter.h"
#include "pipeline/ModuleRegistry.h"
#include "platform/Host.h"

namespace tavrel::qt {

namespace {

constexpr int kMenuId = 1035;
constexpr int kListId = 1036;
constexpr int kAddId = 1001;
constexpr int kInsertId = 1002;
constexpr int kDeleteId = 1003;
constexpr int kChangeId = 1004;

}  // namespace

const std::vector<const char*>& CChProcDlg::CatalogueClasses() {
    static const std::vector<const char*> classes = [] {
        std::vector<const char*> names;
        for (const ModuleClass* c : tavrel::CatalogueClasses())
            names.push_back(c->className);
        return names;
    }();
    return classes;
}

CChProcDlg::CChProcDlg(QWidget* parent, CHeadFilter* head, int channel)
    : CChProcDlg(parent, head, channel, CatalogueClasses()) {}

CChProcDlg::CChProcDlg(QWidget* parent, CHeadFilter* head, int channel,
                       const std::vector<const char*>& catalogueClasses)
    : QDialog(parent), m_head(head), m_channel(channel) {
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
    for (CModBase* m = m_head ? m_head->m_next : nullptr; m; m = m->m_next) {
        m_list->addItem(QString::fromStdString(m->m_name));
    }
    // The catalogue: one prototype of each offered class, in menu order. The drop-down starts
    // without a choice, so Add and Insert wait for the user to pick an entry.
    for (const char* name : catalogueClasses) {
        if (std::unique_ptr<CModBase> prototype = CreateModule(name)) {
            m_menu->addItem(QString::fromStdString(prototype->m_name));
            m_catalogue.push_back(std::move(prototype));
        }
    }
    m_menu->setCurrentIndex(-1);

    // Title: the channel number (1-based) after the first two characters of the caption.
    const QString caption = QString::fromUtf8(tmpl.title);
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
}

CChProcDlg::~CChProcDlg() = default;

int CChProcDlg::SelectedEntry() const {
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    return selected.isEmpty() ? -1 : m_list->row(selected.first());
}

std::unique_ptr<CModBase> CChProcDlg::CloneChosen() const {
    const int entry = m_menu->currentIndex();
    if (entry < 0 || entry >= static_cast<int>(m_catalogue.size())) return nullptr;
    return m_catalogue[static_cast<std::size_t>(entry)]->Clone();
}

void CChProcDlg::EnableEditButtons(bool enabled) {
    m_delete->setEnabled(enabled);
    m_change->setEnabled(enabled);
}

void CChProcDlg::OnAdd() {
    // After the selected entry: in front of the module after the selected one, or at the end;
    // the new entry becomes the selection.
    AddChosen(1, true);
}

void CChProcDlg::OnInsert() {
    // In front of the selected entry; the selection stays with the entry it was on.
    AddChosen(0, false);
}

void CChProcDlg::AddChosen(int offset, bool selectNew) {
    std::unique_ptr<CModBase> module = CloneChosen();
    if (!module || !m_head) return;
    const QString text = QString::fromStdString(module->m_name);
    const int s = SelectedEntry();
    m_updating = true;
    if (s < 0) {
        // Nothing selected: at the end of the chain.
        m_list->addItem(text);
        CModBase::AppendModule(m_head, module.release());
    } else {
        // List entry s is chain position s + 1 (the head is position 0).
        m_list->insertItem(s + offset, text);
        CModBase::InsertModuleAt(m_head, s + offset + 1, module.release());
        if (selectNew) m_list->setCurrentRow(s + offset);
    }
    m_updating = false;
}

void CChProcDlg::OnDelete() {
    const int s = SelectedEntry();
    if (s < 0 || !m_head) return;
    m_updating = true;
    delete m_list->takeItem(s);
    m_list->clearSelection();
    m_updating = false;
    if (CModBase* module = CModBase::ModuleAt(m_head, s + 1)) {
        CModBase::RemoveModuleAt(m_head, s + 1);
        delete module;
    }
    EnableEditButtons(false);
}

void CChProcDlg::OnChange() {
    const int s = SelectedEntry();
    if (s < 0 || !m_head) return;
    CModBase* module = CModBase::ModuleAt(m_head, s + 1);
    // The backup restores the settings in force before the dialog if the user cancels; without
    // one nothing could be restored, so the dialog does not open.
    std::unique_ptr<CModBase> backup = module ? module->Clone() : nullptr;
    if (!backup) {
        GetHost().MessageBox("メモリが不足しています。");
        return;
    }

    // The module keeps its input while the dialog is open, so that every paint of the preview
    // recomputes its output with the settings being edited.
    module->m_editing = 1;
    {
        WaitCursor wait;
        module->PullInput();
    }
    // The preview shows the module's own output even when the main window shows probe data.
    CKaisekiDoc* doc = module->m_doc;
    const int probeDisplay = doc ? doc->m_probeDisplay : 0;
    if (probeDisplay) doc->m_probeDisplay = 0;

    if (module->EditSettings() == 1) {
        module->m_editing = 0;
        // The changed settings take effect at the next draw of this module and those after it.
        module->ClearBuffers();
    } else {
        // The list text stays: the backup carries the same name.
        CModBase::ReplaceModuleAt(m_head, s + 1, backup.release());
        delete module;
    }
    if (probeDisplay) doc->m_probeDisplay = probeDisplay;
}

bool RunChainEditor(QWidget* parent, CHeadFilter* head, int channel) {
    CChProcDlg dialog(parent, head, channel);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace tavrel::qt
