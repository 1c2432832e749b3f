#pragma once

#include <string>

#include "registry/Display.h"

namespace lumadesk::testing {

// A present, connected display that speaks DDC, at the given level.
inline Display controllableDisplay(std::string hardwareID, int brightness, int sortOrder = 0) {
    Display display;
    display.id = 100 + static_cast<DisplayID>(sortOrder);
    display.hardwareID = std::move(hardwareID);
    display.modelName = "Model " + display.hardwareID;
    display.brightness = brightness;
    display.supportsDDC = true;
    display.sortOrder = sortOrder;
    return display;
}

}  // namespace lumadesk::testing
