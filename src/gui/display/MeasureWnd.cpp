#include "gui/display/MeasureWnd.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cstdio>
#include <vector>

#include "document/Measurements.h"
#include "gui/document/DataReading.h"
#include "gui/platform/FileChooser.h"
#include "gui/platform/Translation.h"
#include "platform/AtomicFile.h"
#include "platform/Host.h"
#include "platform/Translate.h"

namespace tavrel::qt {

namespace {

// The shown columns: those of the table without the file, in its order.
constexpr int kFirstShownColumn = 1;
const char* const kHeadings[] = {"CH",
                                 QT_TRANSLATE_NOOP("MeasureWnd", "単位"),
                                 QT_TRANSLATE_NOOP("MeasureWnd", "サンプル数"),
                                 QT_TRANSLATE_NOOP("MeasureWnd", "周波数[Hz]"),
                                 QT_TRANSLATE_NOOP("MeasureWnd", "時間[ms]"),
                                 QT_TRANSLATE_NOOP("MeasureWnd", "最小"),
                                 QT_TRANSLATE_NOOP("MeasureWnd", "最大"),
                                 QT_TRANSLATE_NOOP("MeasureWnd", "平均"),
                                 "RMS",
                                 QT_TRANSLATE_NOOP("MeasureWnd", "最大絶対値"),
                                 QT_TRANSLATE_NOOP("MeasureWnd", "マーカー"),
                                 QT_TRANSLATE_NOOP("MeasureWnd", "マーカー[ms]"),
                                 QT_TRANSLATE_NOOP("MeasureWnd", "最終値")};
constexpr int kShownColumns = static_cast<int>(sizeof kHeadings / sizeof kHeadings[0]);
static_assert(kShownColumns == kMeasurementColumns - kFirstShownColumn);

}  // namespace

CMeasureWnd::CMeasureWnd(CKaisekiDoc* doc, QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint),
      m_doc(doc) {
    setWindowTitle(Tr("MeasureWnd", "計測結果"));
    setObjectName(QStringLiteral("measurements"));
    auto* layout = new QVBoxLayout(this);
    m_table = new QTableWidget(0, kShownColumns, this);
    QStringList headings;
    for (const char* heading : kHeadings)
        headings << Tr("MeasureWnd", heading);
    m_table->setHorizontalHeaderLabels(headings);
    m_table->verticalHeader()->setVisible(false);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Ctrl+C here copies the selected rows, as the main window's "ｺﾋﾟｰ" does for this window.
    auto* copyRows = new QAction(this);
    copyRows->setShortcut(QKeySequence::Copy);
    copyRows->setShortcutContext(Qt::WindowShortcut);
    connect(copyRows, &QAction::triggered, this, &CMeasureWnd::CopySelection);
    addAction(copyRows);
    layout->addWidget(m_table);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* copy = new QPushButton(Tr("MeasureWnd", "コピー"), this);
    copy->setObjectName(QStringLiteral("copy"));
    auto* save = new QPushButton(Tr("MeasureWnd", "保存..."), this);
    save->setObjectName(QStringLiteral("save"));
    buttons->addWidget(copy);
    buttons->addWidget(save);
    layout->addLayout(buttons);
    connect(copy, &QPushButton::clicked, this, [this] { CopyToClipboard(); });
    connect(save, &QPushButton::clicked, this, [this] { OnSave(); });
    resize(1130, 360);
    if (m_doc) m_doc->AddView(this);
}

CMeasureWnd::~CMeasureWnd() {
    if (m_doc) m_doc->RemoveView(this);
}

void CMeasureWnd::OnUpdate() {
    if (isVisible()) Refresh();
}

void CMeasureWnd::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Refresh();
}

void CMeasureWnd::Refresh() {
    // While the data file is being read its columns are half filled; the update that follows the
    // reading measures them.
    if (!m_doc || IsReadingData()) return;
    const std::vector<MeasurementRow> rows = MeasureDocument(*m_doc, m_doc->m_dataFilePath);
    m_table->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        for (int c = 0; c < kShownColumns; ++c) {
            const std::string text =
                MeasurementCell(rows[static_cast<std::size_t>(r)], c + kFirstShownColumn);
            auto* item = new QTableWidgetItem(QString::fromStdString(text));
            // Numbers right-aligned, the unit as text.
            if (c != 1) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_table->setItem(r, c, item);
        }
    }
    m_table->resizeColumnsToContents();
}

QString CMeasureWnd::TableText() const {
    return RowsText(false);
}

QString CMeasureWnd::SelectedRowsText() const {
    return RowsText(true);
}

void CMeasureWnd::CopySelection() {
    QApplication::clipboard()->setText(SelectedRowsText());
}

QString CMeasureWnd::RowsText(bool selectedOnly) const {
    QString text;
    for (int c = 0; c < kShownColumns; ++c) {
        if (c) text += QLatin1Char('\t');
        text += m_table->horizontalHeaderItem(c)->text();
    }
    text += QLatin1Char('\n');
    for (int r = 0; r < m_table->rowCount(); ++r) {
        if (selectedOnly && !m_table->selectionModel()->isRowSelected(r, QModelIndex())) continue;
        for (int c = 0; c < kShownColumns; ++c) {
            if (c) text += QLatin1Char('\t');
            if (const QTableWidgetItem* item = m_table->item(r, c)) text += item->text();
        }
        text += QLatin1Char('\n');
    }
    return text;
}

void CMeasureWnd::CopyToClipboard() {
    QApplication::clipboard()->setText(TableText());
}

bool CMeasureWnd::SaveTo(const QString& path) {
    std::string text;
    AppendMeasurementHeader(text);
    if (m_doc) AppendMeasurementRows(text, MeasureDocument(*m_doc, m_doc->m_dataFilePath));
    // Written like every file of the program: a failure leaves an existing file as it was.
    const bool written = WriteFileAtomically(path.toStdString(), text);
    if (!written) GetHost().MessageBox(Translate("MeasureWnd", "ファイルが開けませんでした。"));
    return written;
}

void CMeasureWnd::OnSave() {
    FileQuestion question;
    question.kind = FileQuestion::Kind::Save;
    question.proposed = Tr("MeasureWnd", "計測結果.csv");
    question.filters = {QStringLiteral("CSV (*.csv)"), QStringLiteral("All Files (*)")};
    question.defaultSuffix = QStringLiteral("csv");
    const QString path = ChooseFile(this, question).path;
    if (!path.isEmpty()) SaveTo(path);
}

}  // namespace tavrel::qt
