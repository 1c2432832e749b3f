#pragma once

#include <memory>
#include <string>

#include "platform/linux/configuration/OutputConfigurationBackend.h"

namespace lumadesk {

// The kinds of display-configuration service a session can have.
enum class OutputConfigurationKind { x11RandR, gnomeMutter, kdePlasma, wlroots, none };

// What the session offers, as found: the displays whose sockets can be reached, the compositor's own
// signs (its service on the bus, its IPC socket) and, as hints only, what the environment claims.
struct SessionFacts {
    std::string sessionType;     // XDG_SESSION_TYPE, a hint
    std::string currentDesktop;  // XDG_CURRENT_DESKTOP, a colon-separated list; a tie-breaker
    std::string waylandDisplay;  // WAYLAND_DISPLAY, when its socket is there; else empty
    std::string x11Display;      // DISPLAY, when its socket is there (or it names another host); else empty
    bool mutterOnBus = false;    // org.gnome.Mutter.DisplayConfig has an owner on the session bus
    std::string swaySocket{};    // SWAYSOCK: sway's IPC socket, set for its children however it started
    std::string hyprlandSignature{};  // HYPRLAND_INSTANCE_SIGNATURE
};

// Whether the session is a Wayland one: its display is reachable, and where an X display is reachable
// too (XWayland), the session type does not say X11.
bool isWaylandSession(const SessionFacts& facts);

// Picks the service that configures this session's displays. A Wayland session never gets RandR: the
// X server there is XWayland, whose outputs are not the real ones.
OutputConfigurationKind chooseOutputConfiguration(const SessionFacts& facts);

// What was found and why the choice follows from it, in words for diagnostics.
std::string describeSession(const SessionFacts& facts);

// The facts of the running session, from its sockets, environment and session bus; read once, at the
// first call, so that the display configuration and the brightness keys judge the same session.
const SessionFacts& thisSession();

// The backend of the running session, chosen once at start. A service that cannot be reached (no X
// server, no session bus) leaves the session unsupported; backend->name() says which was chosen.
std::unique_ptr<OutputConfigurationBackend> makeSessionOutputConfiguration();

}  // namespace lumadesk
