#pragma once

#include <cstdint>
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

}  // namespace lumadesk
