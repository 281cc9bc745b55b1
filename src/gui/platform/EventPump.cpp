#include "gui/platform/EventPump.h"

#include <QCoreApplication>
#include <algorithm>

namespace tavrel::qt {

void EventPump::Offer() {
    if (m_interval > 0 && m_since.isValid()) {
        // The clock is read at every offer at first, and at every second, fourth ... 64th
        // offer while the interval has not passed at the readings: offers that come at every
        // line then cost next to nothing, and those that come every few milliseconds (a block
        // of a recording) are still served within about twice the interval.
        if (++m_offers < m_stride) return;
        m_offers = 0;
        if (m_since.elapsed() < m_interval) {
            m_stride = std::min(m_stride * 2, 64U);
            return;
        }
        m_stride = std::max(m_stride / 2, 1U);
    }
    m_since.start();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace tavrel::qt
