#pragma once

#include <optional>

#include "platform/BuiltInBacklight.h"
#include "registry/DisplayManager.h"

namespace lumadesk {

// Gives the displays that follow the built-in screen its level whenever that changes, each through its
// own range, as a brightness key would. Levels the built-in screen had before are left alone.
class BuiltInScreenFollower {
public:
    // Everything held must outlive the follower.
    BuiltInScreenFollower(DisplayManager& manager, MainQueue& queue, BuiltInBacklight& backlight);

private:
    void follow();

    DisplayManager& m_manager;
    MainQueue& m_queue;
    BuiltInBacklight& m_backlight;
    std::optional<int> m_lastLevel;
    Subscription m_changes;
};

}  // namespace lumadesk
