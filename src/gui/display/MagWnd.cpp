#include "gui/display/MagWnd.h"

#include <QCloseEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include "gui/display/MagView.h"
#include "gui/platform/Translation.h"

namespace tavrel::qt {

CMagWnd::CMagWnd(CKaisekiDoc* doc, QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint) {
    setWindowTitle(Tr("MagWnd", "拡大"));
    setObjectName(QStringLiteral("magnifier"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // The only pane, under the platform's first-pane id.
    m_view = new CMagView(doc, this);
    m_view->setObjectName(QStringLiteral("59648"));
    layout->addWidget(m_view);
}

void CMagWnd::Hide() {
    hide();
}

void CMagWnd::SetFrameGeometry(const QRect& rect) {
    m_frameRect = rect;
    // Creating the platform window tells the frame's margins where the platform knows them
    // before the window is shown.
    winId();
    PlaceFrame();
}

void CMagWnd::PlaceFrame() {
    const QMargins margins = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    m_placed = m_frameRect.marginsRemoved(margins);
    setGeometry(m_placed);
}

void CMagWnd::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_frameRect.isNull()) return;
    // Shown, the window has its frame on every platform: place it once more if the frame
    // turned out different and the window is still where it was put.
    QTimer::singleShot(0, this, [this] {
        if (m_frameRect.isNull()) return;
        if (geometry() == m_placed && frameGeometry() != m_frameRect) PlaceFrame();
        m_frameRect = QRect();
    });
}

void CMagWnd::closeEvent(QCloseEvent* event) {
    // The close box and Alt+F4 only hide the magnifier; it lives as long as the main frame.
    event->ignore();
    Hide();
}

}  // namespace tavrel::qt
