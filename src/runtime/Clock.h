#pragma once

#include <chrono>

namespace lumadesk {

using Duration = std::chrono::nanoseconds;
// An instant on a clock that keeps counting while the machine sleeps; only differences mean anything.
using MonotonicInstant = std::chrono::time_point<std::chrono::steady_clock, Duration>;
using WallInstant = std::chrono::system_clock::time_point;

// Source of the current time; intervals use the monotonic reading, stored timestamps the wall reading.
class Clock {
public:
    virtual ~Clock() = default;
    Clock() = default;
    Clock(const Clock&) = delete;
    Clock& operator=(const Clock&) = delete;

    // The current monotonic instant (counts through system sleep).
    virtual MonotonicInstant monotonicNow() const = 0;
    // The current wall-clock time.
    virtual WallInstant wallNow() const = 0;
};

}  // namespace lumadesk
