#pragma once

#include "hardware/DisplayConfigurationBridging.h"
#include "platform/WindowServer.h"

namespace lumadesk {

// The configuration transaction made of the window server's own calls; changes last until logout.
class SystemDisplayConfigurationBridge final : public DisplayConfigurationBridging {
public:
    // The window server must outlive the bridge.
    explicit SystemDisplayConfigurationBridge(WindowServer& windowServer) : m_windowServer(windowServer) {}

    DisplayConfigurationBox beginConfiguration() override;
    WindowServerError configureDisplay(DisplayID displayID, bool enabled,
                                       DisplayConfigurationBox& configuration) override;
    WindowServerError completeConfiguration(DisplayConfigurationBox& configuration) override;
    void cancelConfiguration(DisplayConfigurationBox& configuration) override;
    WindowServerError restorePermanentConfiguration() override;
    std::string failureReason() override;

private:
    WindowServer& m_windowServer;
};

}  // namespace lumadesk
