// The control layouts of the module settings dialogs and of the processing-list editor: for each
// template id the size and every control with its id, caption and dialog-unit geometry,
// in the order the controls are created (which is also their tab order). BuildControls turns a
// template into Qt widgets named by their ids.
#pragma once

#include <QString>
#include <vector>

#include "pipeline/DialogIds.h"

namespace tavrel {
struct ModuleClass;
}

class QWidget;

namespace tavrel::qt {

class DialogUnits;

enum class ControlKind {
    GroupBox,
    Label,
    Edit,          // a text field the user types into (a tab stop)
    ReadOnlyEdit,  // a field the dialog fills; not a tab stop
    CheckBox,
    RadioButton,
    PushButton,
    DefaultButton,  // the button Enter presses
    Separator,      // the etched line between the preview and the controls
    DropDownList,
    ListBox,
};

enum ControlStyle : unsigned {
    kStyleNone = 0,
    kAlignRight = 1,  // edits: text flush right
    kGroupStart = 2,  // radio buttons: the first button of a new group
    kDisabled = 4,    // created disabled
};

struct ControlSpec {
    ControlKind kind;
    int id;                   // 0 for controls the program never addresses
    const char* caption;      // UTF-8; null for none
    int x, y, width, height;  // dialog units; a label of width 0 takes the width of its text
    unsigned style = kStyleNone;
};

struct DialogTemplate {
    int id;
    // UTF-8; only the processing-list editor shows its template's caption (a module dialog's
    // title comes from its dialog object), so the module templates have none.
    const char* title;
    int width, height;  // dialog units
    std::vector<ControlSpec> controls;
};

// Template ids.
constexpr int kFrameTemplate = dialog_ids::confirm::kTemplate;
constexpr int kChainEditorTemplate = 103;

// The template of the given id, or null.
const DialogTemplate* FindDialogTemplate(int id);
// Every template the program lays out (for checks over all of them).
const std::vector<DialogTemplate>& AllDialogTemplates();

// The frame's button ids.
constexpr int kIdOk = dialog_ids::kOk;
constexpr int kIdCancel = dialog_ids::kCancel;
constexpr int kIdApply = dialog_ids::kApply;

// The dialog laid out from a class's fields (template dialog_ids::generated::kTemplate): the
// module frame with one row per field in two columns of four below the separator (further rows
// make the columns and the dialog longer) - a caption, an edit with its unit beside it for a
// number, a check box for a switch, a drop-down list for a choice. The control of field i has the
// id dialog_ids::generated::kFirstControl + i.
DialogTemplate TableTemplate(const ModuleClass& moduleClass);
// Fills the drop-down lists of a generated dialog with the translated options of their fields.
void FillChoices(QWidget* dialog, const ModuleClass& moduleClass);

// Creates the controls of a template as children of `dialog`, in template order, each named by
// its id, and gives the dialog its size and font. Radio buttons of one group share a
// QButtonGroup owned by the dialog.
void BuildControls(QWidget* dialog, const DialogTemplate& tmpl, const DialogUnits& units);

}  // namespace tavrel::qt
