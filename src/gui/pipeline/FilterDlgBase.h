// CFilterDlgBase: the window of every module settings dialog. It lays out the controls of the
// dialog object's template (preview above the separator, the module's controls below, OK,
// "ｷｬﾝｾﾙ" and "適用" at the lower right) and plays the part of the user interface for the dialog
// object: around every call into it (a click on a check box or radio button, Apply, OK, a range
// picked in the preview) it copies the texts and check states of all controls into the object and
// afterwards copies texts, check states and enabled states back into the widgets. Everything the
// dialog decides - what it opens with, validation, the values written into the module - is the
// dialog object's.
#pragma once

#include <QDialog>
#include <vector>

#include "gui/pipeline/DialogTemplates.h"
#include "pipeline/ModuleDialog.h"

namespace tavrel::qt {

class CPreviewWnd;
class QtHost;

class CFilterDlgBase : public QDialog {
    Q_OBJECT
  public:
    CFilterDlgBase(ModuleDialog& dialog, QWidget* parent = nullptr);

    ModuleDialog& Logic() const { return m_dialog; }
    CPreviewWnd* Preview() const { return m_preview; }

    // Copies the widgets' texts and check states into the dialog object.
    void CopyToDialog();
    // Copies the dialog object's texts, check states and enabled states into the widgets.
    void CopyFromDialog();

    // "適用": validates and writes into the module through the dialog object, then redraws the
    // preview at once. False when a value was refused (the user has been told).
    bool ApplyNow();

  public slots:
    // OK (and Enter): the dialog closes only when every value is accepted.
    void accept() override;

  private:
    // A refused value: the message in a box, the focus (and selection) on the control.
    void Refuse(const DialogCheck& check);
    void OnControlClicked(int id);
    void OnRangeSelected(int first, int last);

    ModuleDialog& m_dialog;
    // The layout of a generated dialog (the other dialogs use their fixed templates).
    DialogTemplate m_generated{};
    CPreviewWnd* m_preview = nullptr;
    // The ids of the controls that exchange values with the dialog object, in template order.
    std::vector<int> m_ids;
};

// Runs a module dialog object in its window, modally over `parent`; true when it ended with OK.
bool RunModuleDialogWindow(ModuleDialog& dialog, QWidget* parent);

// Plugs the module dialog window into the host, so that a module's EditSettings shows it.
void InstallModuleDialogs(QtHost& host);

}  // namespace tavrel::qt
