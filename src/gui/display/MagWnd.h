// CMagWnd: the magnifier, a resizable tool window titled "拡大" owned by the main frame. Its only
// pane is a CMagView. Closing it only hides it, so it keeps its view, place and size.
#pragma once

#include <QRect>
#include <QWidget>

#include "document/KaisekiDoc.h"

namespace tavrel::qt {

class CMagView;

class CMagWnd : public QWidget {
    Q_OBJECT

  public:
    // A free-floating tool window owned by `owner`, showing a view of `doc`.
    CMagWnd(CKaisekiDoc* doc, QWidget* owner);

    CMagView* View() const { return m_view; }
    // Places the window so that its whole rectangle, frame and caption included, is `rect`.
    // A platform that tells the frame's size only once the window is shown has it corrected
    // then, unless the user has moved or resized the window meanwhile.
    void SetFrameGeometry(const QRect& rect);
    // Hides the window; view, fields, position and size remain.
    virtual void Hide();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void PlaceFrame();

    CMagView* m_view = nullptr;
    QRect m_frameRect;  // the window rectangle to meet until first shown; null afterwards
    QRect m_placed;     // the client rectangle it was given for it
};

}  // namespace tavrel::qt
