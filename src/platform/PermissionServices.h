#pragma once

namespace lumadesk {

// The privacy grants the key paths depend on, and the requests that ask the user for them.
class PermissionServices {
public:
    virtual ~PermissionServices() = default;
    PermissionServices() = default;
    PermissionServices(const PermissionServices&) = delete;
    PermissionServices& operator=(const PermissionServices&) = delete;

    // Whether the event tap may see and consume the keyboard's events.
    virtual bool accessibilityGranted() = 0;
    // Whether input devices may be read.
    virtual bool inputMonitoringGranted() = 0;
    // Asks the user to grant the tap's permission; does not wait for the answer.
    virtual void requestAccessibility() = 0;
    // Asks the user to grant input-device access; does not wait for the answer.
    virtual void requestInputMonitoring() = 0;
};

}  // namespace lumadesk
