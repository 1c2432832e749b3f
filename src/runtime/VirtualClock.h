#pragma once

#include <atomic>

#include "runtime/Clock.h"

namespace lumadesk {

// A clock that moves only when told to; safe to read and advance from any thread.
class VirtualClock final : public Clock {
public:
    // Wall time starts at 2026-01-01 00:00:00 UTC unless set otherwise.
    VirtualClock();

    MonotonicInstant monotonicNow() const override;
    WallInstant wallNow() const override;

    // Moves both readings forward by the duration (negative durations are ignored).
    void advance(Duration by);
    // Moves both readings forward so that the monotonic reading is at least the instant.
    void advanceTo(MonotonicInstant instant);
    // Sets the wall reading without touching the monotonic one.
    void setWallNow(WallInstant now);

private:
    std::atomic<Duration::rep> m_monotonic{0};
    std::atomic<Duration::rep> m_wallOffset;
};

}  // namespace lumadesk
