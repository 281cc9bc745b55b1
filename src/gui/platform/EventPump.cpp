#include "gui/platform/EventPump.h"

#include <QCoreApplication>

namespace tavrel::qt {

void EventPump::Offer() {
    // The clock is read only at every 64th offer: an offer costs next to nothing then.
    if (m_interval > 0 && m_since.isValid() &&
        ((++m_offers & 63U) != 0 || m_since.elapsed() < m_interval))
        return;
    m_since.start();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace tavrel::qt
