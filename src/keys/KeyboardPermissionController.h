#pragma once

#include <functional>

#include "runtime/Observable.h"

namespace lumadesk {

class PermissionServices;

// The two grants the key paths depend on.
struct KeyboardPermissionState {
    bool accessibilityGranted = false;
    bool inputMonitoringGranted = false;

    friend bool operator==(const KeyboardPermissionState&, const KeyboardPermissionState&) = default;
};

// Reads the keyboard grants, asks for the missing ones and publishes what it last read. Main thread
// only; one instance per process, handed out by the composition root.
class KeyboardPermissionController {
public:
    using ReadState = std::function<KeyboardPermissionState()>;
    using Request = std::function<void()>;

    // The three operations are injected; the initial state is read with `readState`.
    KeyboardPermissionController(ReadState readState, Request requestAccessibility,
                                 Request requestInputMonitoring);
    // Over the platform's permission services, which must outlive the controller.
    explicit KeyboardPermissionController(PermissionServices& services);

    Observable<KeyboardPermissionState>& state() { return m_state; }
    // Reads the grants again; true when they changed.
    bool refresh();
    // Asks for the missing grants, Input Monitoring first, and reads the state before and after.
    void requestAccess();

private:
    ReadState m_readState;
    Request m_requestAccessibility;
    Request m_requestInputMonitoring;
    Observable<KeyboardPermissionState> m_state;
};

}  // namespace lumadesk
