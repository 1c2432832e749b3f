#include "runtime/VirtualClock.h"

namespace lumadesk {
namespace {
constexpr auto kDefaultWallStart = std::chrono::sys_days{std::chrono::year{2026} / 1 / 1};
}

VirtualClock::VirtualClock()
    : m_wallOffset(std::chrono::duration_cast<Duration>(kDefaultWallStart.time_since_epoch()).count()) {}

MonotonicInstant VirtualClock::monotonicNow() const { return MonotonicInstant(Duration(m_monotonic.load())); }

WallInstant VirtualClock::wallNow() const {
    return WallInstant(std::chrono::duration_cast<WallInstant::duration>(
        Duration(m_wallOffset.load() + m_monotonic.load())));
}

void VirtualClock::advance(Duration by) {
    if (by.count() > 0) m_monotonic.fetch_add(by.count());
}

void VirtualClock::advanceTo(MonotonicInstant instant) {
    auto target = instant.time_since_epoch().count();
    auto current = m_monotonic.load();
    while (current < target && !m_monotonic.compare_exchange_weak(current, target)) {
    }
}

void VirtualClock::setWallNow(WallInstant now) {
    m_wallOffset.store(std::chrono::duration_cast<Duration>(now.time_since_epoch()).count() - m_monotonic.load());
}

}  // namespace lumadesk
