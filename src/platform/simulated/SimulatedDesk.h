#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "platform/simulated/SimulatedAVServiceBus.h"
#include "platform/simulated/SimulatedDeskConfig.h"
#include "platform/simulated/SimulatedDisplayRegistry.h"
#include "platform/simulated/SimulatedDisplayState.h"
#include "platform/simulated/SimulatedFramebufferI2C.h"
#include "platform/simulated/SimulatedLoginItemService.h"
#include "platform/simulated/SimulatedScreenList.h"
#include "platform/simulated/SimulatedWindowServer.h"
#include "runtime/Sleeper.h"

namespace lumadesk {

// A whole simulated desk: one monitor per display of its configuration, and every platform seam over
// them (window server, screens, registry, AV services, framebuffer I2C, login item). The n-th display
// has the display ID n + 1 and, when it has an AV service, the handle number 1000 + n.
class SimulatedDesk {
public:
    static constexpr DisplayID firstDisplayID = 1;
    static constexpr std::uint32_t firstAVServiceHandle = 1000;

    // Builds the desk; a state of the right size (one entry per display) replaces the starting values
    // of the configuration. The clock and the sleeper must outlive the desk.
    SimulatedDesk(SimulatedDeskConfig config, const Clock& clock, Sleeper& sleeper,
                  const std::optional<std::vector<SimulatedDisplayState>>& state = std::nullopt);
    SimulatedDesk(const SimulatedDesk&) = delete;
    SimulatedDesk& operator=(const SimulatedDesk&) = delete;

    SimulatedWindowServer& windowServer() { return *m_windowServer; }
    SimulatedScreenList& screenList() { return *m_screenList; }
    SimulatedDisplayRegistry& displayRegistry() { return *m_registry; }
    SimulatedAVServiceBus& avServiceBus() { return *m_avServiceBus; }
    SimulatedFramebufferI2C& framebufferI2C() { return *m_framebufferI2C; }
    SimulatedLoginItemService& loginItemService() { return m_loginItemService; }

    const SimulatedDeskConfig& config() const { return m_config; }
    std::size_t displayCount() const { return m_config.displays.size(); }
    // The display ID of the display at the index.
    static DisplayID displayID(std::size_t index) { return firstDisplayID + static_cast<DisplayID>(index); }
    SimulatedMonitor& monitor(std::size_t index) { return *m_monitors.at(index); }

    // Plugs the display at the index in: its services appear, then the window server announces it.
    void plug(std::size_t index);
    // Pulls the display at the index out: its services vanish, then the window server announces it.
    void unplug(std::size_t index);

    // The state of every display now, in desk order.
    std::vector<SimulatedDisplayState> state() const;

private:
    void attach(std::size_t index, bool plugged);

    const SimulatedDeskConfig m_config;
    std::vector<std::shared_ptr<SimulatedMonitor>> m_monitors;
    std::unique_ptr<SimulatedWindowServer> m_windowServer;
    std::unique_ptr<SimulatedScreenList> m_screenList;
    std::unique_ptr<SimulatedDisplayRegistry> m_registry;
    std::unique_ptr<SimulatedAVServiceBus> m_avServiceBus;
    std::unique_ptr<SimulatedFramebufferI2C> m_framebufferI2C;
    SimulatedLoginItemService m_loginItemService;
};

}  // namespace lumadesk
