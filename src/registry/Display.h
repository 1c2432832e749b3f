#pragma once

#include <optional>
#include <string>

#include "platform/DisplayID.h"
#include "registry/BrightnessRange.h"

namespace lumadesk {

// One row of the display list: an online display, or one remembered from the stored records.
struct Display {
    DisplayID id = 0;  // current display ID; a synthetic one for a display that is not online
    std::string hardwareID{};
    std::string modelName{};
    std::optional<std::string> customName{};  // never blank when present
    int brightness = 0;                       // 0...100; 0 also means "unknown"
    bool isConnected = true;                  // enabled in the window server, not disconnected by us
    bool isPresent = true;                    // seen in the last snapshot
    bool supportsDDC = false;
    int sortOrder = 0;  // position in the user's order
    // The monitor's part of the scale that brightness spans; none: the whole scale.
    std::optional<BrightnessRange> brightnessRange{};
    bool followsBuiltInScreen = false;  // takes the built-in screen's level when that one changes

    // Whether brightness can be written to it: on the desktop, online and answering DDC/CI.
    bool drivesBrightness() const { return isConnected && isPresent && supportsDDC; }

    // The name shown everywhere: the user's name when there is one, else the model name.
    const std::string& displayName() const { return customName ? *customName : modelName; }

    friend bool operator==(const Display&, const Display&) = default;
};

}  // namespace lumadesk
