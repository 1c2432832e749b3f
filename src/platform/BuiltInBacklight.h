#pragma once

#include <functional>
#include <optional>

#include "runtime/Signal.h"

namespace lumadesk {

// The backlight of the computer's built-in screen, as far as external monitors follow it.
class BuiltInBacklight {
public:
    virtual ~BuiltInBacklight() = default;
    BuiltInBacklight() = default;
    BuiltInBacklight(const BuiltInBacklight&) = delete;
    BuiltInBacklight& operator=(const BuiltInBacklight&) = delete;

    // Its level from 0 to 100; none when there is no built-in backlight or it cannot be read.
    virtual std::optional<int> level() const = 0;
    // Calls the callback on the main queue after the level may have changed.
    [[nodiscard]] virtual Subscription subscribeToChanges(std::function<void()> callback) = 0;
};

}  // namespace lumadesk
