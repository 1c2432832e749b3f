#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/Platform.h"
#include "platform/linux/ChangeDebouncer.h"
#include "platform/linux/LinuxDDCBuses.h"
#include "platform/linux/LinuxDisplayRegistry.h"
#include "platform/linux/LinuxWindowServer.h"
#include "platform/linux/UdevMonitor.h"
#include "platform/linux/XdgAutostartLoginItemService.h"
#include "platform/linux/configuration/DisabledOutputsRecord.h"
#include "platform/linux/configuration/UnsupportedSessionBackend.h"

namespace lumadesk {

// The screens of the desktop. Which connector shows which screen is the window system's to tell, and
// no backend for it is reached here, so no screen is known: displays are named from their EDID.
class LinuxScreenList final : public ScreenList {
public:
    std::vector<Screen> screens() override { return {}; }
    std::optional<Screen> mainScreen() override { return std::nullopt; }
    ScreenPoint pointerLocation() override { return {}; }
};

// Real monitors on Linux: displays from DRM sysfs, DDC/CI over i2c-dev, launch at login through XDG
// autostart. Problems that keep DDC/CI from monitors are told to the reporter once each.
class LinuxPlatform final : public Platform {
public:
    // How long after the last device event of a burst the displays are read again: a new /dev/i2c-N can
    // appear before udev has set its permissions.
    static constexpr Duration hotplugSettleTime = std::chrono::milliseconds(500);

    // The system and the sleeper must outlive the platform. Displays are taken off the desktop through
    // the session's configuration backend; the record, when given, keeps the outputs held off for the
    // next start.
    LinuxPlatform(LinuxSystem& system, Sleeper& sleeper, DDCProblems::Reporter reportProblem,
                  std::unique_ptr<OutputConfigurationBackend> outputConfiguration =
                      std::make_unique<UnsupportedSessionBackend>(),
                  std::optional<DisabledOutputsRecord> disabledOutputs = std::nullopt);

    WindowServer& windowServer() override { return m_windowServer; }
    ScreenList& screenList() override { return m_screenList; }
    DisplayRegistry& displayRegistry() override { return m_registry; }
    AVServiceBus& avServiceBus() override { return m_buses; }
    FramebufferI2C& framebufferI2C() override { return m_buses; }
    LaunchAtLoginServicing& loginItemService() override { return m_loginItems; }
    Sleeper& sleeper() override { return m_sleeper; }
    // Nothing to keep: every run reads the hardware afresh.
    void persistState() override {}
    std::string displayConfigurationService() const override { return m_outputConfiguration->name(); }
    void limitDisplayConfigurationTime(Deadline deadline) override {
        m_windowServer.limitConfigurationTime(deadline);
    }
    // Watches udev for connectors and i2c-dev nodes that come and go, and the configuration backend for
    // layout changes; each burst of device events raises the window server's reconfiguration notices
    // once it has settled.
    std::vector<PlatformWatch> watchForChanges(MainQueue& queue) override;

    LinuxWindowServer& linuxWindowServer() { return m_windowServer; }
    // The session's service that takes displays off the desktop, for diagnostics.
    const OutputConfigurationBackend& outputConfiguration() const { return *m_outputConfiguration; }
    const DDCProblems& problems() const { return m_problems; }

private:
    Sleeper& m_sleeper;
    DDCProblems m_problems;
    I2CDevice m_device;
    LinuxDisplayDirectory m_directory;
    std::unique_ptr<OutputConfigurationBackend> m_outputConfiguration;
    std::optional<DisabledOutputsRecord> m_disabledOutputs;
    LinuxWindowServer m_windowServer;
    LinuxScreenList m_screenList;
    LinuxDisplayRegistry m_registry;
    LinuxDDCBuses m_buses;
    XdgAutostartLoginItemService m_loginItems;
    std::optional<UdevMonitor> m_udev;
    std::unique_ptr<ChangeDebouncer> m_debouncer;
};

}  // namespace lumadesk
