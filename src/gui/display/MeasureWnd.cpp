#include "gui/display/MeasureWnd.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cstdio>
#include <vector>

#include "document/Measurements.h"
#include "gui/display/BurstShading.h"
#include "gui/document/DataReading.h"
#include "gui/platform/FileChooser.h"
#include "gui/platform/Translation.h"
#include "pipeline/HeadFilter.h"
#include "pipeline/ModBase.h"
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
                                 QT_TRANSLATE_NOOP("MeasureWnd", "最終値"),
                                 QT_TRANSLATE_NOOP("MeasureWnd", "平均周波数[Hz]"),
                                 QT_TRANSLATE_NOOP("MeasureWnd", "中央周波数[Hz]"),
                                 QT_TRANSLATE_NOOP("MeasureWnd", "傾き[/s]")};
constexpr int kShownColumns = static_cast<int>(sizeof kHeadings / sizeof kHeadings[0]);
static_assert(kShownColumns == kMeasurementColumns - kFirstShownColumn);

// The burst table's shown columns: those of the table without the file.
const char* const kBurstHeadings[] = {"CH",
                                      QT_TRANSLATE_NOOP("MeasureWnd", "バースト"),
                                      QT_TRANSLATE_NOOP("MeasureWnd", "開始[ms]"),
                                      QT_TRANSLATE_NOOP("MeasureWnd", "終了[ms]"),
                                      QT_TRANSLATE_NOOP("MeasureWnd", "持続時間[ms]"),
                                      QT_TRANSLATE_NOOP("MeasureWnd", "ピーク"),
                                      QT_TRANSLATE_NOOP("MeasureWnd", "平均"),
                                      "RMS",
                                      QT_TRANSLATE_NOOP("MeasureWnd", "積分")};
constexpr int kBurstShownColumns =
    static_cast<int>(sizeof kBurstHeadings / sizeof kBurstHeadings[0]);
static_assert(kBurstShownColumns == kBurstColumns - kFirstShownColumn);

// The burst settings' controls: object name, caption, default, step.
struct BurstEdit {
    const char* name;
    const char* caption;
    double value;
    double step;
};
constexpr BurstEdit kBurstEdits[] = {
    {"baselineStart", QT_TRANSLATE_NOOP("MeasureWnd", "基準区間[ms]"), 0.0, 100.0},
    {"baselineEnd", "-", 500.0, 100.0},
    {"factor", QT_TRANSLATE_NOOP("MeasureWnd", "SDの倍数"), 3.0, 0.5},
    {"minOn", QT_TRANSLATE_NOOP("MeasureWnd", "最短バースト[ms]"), 50.0, 10.0},
    {"minOff", QT_TRANSLATE_NOOP("MeasureWnd", "最短間隔[ms]"), 50.0, 10.0},
};

QTableWidget* MakeTable(QWidget* parent, const char* const* headings, int count) {
    auto* table = new QTableWidget(0, count, parent);
    QStringList labels;
    for (int k = 0; k < count; ++k)
        labels << Tr("MeasureWnd", headings[k]);
    table->setHorizontalHeaderLabels(labels);
    table->verticalHeader()->setVisible(false);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    return table;
}

// Fills row r of a table with cells, numbers right-aligned (every column but `textColumn`).
void FillRow(QTableWidget* table, int r, const std::vector<std::string>& cells, int textColumn) {
    for (int c = 0; c < static_cast<int>(cells.size()); ++c) {
        auto* item =
            new QTableWidgetItem(QString::fromStdString(cells[static_cast<std::size_t>(c)]));
        if (c != textColumn) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        table->setItem(r, c, item);
    }
}

}  // namespace

CMeasureWnd::CMeasureWnd(CKaisekiDoc* doc, QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint),
      m_doc(doc) {
    setWindowTitle(Tr("MeasureWnd", "計測結果"));
    setObjectName(QStringLiteral("measurements"));
    auto* layout = new QVBoxLayout(this);
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("tabs"));
    m_table = MakeTable(this, kHeadings, kShownColumns);
    m_tabs->addTab(m_table, Tr("MeasureWnd", "チャンネル"));
    m_tabs->addTab(MakeBurstPage(), Tr("MeasureWnd", "バースト"));
    layout->addWidget(m_tabs);
    connect(m_tabs, &QTabWidget::currentChanged, this, [this] {
        if (ShowsBursts()) RefreshBursts();
        UpdateShading();
    });
    // Ctrl+C here copies the selected rows, as the main window's "ｺﾋﾟｰ" does for this window.
    auto* copyRows = new QAction(this);
    copyRows->setShortcut(QKeySequence::Copy);
    copyRows->setShortcutContext(Qt::WindowShortcut);
    connect(copyRows, &QAction::triggered, this, &CMeasureWnd::CopySelection);
    addAction(copyRows);
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
    BurstShading& shading = CurrentBurstShading();
    if (shading.doc == m_doc) shading = {};
    if (m_doc) m_doc->RemoveView(this);
}

QWidget* CMeasureWnd::MakeBurstPage() {
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("bursts"));
    auto* layout = new QVBoxLayout(page);
    auto* settings = new QHBoxLayout;
    for (std::size_t k = 0; k < m_burstEdits.size(); ++k) {
        const BurstEdit& e = kBurstEdits[k];
        settings->addWidget(new QLabel(Tr("MeasureWnd", e.caption), page));
        auto* edit = new QDoubleSpinBox(page);
        edit->setObjectName(QString::fromLatin1(e.name));
        edit->setRange(0.0, 1e9);
        edit->setDecimals(k == 2 ? 2 : 1);
        edit->setSingleStep(e.step);
        edit->setValue(e.value);
        settings->addWidget(edit);
        connect(edit, &QDoubleSpinBox::valueChanged, this, [this] {
            RefreshBursts();
            UpdateShading();
        });
        m_burstEdits[k] = edit;
    }
    settings->addStretch(1);
    layout->addLayout(settings);
    m_burstTable = MakeTable(page, kBurstHeadings, kBurstShownColumns);
    m_burstTable->setObjectName(QStringLiteral("burstTable"));
    layout->addWidget(m_burstTable);
    return page;
}

bool CMeasureWnd::ShowsBursts() const {
    return m_tabs->currentIndex() == 1;
}

spectral::BurstSettings CMeasureWnd::BurstSettingsShown() const {
    spectral::BurstSettings s;
    s.baselineStartMs = m_burstEdits[0]->value();
    s.baselineEndMs = m_burstEdits[1]->value();
    s.factor = m_burstEdits[2]->value();
    s.minOnMs = m_burstEdits[3]->value();
    s.minOffMs = m_burstEdits[4]->value();
    return s;
}

QTableWidget* CMeasureWnd::ShownTable() const {
    return ShowsBursts() ? m_burstTable : m_table;
}

void CMeasureWnd::RefreshBursts() {
    if (!m_doc || IsReadingData()) return;
    m_bursts = MeasureBursts(*m_doc, m_doc->m_dataFilePath, BurstSettingsShown());
    BurstShading& shading = CurrentBurstShading();
    shading.doc = m_doc;
    for (int d = 0; d < CKaisekiDoc::kChannels; ++d) {
        BurstShade& shade = shading.channels[static_cast<std::size_t>(d)];
        shade = {};
        if (CHeadFilter* head = m_doc->Head(d))
            shade.outputCount = CModBase::ChainEnd(head)->m_outputCount;
    }
    m_burstTable->setRowCount(static_cast<int>(m_bursts.size()));
    for (int r = 0; r < static_cast<int>(m_bursts.size()); ++r) {
        const BurstRow& row = m_bursts[static_cast<std::size_t>(r)];
        shading.channels[static_cast<std::size_t>(row.channel - 1)].samples.emplace_back(
            row.values.first, row.values.last);
        std::vector<std::string> cells;
        for (int c = kFirstShownColumn; c < kBurstColumns; ++c)
            cells.push_back(BurstCell(row, c));
        FillRow(m_burstTable, r, cells, -1);
    }
    m_burstTable->resizeColumnsToContents();
}

void CMeasureWnd::UpdateShading() {
    BurstShading& shading = CurrentBurstShading();
    const bool active = isVisible() && ShowsBursts() && m_doc;
    if (shading.active == active && !active) return;
    shading.active = active;
    if (m_doc) m_doc->UpdateAllViews(this);
}

void CMeasureWnd::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    UpdateShading();
}

void CMeasureWnd::OnUpdate() {
    if (isVisible()) Refresh();
}

void CMeasureWnd::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Refresh();
    UpdateShading();
}

void CMeasureWnd::Refresh() {
    // While the data file is being read its columns are half filled; the update that follows the
    // reading measures them.
    if (!m_doc || IsReadingData()) return;
    const std::vector<MeasurementRow> rows = MeasureDocument(*m_doc, m_doc->m_dataFilePath);
    m_table->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        std::vector<std::string> cells;
        for (int c = 0; c < kShownColumns; ++c)
            cells.push_back(
                MeasurementCell(rows[static_cast<std::size_t>(r)], c + kFirstShownColumn));
        // Numbers right-aligned, the unit as text.
        FillRow(m_table, r, cells, 1);
    }
    m_table->resizeColumnsToContents();
    // The bursts cost another pull of every chain: only while their tab is shown.
    if (ShowsBursts()) RefreshBursts();
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
    const QTableWidget* table = ShownTable();
    QString text;
    for (int c = 0; c < table->columnCount(); ++c) {
        if (c) text += QLatin1Char('\t');
        text += table->horizontalHeaderItem(c)->text();
    }
    text += QLatin1Char('\n');
    for (int r = 0; r < table->rowCount(); ++r) {
        if (selectedOnly && !table->selectionModel()->isRowSelected(r, QModelIndex())) continue;
        for (int c = 0; c < table->columnCount(); ++c) {
            if (c) text += QLatin1Char('\t');
            if (const QTableWidgetItem* item = table->item(r, c)) text += item->text();
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
    if (ShowsBursts()) {
        AppendBurstHeader(text);
        if (m_doc)
            AppendBurstRows(text,
                            MeasureBursts(*m_doc, m_doc->m_dataFilePath, BurstSettingsShown()));
    } else {
        AppendMeasurementHeader(text);
        if (m_doc) AppendMeasurementRows(text, MeasureDocument(*m_doc, m_doc->m_dataFilePath));
    }
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
