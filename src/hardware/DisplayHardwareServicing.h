#pragma once

#include <vector>

#include "hardware/DisplaySnapshot.h"
#include "platform/DisplayID.h"

namespace lumadesk {

// Everything the program does to real displays. Failures are thrown as DisplayHardwareError.
class DisplayHardwareServicing {
public:
    virtual ~DisplayHardwareServicing() = default;
    DisplayHardwareServicing() = default;
    DisplayHardwareServicing(const DisplayHardwareServicing&) = delete;
    DisplayHardwareServicing& operator=(const DisplayHardwareServicing&) = delete;

    // The online external displays with their DDC capability, duplicates numbered around the held
    // displays that are off; never fails.
    virtual std::vector<DisplaySnapshot> snapshots(const HeldDisplays& held) = 0;
    // Whether the display has a DDC channel; never fails.
    virtual bool supportsDDC(DisplayID displayID) = 0;
    // The display's luminance (VCP 0x10) as the monitor reports it, unscaled.
    virtual int readBrightness(DisplayID displayID) = 0;
    // Writes the level, clamped to 0...100, as the luminance; blocks until the write is done.
    virtual void setBrightness(int level, DisplayID displayID) = 0;
    // Puts the monitor into power-saving sleep (VCP 0xD6 = 4).
    virtual void sleepDisplay(DisplayID displayID) = 0;
    // Enables or disables the display on the desktop.
    virtual void setDisplay(DisplayID displayID, bool enabled) = 0;
};

}  // namespace lumadesk
