#pragma once

#include "platform/ReconfigurationCallbacks.h"
#include "platform/WindowServer.h"
#include "platform/linux/LinuxDisplayDirectory.h"

namespace lumadesk {

// The window server's questions answered from DRM sysfs: a display is a connected, enabled connector,
// its ID the connector id, its identity from the connector's EDID, its unit number the connector's
// place among all connectors. Mirroring is not known here, so no display mirrors another. Taking a
// display off the desktop needs the session's own configuration interface, which this platform does
// not reach: every configuration call fails with `configurationUnsupportedInSession`, so nothing is
// ever reported as done that was not. Hot-plug notices arrive through notifyReconfiguration.
class LinuxWindowServer final : public WindowServer {
public:
    explicit LinuxWindowServer(LinuxDisplayDirectory& directory) : m_directory(directory) {}

    // Rescans sysfs: the list every refresh starts from.
    OnlineDisplayList onlineDisplayIDs() override;
    bool isBuiltin(DisplayID displayID) override;
    DisplayID mirrorsDisplay(DisplayID displayID) override;
    std::uint32_t vendorNumber(DisplayID displayID) override;
    std::uint32_t modelNumber(DisplayID displayID) override;
    std::uint32_t serialNumber(DisplayID displayID) override;
    std::uint32_t unitNumber(DisplayID displayID) override;

    ConfigurationBegin beginConfiguration() override;
    WindowServerError configureDisplayEnabled(DisplayConfigurationRef configuration, DisplayID displayID,
                                              bool enabled) override;
    WindowServerError completeConfiguration(DisplayConfigurationRef configuration,
                                            ConfigureOption option) override;
    void cancelConfiguration(DisplayConfigurationRef configuration) override;
    WindowServerError restorePermanentConfiguration() override;

    ReconfigurationToken registerReconfigurationCallback(ReconfigurationCallback callback) override;
    void removeReconfigurationCallback(ReconfigurationToken token) override;

    // Tells every callback that the displays changed: a begin-configuration notice, then the change.
    void notifyReconfiguration();

private:
    LinuxDisplayDirectory& m_directory;
    ReconfigurationCallbacks m_callbacks;
};

}  // namespace lumadesk
