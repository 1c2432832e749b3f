#pragma once

#include "platform/ReconfigurationCallbacks.h"
#include "platform/WindowServer.h"
#include "platform/linux/LinuxDisplayDirectory.h"
#include "platform/linux/configuration/OutputConfigurationTransactions.h"

namespace lumadesk {

// The window server's questions answered from DRM sysfs: a display is a connected, enabled connector,
// its ID the connector id, its identity from the connector's EDID, its unit number the connector's
// place among all connectors. Mirroring is not known here, so no display mirrors another. Taking a
// display off the desktop goes to the session's own configuration service (the backend), which finds
// the display's output by connector name and EDID; in a session without one every configuration call
// fails with `configurationUnsupportedInSession`, so nothing is ever reported as done that was not.
// Hot-plug notices and the backend's layout changes arrive through notifyReconfiguration.
class LinuxWindowServer final : public WindowServer {
public:
    // The directory and the backend must outlive the window server; the record, when given, keeps the
    // outputs held off the desktop for the next start.
    LinuxWindowServer(LinuxDisplayDirectory& directory, OutputConfigurationBackend& backend,
                      const DisabledOutputsRecord* record = nullptr);

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
    std::string configurationFailureReason() override { return m_transactions.lastErrorMessage(); }
    // Until lifted with an unset deadline, every configuration ends by the deadline.
    void limitConfigurationTime(Deadline deadline) { m_transactions.limitTo(deadline); }

    ReconfigurationToken registerReconfigurationCallback(ReconfigurationCallback callback) override;
    void removeReconfigurationCallback(ReconfigurationToken token) override;

    // Tells every callback that the displays changed: a begin-configuration notice, then the change.
    void notifyReconfiguration();

private:
    LinuxDisplayDirectory& m_directory;
    OutputConfigurationTransactions m_transactions;
    ReconfigurationCallbacks m_callbacks;
};

}  // namespace lumadesk
