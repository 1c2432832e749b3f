#pragma once

#include <functional>
#include <string>

#include "platform/PermissionServices.h"

namespace lumadesk {

// The keyboard grants of a desktop session. The tap's grant is an X11 session whose server we reach;
// reading input devices is granted when one with brightness keys can be opened. There is no system
// prompt for either, so a request tells the user what to do instead.
class SessionPermissionServices final : public PermissionServices {
public:
    static constexpr const char* keysOwnedByDesktop =
        "Brightness keys are owned by the desktop: Lumadesk can take them only in an X11 session whose "
        "desktop does not use them itself. In other sessions, use the tray, the custom shortcuts or "
        "lumadesk-ctl.";
    static constexpr const char* inputDevicesClosed =
        "Brightness keys of keyboards are read from input devices, which your user may not open: add your "
        "user to the input group: sudo usermod -aG input $USER, then log in again.";

    // `tell` shows a message to the user; `inputDevicesReadable` tells whether an input device with
    // brightness keys can be opened now.
    SessionPermissionServices(bool x11Session, std::function<bool()> inputDevicesReadable,
                              std::function<void(const std::string&)> tell)
        : m_x11Session(x11Session), m_inputDevicesReadable(std::move(inputDevicesReadable)), m_tell(std::move(tell)) {}

    bool accessibilityGranted() override { return m_x11Session; }
    bool inputMonitoringGranted() override { return m_inputDevicesReadable(); }
    void requestAccessibility() override { m_tell(keysOwnedByDesktop); }
    void requestInputMonitoring() override { m_tell(inputDevicesClosed); }

private:
    bool m_x11Session;
    std::function<bool()> m_inputDevicesReadable;
    std::function<void(const std::string&)> m_tell;
};

}  // namespace lumadesk
