#include "runtime/VirtualSleeper.h"

#include <numeric>

namespace lumadesk {

void VirtualSleeper::sleep(Duration duration) {
    {
        std::lock_guard lock(m_mutex);
        m_sleeps.push_back(duration);
    }
    m_clock.advance(duration);
}

std::vector<Duration> VirtualSleeper::sleeps() const {
    std::lock_guard lock(m_mutex);
    return m_sleeps;
}

Duration VirtualSleeper::total() const {
    std::lock_guard lock(m_mutex);
    return std::accumulate(m_sleeps.begin(), m_sleeps.end(), Duration::zero());
}

void VirtualSleeper::clear() {
    std::lock_guard lock(m_mutex);
    m_sleeps.clear();
}

}  // namespace lumadesk
