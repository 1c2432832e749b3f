#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/KeyboardEvents.h"
#include "platform/PermissionServices.h"

namespace lumadesk {

// A keyboard whose keys are pressed by calls: events go to whichever capture paths are installed, as a
// real keyboard's would. Refusals and timings are settable, and every platform call is logged in order.
class SimulatedKeyboardEvents final : public KeyboardEvents {
public:
    bool createEventTap(TapLocation location, TapOptions options, TapCallback callback) override;
    void enableEventTap(bool enabled) override;
    void invalidateEventTap() override;
    int openHIDMonitor(HIDCallback callback) override;
    void closeHIDMonitor() override;
    bool installHotKeyHandler(HotKeyCallback callback) override;
    void removeHotKeyHandler() override;
    HotKeyRegistration registerHotKey(std::uint32_t keyCode, std::uint32_t modifiers,
                                      std::uint32_t id) override;
    void unregisterHotKey(std::uint64_t reference) override;
    bool addGlobalMonitor(MonitorCallback callback) override;
    void removeGlobalMonitor() override;
    Duration keyRepeatDelay() override { return repeatDelay; }
    Duration keyRepeatInterval() override { return repeatInterval; }

    // The brightness key of one direction goes down or up: a media-key event on the tap (or, without
    // one, on the global monitor) and a consumer-control value on the HID monitor. Returns whether the
    // tap consumed it.
    bool pressBrightnessKey(bool up, bool down);
    // A key event with a virtual key code, as the tap sees it; none without a tap, else its verdict.
    std::optional<TapVerdict> sendTapEvent(const TapEvent& event);
    // A value from an input device; false when no HID monitor is open.
    bool sendHIDValue(const HIDInputValue& value);
    // The keys of a registered shortcut go down or up; false when no hot key matches.
    bool pressShortcut(std::uint32_t keyCode, std::uint32_t modifiers, bool down);
    // A hot-key event with the id, as the platform delivers it.
    bool sendHotKeyEvent(std::uint32_t id, bool pressed);

    // Settable behaviour.
    std::set<std::pair<TapLocation, TapOptions>> refusedTaps;
    int hidOpenResult = 0;
    std::map<std::uint32_t, std::int32_t> hotKeyStatusByID;  // missing = 0
    bool monitorAvailable = true;
    Duration repeatDelay = std::chrono::milliseconds(500);
    Duration repeatInterval = std::chrono::milliseconds(100);

    // State and the call log.
    bool hasTap() const { return m_tap != nullptr; }
    bool hasHIDMonitor() const { return m_hid != nullptr; }
    bool hasGlobalMonitor() const { return m_monitor != nullptr; }
    bool hasHotKeyHandler() const { return m_hotKeyHandler != nullptr; }
    std::vector<std::string> calls;

private:
    struct HotKey {
        std::uint32_t keyCode;
        std::uint32_t modifiers;
        std::uint32_t id;
    };

    TapCallback m_tap;
    std::optional<std::pair<TapLocation, TapOptions>> m_tapKind;
    bool m_tapEnabled = false;
    HIDCallback m_hid;
    HotKeyCallback m_hotKeyHandler;
    MonitorCallback m_monitor;
    std::map<std::uint64_t, HotKey> m_hotKeys;
    std::uint64_t m_nextReference = 1;
};

// Permission grants that a test or the demo sets, and the requests that were made.
class SimulatedPermissionServices final : public PermissionServices {
public:
    bool accessibilityGranted() override { return accessibility; }
    bool inputMonitoringGranted() override { return inputMonitoring; }
    void requestAccessibility() override { requests.emplace_back("accessibility"); }
    void requestInputMonitoring() override { requests.emplace_back("inputMonitoring"); }

    bool accessibility = true;
    bool inputMonitoring = true;
    std::vector<std::string> requests;
};

}  // namespace lumadesk
