#pragma once

#include <functional>
#include <string>

#include "runtime/Observable.h"
#include "runtime/Signal.h"

namespace lumadesk {

// The two grants the brightness keys need: one for the path that consumes the keys, one for reading
// input devices.
struct KeyboardGrants {
    bool accessibilityGranted = false;
    bool inputMonitoringGranted = false;

    friend bool operator==(const KeyboardGrants&, const KeyboardGrants&) = default;
};

// What the General page needs of the keyboard permissions: the last grants read, a re-read, and a
// request of the missing ones. The keys' own permission controller serves it; until then
// `KeyboardPermissionModel` does, over the platform's operations.
class KeyboardPermissionControlling {
public:
    virtual ~KeyboardPermissionControlling() = default;
    KeyboardPermissionControlling() = default;
    KeyboardPermissionControlling(const KeyboardPermissionControlling&) = delete;
    KeyboardPermissionControlling& operator=(const KeyboardPermissionControlling&) = delete;

    // The grants last read.
    virtual KeyboardGrants grants() const = 0;
    // Reads the grants again; true when they changed.
    virtual bool refresh() = 0;
    // Asks for each missing grant, then reads the grants again.
    virtual void requestAccess() = 0;
    // Calls back after every change of the grants.
    [[nodiscard]] virtual Subscription observe(std::function<void()> callback) = 0;
};

// The permission logic over three injected operations: read the grants, ask for Accessibility, ask
// for Input Monitoring. Input Monitoring is asked for first; neither request waits for the answer.
class KeyboardPermissionModel final : public KeyboardPermissionControlling {
public:
    struct Operations {
        std::function<KeyboardGrants()> readState;
        std::function<void()> requestAccessibility;
        std::function<void()> requestInputMonitoring;
    };

    explicit KeyboardPermissionModel(Operations operations);

    KeyboardGrants grants() const override { return m_state.get(); }
    bool refresh() override;
    void requestAccess() override;
    Subscription observe(std::function<void()> callback) override;

private:
    Operations m_operations;
    Observable<KeyboardGrants> m_state;
};

// The keyboard row's text for the grants ("Allow Lumadesk in Input Monitoring.").
std::string keyboardPermissionText(const KeyboardGrants& grants);
// The keyboard row shows only while a grant is missing.
inline bool needsKeyboardAccess(const KeyboardGrants& grants) {
    return !grants.accessibilityGranted || !grants.inputMonitoringGranted;
}

}  // namespace lumadesk
