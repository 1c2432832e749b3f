#include "app/KeyboardSession.h"

#include <cstdlib>
#include <string>

#include "platform/linux/configuration/OutputConfigurationSelector.h"

namespace lumadesk {

KeyboardSession::KeyboardSession(std::ostream& err) {
    // On Wayland an X connection reaches only XWayland, whose grabs never see keys meant for the
    // desktop's own windows: no connection is made there.
    // The session as the display configuration judges it.
    const bool wayland = isWaylandSession(thisSession());
    if (wayland) {
        m_shortcuts = std::make_unique<PortalGlobalShortcuts>(
            m_watcher, [&err](const std::string& line) { err << line << "\n"; });
    }
    m_keyboard = std::make_unique<X11KeyboardEvents>(m_watcher, nullptr, !wayland, &m_brightnessKeys,
                                                     m_shortcuts.get());
    const bool x11 = !wayland && m_keyboard->connected();
    if (!x11) {
        err << "lumadesk: brightness keys cannot be taken from the desktop in this session (that needs an "
               "X11 session); "
            << (m_brightnessKeys.anyReadable() ? "they are read from the keyboards' input devices instead.\n"
                                               : "the tray and lumadesk-ctl work as usual.\n");
    }
    m_permissions = std::make_unique<SessionPermissionServices>(
        x11, m_brightnessKeys,
        [&err](const std::string& message) { err << "lumadesk: " << message << "\n"; });
}

LumadeskKeys KeyboardSession::keys(ScreenList& screens) {
    return {.keyboard = *m_keyboard,
            .permissions = *m_permissions,
            .screens = screens,
            .underTestHost = std::getenv("XCTestConfigurationFilePath") != nullptr};
}

}  // namespace lumadesk
