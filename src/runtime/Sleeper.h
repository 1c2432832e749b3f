#pragma once

#include "runtime/Clock.h"

namespace lumadesk {

// Blocking sleeps of the calling thread, as the DDC/CI transports need between I2C steps.
class Sleeper {
public:
    virtual ~Sleeper() = default;
    Sleeper() = default;
    Sleeper(const Sleeper&) = delete;
    Sleeper& operator=(const Sleeper&) = delete;

    // Blocks the calling thread for at least the duration.
    virtual void sleep(Duration duration) = 0;
};

// Sleeps for real.
class SystemSleeper final : public Sleeper {
public:
    void sleep(Duration duration) override;
};

}  // namespace lumadesk
