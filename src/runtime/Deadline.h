#pragma once

#include <algorithm>

#include "runtime/Clock.h"

namespace lumadesk {

// The instant by which a sequence of waits must be over (quitting must not hang on a window system
// that stopped answering), or none: then each wait keeps its own limit. Copies share the clock, which
// must outlive them.
class Deadline {
public:
    // No deadline.
    Deadline() = default;
    Deadline(const Clock& clock, MonotonicInstant at) : m_clock(&clock), m_at(at) {}
    // The deadline the limit from now.
    static Deadline after(const Clock& clock, Duration limit) {
        return {clock, clock.monotonicNow() + limit};
    }

    bool isSet() const { return m_clock != nullptr; }
    // What a wait whose own limit is `limit` may take: that limit, or the time left when it is less
    // (zero once the deadline has passed).
    Duration limit(Duration own) const {
        if (!m_clock) return own;
        return std::clamp(m_at - m_clock->monotonicNow(), Duration::zero(), own);
    }

private:
    const Clock* m_clock = nullptr;
    MonotonicInstant m_at{};
};

}  // namespace lumadesk
