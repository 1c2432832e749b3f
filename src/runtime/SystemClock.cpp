#include "runtime/SystemClock.h"

#include <time.h>

namespace lumadesk {

MonotonicInstant SystemClock::monotonicNow() const {
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return MonotonicInstant(std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec));
}

WallInstant SystemClock::wallNow() const { return std::chrono::system_clock::now(); }

}  // namespace lumadesk
