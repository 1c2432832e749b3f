#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/linux/DisplayAdapterPolicy.h"
#include "platform/linux/DrmConnector.h"
#include "platform/linux/I2CDevice.h"

namespace lumadesk {

// A connector with the DDC bus found for it.
struct LinuxDisplay {
    DrmConnector connector;
    // None for built-in panels, disconnected connectors, MST branches without a bus of their own and
    // connectors whose bus is not a display bus.
    std::optional<unsigned> ddcBus;
};

// What the Linux seams know about the displays, read from DRM sysfs. Each rescan lists the connectors
// and finds every connected external connector's DDC bus: the bus the driver links to the connector;
// on a card whose driver links none (some proprietary drivers), the display bus whose EDID at 0x50
// equals the connector's. Built-in panels' buses and non-display adapters are never opened. Problems
// that keep DDC/CI from every monitor are reported. Safe to use from any thread.
class LinuxDisplayDirectory {
public:
    LinuxDisplayDirectory(LinuxSystem& system, I2CDevice& device, DDCProblems& problems);

    // Reads sysfs afresh and keeps the result; the connectors in unit order.
    std::vector<LinuxDisplay> rescan();
    // The connectors of the last rescan (rescanning first if there was none).
    std::vector<LinuxDisplay> displays();
    // The connector with this id or unit in the last rescan.
    std::optional<LinuxDisplay> display(DisplayID displayID);
    std::optional<LinuxDisplay> displayWithUnit(std::uint32_t unit);

private:
    std::vector<LinuxDisplay> scan();
    // Finds buses for the connected external connectors of cards that link none, by EDID.
    void matchByEDID(std::vector<LinuxDisplay>& displays);
    void reportProblems(const std::vector<LinuxDisplay>& displays);

    LinuxSystem& m_system;
    I2CDevice& m_device;
    DDCProblems& m_problems;
    DisplayAdapterPolicy m_policy;
    std::mutex m_mutex;
    std::optional<std::vector<LinuxDisplay>> m_displays;  // guarded by m_mutex
};

}  // namespace lumadesk
