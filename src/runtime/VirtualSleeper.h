#pragma once

#include <mutex>
#include <vector>

#include "runtime/Sleeper.h"
#include "runtime/VirtualClock.h"

namespace lumadesk {

// A sleeper that returns at once, advancing a virtual clock and recording every sleep.
class VirtualSleeper final : public Sleeper {
public:
    explicit VirtualSleeper(VirtualClock& clock) : m_clock(clock) {}

    void sleep(Duration duration) override;

    // The sleeps made so far, in order.
    std::vector<Duration> sleeps() const;
    // The sum of all sleeps made so far.
    Duration total() const;
    void clear();

private:
    VirtualClock& m_clock;
    mutable std::mutex m_mutex;
    std::vector<Duration> m_sleeps;
};

}  // namespace lumadesk
