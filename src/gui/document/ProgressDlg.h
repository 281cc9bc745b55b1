// CProgressDlg ("処理中"): the small window with a progress bar and a Cancel button that the data
// file reader keeps on screen while it runs on the user-interface thread. The reader drives the
// bar (in batches of one hundredth of the range) and lets the window handle its messages between
// lines. While it is shown, input to the program's other windows is held off, so no command can
// change the document in the middle of a read.
#pragma once

#include <QDialog>
#include <memory>

#include "gui/platform/EventPump.h"
#include "pipeline/ProgressCounter.h"
#include "platform/Host.h"

class QProgressBar;

namespace tavrel::qt {

class CProgressDlg : public QDialog, public Progress {
    Q_OBJECT
  public:
    static constexpr int kTemplateId = 121;
    static constexpr int kProgressBar = 1045;

    // Created hidden, centred on its parent; the caller shows it.
    explicit CProgressDlg(QWidget* parent = nullptr);
    ~CProgressDlg() override;
    // The next SetRange shows the window, so it is never seen without its range.
    void ShowOnRange() { m_showOnRange = true; }

    void SetRange(int low, int high) override;
    void Step(int amount) override;
    // Handles what is waiting for the user interface, without waiting for more, at most every
    // EventPump interval; nonzero once the user has cancelled.
    int PumpMessages() override;
    // The interval of PumpMessages (0: it handles the waiting events at every call).
    void SetPumpInterval(int milliseconds) { m_pump.SetInterval(milliseconds); }

    // Cancel (the button and the cancel key): remembered for good, and the window is hidden.
    void reject() override;

    const ProgressCounter& Counter() const { return m_counter; }
    QProgressBar* Bar() const { return m_bar; }

  private:
    ProgressCounter m_counter;
    QProgressBar* m_bar;
    bool m_showOnRange = false;
    EventPump m_pump;
};

// The progress window for the Qt host: created hidden on `parent`, shown once it has its range.
std::unique_ptr<Progress> CreateProgressWindow(QWidget* parent);

}  // namespace tavrel::qt
