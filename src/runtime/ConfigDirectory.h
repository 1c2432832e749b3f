#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace lumadesk {

// Looks up an environment variable; absent when it is not set.
using EnvironmentLookup = std::function<std::optional<std::string>(const std::string& name)>;

// Where Lumadesk keeps its settings: $LUMADESK_CONFIG_DIR, else $XDG_CONFIG_HOME/lumadesk, else
// $HOME/.config/lumadesk (empty variables count as unset). Throws std::runtime_error when none is set.
std::filesystem::path defaultConfigDirectory(const EnvironmentLookup& environment);

// The same, from the process environment.
std::filesystem::path defaultConfigDirectory();

// Creates the directory and any missing parents, readable by the user alone (mode 0700).
// Throws std::system_error.
void createConfigDirectory(const std::filesystem::path& directory);

}  // namespace lumadesk
