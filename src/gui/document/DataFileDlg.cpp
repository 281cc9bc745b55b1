#include "gui/document/DataFileDlg.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>

#include "gui/document/DataSetDlg.h"
#include "gui/document/FieldExchange.h"
#include "gui/platform/DialogLayout.h"
#include "gui/platform/Translation.h"

namespace tavrel::qt {

CDataFileDlg::CDataFileDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(Tr("DataFileDlg", "データファイル設定"));
    DialogUnits du;
    SizeDialog(this, du, 250, 140);

    AddControl<QGroupBox>(this, du, 0, 7, 7, 170, 36, Tr("DataFileDlg", "ヘッダ行スキップ"));
    auto* header =
        AddControl<QCheckBox>(this, du, kHeaderCheck, 15, 22, 30, 10, Tr("DataFileDlg", "する"));
    AddControl<QLineEdit>(this, du, kHeaderRowsEdit, 52, 20, 30, 14)->setEnabled(false);
    AddControl<QLabel>(this, du, 0, 87, 23, 60, 8, Tr("DataFileDlg", "行スキップ"));

    AddControl<QGroupBox>(this, du, 0, 7, 50, 170, 58, Tr("DataFileDlg", "列設定"));
    auto* skip = AddControl<QCheckBox>(this, du, kSkipCheck, 15, 65, 80, 10,
                                       Tr("DataFileDlg", "先頭列をスキップ"));
    AddControl<QLineEdit>(this, du, kSkipColumnsEdit, 100, 63, 30, 14)->setEnabled(false);
    AddControl<QLabel>(this, du, 0, 135, 66, 40, 8, Tr("DataFileDlg", "列スキップ"));
    // Present but never usable: its state is not used.
    AddControl<QCheckBox>(this, du, kTimeStampCheck, 15, 86, 120, 10,
                          Tr("DataFileDlg", "１列目はタイムスタンプ"))
        ->setEnabled(false);

    auto* dataSettings = AddControl<QPushButton>(this, du, kDataSettingsButton, 7, 117, 60, 14,
                                                 Tr("DataFileDlg", "データ設定"));
    auto* ok = AddControl<QPushButton>(this, du, 1, 190, 7, 50, 14, QStringLiteral("OK"));
    ok->setDefault(true);
    auto* cancel =
        AddControl<QPushButton>(this, du, 2, 190, 24, 50, 14, Tr("DataFileDlg", "ｷｬﾝｾﾙ"));

    auto* signalList = AddControl<QLabel>(this, du, kSignalsLabel, 7, 137, 236, 20);
    signalList->setWordWrap(true);
    signalList->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    signalList->setVisible(false);

    connect(header, &QCheckBox::clicked, this,
            [this](bool checked) { Control(this, kHeaderRowsEdit)->setEnabled(checked); });
    connect(skip, &QCheckBox::clicked, this,
            [this](bool checked) { Control(this, kSkipColumnsEdit)->setEnabled(checked); });
    connect(dataSettings, &QPushButton::clicked, this, &CDataFileDlg::OnDataSettings);
    connect(ok, &QPushButton::clicked, this, &CDataFileDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CDataFileDlg::reject);
}

void CDataFileDlg::ShowRecordingSignals() {
    auto* label = Control<QLabel>(this, kSignalsLabel);
    const bool recording = !m_recordingSignals.empty();
    label->setVisible(recording);
    DialogUnits du;
    SizeDialog(this, du, 250, recording ? 162 : 140);
    if (!recording) return;
    QStringList names;
    for (const std::string& name : m_recordingSignals)
        names.append(QString::fromStdString(name).trimmed());
    // The names as far as two lines hold them; the count says how many there are in all.
    const QString text = Tr("DataFileDlg", "記録の信号: %1 (%2)")
                             .arg(m_recordingSignals.size())
                             .arg(names.join(QStringLiteral(", ")));
    const QFontMetrics metrics(label->font());
    label->setText(metrics.elidedText(text, Qt::ElideRight,
                                      label->width() * 2 - metrics.averageCharWidth() * 4));
    label->setToolTip(names.join(QStringLiteral("\n")));
}

void CDataFileDlg::OnInitDialog() {
    ShowRecordingSignals();
    Control<QLineEdit>(this, kHeaderRowsEdit)->setText(QString::number(m_headerRowsValue));
    Control<QLineEdit>(this, kSkipColumnsEdit)->setText(QString::number(m_skipColumnsValue));
    SetChecked(this, kHeaderCheck, false);
    SetChecked(this, kTimeStampCheck, false);
    SetChecked(this, kSkipCheck, false);
    Control(this, kHeaderRowsEdit)->setEnabled(false);
    Control(this, kSkipColumnsEdit)->setEnabled(false);
    if (m_headerRowsValue != 0) {
        SetChecked(this, kHeaderCheck, true);
        Control(this, kHeaderRowsEdit)->setEnabled(true);
    }
    if (m_skipColumnsValue != 0) {
        SetChecked(this, kSkipCheck, true);
        Control(this, kSkipColumnsEdit)->setEnabled(true);
    }
}

int CDataFileDlg::exec() {
    OnInitDialog();
    return QDialog::exec();
}

void CDataFileDlg::accept() {
    unsigned headerRows = 0;
    unsigned skipColumns = 0;
    if (!ExchangeUInt(this, kHeaderRowsEdit, 0, kMaxHeaderRows, headerRows)) return;
    if (!ExchangeUInt(this, kSkipColumnsEdit, 0, kMaxSkipColumns, skipColumns)) return;
    m_headerRowsValue = headerRows;
    m_skipColumnsValue = skipColumns;
    m_headerCheck = IsChecked(this, kHeaderCheck) ? 1 : 0;
    m_timeStampCheck = IsChecked(this, kTimeStampCheck) ? 1 : 0;
    m_skipCheck = IsChecked(this, kSkipCheck) ? 1 : 0;
    QDialog::accept();
}

void CDataFileDlg::OnDataSettings() {
    CDataSetDlg dialog(this);
    dialog.m_rateChoice = m_rateChoice;
    dialog.m_unitChoice = m_unitChoice;
    dialog.m_otherUnit = m_otherUnit;
    // The values come from a chain head or from this dialog; a negative one shows as 0 and is
    // refused by the data-settings dialog's range check.
    dialog.m_rateValue = m_rateValue > 0 ? static_cast<unsigned>(m_rateValue) : 0;
    dialog.m_factor = m_factor > 0 ? static_cast<unsigned>(m_factor) : 0;
    if (dialog.exec() != QDialog::Accepted) return;
    m_rateChoice = dialog.m_rateChoice;
    m_unitChoice = dialog.m_unitChoice;
    m_otherUnit = dialog.m_otherUnit;
    m_rateValue = static_cast<int>(dialog.m_rateValue);
    m_factor = static_cast<int>(dialog.m_factor);
}

}  // namespace tavrel::qt
