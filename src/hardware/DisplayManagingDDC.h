#pragma once

#include <functional>
#include <vector>

#include "hardware/DisplaySnapshot.h"
#include "platform/DisplayID.h"
#include "runtime/Task.h"

namespace lumadesk {

// What the display manager needs of the hardware: the display list, brightness, sleep and connection.
// Failures are thrown as DisplayHardwareError.
class DisplayManagingDDC {
public:
    virtual ~DisplayManagingDDC() = default;
    DisplayManagingDDC() = default;
    DisplayManagingDDC(const DisplayManagingDDC&) = delete;
    DisplayManagingDDC& operator=(const DisplayManagingDDC&) = delete;

    // The online external displays; never throws, empty when there are none. While a held display is
    // off, its identical twins keep their numbers (see DuplicateDisplayNumbering).
    virtual std::vector<DisplaySnapshot> snapshots(const HeldDisplays& held) = 0;
    // Reads the brightness (VCP 0x10) of the display, blocking the caller.
    virtual int readBrightness(DisplayID displayID) = 0;
    // Writes the brightness level, paced per display; completes when the write has run.
    virtual Task<void> setBrightness(int level, DisplayID displayID) = 0;
    // Writes, paced like setBrightness, the level newestLevel answers when the write's turn comes, so that
    // a level asked for while the write waits is the one written; completes with the level written.
    // Without pacing of its own, an implementation may ask at once.
    virtual Task<int> setNewestBrightness(std::function<int()> newestLevel, DisplayID displayID) {
        return writeAtOnce(*this, newestLevel(), displayID);
    }
    // Puts the monitor into standby; not paced.
    virtual void sleepDisplay(DisplayID displayID) = 0;
    // Enables (reconnects) or disables (disconnects) the display in the window server.
    virtual void setDisplay(DisplayID displayID, bool enabled) = 0;

private:
    static Task<int> writeAtOnce(DisplayManagingDDC& ddc, int level, DisplayID displayID) {
        co_await ddc.setBrightness(level, displayID);
        co_return level;
    }
};

}  // namespace lumadesk
