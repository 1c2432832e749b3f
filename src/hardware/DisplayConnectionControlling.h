#pragma once

#include "platform/DisplayID.h"

namespace lumadesk {

// Takes displays off the desktop and puts them back, until the user logs out.
class DisplayConnectionControlling {
public:
    virtual ~DisplayConnectionControlling() = default;
    DisplayConnectionControlling() = default;
    DisplayConnectionControlling(const DisplayConnectionControlling&) = delete;
    DisplayConnectionControlling& operator=(const DisplayConnectionControlling&) = delete;

    // Enables (reconnects) or disables (disconnects) the display; throws the configuration errors.
    virtual void setDisplay(DisplayID displayID, bool enabled) = 0;
};

}  // namespace lumadesk
