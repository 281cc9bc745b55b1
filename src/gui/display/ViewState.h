// What the graph views and the magnifier share beyond the document: the two measuring cursors and
// the view options of the 表示 menu ("ウィンドウ幅に合わせる", "データのないチャネルを隠す",
// "イベントを表示"). The cursors belong to the views, not to the document: they are neither saved
// nor printed. The options are the user's and live in the per-user settings; the first two are
// off by default, the recording's events are shown.
#pragma once

#include <QObject>

namespace tavrel::qt {

// A measuring cursor: a time on the channel it was placed on.
struct ViewCursor {
    bool set = false;
    int channel = 0;
    double ms = 0.0;
};

class ViewState : public QObject {
    Q_OBJECT

  public:
    enum Which { A = 0, B = 1 };

    explicit ViewState(QObject* parent = nullptr);

    const ViewCursor& Cursor(int which) const { return m_cursors[which == B ? 1 : 0]; }
    bool BothCursorsSet() const { return m_cursors[0].set && m_cursors[1].set; }
    bool AnyCursorSet() const { return m_cursors[0].set || m_cursors[1].set; }
    void SetCursor(int which, int channel, double ms);
    void ClearCursors();

    bool FitWidth() const { return m_fitWidth; }
    bool HideEmpty() const { return m_hideEmpty; }
    bool ShowEvents() const { return m_showEvents; }
    // Change an option and store it in the per-user settings.
    void SetFitWidth(bool on);
    void SetHideEmpty(bool on);
    void SetShowEvents(bool on);
    // Reads the options from the per-user settings.
    void Load();

  signals:
    void cursorsChanged();
    void optionsChanged();

  private:
    ViewCursor m_cursors[2];
    bool m_fitWidth = false;
    bool m_hideEmpty = false;
    bool m_showEvents = true;
};

}  // namespace tavrel::qt
