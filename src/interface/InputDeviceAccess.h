#pragma once

#include <filesystem>

#include "interface/logic/KeyboardPermissions.h"

namespace lumadesk {

// The keyboard grants as this desktop has them. Nothing like an accessibility trust guards key capture
// here, so that grant always holds; reading keys from input devices needs read access to at least one
// event device (membership of the "input" group, or a udev rule), which no program can ask the system
// for: the requests only read the grants again.
class InputDeviceAccess {
public:
    static constexpr const char* inputDirectory = "/dev/input";

    // Whether one of the event devices ("event*") in `directory` can be read by this process.
    static bool canReadEventDevices(const std::filesystem::path& directory);
    // The permission model over this desktop's operations.
    static KeyboardPermissionModel::Operations operations();
};

}  // namespace lumadesk
