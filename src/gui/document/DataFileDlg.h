// CDataFileDlg ("データファイル設定"): how the data file is laid out - header lines and leading
// columns to skip - plus, through its "データ設定" button, the five values of the data-settings
// dialog (rate or period, unit, unit factor). The processing-settings dialog fills it from the
// document before running it and applies it to the document when it ends with OK.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "document/DataSettings.h"

namespace tavrel {
class CKaisekiDoc;
struct DataFileSettings;
}  // namespace tavrel

namespace tavrel::qt {

class CDataFileDlg : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kTemplateId = 105;
    static constexpr int kHeaderRowsEdit = 1000;
    static constexpr int kDataSettingsButton = 1001;
    static constexpr int kHeaderCheck = 1002;
    static constexpr int kTimeStampCheck = 1004;
    static constexpr int kSkipCheck = 1006;
    static constexpr int kSkipColumnsEdit = 1038;
    // Shown below the controls only when the data file is a recording: its signal count and names.
    static constexpr int kSignalsLabel = 1039;
    static constexpr unsigned kMaxHeaderRows = tavrel::kMaxHeaderRows;
    static constexpr unsigned kMaxSkipColumns = tavrel::kMaxSkipColumns;

    explicit CDataFileDlg(QWidget* parent = nullptr);

    // Opening: the edit boxes show the two values, the check boxes are cleared, then a value that
    // is not 0 checks its box and enables its edit box.
    void OnInitDialog();
    // Shows or hides the recording's signal count and names (the dialog grows to hold them).
    void ShowRecordingSignals();
    int exec() override;
    // OK: both edit boxes are validated (also when disabled), then the check states are taken.
    void accept() override;
    // "データ設定": runs the data-settings dialog on a copy of the five values and takes them back
    // only when it ends with OK.
    void OnDataSettings();

    // The members as the document's filling and applying rules see them, and back.
    DataFileSettings Settings() const;
    void SetSettings(const DataFileSettings& settings);
    // Filled from the document's reading settings and channel 0's head before the dialog runs.
    void FillFromDocument(const CKaisekiDoc& doc);
    // After OK: the reading settings into the document, rate, unit and factor into every head.
    void ApplyToDocument(CKaisekiDoc& doc) const;

    // Members, in declaration order.
    std::string m_otherUnit;  // UTF-8
    int m_factor = 1;
    int m_rateValue = 1000;
    int m_unitChoice = 1;  // 0 = "V", 1 = "mV", 2 = other
    int m_rateChoice = 0;  // 0 = frequency in Hz, 1 = period in ms
    unsigned m_headerRowsValue = 0;
    unsigned m_skipColumnsValue = 0;
    int m_headerCheck = 0;
    int m_timeStampCheck = 0;
    int m_skipCheck = 0;
    std::vector<std::string> m_recordingSignals;  // UTF-8; empty for a text file
};

}  // namespace tavrel::qt
