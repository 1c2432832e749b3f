#include "platform/linux/configuration/OutputConfigurationSelector.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
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

bool isWaylandSession(const SessionFacts& facts) {
    if (facts.waylandDisplay.empty()) return false;
    return facts.x11Display.empty() || facts.sessionType != "x11";
}

OutputConfigurationKind chooseOutputConfiguration(const SessionFacts& facts) {
    if (isWaylandSession(facts)) {
        // What the compositor offers decides; the desktop's name only where it offers nothing telling.
        if (facts.mutterOnBus) return OutputConfigurationKind::gnomeMutter;
        if (!facts.swaySocket.empty() || !facts.hyprlandSignature.empty())
            return OutputConfigurationKind::wlroots;
        if (desktopIsOneOf(facts.currentDesktop, {"gnome", "gnome-classic", "ubuntu", "unity"}))
            return OutputConfigurationKind::gnomeMutter;
        if (desktopIsOneOf(facts.currentDesktop, {"kde"})) return OutputConfigurationKind::kdePlasma;
        if (desktopIsOneOf(facts.currentDesktop,
                           {"sway", "hyprland", "river", "wayfire", "labwc", "dwl", "qtile"}))
            return OutputConfigurationKind::wlroots;
        return OutputConfigurationKind::none;
    }
    return facts.x11Display.empty() ? OutputConfigurationKind::none : OutputConfigurationKind::x11RandR;
}

std::string describeSession(const SessionFacts& facts) {
    std::string text;
    const auto add = [&text](const std::string& part) { text += (text.empty() ? "" : "; ") + part; };
    if (isWaylandSession(facts)) {
        add("Wayland (socket " + facts.waylandDisplay + " reachable)");
    } else if (!facts.x11Display.empty()) {
        add("X11 (display " + facts.x11Display + " reachable)");
    } else {
        add("no reachable Wayland or X11 display");
    }
    if (facts.mutterOnBus) add("org.gnome.Mutter.DisplayConfig on the session bus");
    if (!facts.swaySocket.empty()) add("sway's socket (SWAYSOCK)");
    if (!facts.hyprlandSignature.empty()) add("Hyprland (HYPRLAND_INSTANCE_SIGNATURE)");
    if (!facts.currentDesktop.empty()) add("desktop " + facts.currentDesktop);
    if (!facts.sessionType.empty()) add("session type " + facts.sessionType);
    return text;
}

namespace {

// The Wayland display's socket: an absolute WAYLAND_DISPLAY, or a name in XDG_RUNTIME_DIR.
bool waylandReachable(const std::string& display) {
    if (display.empty()) return false;
    const std::filesystem::path socket =
        display.front() == '/' ? std::filesystem::path(display)
                               : std::filesystem::path(environmentValue("XDG_RUNTIME_DIR")) / display;
    std::error_code error;
    return std::filesystem::is_socket(socket, error);
}

// A local X display (":N", ":N.S", "unix:N") has its socket in /tmp/.X11-unix; another host's is taken
// as reachable, since only connecting would tell.
bool x11Reachable(const std::string& display) {
    const auto colon = display.rfind(':');
    if (colon == std::string::npos) return false;
    const std::string host = display.substr(0, colon);
    if (!host.empty() && host != "unix") return true;
    const std::string number = display.substr(colon + 1, display.find('.', colon) - colon - 1);
    std::error_code error;
    return std::filesystem::is_socket("/tmp/.X11-unix/X" + number, error);
}

SessionFacts readSessionFacts() {
    SessionFacts facts;
    facts.sessionType = environmentValue("XDG_SESSION_TYPE");
    facts.currentDesktop = environmentValue("XDG_CURRENT_DESKTOP");
    if (const std::string wayland = environmentValue("WAYLAND_DISPLAY"); waylandReachable(wayland))
        facts.waylandDisplay = wayland;
    if (const std::string x11 = environmentValue("DISPLAY"); x11Reachable(x11)) facts.x11Display = x11;
    facts.swaySocket = environmentValue("SWAYSOCK");
    facts.hyprlandSignature = environmentValue("HYPRLAND_INSTANCE_SIGNATURE");
    // Only a Wayland session asks the bus: under X11 RandR is the answer whoever else is there.
    if (isWaylandSession(facts))
        facts.mutterOnBus = SessionBus::nameHasOwner("org.gnome.Mutter.DisplayConfig");
    return facts;
}

}  // namespace

const SessionFacts& thisSession() {
    static const SessionFacts facts = readSessionFacts();
    return facts;
}

std::unique_ptr<OutputConfigurationBackend> makeSessionOutputConfiguration() {
    try {
        switch (chooseOutputConfiguration(thisSession())) {
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
#if LUMADESK_KDE_OUTPUT_MANAGEMENT
                // A compositor that names itself nowhere may still offer KWin's output management.
                if (isWaylandSession(thisSession()))
                    if (auto native = KdeOutputManagementBackend::connect()) return native;
#endif
                break;
        }
    } catch (const OutputConfigurationError&) {
        // The session's service is not reachable; disconnecting says it is not supported here.
    }
    return std::make_unique<UnsupportedSessionBackend>();
}

}  // namespace lumadesk
