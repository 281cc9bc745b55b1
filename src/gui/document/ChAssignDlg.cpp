#include "gui/document/ChAssignDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>

#include "document/KaisekiDoc.h"
#include "gui/platform/DialogLayout.h"
#include "gui/platform/Translation.h"

namespace tavrel::qt {

CChAssignDlg::CChAssignDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(Tr("ChAssignDlg", "CH割当設定"));
    DialogUnits du;
    SizeDialog(this, du, 263, 271);

    auto* ok = AddControl<QPushButton>(this, du, 1, 206, 7, 50, 14, QStringLiteral("OK"));
    ok->setDefault(true);
    auto* cancel =
        AddControl<QPushButton>(this, du, 2, 206, 24, 50, 14, Tr("ChAssignDlg", "ｷｬﾝｾﾙ"));
    connect(ok, &QPushButton::clicked, this, &CChAssignDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CChAssignDlg::reject);

    AddControl<QGroupBox>(this, du, 0, 14, 42, 234, 213, Tr("ChAssignDlg", "CH割当"));
    for (int channel = 1; channel <= CKaisekiDoc::kChannels; ++channel) {
        int row = (channel - 1) % 8;
        bool right = channel > 8;
        int y = 59 + 24 * row;
        AddControl<QCheckBox>(this, du, CheckId(channel), right ? 145 : 24, y, 29, 12,
                              QStringLiteral("CH%1").arg(channel));
        auto* list = AddControl<QComboBox>(this, du, ListId(channel), right ? 190 : 69, y, 48, 12);
        list->setEditable(false);
    }
}

void CChAssignDlg::OnInitDialog() {
    for (int i = 0; i < CKaisekiDoc::kChannels; ++i) {
        auto* list = Control<QComboBox>(this, ListId(i + 1));
        list->clear();
        for (int item = 1; item <= CKaisekiDoc::kChannels; ++item)
            list->addItem(QString::number(item));
        int source = CKaisekiDoc::kNoSource;
        if (m_doc && i < static_cast<int>(m_doc->m_channelSource.size())) {
            source = m_doc->m_channelSource[static_cast<std::size_t>(i)];
        }
        bool hasSource = source <= 15;
        list->setCurrentIndex(hasSource ? source : i);
        Control<QCheckBox>(this, CheckId(i + 1))->setChecked(hasSource);
    }
}

int CChAssignDlg::exec() {
    OnInitDialog();
    return QDialog::exec();
}

void CChAssignDlg::accept() {
    if (m_doc) {
        if (m_doc->m_channelSource.size() < static_cast<std::size_t>(CKaisekiDoc::kChannels)) {
            m_doc->m_channelSource.resize(CKaisekiDoc::kChannels, CKaisekiDoc::kNoSource);
        }
        for (int i = 0; i < CKaisekiDoc::kChannels; ++i) {
            std::uint8_t source = CKaisekiDoc::kNoSource;
            if (Control<QCheckBox>(this, CheckId(i + 1))->isChecked()) {
                int index = Control<QComboBox>(this, ListId(i + 1))->currentIndex();
                // No selection (-1) becomes 255, as a byte.
                source = static_cast<std::uint8_t>(index);
            }
            m_doc->m_channelSource[static_cast<std::size_t>(i)] = source;
        }
    }
    QDialog::accept();
}

}  // namespace tavrel::qt
