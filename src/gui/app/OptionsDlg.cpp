#include "gui/app/OptionsDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>

#include "gui/document/FieldExchange.h"
#include "gui/platform/DialogLayout.h"
#include "gui/platform/Translation.h"

namespace tavrel::qt {

namespace {
const char kMaxRowsKey[] = "Options/MaxRows";
const char kNoRowLimitKey[] = "Options/NoRowLimit";
const char kThreadsKey[] = "Options/Threads";
}  // namespace

UserOptions UserOptions::Load() {
    QSettings store;
    UserOptions options;
    bool number = false;
    const qlonglong rows = store.value(QLatin1String(kMaxRowsKey)).toLongLong(&number);
    if (number && rows >= kLowestMaxRows && rows <= kHighestMaxRows)
        options.maxRows = static_cast<int>(rows);
    options.noRowLimit = store.value(QLatin1String(kNoRowLimitKey), false).toBool();
    options.language = StoredLanguage();
    const int threads = store.value(QLatin1String(kThreadsKey)).toInt(&number);
    if (number && threads >= 0 && threads <= kHighestThreads) options.threads = threads;
    return options;
}

void UserOptions::Save() const {
    QSettings store;
    store.setValue(QLatin1String(kMaxRowsKey), maxRows);
    store.setValue(QLatin1String(kNoRowLimitKey), noRowLimit);
    StoreLanguage(language);
    store.setValue(QLatin1String(kThreadsKey), threads);
}

COptionsDlg::COptionsDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(Tr("OptionsDlg", "オプション"));
    DialogUnits du;
    SizeDialog(this, du, 230, 152);

    AddControl<QGroupBox>(this, du, 0, 7, 7, 150, 48, Tr("OptionsDlg", "データファイル"));
    AddControl<QLabel>(this, du, 0, 15, 22, 70, 8, Tr("OptionsDlg", "データの最大行数"));
    AddControl<QLineEdit>(this, du, kMaxRowsEdit, 88, 20, 60, 12);
    auto* noLimit = AddControl<QCheckBox>(this, du, kNoLimitCheck, 15, 38, 100, 10,
                                          Tr("OptionsDlg", "制限しない"));

    // The language of the windows: read once at start-up, so a change shows from the next start.
    AddControl<QGroupBox>(this, du, 0, 7, 62, 150, 49, Tr("OptionsDlg", "表示言語"));
    auto* language = AddControl<QComboBox>(this, du, kLanguageList, 15, 76, 80, 12);
    language->addItem(Tr("OptionsDlg", "日本語"));
    language->addItem(QStringLiteral("English"));
    AddControl<QLabel>(this, du, kLanguageNote, 15, 94, 138, 8,
                       Tr("OptionsDlg", "次回の起動から有効になります。"));
    // The list shows the stored choice; while TAVREL_LANG chooses the language of the runs, the
    // dialog says so, since the stored choice then has no effect.
    auto* overridden = AddControl<QLabel>(this, du, kLanguageOverride, 15, 102, 138, 8,
                                          Tr("OptionsDlg", "TAVREL_LANG が優先されています。"));
    overridden->setVisible(LanguageSetByEnvironment());

    // How many threads compute the channels' chains; 0 = as many as the processor runs.
    AddControl<QGroupBox>(this, du, 0, 7, 116, 150, 30, Tr("OptionsDlg", "計算"));
    AddControl<QLabel>(this, du, 0, 15, 130, 70, 8, Tr("OptionsDlg", "計算スレッド数"));
    AddControl<QLineEdit>(this, du, kThreadsEdit, 88, 128, 30, 12);
    AddControl<QLabel>(this, du, 0, 122, 130, 32, 8, Tr("OptionsDlg", "0=自動"));

    auto* ok = AddControl<QPushButton>(this, du, 1, 166, 7, 50, 14, QStringLiteral("OK"));
    ok->setDefault(true);
    auto* cancel = AddControl<QPushButton>(this, du, 2, 166, 25, 50, 14, Tr("OptionsDlg", "ｷｬﾝｾﾙ"));
    connect(ok, &QPushButton::clicked, this, &COptionsDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &COptionsDlg::reject);
    connect(noLimit, &QCheckBox::toggled, this, &COptionsDlg::OnNoLimitChanged);
}

int COptionsDlg::exec() {
    Control<QLineEdit>(this, kMaxRowsEdit)->setText(QString::number(m_options.maxRows));
    SetChecked(this, kNoLimitCheck, m_options.noRowLimit);
    Control<QLineEdit>(this, kThreadsEdit)->setText(QString::number(m_options.threads));
    Control<QComboBox>(this, kLanguageList)
        ->setCurrentIndex(m_options.language == Language::English ? 1 : 0);
    OnNoLimitChanged();
    return QDialog::exec();
}

void COptionsDlg::OnNoLimitChanged() {
    Control(this, kMaxRowsEdit)->setEnabled(!IsChecked(this, kNoLimitCheck));
}

void COptionsDlg::accept() {
    UserOptions chosen = m_options;
    chosen.noRowLimit = IsChecked(this, kNoLimitCheck);
    chosen.language = Control<QComboBox>(this, kLanguageList)->currentIndex() == 1
                          ? Language::English
                          : Language::Japanese;
    unsigned threads = 0;
    if (!ExchangeUInt(this, kThreadsEdit, 0, UserOptions::kHighestThreads, threads)) return;
    chosen.threads = static_cast<int>(threads);
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
