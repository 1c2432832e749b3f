#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "platform/DisplayID.h"

namespace lumadesk {

// One online external display as the hardware layer sees it at one moment.
struct DisplaySnapshot {
    DisplayID displayID = 0;
    std::string hardwareID;  // unique among online displays ("-k" appended to duplicates)
    std::string modelName;   // unique among online displays (" (k)" appended to duplicates)
    std::uint32_t vendorID = 0;
    std::uint32_t productID = 0;
    std::optional<std::string> serialNumber;
    bool isBuiltin = false;
    bool supportsDDC = false;
    bool isOnline = true;

    friend bool operator==(const DisplaySnapshot&, const DisplaySnapshot&) = default;
};

// Displays this program holds off the desktop: hardware ID to the display ID that re-enables each.
using HeldDisplays = std::map<std::string, DisplayID>;

}  // namespace lumadesk
