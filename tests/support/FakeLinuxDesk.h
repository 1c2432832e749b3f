#pragma once

#include <memory>

#include "platform/simulated/SimulatedMonitor.h"
#include "runtime/VirtualClock.h"
#include "support/FakeLinuxSystem.h"

namespace lumadesk {

// A machine with the usual layouts of every driver family, on a fake sysfs tree:
//   card0, i915:    eDP-1 (built-in panel, AUX bus i2c-1), DP-1 (monitor A on its AUX bus i2c-5),
//                   DP-2 (disconnected)
//   card1, amdgpu:  HDMI-A-1 (monitor B on its "ddc" bus i2c-7), DP-3 (an MST branch without a bus),
//                   and the GPU's SMU bus i2c-8
//   card2, nvidia:  DP-4 (monitor C) with no links at all; display buses i2c-10 (empty) and i2c-11
//   the chipset's SMBus i2c-0, on a PCI device of class 0x0c0500
struct FakeLinuxDesk {
    VirtualClock clock;
    // The clock the monitors time their replies by: the desk's own, or the one given (the caller's
    // virtual clock, or a real one for benchmarks).
    const Clock& monitorClock;
    FakeLinuxSystem system;
    std::shared_ptr<SimulatedMonitor> panel = monitor({.vendor = 0x4D10, .product = 0x1234, .serial = 1});
    std::shared_ptr<SimulatedMonitor> monitorA =
        monitor({.vendor = 0x10AC, .product = 41234, .serial = 12345, .productName = "DELL U2720Q"});
    std::shared_ptr<SimulatedMonitor> monitorB = monitor({.vendor = 0x1E6D,
                                                          .product = 23305,
                                                          .serial = 0,
                                                          .serialText = "B-SERIAL",
                                                          .productName = "LG HDR 4K"});
    std::shared_ptr<SimulatedMonitor> monitorC = monitor({.vendor = 0x4C2D, .product = 3333, .serial = 777});
    std::shared_ptr<SimulatedMonitor> branch = monitor({.vendor = 0x22F0, .product = 4444, .serial = 42});

    explicit FakeLinuxDesk(const Clock* otherClock = nullptr)
        : monitorClock(otherClock ? *otherClock : clock) {
        const auto intel = system.addPciDevice("0000:00:02.0", "0x030000", "i915");
        const auto edp = system.addConnector(intel, 0, "eDP-1", 95, true, edidOf(*panel));
        system.addAdapter(edp, 1, "AUX A/DDI A/PHY A").monitor = panel;
        const auto dp1 = system.addConnector(intel, 0, "DP-1", 103, true, edidOf(*monitorA));
        system.addAdapter(dp1, 5, "AUX B/DDI B/PHY B").monitor = monitorA;
        system.addConnector(intel, 0, "DP-2", 110, false);

        const auto amd = system.addPciDevice("0000:03:00.0", "0x030000", "amdgpu");
        const auto hdmi = system.addConnector(amd, 1, "HDMI-A-1", 88, true, edidOf(*monitorB));
        system.addAdapter(amd, 7, "AMDGPU DM i2c hw bus 1").monitor = monitorB;
        system.linkDDC(hdmi, amd / "i2c-7");
        system.addAdapter(amd, 8, "AMDGPU SMU");
        system.addConnector(amd, 1, "DP-3", 91, true, edidOf(*branch));
        system.addAdapter(system.addConnector(amd, 1, "DP-5", 90, false), 9, "AMDGPU DM aux hw bus 2");

        const auto nvidia = system.addPciDevice("0000:05:00.0", "0x030000", "nvidia");
        system.addConnector(nvidia, 2, "DP-4", 300, true, edidOf(*monitorC));
        system.addAdapter(nvidia, 10, "NVIDIA i2c adapter 1 at 5:00.0");
        system.addAdapter(nvidia, 11, "NVIDIA i2c adapter 3 at 5:00.0").monitor = monitorC;

        const auto chipset = system.addPciDevice("0000:00:1f.4", "0x0c0500", "i801_smbus");
        system.addAdapter(chipset, 0, "SMBus I801 adapter at efa0").monitor = branch;
    }

    std::shared_ptr<SimulatedMonitor> monitor(SimulatedMonitorConfig config) {
        config.minimumReplyDelay = std::chrono::milliseconds(40);
        return std::make_shared<SimulatedMonitor>(monitorClock, std::move(config));
    }
    static std::vector<std::uint8_t> edidOf(const SimulatedMonitor& monitor) {
        return {monitor.edid().begin(), monitor.edid().end()};
    }
    // The nodes of buses that must never be opened: the panel's, the SMU's, the SMBus and the idle AUX.
    std::vector<std::filesystem::path> forbiddenNodes() const {
        return {system.dev() / "i2c-1", system.dev() / "i2c-8", system.dev() / "i2c-0",
                system.dev() / "i2c-9"};
    }
};

}  // namespace lumadesk
