#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/DisplayRegistry.h"
#include "platform/simulated/SimulatedMonitor.h"

namespace lumadesk {

// One simulated framebuffer: the registry service of a display unit with its I2C buses, one of which
// leads to the monitor.
struct SimulatedFramebufferConfig {
    std::uint32_t unitNumber = 0;
    std::uint32_t busCount = 1;
    std::uint32_t monitorBus = 0;
    // Buses whose interface cannot be opened.
    std::vector<std::uint32_t> unopenableBuses{};
    // The transaction types every bus announces (bit n: type n); the simple and the DDC/CI reply type.
    std::uint64_t transactionTypes = (1U << 1) | (1U << 2);
    // Whether the service carries the monitor's EDID as a property.
    bool publishesEDID = true;
    // The product names of the service's info dictionary; when none are set, the monitor's EDID product
    // name under "en_US".
    DisplayProductNames productNames{};
    std::shared_ptr<SimulatedMonitor> monitor{};

    // The registry entry ID of the framebuffer service of a unit; the simulated seams agree on it.
    static std::uint64_t entryID(std::uint32_t unitNumber) { return 0x1000'0000ULL + unitNumber; }

    // The framebuffer whose service has the entry ID; null when none has.
    static const SimulatedFramebufferConfig* find(const std::vector<SimulatedFramebufferConfig>& framebuffers,
                                                  std::uint64_t entryID) {
        for (const auto& config : framebuffers) {
            if (SimulatedFramebufferConfig::entryID(config.unitNumber) == entryID) return &config;
        }
        return nullptr;
    }
};

}  // namespace lumadesk
