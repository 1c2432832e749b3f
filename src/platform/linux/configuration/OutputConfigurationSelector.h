#pragma once

#include <memory>
#include <string>

#include "platform/linux/configuration/OutputConfigurationBackend.h"

namespace lumadesk {

// The kinds of display-configuration service a session can have.
enum class OutputConfigurationKind { x11RandR, gnomeMutter, kdePlasma, wlroots, none };

// What the selection looks at: the session's environment and whether GNOME's service is on the bus.
struct SessionFacts {
    std::string sessionType;     // XDG_SESSION_TYPE
    std::string currentDesktop;  // XDG_CURRENT_DESKTOP, a colon-separated list
    std::string waylandDisplay;  // WAYLAND_DISPLAY
    std::string x11Display;      // DISPLAY
    bool mutterOnBus = false;    // org.gnome.Mutter.DisplayConfig has an owner on the session bus
};

// Picks the service that configures this session's displays. A Wayland session never gets RandR: the
// X server there is XWayland, whose outputs are not the real ones.
OutputConfigurationKind chooseOutputConfiguration(const SessionFacts& facts);

// The facts of the running session, from its environment and session bus.
SessionFacts currentSessionFacts();

// The backend of the running session, chosen once at start. A service that cannot be reached (no X
// server, no session bus) leaves the session unsupported; backend->name() says which was chosen.
std::unique_ptr<OutputConfigurationBackend> makeSessionOutputConfiguration();

}  // namespace lumadesk
