// Serves the user interface from inside a long computation that offers to at every step (the
// data file's reading offers at every line). Serving it costs about as much as reading a line, so
// a reading of a million lines spent seconds on it: it is served at most every interval instead,
// and a click (Cancel) is seen within that time. The first offer always serves it.
#pragma once

#include <QElapsedTimer>

namespace tavrel::qt {

class EventPump {
  public:
    // 15 ms: the window stays as responsive as a screen refresh shows.
    static constexpr int kDefaultIntervalMs = 15;

    // 0 serves the user interface at every offer.
    void SetInterval(int milliseconds) { m_interval = milliseconds; }
    // Processes the pending events if the interval has passed since they were last processed.
    void Offer();

  private:
    QElapsedTimer m_since;
    int m_interval = kDefaultIntervalMs;
    unsigned m_offers = 0;  // offers since the clock was last read
    unsigned m_stride = 1;  // offers from one reading of the clock to the next
};

}  // namespace tavrel::qt
