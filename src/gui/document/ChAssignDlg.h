// CChAssignDlg ("CH割当設定"): which data column of the data file feeds which channel, and which
// channels get no data at all. Edits the document's m_channelSource; run modally by the
// processing-settings dialog's "割当設定" button.
#pragma once

#include <QDialog>

namespace tavrel {
class CKaisekiDoc;
}

namespace tavrel::qt {

class CChAssignDlg : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kTemplateId = 132;
    // Channel k (1-16) has check box 1001 + k and drop-down list 1034 + k.
    static constexpr int CheckId(int channel) { return 1001 + channel; }
    static constexpr int ListId(int channel) { return 1034 + channel; }

    explicit CChAssignDlg(QWidget* parent = nullptr);

    // Opening: every list holds "1" ... "16"; a channel with a source selects that column and is
    // checked, a channel without one selects its own number and is cleared.
    void OnInitDialog();
    // Runs the dialog modally on m_doc; on OK m_channelSource has been rewritten.
    int exec() override;
    // OK: checked channels take the selected column, cleared ones 255.
    void accept() override;

    CKaisekiDoc* m_doc = nullptr;
};

}  // namespace tavrel::qt
