#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/Platform.h"
#include "platform/simulated/SimulatedDesk.h"
#include "platform/simulated/SimulatedDeskStateFile.h"
#include "platform/simulated/SimulatedKeyboardEvents.h"

namespace lumadesk {

// How to set up a simulated platform.
struct SimulatedPlatformOptions {
    // The desk file; none: the compiled-in default desk.
    std::optional<std::filesystem::path> deskFile{};
    // Where the desk's state is kept between runs; none: every run starts from the desk's description.
    std::optional<std::filesystem::path> stateFile{};
    // Told about problems that do not stop the platform (an unreadable state file).
    std::function<void(const std::string&)> reportProblem{};
};

// The platform of a simulated desk, with its state remembered between runs when a state file is given.
class SimulatedPlatform final : public Platform {
public:
    // The name of the state file in the configuration directory.
    static constexpr const char* stateFileName = "simulated-desk-state.json";
    // The settings (the displays' records among them) of simulated desks, apart from the real desk's.
    static constexpr const char* settingsFile = "simulated-defaults.json";

    // Reads the desk and its saved state; throws SimulatedDeskError for a desk that cannot be used. The
    // clock and the sleeper must outlive the platform.
    static std::unique_ptr<SimulatedPlatform> create(const SimulatedPlatformOptions& options, const Clock& clock,
                                                     Sleeper& sleeper);
    // The platform of a desk already built; its state is saved under the key and fingerprint.
    SimulatedPlatform(std::unique_ptr<SimulatedDesk> desk, Sleeper& sleeper, std::string deskKey,
                      std::string fingerprint, std::optional<SimulatedDeskStateFile> stateFile);

    WindowServer& windowServer() override { return m_desk->windowServer(); }
    ScreenList& screenList() override { return m_desk->screenList(); }
    DisplayRegistry& displayRegistry() override { return m_desk->displayRegistry(); }
    AVServiceBus& avServiceBus() override { return m_desk->avServiceBus(); }
    FramebufferI2C& framebufferI2C() override { return m_desk->framebufferI2C(); }
    LaunchAtLoginServicing& loginItemService() override { return m_desk->loginItemService(); }
    Sleeper& sleeper() override { return m_sleeper; }
    // Saves the desk's state to the state file, if there is one.
    void persistState() override;
    std::string settingsFileName() const override { return settingsFile; }
    std::string displayConfigurationService() const override { return "the simulated window server"; }

    SimulatedDesk& desk() { return *m_desk; }
    // The desk's keyboard, whose keys tests press, and the permissions it is granted.
    SimulatedKeyboardEvents& keyboardEvents() { return m_keyboard; }
    SimulatedPermissionServices& permissionServices() { return m_permissions; }
    // Which desk this is in the state file: "default" or the desk file's absolute path.
    const std::string& deskKey() const { return m_deskKey; }

private:
    std::unique_ptr<SimulatedDesk> m_desk;
    Sleeper& m_sleeper;
    std::string m_deskKey;
    std::string m_fingerprint;
    std::optional<SimulatedDeskStateFile> m_stateFile;
    SimulatedKeyboardEvents m_keyboard;
    SimulatedPermissionServices m_permissions;
};

}  // namespace lumadesk
