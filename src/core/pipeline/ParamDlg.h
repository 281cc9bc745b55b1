// CParamDlg: the settings dialog fed by the table of module classes. It shows each own field of
// the module's class as the field's descriptor says - a number in an edit box, a switch in a check
// box, a choice in a drop-down list (the check state of a drop-down is the index of its choice) -
// validates the numbers against the descriptor's ranges with the standard messages, and writes
// the values back through the module's persistent record. A drag in the preview fills the fields
// that are the start and end of a time range.
//
// Classes whose descriptor names the generated template get their rows laid out from the fields;
// the moving average and the decimation use it on their own templates, whose controls their
// fields name.
#pragma once

#include <vector>

#include "pipeline/ModuleDialog.h"
#include "pipeline/ModuleParams.h"
#include "pipeline/ModuleRegistry.h"

namespace tavrel {

class CParamDlg : public ModuleDialog {
  public:
    // The dialog of the module's class; the class must be in the table with a table dialog
    // (HasTableDialog).
    explicit CParamDlg(CModBase& module);

    const ModuleClass& Class() const { return m_class; }
    // The id of the control that shows field `index`.
    int ControlOf(std::size_t index) const;

    DialogCheck Validate() override;
    // Validates, then writes every field into the module.
    DialogCheck Apply() override;
    void Commit() override;
    void OnRangeSelected(int first, int last) override;

  private:
    // The range the dialog accepts for a number field.
    std::pair<double, double> RangeOf(const ModuleField& field) const;

    const ModuleClass& m_class;
    std::vector<ParamValue> m_values;
};

}  // namespace tavrel
