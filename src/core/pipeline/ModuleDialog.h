// The logic of a module settings dialog, independent of any window system.
//
// A dialog is a set of controls addressed by their numeric ids, each holding a text (edit boxes)
// or a check state (check boxes, radio buttons) and an enabled state. A module's EditSettings
// fills a dialog object with what the dialog opens with and has the host run it; the GUI lays the
// controls out for TemplateId(), shows and edits these values and calls Apply, Validate,
// OnClicked and OnRangeSelected; a test host does the same from a script. Validation and every
// value written into the module are decided here, never in the GUI.
#pragma once

#include <map>
#include <string>

namespace tavrel {

class CModBase;

// The outcome of validating the controls: on refusal, the control to focus and the message.
struct DialogCheck {
    bool ok = true;
    int control = 0;
    std::string message;

    static DialogCheck Refuse(int control, std::string message) {
        return {false, control, std::move(message)};
    }
};

class ModuleDialog {
  public:
    ModuleDialog(CModBase& module, int templateId, std::string title, bool hasApply);
    virtual ~ModuleDialog();

    CModBase& Module() const { return m_module; }
    int TemplateId() const { return m_templateId; }
    const std::string& Title() const { return m_title; }
    // Whether the "適用" button (id 1001) is shown and enabled.
    bool HasApply() const { return m_hasApply; }

    // Control contents: edit texts, and check states (0 / 1) of check boxes and radio buttons.
    std::string Text(int id) const;
    void SetText(int id, std::string text);
    int Check(int id) const;
    void SetCheck(int id, int state);
    bool IsEnabled(int id) const;
    void Enable(int id, bool enabled);

    // The user clicked a check box or radio button (after its check state changed).
    virtual void OnClicked(int id);
    // "適用": validates, writes into the module and drops its derived caches; the caller then
    // repaints the preview at once.
    virtual DialogCheck Apply();
    // OK: validates every control; on success the dialog may end.
    virtual DialogCheck Validate();
    // Writes the accepted values into the module after the dialog ended with OK.
    virtual void Commit();
    // A sample range picked with the mouse in the preview.
    virtual void OnRangeSelected(int first, int last);

  protected:
    // Data exchange in the manner of the classic dialog validation: whole numbers and decimal
    // numbers with an optional range, and texts with a length limit. On failure the returned
    // check names the control and the standard message.
    DialogCheck ReadInt(int id, long long low, long long high, long long& value) const;
    DialogCheck ReadNumber(int id, double low, double high, double& value) const;
    DialogCheck ReadText(int id, std::size_t maxChars, std::string& value) const;

  private:
    CModBase& m_module;
    int m_templateId;
    std::string m_title;
    bool m_hasApply;
    std::map<int, std::string> m_texts;
    std::map<int, int> m_checks;
    std::map<int, bool> m_enabled;
};

// Runs a module dialog through the host; on OK (and a successful final validation) commits it.
// Returns 1 when accepted, 0 otherwise.
int RunModuleDialog(ModuleDialog& dialog);

// The standard messages of refused values.
std::string IntRangeMessage(long long low, long long high);
std::string NumberRangeMessage(double low, double high);
std::string TextLengthMessage(std::size_t maxChars);

}  // namespace tavrel
