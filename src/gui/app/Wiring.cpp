// The program's windows plugged into the Qt host and into the processing-settings dialog.
#include "gui/app/KaisekiApp.h"
#include "gui/document/ExportSetDlg.h"
#include "gui/document/ProcSetDlg.h"
#include "gui/document/ProgressDlg.h"
#include "gui/pipeline/ChProcDlg.h"
#include "gui/pipeline/FilterDlgBase.h"

namespace tavrel::qt {

void InstallDialogs(QtHost& host) {
    host.progressFactory = CreateProgressWindow;
    host.exportSettingsRunner = RunExportSettingsDialog;
    InstallModuleDialogs(host);
    CProcSetDlg::SetChainEditor(RunChainEditor);
}

}  // namespace tavrel::qt
