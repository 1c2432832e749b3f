#pragma once

#include <functional>

#include "runtime/Signal.h"

namespace lumadesk {

// Tells when the computer has woken up from suspend (on Linux: logind's PrepareForSleep(false) on the
// system bus).
class WakeSignaling {
public:
    virtual ~WakeSignaling() = default;
    WakeSignaling() = default;
    WakeSignaling(const WakeSignaling&) = delete;
    WakeSignaling& operator=(const WakeSignaling&) = delete;

    // Calls the callback on the main queue each time the computer has woken up.
    [[nodiscard]] virtual Subscription subscribeToWake(std::function<void()> callback) = 0;
};

}  // namespace lumadesk
