// CExportSetDlg ("データ書き出し設定"): whether the processed-data export writes a header line
// and a leading column of serial numbers or sample times, and whether every channel gets a time
// column of its own. All controls stay enabled; the radio buttons remain usable while the number
// column is off.
#pragma once

#include <QDialog>

#include "document/ExportSettings.h"

namespace tavrel::qt {

class CExportSetDlg : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kTemplateId = 119;
    static constexpr int kHeaderCheck = 1002;
    static constexpr int kNumberCheck = 1004;
    static constexpr int kSerialRadio = 1039;
    static constexpr int kTimeRadio = 1040;
    static constexpr int kPerChannelTimeCheck = 1005;

    explicit CExportSetDlg(QWidget* parent = nullptr);

    // Puts the members into the controls.
    void OnInitDialog();
    int exec() override;
    // OK: takes the controls' states into the members.
    void accept() override;

    int m_header = 1;
    int m_numberColumn = 0;
    int m_numberKind = 0;
    int m_perChannelTime = 0;
};

// The export's settings question for the Qt host: opens the dialog with `settings`, writes the
// answers back on OK.
bool RunExportSettingsDialog(ExportSettings& settings, QWidget* parent);

}  // namespace tavrel::qt
