#pragma once

#include "platform/linux/LinuxSystem.h"

namespace lumadesk {

// Decides whether an I2C adapter may be addressed at all. Only the DDC buses of display adapters are:
// writing to a laptop's SMBus, a GPU's power-management controller or a panel's bridge can hang the GPU
// or garble a panel. An adapter qualifies when its name is not one of the known non-display buses, the
// PCI device it hangs off is a display controller (class 0x03xxxx) or a docking station (0x0axxxx), and,
// under nouveau, its name starts with "nvkm-".
class DisplayAdapterPolicy {
public:
    explicit DisplayAdapterPolicy(const LinuxSystem& system) : m_system(system) {}

    // Whether /dev/i2c-<bus> may be opened.
    bool isDisplayBus(unsigned bus) const;
    // Whether the adapter with this sysfs directory is a display bus.
    bool isDisplayAdapter(const std::filesystem::path& adapter) const;
    // Whether an adapter of this name may be a display bus (the name rule alone).
    static bool hasDisplayAdapterName(const std::string& name);
    // Whether a PCI device's "class" text ("0x030000") is a display controller's or a docking station's.
    static bool isDisplayClass(const std::string& deviceClass);
    // The sysfs directory of the PCI device a sysfs entry (adapter, connector) hangs off: the nearest
    // ancestor with a "class" attribute, else the one its chain of "device" links leads to.
    std::optional<std::filesystem::path> pciDeviceOf(const std::filesystem::path& entry) const;

private:
    const LinuxSystem& m_system;
};

}  // namespace lumadesk
