#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <set>
#include <span>

#include "platform/IOResult.h"
#include "platform/linux/DDCProblems.h"
#include "platform/linux/LinuxSystem.h"
#include "runtime/Sleeper.h"

namespace lumadesk {

// Transfers on /dev/i2c-N through i2c-dev. Each exchange opens the node, takes an exclusive flock on
// it (so that no other DDC/CI program's bytes interleave with ours on the bus, nor can it read the reply
// to our request), selects the chip with I2C_SLAVE, makes its writes and reads, and closes the node
// again: no bus stays open between exchanges. A lock held by another program is waited for up to a
// second, then the exchange gives up; a node whose lock was not had in time is tried once, without
// waiting, until it is had again, so that a program that never lets go cannot stall every retry.
// Results are 0 or the errno of the failing step; a short read or write is EIO. Safe to call from any
// thread; problems that stop DDC/CI are reported with their fix.
class I2CDevice {
public:
    // How long a lock held by another program is waited for, and how often it is tried meanwhile.
    static constexpr Duration lockPatience = std::chrono::seconds(1);
    static constexpr Duration lockRetryInterval = std::chrono::milliseconds(10);

    // One chip of a bus, selected under the node's lock, which is held until the exchange is destroyed.
    class Exchange {
    public:
        Exchange(LinuxSystem& system, int descriptor) : m_system(system), m_device(system, descriptor) {}

        // Writes all the bytes in one I2C write; EIO when fewer went out.
        IOResult write(std::span<const std::uint8_t> bytes);
        // Reads the whole buffer in one I2C read; EIO when fewer came in.
        IOResult read(std::span<std::uint8_t> buffer);
        int descriptor() const { return m_device.get(); }

    private:
        LinuxSystem& m_system;
        SystemDescriptor m_device;  // the lock goes with the descriptor when it is closed
    };

    I2CDevice(LinuxSystem& system, Sleeper& sleeper, DDCProblems& problems)
        : m_system(system), m_sleeper(sleeper), m_problems(problems) {}

    // Opens the node, locks it and selects the chip; null, with the errno in `result`, when a step fails.
    // The bus must have passed DisplayAdapterPolicy.
    std::unique_ptr<Exchange> openExchange(unsigned bus, std::uint8_t chipAddress, IOResult& result);

    // Writes the bytes to the chip, then, after the wait, reads the reply buffer from it, in one
    // exchange; either may be empty.
    IOResult transfer(unsigned bus, std::uint8_t chipAddress, std::span<const std::uint8_t> bytes,
                      Duration waitBeforeRead, std::span<std::uint8_t> reply);

    // The node of the bus: <dev>/i2c-<bus>.
    std::filesystem::path node(unsigned bus) const;

private:
    // Takes the exclusive lock, retrying while another program holds it; 0 or the errno.
    IOResult lock(int descriptor, const std::filesystem::path& node);
    // Selects the chip; a kernel driver bound at its address is reported.
    IOResult select(int descriptor, unsigned bus, std::uint8_t chipAddress);

    LinuxSystem& m_system;
    Sleeper& m_sleeper;
    DDCProblems& m_problems;
    std::mutex m_mutex;
    std::set<std::filesystem::path> m_heldTooLong;  // nodes whose lock was last not had; guarded by m_mutex
};

}  // namespace lumadesk
