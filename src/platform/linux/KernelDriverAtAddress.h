#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace lumadesk {

// What sysfs shows of a kernel driver bound to one chip address of an I2C bus: the module it comes
// from (or the driver's own name when it is built in) and the backlight devices it made, through which
// the display's brightness can be set instead.
struct KernelDriverAtAddress {
    std::string name;                     // empty when sysfs shows no driver there
    std::vector<std::string> backlights;  // names under /sys/class/backlight, sorted

    // Reads <sys>/bus/i2c/devices/<bus>-00<address>.
    static KernelDriverAtAddress find(const std::filesystem::path& sys, unsigned bus, std::uint8_t address);
};

}  // namespace lumadesk
