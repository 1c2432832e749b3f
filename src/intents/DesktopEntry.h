#pragma once

#include <string>

namespace lumadesk {

// The launcher entry of the tray program (lumadesk.desktop): one desktop action per ready-made
// shortcut, named by its phrase and running `<program> --shortcut=<command name>`.
std::string desktopEntry(const std::string& program);

}  // namespace lumadesk
