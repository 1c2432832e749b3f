#pragma once

#include <functional>
#include <string>

#include "keys/KeyboardPermissionController.h"
#include "runtime/Signal.h"

namespace lumadesk {

// The two grants the brightness keys need: one for the path that consumes the keys, one for reading
// input devices. They are the keys' own.
using KeyboardGrants = KeyboardPermissionState;

// What the General page needs of the keyboard permissions: the last grants read, a re-read, and a
// request of the missing ones. The keys' own permission controller serves it through
// `KeyboardPermissionBinding`, so the page and the key paths never disagree.
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

// The General page's view of the keys' permission controller, which must outlive it: the page reads,
// refreshes and requests the same grants the key paths were installed by.
class KeyboardPermissionBinding final : public KeyboardPermissionControlling {
public:
    explicit KeyboardPermissionBinding(KeyboardPermissionController& controller) : m_controller(controller) {}

    KeyboardGrants grants() const override { return m_controller.state().get(); }
    bool refresh() override { return m_controller.refresh(); }
    void requestAccess() override { m_controller.requestAccess(); }
    Subscription observe(std::function<void()> callback) override;

private:
    KeyboardPermissionController& m_controller;
};

// The keyboard row's text for the grants ("Allow Lumadesk in Input Monitoring.").
std::string keyboardPermissionText(const KeyboardGrants& grants);
// The keyboard row shows only while a grant is missing.
inline bool needsKeyboardAccess(const KeyboardGrants& grants) {
    return !grants.accessibilityGranted || !grants.inputMonitoringGranted;
}

}  // namespace lumadesk
