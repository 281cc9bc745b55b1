#include "pipeline/DmyPipe.h"

#include "platform/Archive.h"
#include "platform/Translate.h"

namespace tavrel {

CDmyPipe::CDmyPipe() {
    m_name = kDisplayName;
}

void CDmyPipe::SerializeOwn(Archive& ar) {
    CModBase::SerializeOwn(ar);
    ar.Int(m_probeOn);
}

bool CDmyPipe::StopsForwarding() const {
    return m_probeOn != 0 && m_doc && m_doc->Display().m_probeDisplay != 0;
}

int CDmyPipe::EditSettings() {
    CProbeDlg dialog(*this);
    return RunModuleDialog(dialog);
}

CProbeDlg::CProbeDlg(CDmyPipe& module)
    : ModuleDialog(module, dialog_ids::probe::kTemplate, Translate("ModuleDialog", "プローブ設定"),
                   false),
      m_probe(module) {
    m_probeOn = module.m_probeOn != 0 ? 1 : 0;
    SetCheck(kEnable, m_probeOn);
}

DialogCheck CProbeDlg::Validate() {
    m_probeOn = Check(kEnable) != 0 ? 1 : 0;
    return {};
}

void CProbeDlg::Commit() {
    m_probe.m_probeOn = m_probeOn;
}

}  // namespace tavrel
