#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/DisplayID.h"
#include "platform/linux/LinuxSystem.h"

namespace lumadesk {

// One DRM connector as sysfs shows it (/sys/class/drm/cardN-TYPE-M).
struct DrmConnector {
    std::string name;                 // "card0-DP-1"
    std::filesystem::path directory;  // its sysfs directory
    unsigned card = 0;
    std::string type;  // "DP", "HDMI-A", "eDP", ...
    // The kernel's connector id; a new one when the connector is re-created. Serves as the display ID.
    DisplayID connectorID = 0;
    // Numbered from 1 in the order of card, then connector id, over every connector: a port keeps its
    // number whatever else is plugged in.
    std::uint32_t unit = 0;
    bool connected = false;
    bool enabled = false;
    // The connector's EDID when it holds a whole, valid base block; empty otherwise.
    std::vector<std::uint8_t> edid;
    // The DDC bus the driver links to the connector: the DP AUX channel's "i2c-N" child or "ddc", and
    // the adapter's sysfs directory.
    std::optional<unsigned> linkedBus;
    std::filesystem::path linkedAdapter;

    // eDP, LVDS and DSI connectors drive built-in panels.
    bool isBuiltin() const;
    // The connector's name without its card ("DP-1"): the name Wayland compositors give its output.
    std::string outputName() const;
    // The monitor's name from its EDID ("DELL U2720Q"); none when the EDID holds none.
    std::optional<std::string> productName() const;
    bool isOnline() const { return connected && enabled; }
};

// The card and connector type of a sysfs entry named "cardN-TYPE-M"; none for any other name.
struct DrmConnectorName {
    unsigned card = 0;
    std::string type;
};
std::optional<DrmConnectorName> parseDrmConnectorName(const std::string& name);

// Sets what the connector's attribute files say, each as sysfs::attributeText gives it: "status"
// (connected or not), "enabled", and "connector_id" (0 where there is none or it is not a number).
void applyConnectorAttributes(DrmConnector& connector, const std::string& status,
                              const std::optional<std::string>& enabled,
                              const std::optional<std::string>& connectorID);

// The DRM connectors of every card, in unit order. A connector that vanishes while it is read is left
// out; one whose files cannot be read is taken as disconnected.
std::vector<DrmConnector> scanDrmConnectors(const LinuxSystem& system);

}  // namespace lumadesk
