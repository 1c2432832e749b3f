#pragma once

#include <functional>
#include <optional>
#include <string>

#include "interface/logic/ConnectionSwitchState.h"

namespace lumadesk {

// What a display row asks of its owner, each bound to the display the row shows.
struct DisplayRowCallbacks {
    // Store a new custom name.
    std::function<void(std::optional<std::string> name)> onRename;
    // Connect or disconnect; yields the error message, none on success.
    ConnectionSwitchState::Toggle onToggleConnection;
    // Set the brightness to a level 0...100.
    std::function<void(int level)> onBrightnessChange;
};

}  // namespace lumadesk
