#pragma once

#include <array>
#include <string>
#include <string_view>

#include "intents/DisplayAction.h"

namespace lumadesk {

// A ready-made shortcut: an action with the phrase that starts it.
struct AppShortcut {
    DisplayActionKind action;
    // The phrase before the application's name.
    std::string_view phrasePrefix;
    std::string_view shortTitle;
    // The symbol shown with it.
    std::string_view systemImageName;

    // The whole phrase: "Set brightness in Lumadesk".
    std::string phrase() const;
};

// The ready-made shortcuts the launchers offer, in order.
struct LumadeskShortcuts {
    static constexpr std::string_view applicationName = "Lumadesk";
    static constexpr std::string_view tileColor = "blue";
    static constexpr std::array<AppShortcut, 5> appShortcuts{{
        {DisplayActionKind::toggleConnection, "Change connection state in ", "Connect or Disconnect",
         "display"},
        {DisplayActionKind::setBrightness, "Set brightness in ", "Set Brightness", "sun.max"},
        {DisplayActionKind::getBrightness, "Get brightness in ", "Get Brightness", "sun.min"},
        {DisplayActionKind::sleepDisplay, "Sleep display in ", "Sleep Display", "moon.fill"},
        {DisplayActionKind::getConnectedDisplays, "Get connected displays in ", "Connected Displays",
         "display.2"},
    }};
};

inline std::string AppShortcut::phrase() const {
    return std::string(phrasePrefix) + std::string(LumadeskShortcuts::applicationName);
}

}  // namespace lumadesk
