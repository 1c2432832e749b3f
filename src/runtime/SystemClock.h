#pragma once

#include "runtime/Clock.h"

namespace lumadesk {

// The machine's clocks: CLOCK_BOOTTIME for intervals, the system clock for timestamps.
class SystemClock final : public Clock {
public:
    MonotonicInstant monotonicNow() const override;
    WallInstant wallNow() const override;
};

}  // namespace lumadesk
