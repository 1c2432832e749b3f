#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "platform/LoginItemService.h"
#include "runtime/ConfigDirectory.h"

namespace lumadesk {

// Launch at login through an XDG autostart entry, $XDG_CONFIG_HOME/autostart/lumadesk.desktop
// (else $HOME/.config/autostart), which desktop sessions start when the user logs in. The entry is
// written atomically and starts the executable given, else the running one.
class XdgAutostartLoginItemService final : public LaunchAtLoginServicing {
public:
    // The file name of the entry.
    static constexpr char entryFileName[] = "lumadesk.desktop";

    // Without an executable the running program's own (/proc/self/exe) is started.
    explicit XdgAutostartLoginItemService(std::optional<std::filesystem::path> executable = std::nullopt);
    // The same, reading the environment through the lookup (for tests).
    XdgAutostartLoginItemService(std::optional<std::filesystem::path> executable,
                                 EnvironmentLookup environment);

    // enabled when the entry exists and is not hidden, notFound when there is no executable to start.
    LoginItemStatus status() const override;
    void registerItem() override;
    void unregisterItem() override;

    // Where the entry goes; absent when neither XDG_CONFIG_HOME nor HOME says.
    std::optional<std::filesystem::path> entryPath() const;
    // The entry's text for the executable.
    static std::string entryText(const std::filesystem::path& executable);

private:
    std::optional<std::filesystem::path> executable() const;
    std::filesystem::path requiredEntryPath() const;

    std::optional<std::filesystem::path> m_executable;
    EnvironmentLookup m_environment;
};

}  // namespace lumadesk
