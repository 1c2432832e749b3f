#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

#include "platform/IOResult.h"
#include "platform/linux/DDCProblems.h"
#include "platform/linux/LinuxSystem.h"
#include "runtime/Sleeper.h"

namespace lumadesk {

// Transfers on /dev/i2c-N through i2c-dev. Each transfer opens the node, takes an exclusive flock on
// it (so that no other DDC/CI program's bytes interleave with ours on the bus), selects the chip with
// I2C_SLAVE, makes one write and/or one read, and closes the node again: no bus stays open between
// transfers. A lock held by another program is waited for up to a second, then the transfer gives up.
// Results are 0 or the errno of the failing step; a short read or write is EIO. Safe to call from any
// thread; problems that stop DDC/CI are reported with their fix.
class I2CDevice {
public:
    // How long a lock held by another program is waited for, and how often it is tried meanwhile.
    static constexpr Duration lockPatience = std::chrono::seconds(1);
    static constexpr Duration lockRetryInterval = std::chrono::milliseconds(10);

    I2CDevice(LinuxSystem& system, Sleeper& sleeper, DDCProblems& problems)
        : m_system(system), m_sleeper(sleeper), m_problems(problems) {}

    // Writes the bytes to the chip, then, after the wait, reads the reply buffer from it; either may be
    // empty. The bus must have passed DisplayAdapterPolicy.
    IOResult transfer(unsigned bus, std::uint8_t chipAddress, std::span<const std::uint8_t> bytes,
                      Duration waitBeforeRead, std::span<std::uint8_t> reply);

    // The node of the bus: <dev>/i2c-<bus>.
    std::filesystem::path node(unsigned bus) const;

private:
    // Takes the exclusive lock, retrying while another program holds it; 0 or the errno.
    IOResult lock(int descriptor, const std::filesystem::path& node);

    LinuxSystem& m_system;
    Sleeper& m_sleeper;
    DDCProblems& m_problems;
};

}  // namespace lumadesk
