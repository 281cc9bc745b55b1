#include "gui/app/OptionsDlg.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>

#include "gui/document/FieldExchange.h"
#include "gui/platform/DialogLayout.h"

namespace tavrel::qt {

namespace {
const char kMaxRowsKey[] = "Options/MaxRows";
const char kNoRowLimitKey[] = "Options/NoRowLimit";
}  // namespace

UserOptions UserOptions::Load() {
    QSettings store;
    UserOptions options;
    bool number = false;
    const qlonglong rows = store.value(QLatin1String(kMaxRowsKey)).toLongLong(&number);
    if (number && rows >= kLowestMaxRows && rows <= kHighestMaxRows)
        options.maxRows = static_cast<int>(rows);
    options.noRowLimit = store.value(QLatin1String(kNoRowLimitKey), false).toBool();
    return options;
}

void UserOptions::Save() const {
    QSettings store;
    store.setValue(QLatin1String(kMaxRowsKey), maxRows);
    store.setValue(QLatin1String(kNoRowLimitKey), noRowLimit);
}

COptionsDlg::COptionsDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("オプション"));
    DialogUnits du;
    SizeDialog(this, du, 230, 62);

    AddControl<QGroupBox>(this, du, 0, 7, 7, 150, 48, QStringLiteral("データファイル"));
    AddControl<QLabel>(this, du, 0, 15, 22, 70, 8, QStringLiteral("データの最大行数"));
    AddControl<QLineEdit>(this, du, kMaxRowsEdit, 88, 20, 60, 12);
    auto* noLimit = AddControl<QCheckBox>(this, du, kNoLimitCheck, 15, 38, 100, 10,
                                          QStringLiteral("制限しない"));

    auto* ok = AddControl<QPushButton>(this, du, 1, 166, 7, 50, 14, QStringLiteral("OK"));
    ok->setDefault(true);
    auto* cancel = AddControl<QPushButton>(this, du, 2, 166, 25, 50, 14, QStringLiteral("ｷｬﾝｾﾙ"));
    connect(ok, &QPushButton::clicked, this, &COptionsDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &COptionsDlg::reject);
    connect(noLimit, &QCheckBox::toggled, this, &COptionsDlg::OnNoLimitChanged);
}

int COptionsDlg::exec() {
    Control<QLineEdit>(this, kMaxRowsEdit)->setText(QString::number(m_options.maxRows));
    SetChecked(this, kNoLimitCheck, m_options.noRowLimit);
    OnNoLimitChanged();
    return QDialog::exec();
}

void COptionsDlg::OnNoLimitChanged() {
    Control(this, kMaxRowsEdit)->setEnabled(!IsChecked(this, kNoLimitCheck));
}

void COptionsDlg::accept() {
    UserOptions chosen = m_options;
    chosen.noRowLimit = IsChecked(this, kNoLimitCheck);
    // A disabled limit keeps the last one entered; only a limit in use must be valid.
    if (!chosen.noRowLimit) {
        unsigned rows = 0;
        if (!ExchangeUInt(this, kMaxRowsEdit, UserOptions::kLowestMaxRows,
                          UserOptions::kHighestMaxRows, rows))
            return;
        chosen.maxRows = static_cast<int>(rows);
    }
    m_options = chosen;
    QDialog::accept();
}

}  // namespace tavrel::qt
