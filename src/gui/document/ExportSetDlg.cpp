#include "gui/document/ExportSetDlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

#include "gui/document/FieldExchange.h"
#include "gui/platform/DialogLayout.h"
#include "gui/platform/Translation.h"

namespace tavrel::qt {

CExportSetDlg::CExportSetDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(Tr("ExportSetDlg", "データ書き出し設定"));
    DialogUnits du;
    SizeDialog(this, du, 215, 175);

    AddControl<QGroupBox>(this, du, 0, 14, 14, 120, 40, Tr("ExportSetDlg", "ヘッダ行"));
    AddControl<QCheckBox>(this, du, kHeaderCheck, 26, 30, 60, 10, Tr("ExportSetDlg", "つける"));
    AddControl<QGroupBox>(this, du, 0, 14, 64, 120, 92, Tr("ExportSetDlg", "データ番号列"));
    AddControl<QCheckBox>(this, du, kNumberCheck, 26, 80, 60, 10, Tr("ExportSetDlg", "つける"));
    auto* serial = AddControl<QRadioButton>(this, du, kSerialRadio, 38, 102, 80, 10,
                                            Tr("ExportSetDlg", "通し番号"));
    auto* time = AddControl<QRadioButton>(this, du, kTimeRadio, 38, 122, 80, 10,
                                          Tr("ExportSetDlg", "時間（ms）"));
    AddControl<QCheckBox>(this, du, kPerChannelTimeCheck, 14, 160, 130, 10,
                          Tr("ExportSetDlg", "チャネルごとに時間列"));
    auto* group = new QButtonGroup(this);
    group->addButton(serial, kSerialRadio);
    group->addButton(time, kTimeRadio);

    auto* ok = AddControl<QPushButton>(this, du, 1, 150, 14, 50, 14, QStringLiteral("OK"));
    ok->setDefault(true);
    auto* cancel =
        AddControl<QPushButton>(this, du, 2, 150, 32, 50, 14, Tr("ExportSetDlg", "ｷｬﾝｾﾙ"));
    connect(ok, &QPushButton::clicked, this, &CExportSetDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CExportSetDlg::reject);
}

void CExportSetDlg::OnInitDialog() {
    SetChecked(this, kHeaderCheck, m_header != 0);
    SetChecked(this, kNumberCheck, m_numberColumn != 0);
    SetCheckedIndex(this, {kSerialRadio, kTimeRadio}, m_numberKind);
    SetChecked(this, kPerChannelTimeCheck, m_perChannelTime != 0);
}

int CExportSetDlg::exec() {
    OnInitDialog();
    return QDialog::exec();
}

void CExportSetDlg::accept() {
    m_header = IsChecked(this, kHeaderCheck) ? 1 : 0;
    m_numberColumn = IsChecked(this, kNumberCheck) ? 1 : 0;
    m_numberKind = CheckedIndex(this, {kSerialRadio, kTimeRadio});
    m_perChannelTime = IsChecked(this, kPerChannelTimeCheck) ? 1 : 0;
    QDialog::accept();
}

bool RunExportSettingsDialog(ExportSettings& settings, QWidget* parent) {
    CExportSetDlg dialog(parent);
    dialog.m_header = settings.m_header;
    dialog.m_numberColumn = settings.m_numberColumn;
    dialog.m_numberKind = settings.m_numberKind;
    dialog.m_perChannelTime = settings.m_perChannelTime;
    if (dialog.exec() != QDialog::Accepted) return false;
    settings.m_header = dialog.m_header;
    settings.m_numberColumn = dialog.m_numberColumn;
    settings.m_numberKind = dialog.m_numberKind;
    settings.m_perChannelTime = dialog.m_perChannelTime;
    return true;
}

}  // namespace tavrel::qt
