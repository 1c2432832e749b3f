#pragma once

#include <functional>
#include <string>

#include "platform/PermissionServices.h"

namespace lumadesk {

// The keyboard grants of a desktop session. The tap's grant is an X11 session whose server we reach;
// there is no system prompt for it, so a request tells the user what to do instead. Input devices are
// not read by this program, so there is nothing to grant for them.
class SessionPermissionServices final : public PermissionServices {
public:
    static constexpr const char* keysOwnedByDesktop =
        "Brightness keys are owned by the desktop: Lumadesk can take them only in an X11 session whose "
        "desktop does not use them itself. In other sessions, use the tray, the custom shortcuts or "
        "lumadesk-ctl.";

    // `tell` shows a message to the user.
    SessionPermissionServices(bool x11Session, std::function<void(const std::string&)> tell)
        : m_x11Session(x11Session), m_tell(std::move(tell)) {}

    bool accessibilityGranted() override { return m_x11Session; }
    bool inputMonitoringGranted() override { return true; }
    void requestAccessibility() override { m_tell(keysOwnedByDesktop); }
    void requestInputMonitoring() override {}

private:
    bool m_x11Session;
    std::function<void(const std::string&)> m_tell;
};

}  // namespace lumadesk
