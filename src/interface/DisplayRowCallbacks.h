#pragma once

#include <functional>
#include <optional>
#include <string>

#include "interface/logic/ConnectionSwitchState.h"
#include "runtime/Task.h"

namespace lumadesk {

class DisplayManager;

// What a display row asks of its owner, each bound to the display the row shows.
struct DisplayRowCallbacks {
    // Store a new custom name.
    std::function<void(std::optional<std::string> name)> onRename;
    // Connect or disconnect; yields the error message, none on success.
    ConnectionSwitchState::Toggle onToggleConnection;
    // Set the brightness to a level 0...100; the task ends when the write has been made or has failed.
    std::function<Task<void>(int level)> onBrightnessChange;
};

// A row's callbacks as the manager's operations on one display. Rows that do not offer renaming (the
// popover's) get a rename that does nothing.
enum class RowRenaming { offered, notOffered };
DisplayRowCallbacks managerRowCallbacks(DisplayManager& manager, std::string hardwareID,
                                        RowRenaming renaming);

}  // namespace lumadesk
