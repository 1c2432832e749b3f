#pragma once

#include <string_view>

#include "platform/DisplayID.h"

namespace lumadesk {

// A stable stand-in ID for a display that is not online: FNV-1a (32 bit) of the hardware ID's
// UTF-8 bytes, never 0 (0 would read as "no display" to the window server).
DisplayID syntheticDisplayID(std::string_view hardwareID);

}  // namespace lumadesk
