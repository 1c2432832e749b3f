#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace lumadesk {

// Where the user manages the programs started at login: the desktop's own settings where it has a page
// for them, else the folder that holds the autostart entries.
class AutostartSettings {
public:
    // The command of the desktop's settings page, when the desktop (XDG_CURRENT_DESKTOP) has one and its
    // program is installed (as `installed` tells).
    static std::optional<std::vector<std::string>> settingsCommand(
        const std::string& currentDesktop, bool (*installed)(const std::string& program));
    // Opens the settings page, else the autostart folder (created when missing). Failures are ignored:
    // the row that offers this stays until the approval is given.
    static void open(const std::filesystem::path& autostartDirectory);
};

}  // namespace lumadesk
