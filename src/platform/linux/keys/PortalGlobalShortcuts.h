#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/DescriptorWatching.h"
#include "platform/KeyboardEvents.h"
#include "platform/linux/configuration/SessionBus.h"

namespace lumadesk {

// The custom shortcuts in a Wayland session, through the desktop portal's GlobalShortcuts interface:
// one session with the portal, both shortcuts bound in one request with their stored combinations as
// preferred triggers (the desktop may let the user change them), and the portal's Activated and
// Deactivated signals reported as hot-key presses and releases. Where the portal or the interface is
// missing, one line says so and the shortcuts are absent.
class PortalGlobalShortcuts {
public:
    using Log = std::function<void(const std::string&)>;

    static constexpr const char* upShortcutID = "brightness-up";
    static constexpr const char* downShortcutID = "brightness-down";
    // The registration status while the portal offers no shortcuts.
    static constexpr std::int32_t unavailableStatus = -4;

    // Connects to the session bus and asks the portal whether it offers global shortcuts. The watcher
    // must outlive this object.
    PortalGlobalShortcuts(DescriptorWatching& watcher, Log log);
    ~PortalGlobalShortcuts();
    PortalGlobalShortcuts(const PortalGlobalShortcuts&) = delete;
    PortalGlobalShortcuts& operator=(const PortalGlobalShortcuts&) = delete;

    bool available() const { return m_available; }

    void setHandler(KeyboardEvents::HotKeyCallback handler);
    // Adds a shortcut (id 1 up, 2 down) with its stored key code and modifiers; the binding follows on
    // the event loop's next turn, so shortcuts registered together are bound in one request.
    HotKeyRegistration registerShortcut(std::uint32_t keyCode, std::uint32_t modifiers, std::uint32_t id);
    void unregisterShortcut(std::uint64_t reference);

    // The portal's trigger text of a stored shortcut ("CTRL+ALT+Up"); none without a key for it.
    static std::optional<std::string> triggerOf(std::uint32_t keyCode, std::uint32_t modifiers);

private:
    struct Shortcut {
        std::uint32_t id;
        std::optional<std::string> trigger;
    };

    static int onSessionCreated(sd_bus_message* message, void* self, sd_bus_error* error);
    static int onBound(sd_bus_message* message, void* self, sd_bus_error* error);
    static int onShortcutSignal(sd_bus_message* message, void* self, sd_bus_error* error);
    static int onCallReply(sd_bus_message* message, void* self, sd_bus_error* error);

    void processBus();
    void bindOnNextTurn();
    void requestBinding();
    // Calls a portal method that answers through a Request object's Response signal, matched first.
    bool callWithResponse(BusMessage call, const std::string& token, sd_bus_message_handler_t onResponse);
    std::string nextToken();
    // Logs the one line and ends the shortcuts; the connection itself stays until destruction, as this
    // may run inside one of its callbacks.
    void fail(const std::string& reason);

    DescriptorWatching& m_watcher;
    Log m_log;
    std::unique_ptr<sd_bus, SessionBusDeleter> m_bus;
    bool m_available = false;
    bool m_ended = false;  // the one line was logged
    std::unique_ptr<DescriptorWatch> m_busWatch;
    int m_wake = -1;  // an eventfd: the next turn of the event loop
    std::unique_ptr<DescriptorWatch> m_wakeWatch;
    BusSlot m_signals;
    BusSlot m_response;
    BusSlot m_pendingCall;
    enum class Session { none, creating, open } m_session = Session::none;
    std::string m_sessionHandle;
    std::map<std::uint64_t, Shortcut> m_shortcuts;
    std::uint64_t m_nextReference = 1;
    unsigned m_nextToken = 0;
    KeyboardEvents::HotKeyCallback m_handler;
};

}  // namespace lumadesk
