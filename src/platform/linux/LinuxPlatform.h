#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/Platform.h"
#include "platform/linux/ChangeDebouncer.h"
#include "platform/linux/LinuxDDCBuses.h"
#include "platform/linux/LinuxDisplayRegistry.h"
#include "platform/linux/LinuxScreenList.h"
#include "platform/linux/LinuxWindowServer.h"
#include "platform/linux/XdgAutostartLoginItemService.h"
#include "platform/linux/configuration/DisabledOutputsRecord.h"
#include "platform/linux/configuration/UnsupportedSessionBackend.h"
#include "runtime/JsonFileDefaults.h"

namespace lumadesk {

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
    void useDesktopScreens(ScreenList& desktop) override { m_screenList.useDesktopScreens(desktop); }
    DisplayRegistry& displayRegistry() override { return m_registry; }
    AVServiceBus& avServiceBus() override { return m_buses; }
    FramebufferI2C& framebufferI2C() override { return m_buses; }
    LaunchAtLoginServicing& loginItemService() override { return m_loginItems; }
    Sleeper& sleeper() override { return m_sleeper; }
    // Nothing to keep: every run reads the hardware afresh.
    void persistState() override {}
    // The file installed users have always had.
    std::string settingsFileName() const override { return JsonFileDefaults::defaultFileName; }
    std::string displayConfigurationService() const override { return m_outputConfiguration->name(); }
    void limitDisplayConfigurationTime(Deadline deadline) override {
        m_windowServer.limitConfigurationTime(deadline);
    }
    // The DDC/CI problems reported and not seen gone since.
    std::vector<std::string> problems() const override { return m_problems.current(); }
    // Watches udev for connectors and i2c-dev nodes that come and go, and the configuration backend for
    // layout changes; each burst of device events raises the window server's reconfiguration notices
    // once it has settled.
    std::vector<PlatformWatch> watchForChanges(MainQueue& queue) override;

    LinuxWindowServer& linuxWindowServer() { return m_windowServer; }
    // The session's service that takes displays off the desktop, for diagnostics.
    const OutputConfigurationBackend& outputConfiguration() const { return *m_outputConfiguration; }

private:
    LinuxSystem& m_system;
    Sleeper& m_sleeper;
    DDCProblems m_problems;
    I2CDevice m_device;
    LinuxDisplayDirectory m_directory;
    std::unique_ptr<OutputConfigurationBackend> m_outputConfiguration;
    std::optional<DisabledOutputsRecord> m_disabledOutputs;
    LinuxWindowServer m_windowServer;
    LinuxScreenList m_screenList{m_directory, *m_outputConfiguration};
    LinuxDisplayRegistry m_registry;
    LinuxDDCBuses m_buses;
    XdgAutostartLoginItemService m_loginItems;
    std::unique_ptr<DeviceEvents> m_deviceEvents;
    std::unique_ptr<ChangeDebouncer> m_debouncer;
};

}  // namespace lumadesk
