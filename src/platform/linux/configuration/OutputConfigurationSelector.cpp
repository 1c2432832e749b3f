#include "platform/linux/configuration/OutputConfigurationSelector.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <sstream>
#include <string_view>

#include "platform/linux/configuration/KScreenDoctorBackend.h"
#include "platform/linux/configuration/MutterDisplayConfigBackend.h"
#include "platform/linux/configuration/OutputConfigurationError.h"
#include "platform/linux/configuration/SessionBus.h"
#include "platform/linux/configuration/UnsupportedSessionBackend.h"
#include "platform/linux/configuration/WlrRandrBackend.h"
#include "platform/linux/configuration/X11RandRBackend.h"
#include "platform/linux/configuration/XlibRandRServer.h"
#if LUMADESK_KDE_OUTPUT_MANAGEMENT
#include "platform/linux/configuration/kde/KdeOutputManagementBackend.h"
#endif

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
    // Only a Wayland session asks the bus: under X11 RandR is the answer whoever else is there.
    if (facts.sessionType == "wayland" || !facts.waylandDisplay.empty())
        facts.mutterOnBus = SessionBus::nameHasOwner("org.gnome.Mutter.DisplayConfig");
    return facts;
}

std::unique_ptr<OutputConfigurationBackend> makeSessionOutputConfiguration() {
    try {
        switch (chooseOutputConfiguration(currentSessionFacts())) {
            case OutputConfigurationKind::x11RandR:
                return std::make_unique<X11RandRBackend>(std::make_unique<XlibRandRServer>());
            case OutputConfigurationKind::gnomeMutter:
                return std::make_unique<MutterDisplayConfigBackend>();
            case OutputConfigurationKind::kdePlasma:
#if LUMADESK_KDE_OUTPUT_MANAGEMENT
                // KWin's own protocol where the compositor offers it; its command-line tool otherwise.
                if (auto native = KdeOutputManagementBackend::connect()) return native;
#endif
                return std::make_unique<KScreenDoctorBackend>();
            case OutputConfigurationKind::wlroots:
                return std::make_unique<WlrRandrBackend>();
            case OutputConfigurationKind::none:
                break;
        }
    } catch (const OutputConfigurationError&) {
        // The session's service is not reachable; disconnecting says it is not supported here.
    }
    return std::make_unique<UnsupportedSessionBackend>();
}

}  // namespace lumadesk
