#include "pipeline/ProgressCounter.h"

#include <cstdint>

#include "platform/Rounding.h"

namespace tavrel {

void ProgressCounter::SetRange(int low, int high) {
    m_low = low;
    m_high = high;
    m_position = 0;
    m_pending = 0;
    // 64-bit difference: the full int range would overflow an int subtraction.
    m_threshold =
        SaturateToInt((static_cast<std::int64_t>(high) - static_cast<std::int64_t>(low)) / 100);
}

bool ProgressCounter::Step(int amount) {
    m_pending = SaturateToInt(static_cast<std::int64_t>(m_pending) + amount);
    if (m_pending <= m_threshold) return false;
    m_position = SaturateToInt(static_cast<std::int64_t>(m_position) + m_pending);
    m_pending = 0;
    return true;
}

}  // namespace tavrel
