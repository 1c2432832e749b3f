#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include "platform/DescriptorWatching.h"
#include "platform/KeyboardEvents.h"
#include "platform/linux/keys/EvdevBrightnessKeys.h"
#include "platform/linux/keys/PortalGlobalShortcuts.h"

struct _XDisplay;

namespace lumadesk {

// The brightness keys and the custom shortcuts in an X11 session, on a connection of its own:
// - the tap grabs the XF86MonBrightnessUp/Down keys on the root window (with every combination of the
//   lock modifiers, so Num Lock or Caps Lock do not matter), which keeps them from the desktop; a key the
//   desktop already grabbed is refused, and then no tap can be made;
// - the global monitor follows XInput 2 raw key events of the same keys and only observes;
// - hot keys are grabbed like the tap's keys, translated from their stored form;
// - the key-repeat timing is the server's auto-repeat setting.
// The HID path reads input devices and needs no X server; without an X server the hot keys go through
// the desktop portal when one is given. Without an X server the other paths are absent; when the
// server goes away they are dropped (the keys they held are reported released) and the program goes
// on without them.
class X11KeyboardEvents final : public KeyboardEvents {
public:
    // Connects to the X server of the display name (nullptr: the session's), unless told not to; without
    // a connection every X operation reports absence. The HID path is served by `inputDevices`, and the
    // hot keys without X by `portal`, when given. The watcher, input devices and portal must outlive
    // this object.
    explicit X11KeyboardEvents(DescriptorWatching& watcher, const char* displayName = nullptr,
                               bool connect = true, EvdevBrightnessKeys* inputDevices = nullptr,
                               PortalGlobalShortcuts* portal = nullptr);
    ~X11KeyboardEvents() override;

    // Whether an X server answered and is still there.
    bool connected();

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

    static void connectionLost(::_XDisplay* display, void* self);
    // Closes a connection whose server went away, releasing every key its paths held; false then.
    bool alive();
    // The portal serves the hot keys: no X server, and a portal that offers them.
    bool portalShortcuts();
    bool grabWithLocks(const Grab& grab);
    void ungrabWithLocks(const Grab& grab);
    void readEvents();
    void reportHotKey(int keycode, unsigned state, bool down);

    DescriptorWatching& m_watcher;
    EvdevBrightnessKeys* m_inputDevices;
    PortalGlobalShortcuts* m_portal;
    std::unique_ptr<Connection> m_connection;
    bool m_lost = false;
    std::unique_ptr<DescriptorWatch> m_watch;
    // The tap: the grabbed brightness keys (keycode -> up?) and whether reports are delivered.
    std::map<int, bool> m_tapKeys;
    std::set<int> m_heldTapKeys;
    std::set<bool> m_heldMonitorKeys;  // up?
    TapCallback m_tap;
    bool m_tapEnabled = false;
    MonitorCallback m_monitor;
    HotKeyCallback m_hotKeyHandler;
    std::map<std::uint64_t, std::pair<Grab, std::uint32_t>> m_hotKeys;  // reference -> grab, id
    std::uint64_t m_nextReference = 1;
    std::map<int, std::uint32_t> m_heldHotKeys;  // keycode -> id of the shortcut it pressed
};

}  // namespace lumadesk
