#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "platform/DescriptorWatching.h"
#include "platform/KeyboardEvents.h"

namespace lumadesk {

// The brightness keys and the custom shortcuts in an X11 session, on a connection of its own:
// - the tap grabs the XF86MonBrightnessUp/Down keys on the root window (with every combination of the
//   lock modifiers, so Num Lock or Caps Lock do not matter), which keeps them from the desktop; a key the
//   desktop already grabbed is refused, and then no tap can be made;
// - the global monitor follows XInput 2 raw key events of the same keys and only observes;
// - hot keys are grabbed like the tap's keys, translated from their stored form;
// - the key-repeat timing is the server's auto-repeat setting.
// The HID path is not served here. Without an X server every path is absent.
class X11KeyboardEvents final : public KeyboardEvents {
public:
    // Connects to the X server of the display name (nullptr: the session's), unless told not to; without
    // a connection every operation reports absence. The watcher must outlive this object.
    explicit X11KeyboardEvents(DescriptorWatching& watcher, const char* displayName = nullptr,
                               bool connect = true);
    ~X11KeyboardEvents() override;

    // Whether an X server answered.
    bool connected() const;

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
    Duration keyRepeatDelay() override;
    Duration keyRepeatInterval() override;

    // Statuses of a refused hot key: no keysym for the stored key code, no key for the keysym, or the
    // grab was refused (another program holds the combination).
    static constexpr std::int32_t noKeysymStatus = -1;
    static constexpr std::int32_t noKeyStatus = -2;
    static constexpr std::int32_t grabRefusedStatus = -3;

private:
    struct Connection;
    struct Grab {
        int keycode;
        unsigned modifiers;
    };

    bool grabWithLocks(const Grab& grab);
    void ungrabWithLocks(const Grab& grab);
    void readEvents();
    void reportHotKey(int keycode, unsigned state, bool down);

    DescriptorWatching& m_watcher;
    std::unique_ptr<Connection> m_connection;
    std::unique_ptr<DescriptorWatch> m_watch;
    // The tap: the grabbed brightness keys (keycode -> up?) and whether reports are delivered.
    std::map<int, bool> m_tapKeys;
    TapCallback m_tap;
    bool m_tapEnabled = false;
    MonitorCallback m_monitor;
    HotKeyCallback m_hotKeyHandler;
    std::map<std::uint64_t, std::pair<Grab, std::uint32_t>> m_hotKeys;  // reference -> grab, id
    std::uint64_t m_nextReference = 1;
    std::map<int, std::uint32_t> m_heldHotKeys;  // keycode -> id of the shortcut it pressed
};

}  // namespace lumadesk
