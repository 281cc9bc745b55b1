// The program's windows plugged into the Qt host and into the processing-settings dialog.
#include "gui/app/KaisekiApp.h"
#include "gui/document/ExportSetDlg.h"
#include "gui/document/ProgressDlg.h"

namespace tavrel::qt {

void InstallDialogs(QtHost& host) {
    host.progressFactory = CreateProgressWindow;
    host.exportSettingsRunner = RunExportSettingsDialog;
}

}  // namespace tavrel::qt
