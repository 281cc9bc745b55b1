#include "gui/pipeline/FilterDlgBase.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "gui/pipeline/DialogTemplates.h"
#include "gui/pipeline/PreviewWnd.h"
#include "gui/platform/DialogLayout.h"
#include "gui/platform/QtHost.h"
#include "pipeline/ParamDlg.h"
#include "platform/Host.h"

namespace tavrel::qt {

namespace {

bool ExchangesValue(ControlKind kind) {
    return kind == ControlKind::Edit || kind == ControlKind::ReadOnlyEdit ||
           kind == ControlKind::CheckBox || kind == ControlKind::RadioButton ||
           kind == ControlKind::DropDownList;
}

}  // namespace

CFilterDlgBase::CFilterDlgBase(ModuleDialog& dialog, QWidget* parent)
    : QDialog(parent), m_dialog(dialog) {
    // A template the window does not know gets the plain frame: preview, OK and Cancel. The
    // generated dialog lays its rows out from the class's fields.
    const DialogTemplate* tmpl = FindDialogTemplate(dialog.TemplateId());
    auto* table = dynamic_cast<CParamDlg*>(&dialog);
    if (table && dialog.TemplateId() == dialog_ids::generated::kTemplate) {
        m_generated = TableTemplate(table->Class());
        tmpl = &m_generated;
    }
    if (!tmpl) tmpl = FindDialogTemplate(kFrameTemplate);
    const DialogUnits units;
    BuildControls(this, *tmpl, units);
    if (tmpl == &m_generated) FillChoices(this, table->Class());
    setWindowTitle(QString::fromStdString(dialog.Title()));
    setModal(true);

    for (const ControlSpec& ctl : tmpl->controls) {
        if (ctl.id != 0 && ExchangesValue(ctl.kind)) m_ids.push_back(ctl.id);
    }
    for (int id : m_ids) {
        if (auto* button = Control<QAbstractButton>(this, id)) {
            connect(button, &QAbstractButton::clicked, this, [this, id] { OnControlClicked(id); });
        }
    }
    if (auto* ok = Control<QPushButton>(this, kIdOk)) {
        connect(ok, &QPushButton::clicked, this, &CFilterDlgBase::accept);
    }
    if (auto* cancel = Control<QPushButton>(this, kIdCancel)) {
        connect(cancel, &QPushButton::clicked, this, &CFilterDlgBase::reject);
    }
    if (auto* apply = Control<QPushButton>(this, kIdApply)) {
        connect(apply, &QPushButton::clicked, this, [this] { ApplyNow(); });
    }

    // The preview goes above the separator and draws the module being edited.
    m_preview = new CPreviewWnd(this);
    m_preview->SetModule(&dialog.Module());
    connect(m_preview, &CPreviewWnd::rangeSelected, this, &CFilterDlgBase::OnRangeSelected);

    CopyFromDialog();
}

void CFilterDlgBase::CopyToDialog() {
    for (int id : m_ids) {
        QWidget* w = Control(this, id);
        if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            m_dialog.SetText(id, edit->text().toStdString());
        } else if (auto* box = qobject_cast<QComboBox*>(w)) {
            // A drop-down list's check state is the index of its choice.
            m_dialog.SetCheck(id, box->currentIndex());
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            m_dialog.SetCheck(id, button->isChecked() ? 1 : 0);
        }
    }
}

void CFilterDlgBase::CopyFromDialog() {
    for (int id : m_ids) {
        QWidget* w = Control(this, id);
        if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            const QString text = QString::fromStdString(m_dialog.Text(id));
            // Leave an unchanged field alone, so the cursor and selection stay where they are.
            if (edit->text() != text) edit->setText(text);
        } else if (auto* box = qobject_cast<QComboBox*>(w)) {
            box->setCurrentIndex(m_dialog.Check(id));
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            // An exclusive group refuses to uncheck its checked button; the dialog object may
            // want no button of a group checked, so the group lets go while the states are set.
            QButtonGroup* group = button->group();
            const bool exclusive = group && group->exclusive();
            if (exclusive) group->setExclusive(false);
            button->setChecked(m_dialog.Check(id) != 0);
            if (exclusive) group->setExclusive(true);
        }
        if (w) w->setEnabled(m_dialog.IsEnabled(id));
    }
    // "適用" exists only in the dialogs that apply; in the others it is hidden and disabled.
    if (auto* apply = Control<QPushButton>(this, kIdApply)) {
        const bool offered = m_dialog.HasApply();
        apply->setVisible(offered);
        apply->setEnabled(offered && m_dialog.IsEnabled(kIdApply));
    }
}

void CFilterDlgBase::Refuse(const DialogCheck& check) {
    GetHost().MessageBox(check.message);
    if (QWidget* w = Control(this, check.control)) {
        w->setFocus(Qt::OtherFocusReason);
        if (auto* edit = qobject_cast<QLineEdit*>(w)) edit->selectAll();
    }
}

bool CFilterDlgBase::ApplyNow() {
    if (!m_dialog.HasApply()) return false;
    CopyToDialog();
    const DialogCheck check = m_dialog.Apply();
    CopyFromDialog();
    if (!check.ok) {
        Refuse(check);
        return false;
    }
    m_preview->Redraw();
    return true;
}

void CFilterDlgBase::accept() {
    CopyToDialog();
    const DialogCheck check = m_dialog.Validate();
    CopyFromDialog();
    if (!check.ok) {
        Refuse(check);
        return;
    }
    QDialog::accept();
}

void CFilterDlgBase::OnControlClicked(int id) {
    CopyToDialog();
    m_dialog.OnClicked(id);
    CopyFromDialog();
}

void CFilterDlgBase::OnRangeSelected(int first, int last) {
    CopyToDialog();
    m_dialog.OnRangeSelected(first, last);
    CopyFromDialog();
}

bool RunModuleDialogWindow(ModuleDialog& dialog, QWidget* parent) {
    CFilterDlgBase window(dialog, parent);
    return window.exec() == QDialog::Accepted;
}

void InstallModuleDialogs(QtHost& host) {
    host.moduleDialogRunner = &RunModuleDialogWindow;
}

}  // namespace tavrel::qt
