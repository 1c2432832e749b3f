#pragma once

#include <functional>
#include <string>

#include "platform/PermissionServices.h"
#include "platform/linux/keys/EvdevBrightnessKeys.h"

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

    // `tell` shows a message to the user; the input devices must outlive this object.
    SessionPermissionServices(bool x11Session, EvdevBrightnessKeys& inputDevices,
                              std::function<void(const std::string&)> tell)
        : m_x11Session(x11Session), m_inputDevices(inputDevices), m_tell(std::move(tell)) {}

    bool accessibilityGranted() override { return m_x11Session; }
    bool inputMonitoringGranted() override { return m_inputDevices.anyReadable(); }
    void requestAccessibility() override { m_tell(keysOwnedByDesktop); }
    // Only where devices refused to open: a machine without such a keyboard has nothing to grant.
    void requestInputMonitoring() override {
        if (m_inputDevices.accessRefused()) m_tell(inputDevicesClosed);
    }

private:
    bool m_x11Session;
    EvdevBrightnessKeys& m_inputDevices;
    std::function<void(const std::string&)> m_tell;
};

}  // namespace lumadesk
