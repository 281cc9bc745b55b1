// CDmyPipe, the probe: a pass-through module marking a point inside a chain where the user wants
// to look. With its probe function enabled and the document in probe display, drawing, range
// selection and export stop at it instead of going on to the end of the chain; otherwise it is
// transparent.
//
// CProbeDlg: its settings dialog (one check box, no "適用").
#pragma once

#include "pipeline/DialogIds.h"
#include "pipeline/ModBase.h"
#include "pipeline/ModuleDialog.h"
#include "platform/Translate.h"

namespace tavrel {

class CDmyPipe : public CModBase {
  public:
    static constexpr const char* kClassName = "CDmyPipe";
    static constexpr const char* kDisplayName = TAVREL_TRANSLATE_NOOP("Module", "プローブ");

    CDmyPipe();
    const char* GetClassName() const override { return kClassName; }

    void SerializeOwn(Archive& ar) override;
    int EditSettings() override;
    // Probing is active: the probe function is on (any nonzero value), the module has a document
    // and the document is in probe display.
    bool StopsForwarding() const override;

    int m_probeOn = 0;
};

class CProbeDlg : public ModuleDialog {
  public:
    static constexpr int kEnable = dialog_ids::probe::kEnable;

    explicit CProbeDlg(CDmyPipe& module);
    // Reads the check box into the dialog's copy of the enable value.
    DialogCheck Validate() override;
    // Stores the dialog's copy in the module (OK).
    void Commit() override;

    int m_probeOn = 0;

  private:
    CDmyPipe& m_probe;
};

}  // namespace tavrel
