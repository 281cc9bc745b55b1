// COptionsDlg: "オプション", the program's own settings, kept per user in the settings store and
// never in the document: the row limit of the data-file reader, the display language and the
// number of threads the chains are computed on. The
// dialog stacks one group per
// subject in its left column, so later settings add a group below the last.
#pragma once

#include <QDialog>

#include "document/KaisekiDoc.h"
#include "gui/platform/Translation.h"

namespace tavrel::qt {

// The user's options as stored.
struct UserOptions {
    static constexpr int kDefaultMaxRows = CKaisekiDoc::kMaxRows;
    static constexpr int kLowestMaxRows = CKaisekiDoc::kMaxRows;
    static constexpr int kHighestMaxRows = 100000000;

    int maxRows = kDefaultMaxRows;           // "データの最大行数"
    bool noRowLimit = false;                 // "制限しない"
    Language language = Language::Japanese;  // "表示言語", used from the next start
    int threads = 0;                         // "計算スレッド数": 0 = the processor's count
    static constexpr int kHighestThreads = 1024;

    // The cap the data-file reader is given: 0 for no cap.
    int RowLimit() const { return noRowLimit ? 0 : maxRows; }

    // From and to the per-user settings store; a stored value out of range reads as the default.
    static UserOptions Load();
    void Save() const;
};

class COptionsDlg : public QDialog {
    Q_OBJECT
  public:
    enum ControlId : int {
        kMaxRowsEdit = 1000,
        kNoLimitCheck = 1001,
        kLanguageList = 1002,
        kLanguageNote = 1003,
        kLanguageOverride = 1004,
        kThreadsEdit = 1005,
    };

    explicit COptionsDlg(QWidget* parent = nullptr);

    // Opens with `m_options` and, on OK, leaves the accepted values there.
    int exec() override;
    void accept() override;

    UserOptions m_options;

  private:
    void OnNoLimitChanged();
};

}  // namespace tavrel::qt
