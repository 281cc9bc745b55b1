#include "gui/document/DataSetDlg.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

#include "gui/document/FieldExchange.h"
#include "gui/platform/DialogLayout.h"
#include "gui/platform/Translation.h"

namespace tavrel::qt {

CDataSetDlg::CDataSetDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(Tr("DataSetDlg", "データ設定"));
    DialogUnits du;
    SizeDialog(this, du, 230, 148);

    AddControl<QGroupBox>(this, du, 0, 7, 7, 150, 50, Tr("DataSetDlg", "サンプリング（横軸）"));
    AddControl<QLineEdit>(this, du, kRateEdit, 15, 24, 50, 14);
    auto* frequency = AddControl<QRadioButton>(this, du, kFrequencyRadio, 75, 20, 75, 10,
                                               Tr("DataSetDlg", "周波数（Hz）"));
    auto* period = AddControl<QRadioButton>(this, du, kPeriodRadio, 75, 36, 75, 10,
                                            Tr("DataSetDlg", "周期（ms）"));
    m_rateGroup = new QButtonGroup(this);
    m_rateGroup->addButton(frequency, kFrequencyRadio);
    m_rateGroup->addButton(period, kPeriodRadio);

    AddControl<QGroupBox>(this, du, 0, 7, 62, 150, 79, Tr("DataSetDlg", "値（縦軸）"));
    AddControl<QLabel>(this, du, 0, 15, 76, 40, 8, Tr("DataSetDlg", "単位"));
    AddControl<QLineEdit>(this, du, kFactorEdit, 15, 87, 45, 14);
    auto* volt =
        AddControl<QRadioButton>(this, du, kVoltRadio, 75, 76, 70, 10, QStringLiteral("V"));
    auto* milliVolt =
        AddControl<QRadioButton>(this, du, kMilliVoltRadio, 75, 90, 70, 10, QStringLiteral("mV"));
    auto* other = AddControl<QRadioButton>(this, du, kOtherRadio, 75, 104, 70, 10,
                                           Tr("DataSetDlg", "その他"));
    auto* otherUnit = AddControl<QLineEdit>(this, du, kOtherUnitEdit, 85, 118, 60, 14);
    otherUnit->setMaxLength(kMaxUnitChars);
    otherUnit->setEnabled(false);
    m_unitGroup = new QButtonGroup(this);
    m_unitGroup->addButton(volt, kVoltRadio);
    m_unitGroup->addButton(milliVolt, kMilliVoltRadio);
    m_unitGroup->addButton(other, kOtherRadio);
    connect(m_unitGroup, &QButtonGroup::idClicked, this, &CDataSetDlg::OnUnitClicked);

    auto* ok = AddControl<QPushButton>(this, du, 1, 173, 7, 50, 14, QStringLiteral("OK"));
    ok->setDefault(true);
    auto* cancel = AddControl<QPushButton>(this, du, 2, 173, 24, 50, 14, Tr("DataSetDlg", "ｷｬﾝｾﾙ"));
    connect(ok, &QPushButton::clicked, this, &CDataSetDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CDataSetDlg::reject);
}

void CDataSetDlg::OnInitDialog() {
    SetCheckedIndex(this, {kFrequencyRadio, kPeriodRadio}, m_rateChoice);
    SetCheckedIndex(this, {kVoltRadio, kMilliVoltRadio, kOtherRadio}, m_unitChoice);
    Control<QLineEdit>(this, kRateEdit)->setText(QString::number(m_rateValue));
    Control<QLineEdit>(this, kFactorEdit)->setText(QString::number(m_factor));
    auto* otherUnit = Control<QLineEdit>(this, kOtherUnitEdit);
    // Typing stops at ten characters, but a longer unit from a document is shown whole (the
    // limit would cut it) and refused on OK with the length message.
    const QString unit = QString::fromStdString(m_otherUnit);
    otherUnit->setMaxLength(std::max<int>(kMaxUnitChars, static_cast<int>(unit.size())));
    otherUnit->setText(unit);
    otherUnit->setEnabled(m_unitChoice == 2);
}

int CDataSetDlg::exec() {
    OnInitDialog();
    return QDialog::exec();
}

void CDataSetDlg::OnUnitClicked(int id) {
    Control(this, kOtherUnitEdit)->setEnabled(id == kOtherRadio);
}

void CDataSetDlg::accept() {
    int rateChoice = CheckedIndex(this, {kFrequencyRadio, kPeriodRadio});
    int unitChoice = CheckedIndex(this, {kVoltRadio, kMilliVoltRadio, kOtherRadio});
    unsigned rateValue = 0;
    unsigned factor = 0;
    std::string otherUnit;
    // A period is a whole number of milliseconds that must still round to at least 1 Hz.
    unsigned maxRate = rateChoice == 1 ? kMaxPeriodMs : kMaxRate;
    if (!ExchangeUInt(this, kRateEdit, kMinRateValue, maxRate, rateValue)) return;
    if (!ExchangeUInt(this, kFactorEdit, kMinFactor, kMaxFactor, factor)) return;
    if (!ExchangeText(this, kOtherUnitEdit, kMaxUnitChars, otherUnit)) return;
    m_rateChoice = rateChoice;
    m_unitChoice = unitChoice;
    m_rateValue = rateValue;
    m_factor = factor;
    m_otherUnit = std::move(otherUnit);
    QDialog::accept();
}

}  // namespace tavrel::qt
