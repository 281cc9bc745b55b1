#include "gui/display/MagWnd.h"

#include <QCloseEvent>
#include <QVBoxLayout>

#include "gui/display/MagView.h"

namespace tavrel::qt {

CMagWnd::CMagWnd(CKaisekiDoc* doc, QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("拡大"));
    setObjectName(QStringLiteral("magnifier"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // The only pane, under the platform's first-pane id.
    m_view = new CMagView(doc, this);
    m_view->setObjectName(QStringLiteral("59648"));
    layout->addWidget(m_view);
}

void CMagWnd::Hide() { hide(); }

void CMagWnd::closeEvent(QCloseEvent* event) {
    // The close box and Alt+F4 only hide the magnifier; it lives as long as the main frame.
    event->ignore();
    Hide();
}

}  // namespace tavrel::qt
