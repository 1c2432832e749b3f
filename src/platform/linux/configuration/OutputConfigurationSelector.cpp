#include "platform/linux/configuration/OutputConfigurationSelector.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <sstream>
#include <string_view>

#include "platform/linux/configuration/SessionBus.h"

namespace lumadesk {

namespace {

bool desktopIsOneOf(const std::string& currentDesktop, std::initializer_list<std::string_view> names) {
    std::stringstream list(currentDesktop);
    std::string entry;
    while (std::getline(list, entry, ':')) {
        std::transform(entry.begin(), entry.end(), entry.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (std::find(names.begin(), names.end(), entry) != names.end()) return true;
    }
    return false;
}

std::string environmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

OutputConfigurationKind chooseOutputConfiguration(const SessionFacts& facts) {
    const bool wayland =
        facts.sessionType == "wayland" || (facts.sessionType.empty() && !facts.waylandDisplay.empty());
    if (wayland) {
        if (facts.mutterOnBus ||
            desktopIsOneOf(facts.currentDesktop, {"gnome", "gnome-classic", "ubuntu", "unity"}))
            return OutputConfigurationKind::gnomeMutter;
        if (desktopIsOneOf(facts.currentDesktop, {"kde"})) return OutputConfigurationKind::kdePlasma;
        if (desktopIsOneOf(facts.currentDesktop,
                           {"sway", "hyprland", "river", "wayfire", "labwc", "dwl", "qtile"}))
            return OutputConfigurationKind::wlroots;
        return OutputConfigurationKind::none;
    }
    const bool x11 = facts.sessionType == "x11" || (facts.sessionType.empty() && !facts.x11Display.empty());
    return x11 && !facts.x11Display.empty() ? OutputConfigurationKind::x11RandR
                                            : OutputConfigurationKind::none;
}

SessionFacts currentSessionFacts() {
    SessionFacts facts{environmentValue("XDG_SESSION_TYPE"), environmentValue("XDG_CURRENT_DESKTOP"),
                       environmentValue("WAYLAND_DISPLAY"), environmentValue("DISPLAY"), false};
    facts.mutterOnBus = SessionBus::nameHasOwner("org.gnome.Mutter.DisplayConfig");
    return facts;
}

}  // namespace lumadesk
