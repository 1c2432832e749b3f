#pragma once

#include <chrono>

#include "runtime/Clock.h"

namespace lumadesk {

// The user's time zone, as far as the schedule needs it: how far local time is ahead of UTC at an
// instant (it changes with daylight saving time).
class LocalTimeZone {
public:
    virtual ~LocalTimeZone() = default;
    LocalTimeZone() = default;
    LocalTimeZone(const LocalTimeZone&) = delete;
    LocalTimeZone& operator=(const LocalTimeZone&) = delete;

    // Local time minus UTC at the instant.
    virtual std::chrono::seconds offsetAt(WallInstant instant) const = 0;
};

// The local wall-clock reading at an instant.
std::chrono::local_seconds localTime(const LocalTimeZone& zone, WallInstant instant);
// The instant at which the local clock reads the time. A time skipped when clocks go forward comes out
// as the same time after the change (02:30 becomes 03:30); of a time that occurs twice when clocks go
// back, the first is taken.
WallInstant instantOfLocalTime(const LocalTimeZone& zone, std::chrono::local_seconds time);

}  // namespace lumadesk
