// CDataSetDlg ("データ設定"): what the values of the data file mean - the sampling frequency in Hz
// or the sampling period in ms, and the value unit ("V", "mV" or a text of the user's) with its
// unit factor. Run modally by the data-file dialog, which fills all five members before it.
#pragma once

#include <QDialog>
#include <string>

#include "document/DataSettings.h"

class QButtonGroup;

namespace tavrel::qt {

class CDataSetDlg : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kTemplateId = 106;
    static constexpr int kRateEdit = 1000;
    static constexpr int kFactorEdit = 1038;
    static constexpr int kFrequencyRadio = 1039;
    static constexpr int kPeriodRadio = 1040;
    static constexpr int kVoltRadio = 1041;
    static constexpr int kMilliVoltRadio = 1042;
    static constexpr int kOtherRadio = 1043;
    static constexpr int kOtherUnitEdit = 1044;
    // The longest period accepted: a longer one would round to a rate of 0 Hz.
    static constexpr unsigned kMaxPeriodMs = tavrel::kMaxPeriodMs;
    static constexpr unsigned kMaxRate = kMaxRateValue;
    static constexpr int kMaxUnitChars = kMaxOtherUnitChars;

    explicit CDataSetDlg(QWidget* parent = nullptr);

    // Puts the members into the controls: the two radio groups, the three edit boxes, and edit
    // 1044 enabled only for the other unit.
    void OnInitDialog();

    // Puts the members into the controls, then runs the dialog; on OK the members hold the
    // accepted values.
    int exec() override;
    // OK: validates every field in order; a refused one keeps the dialog open.
    void accept() override;

    // Members, in declaration order.
    int m_rateChoice = -1;  // 0 = frequency (Hz), 1 = period (ms), -1 = none selected
    int m_unitChoice = -1;  // 0 = "V", 1 = "mV", 2 = other, -1 = none selected
    unsigned m_rateValue = 0;
    unsigned m_factor = 0;
    std::string m_otherUnit;  // UTF-8

  private:
    void OnUnitClicked(int id);

    QButtonGroup* m_rateGroup;
    QButtonGroup* m_unitGroup;
};

}  // namespace tavrel::qt
