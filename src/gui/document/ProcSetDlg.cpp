#include "gui/document/ProcSetDlg.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "document/ChannelChains.h"
#include "document/DataSettings.h"
#include "gui/display/SetupHistory.h"
#include "gui/document/ChAssignDlg.h"
#include "gui/document/DataFileDlg.h"
#include "gui/document/DataReading.h"
#include "gui/platform/DialogLayout.h"
#include "gui/platform/FileChooser.h"
#include "gui/platform/Translation.h"
#include "pipeline/ChainEdit.h"
#include "platform/Host.h"

namespace tavrel::qt {

namespace {
CProcSetDlg::ChainEditor& Editor() {
    static CProcSetDlg::ChainEditor editor;
    return editor;
}
}  // namespace

void CProcSetDlg::SetChainEditor(ChainEditor editor) {
    Editor() = std::move(editor);
}

CProcSetDlg::CProcSetDlg(CKaisekiDoc* doc, QWidget* parent) : QDialog(parent), m_doc(doc) {
    setWindowTitle(Tr("ProcSetDlg", "処理設定"));
    setModal(false);
    DialogUnits du;
    SizeDialog(this, du, 274, 300);

    auto* pathGroup = AddControl<QGroupBox>(this, du, 0, 19, 16, 237, 43,
                                            Tr("ProcSetDlg", "入力データファイルパス"));
    pathGroup->setObjectName(QStringLiteral("pathGroup"));
    auto* notice = AddControl<QLabel>(this, du, kRowsNotice, 24, 49, 226, 8);
    notice->setWordWrap(true);
    notice->hide();
    AddControl<QLineEdit>(this, du, kPathEdit, 24, 33, 170, 14);
    auto* browse =
        AddControl<QPushButton>(this, du, kBrowseButton, 195, 33, 15, 14, Tr("ProcSetDlg", "参照"));
    auto* apply =
        AddControl<QPushButton>(this, du, kApplyButton, 214, 33, 36, 14, Tr("ProcSetDlg", "決定"));
    AddControl<QGroupBox>(this, du, 0, 19, 67, 237, 218, Tr("ProcSetDlg", "CH設定"));
    auto* assign = AddControl<QPushButton>(this, du, kAssignButton, 71, 81, 50, 14,
                                           Tr("ProcSetDlg", "割当設定"));
    // An unticked channel's list is a copy of the one above it: said once, so that a change to
    // one channel that reaches the next ones comes as no surprise.
    AddControl<QLabel>(
        this, du, kChainHint, 24, 275, 226, 8,
        Tr("ProcSetDlg", "未チェックのCHは上の最も近いチェック付きCHの処理に従います"));
    connect(browse, &QPushButton::clicked, this, &CProcSetDlg::OnBrowse);
    connect(apply, &QPushButton::clicked, this, &CProcSetDlg::OnApply);
    connect(assign, &QPushButton::clicked, this, &CProcSetDlg::OnAssign);

    for (int k = 1; k <= CKaisekiDoc::kChannels; ++k) {
        int row = (k - 1) % 8;
        bool right = k > 8;
        QCheckBox* box;
        if (k == 1) {
            // Channel 1 always has its own list: its box cannot be changed, and its text stands
            // beside it.
            box = AddControl<QCheckBox>(this, du, CheckId(k), 29, 107, 9, 8);
            box->setEnabled(false);
            AddControl<QLabel>(this, du, 0, 40, 107, 20, 8, QStringLiteral("CH1"));
        } else {
            box = AddControl<QCheckBox>(this, du, CheckId(k), right ? 145 : 29, 107 + 22 * row, 36,
                                        10, QStringLiteral("CH%1").arg(k));
        }
        auto* settings = AddControl<QPushButton>(this, du, SettingsId(k), right ? 187 : 71,
                                                 105 + 22 * row, 50, 14, Tr("ProcSetDlg", "設定"));
        settings->setEnabled(k == 1);
        int channel = k - 1;
        connect(box, &QCheckBox::clicked, this,
                [this, channel](bool checked) { OnChannelCheck(channel, checked); });
        connect(settings, &QPushButton::clicked, this,
                [this, channel] { OnChannelSettings(channel); });
    }

    if (m_doc) m_doc->AddView(this);
    RefreshFromDocument();
}

CProcSetDlg::~CProcSetDlg() {
    if (m_doc) m_doc->RemoveView(this);
}

void CProcSetDlg::RefreshFromDocument() {
    if (!m_doc) return;
    for (int i = 0; i < CKaisekiDoc::kChannels; ++i) {
        bool enabled = i < static_cast<int>(m_doc->m_channelEnabled.size()) &&
                       m_doc->m_channelEnabled[static_cast<std::size_t>(i)] != 0;
        Control<QCheckBox>(this, CheckId(i + 1))->setChecked(enabled);
        Control(this, SettingsId(i + 1))->setEnabled(enabled);
    }
    Control<QLineEdit>(this, kPathEdit)->setText(QString::fromStdString(m_doc->m_dataFilePath));
    ShowRowsNotice(ReadingNotice(*m_doc));
}

void CProcSetDlg::ShowRowsNotice(const QString& text) {
    auto* notice = Control<QLabel>(this, kRowsNotice);
    notice->setText(text);
    notice->setVisible(!text.isEmpty());
    // The notice wraps within the path's box; what it needs beyond its one line moves the path
    // box's lower edge and everything below it down.
    const int lineHeight = notice->height() - m_noticeHeight;
    const int needed =
        text.isEmpty() ? 0 : std::max(0, notice->heightForWidth(notice->width()) - lineHeight);
    const int delta = needed - m_noticeHeight;
    if (delta == 0) return;
    m_noticeHeight = needed;
    auto* pathGroup = findChild<QGroupBox*>(QStringLiteral("pathGroup"));
    const int below = pathGroup->geometry().bottom();
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->y() > below) child->move(child->x(), child->y() + delta);
    }
    notice->resize(notice->width(), lineHeight + needed);
    pathGroup->resize(pathGroup->width(), pathGroup->height() + delta);
    setFixedSize(width(), height() + delta);
}

void CProcSetDlg::OnBrowse() {
    if (RefuseWhileReading()) return;
    FileQuestion question;
    // clang-format off
    question.filters = {Tr("ProcSetDlg", "データファイル (*.csv *.txt *.edf *.bdf *.gdf *.vhdr *.mat *.acq *.abf *.atf *.cfs *.cfwb *.scp *.mwf *.cnt *.smr)"),
                        QStringLiteral("All Files (*)")};
    // clang-format on
    QString path = ChooseFile(this, question).path;
    if (!path.isEmpty()) Control<QLineEdit>(this, kPathEdit)->setText(path);
}

void CProcSetDlg::OnApply() {
    if (!m_doc || RefuseWhileReading()) return;
    CDataFileDlg dialog(this);
    const std::string path = Control<QLineEdit>(this, kPathEdit)->text().toStdString();
    // An EDF or BDF recording fills in its own rate and unit.
    dialog.SetSettings(FillDataFileSettings(*m_doc, path));
    if (dialog.exec() != QDialog::Accepted) return;
    SetupStep step(m_doc, Tr("ProcSetDlg", "データ設定"));
    dialog.ApplyToDocument(*m_doc);
    m_doc->m_dataFilePath = path;
    m_doc->SetModifiedFlag();
    ReadDataFile(*m_doc);
    m_doc->UpdateAllViews();
}

void CProcSetDlg::OnAssign() {
    if (!m_doc || RefuseWhileReading()) return;
    SetupStep step(m_doc, Tr("ProcSetDlg", "チャネル割当"));
    CChAssignDlg dialog(this);
    dialog.m_doc = m_doc;
    if (dialog.exec() != QDialog::Accepted) return;
    m_doc->SetModifiedFlag();
    m_doc->UpdateAllViews();
}

void CProcSetDlg::OnChannelCheck(int channel, bool checked) {
    if (!m_doc || channel < 1 || channel >= CKaisekiDoc::kChannels ||
        m_doc->m_channelEnabled.size() < static_cast<std::size_t>(CKaisekiDoc::kChannels)) {
        return;
    }
    if (RefuseWhileReading()) {
        RefreshFromDocument();
        return;
    }
    Control(this, SettingsId(channel + 1))->setEnabled(checked);
    SetupStep step(m_doc, Tr("ProcSetDlg", "CH%1 の処理リストのコピー").arg(channel + 1));
    SetChannelEnabled(*m_doc, channel, checked);
}

void CProcSetDlg::OnChannelSettings(int channel) {
    if (!m_doc || channel < 0 || channel >= static_cast<int>(m_doc->m_chains.size())) return;
    if (RefuseWhileReading()) return;
    if (!Editor()) {
        GetHost().Beep();
        return;
    }
    // The editor's edits reach the document one by one as steps of their own; its copy is put
    // in place on OK only when it was not put there on the way.
    ChainEditSteps steps(m_doc, channel, Tr("ProcSetDlg", "CH%1 の処理リスト").arg(channel + 1));
    bool accepted = false;
    EditChannelChain(*m_doc, channel, [&](CHeadFilter* working) {
        steps.Attach(working);
        accepted = Editor()(this, working, channel);
        return accepted && !steps.Recorded();
    });
    steps.Finish(accepted);
}

void CProcSetDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
    hide();
}

void CProcSetDlg::reject() {
    hide();
}

}  // namespace tavrel::qt
