// CProcSetDlg ("処理設定"): the modeless dialog in which the user sets up an analysis - the data
// file to read, which channels have a processing list of their own, each such channel's list, and
// which data column feeds which channel. Every change goes straight into the document; there is
// no OK or Cancel, and closing only hides it. It is attached to the document as a view, so every
// view update brings it in line with the document. The chains themselves are copied, put in
// place and propagated by the core (pipeline/ChainEdit.h).
#pragma once

#include <QDialog>
#include <functional>

#include "document/KaisekiDoc.h"

namespace tavrel::qt {

class CProcSetDlg : public QDialog, public DocView {
    Q_OBJECT
  public:
    static constexpr int kTemplateId = 102;
    static constexpr int kPathEdit = 1000;
    static constexpr int kBrowseButton = 1001;
    static constexpr int kApplyButton = 1034;
    static constexpr int kAssignButton = 1046;
    // Under the path: the notice of a data file cut at the row limit (hidden otherwise).
    static constexpr int kRowsNotice = 1100;
    // The line under the channel rows that says how an unticked channel gets its chain.
    static constexpr int kChainHint = 1101;
    // Screen channel k (1-16): check box 1000 + 2k, "設定" button 1001 + 2k.
    static constexpr int CheckId(int screenChannel) { return 1000 + 2 * screenChannel; }
    static constexpr int SettingsId(int screenChannel) { return 1001 + 2 * screenChannel; }

    // Runs the processing-list editor on a working chain for channel 0-15; true on OK. The
    // application plugs in the editor dialog; without one the "設定" buttons only beep.
    using ChainEditor = std::function<bool(QWidget* parent, CHeadFilter* working, int channel)>;
    static void SetChainEditor(ChainEditor editor);

    // Creates the dialog on the document, attaches it as a view and brings it in line.
    explicit CProcSetDlg(CKaisekiDoc* doc, QWidget* parent = nullptr);
    ~CProcSetDlg() override;

    // Check boxes and "設定" buttons follow the enabled flags; the path edit box shows the
    // document's path (text typed and not applied is replaced).
    void RefreshFromDocument();
    void OnUpdate() override { RefreshFromDocument(); }

    // The button and check-box handlers, in the program's terms.
    void OnBrowse();
    void OnApply();
    void OnAssign();
    void OnChannelCheck(int channel, bool checked);
    void OnChannelSettings(int channel);

    CKaisekiDoc* m_doc;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

  private:
    // Shows `text` under the path (none when empty); the dialog grows by the lines it takes.
    void ShowRowsNotice(const QString& text);

    int m_noticeHeight = 0;  // pixels the dialog has grown by for the notice
};

}  // namespace tavrel::qt
