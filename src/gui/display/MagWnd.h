// CMagWnd: the magnifier, a resizable tool window titled "拡大" owned by the main frame. Its only
// pane is a CMagView. Closing it only hides it, so it keeps its view, place and size.
#pragma once

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
    // Hides the window; view, fields, position and size remain.
    virtual void Hide();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    CMagView* m_view = nullptr;
};

}  // namespace tavrel::qt
