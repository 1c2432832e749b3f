#include "platform/linux/keys/PortalGlobalShortcuts.h"

#include "platform/linux/keys/HotKeyTranslation.h"

#include <X11/Xlib.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace lumadesk {

namespace {

constexpr char portalService[] = "org.freedesktop.portal.Desktop";
constexpr char portalPath[] = "/org/freedesktop/portal/desktop";
constexpr char shortcutsInterface[] = "org.freedesktop.portal.GlobalShortcuts";
constexpr char requestInterface[] = "org.freedesktop.portal.Request";

constexpr unsigned shiftMask = 1U << 0;
constexpr unsigned controlMask = 1U << 2;
constexpr unsigned mod1Mask = 1U << 3;
constexpr unsigned mod4Mask = 1U << 6;

const char* shortcutName(std::uint32_t id) {
    return id == 1 ? PortalGlobalShortcuts::upShortcutID : PortalGlobalShortcuts::downShortcutID;
}

const char* descriptionOf(std::uint32_t id) {
    return id == 1 ? "Raise the brightness of the monitors" : "Lower the brightness of the monitors";
}

BusMessage methodCall(sd_bus* bus, const char* path, const char* interface, const char* member) {
    sd_bus_message* message = nullptr;
    if (sd_bus_message_new_method_call(bus, &message, portalService, path, interface, member) < 0) return {};
    return BusMessage(message);
}

// Reads a Response signal: its code (0 success, 1 cancelled, 2 other), and the string or object path
// under `key` in its results when asked for.
int readResponse(sd_bus_message* message, const char* key, std::string* value) {
    std::uint32_t code = 2;
    if (sd_bus_message_read(message, "u", &code) < 0) return 2;
    if (!key || sd_bus_message_enter_container(message, 'a', "{sv}") < 0) return static_cast<int>(code);
    while (sd_bus_message_enter_container(message, 'e', "sv") > 0) {
        const char* name = nullptr;
        if (sd_bus_message_read(message, "s", &name) < 0) break;
        char type = 0;
        const char* contents = nullptr;
        if (std::strcmp(name, key) == 0 && sd_bus_message_peek_type(message, &type, &contents) >= 0 &&
            contents && (std::strcmp(contents, "s") == 0 || std::strcmp(contents, "o") == 0)) {
            const char* text = nullptr;
            if (sd_bus_message_read(message, "v", contents, &text) >= 0 && text) *value = text;
        } else {
            sd_bus_message_skip(message, "v");
        }
        sd_bus_message_exit_container(message);
    }
    sd_bus_message_exit_container(message);
    return static_cast<int>(code);
}

}  // namespace

PortalGlobalShortcuts::PortalGlobalShortcuts(DescriptorWatching& watcher, Log log)
    : m_watcher(watcher), m_log(std::move(log)) {
    sd_bus* bus = nullptr;
    if (const int result = sd_bus_open_user(&bus); result < 0) {
        fail("there is no session bus (" + busErrorText(result) + ")");
        return;
    }
    m_bus.reset(bus);
    std::uint32_t version = 0;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    const int result = sd_bus_get_property_trivial(m_bus.get(), portalService, portalPath, shortcutsInterface,
                                                   "version", &error, 'u', &version);
    const std::string reason = error.message ? error.message : busErrorText(result);
    sd_bus_error_free(&error);
    if (result < 0) {
        fail("the desktop portal offers no global shortcuts here (" + reason + ")");
        return;
    }
    sd_bus_slot* slot = nullptr;
    if (sd_bus_match_signal(m_bus.get(), &slot, nullptr, portalPath, shortcutsInterface, nullptr,
                            &onShortcutSignal, this) < 0) {
        fail("the desktop portal's shortcut signals cannot be followed");
        return;
    }
    m_signals.reset(slot);
    m_wake = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    m_available = true;
    m_busWatch = m_watcher.watch(sd_bus_get_fd(m_bus.get()), [this] { processBus(); });
    m_wakeWatch = m_watcher.watch(m_wake, [this] {
        std::uint64_t count = 0;
        [[maybe_unused]] const auto taken = ::read(m_wake, &count, sizeof count);
        requestBinding();
    });
}

PortalGlobalShortcuts::~PortalGlobalShortcuts() {
    m_wakeWatch.reset();
    m_busWatch.reset();
    if (m_wake >= 0) ::close(m_wake);
    if (m_available && m_session == Session::open) {
        // The desktop forgets the session's shortcuts with it.
        sd_bus_call_method_async(m_bus.get(), nullptr, portalService, m_sessionHandle.c_str(),
                                 "org.freedesktop.portal.Session", "Close", nullptr, nullptr, "");
        sd_bus_flush(m_bus.get());
    }
}

void PortalGlobalShortcuts::fail(const std::string& reason) {
    if (!std::exchange(m_ended, true)) m_log("lumadesk: the custom brightness shortcuts are not available: " + reason + ".");
    m_available = false;
    m_signals.reset();
    m_response.reset();
    m_pendingCall.reset();
    m_wakeWatch.reset();
    m_busWatch.reset();
}

void PortalGlobalShortcuts::setHandler(KeyboardEvents::HotKeyCallback handler) {
    m_handler = std::move(handler);
}

std::optional<std::string> PortalGlobalShortcuts::triggerOf(std::uint32_t keyCode, std::uint32_t modifiers) {
    const auto key = translateHotKey(keyCode, modifiers);
    if (!key) return std::nullopt;
    const char* name = XKeysymToString(key->keysym);
    if (!name) return std::nullopt;
    std::string trigger;
    for (const auto& [mask, text] : {std::pair{controlMask, "CTRL+"}, std::pair{mod1Mask, "ALT+"},
                                     std::pair{shiftMask, "SHIFT+"}, std::pair{mod4Mask, "LOGO+"}}) {
        if (key->modifiers & mask) trigger += text;
    }
    return trigger + name;
}

HotKeyRegistration PortalGlobalShortcuts::registerShortcut(std::uint32_t keyCode, std::uint32_t modifiers,
                                                           std::uint32_t id) {
    if (!m_available) return {.status = unavailableStatus};
    const auto reference = m_nextReference++;
    // Without a trigger the desktop still offers the shortcut for the user to assign.
    m_shortcuts[reference] = {id, triggerOf(keyCode, modifiers)};
    bindOnNextTurn();
    return {.status = 0, .reference = reference};
}

void PortalGlobalShortcuts::unregisterShortcut(std::uint64_t reference) {
    if (m_shortcuts.erase(reference) != 0 && m_available) bindOnNextTurn();
}

void PortalGlobalShortcuts::bindOnNextTurn() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(m_wake, &one, sizeof one);
}

std::string PortalGlobalShortcuts::nextToken() {
    return "lumadesk" + std::to_string(++m_nextToken);
}

bool PortalGlobalShortcuts::callWithResponse(BusMessage call, const std::string& token,
                                             sd_bus_message_handler_t onResponse) {
    // The Request object's path is known before the call: matched first, its answer cannot be missed.
    const char* unique = nullptr;
    if (!call || sd_bus_get_unique_name(m_bus.get(), &unique) < 0) return false;
    std::string sender = unique + 1;
    std::ranges::replace(sender, '.', '_');
    const std::string path = std::string(portalPath) + "/request/" + sender + "/" + token;
    sd_bus_slot* slot = nullptr;
    if (sd_bus_match_signal(m_bus.get(), &slot, nullptr, path.c_str(), requestInterface, "Response", onResponse,
                            this) < 0)
        return false;
    m_response.reset(slot);
    slot = nullptr;
    if (sd_bus_call_async(m_bus.get(), &slot, call.get(), &onCallReply, this, 0) < 0) return false;
    m_pendingCall.reset(slot);
    sd_bus_flush(m_bus.get());
    return true;
}

void PortalGlobalShortcuts::requestBinding() {
    if (!m_available || m_shortcuts.empty()) return;
    if (m_session == Session::creating) return;  // bound once the session is there
    if (m_session == Session::none) {
        auto call = methodCall(m_bus.get(), portalPath, shortcutsInterface, "CreateSession");
        const auto token = nextToken();
        if (!call || sd_bus_message_append(call.get(), "a{sv}", 2, "handle_token", "s", token.c_str(),
                                           "session_handle_token", "s", token.c_str()) < 0 ||
            !callWithResponse(std::move(call), token, &onSessionCreated)) {
            fail("no session could be opened with the desktop portal");
            return;
        }
        m_session = Session::creating;
        return;
    }
    auto call = methodCall(m_bus.get(), portalPath, shortcutsInterface, "BindShortcuts");
    const auto token = nextToken();
    sd_bus_message* m = call.get();
    bool built = m && sd_bus_message_append(m, "o", m_sessionHandle.c_str()) >= 0 &&
                 sd_bus_message_open_container(m, 'a', "(sa{sv})") >= 0;
    for (const auto& [reference, shortcut] : m_shortcuts) {
        built = built && sd_bus_message_open_container(m, 'r', "sa{sv}") >= 0 &&
                sd_bus_message_append(m, "s", shortcutName(shortcut.id)) >= 0 &&
                sd_bus_message_open_container(m, 'a', "{sv}") >= 0 &&
                sd_bus_message_append(m, "{sv}", "description", "s", descriptionOf(shortcut.id)) >= 0 &&
                (!shortcut.trigger ||
                 sd_bus_message_append(m, "{sv}", "preferred_trigger", "s", shortcut.trigger->c_str()) >= 0) &&
                sd_bus_message_close_container(m) >= 0 && sd_bus_message_close_container(m) >= 0;
    }
    built = built && sd_bus_message_close_container(m) >= 0 &&
            sd_bus_message_append(m, "sa{sv}", "", 1, "handle_token", "s", token.c_str()) >= 0;
    if (!built || !callWithResponse(std::move(call), token, &onBound))
        fail("the desktop portal did not take the shortcuts");
}

int PortalGlobalShortcuts::onCallReply(sd_bus_message* message, void* self, sd_bus_error*) {
    auto* portal = static_cast<PortalGlobalShortcuts*>(self);
    if (const sd_bus_error* error = sd_bus_message_get_error(message)) {
        portal->fail(std::string("the desktop portal refused: ") + (error->message ? error->message : error->name));
    }
    return 0;
}

int PortalGlobalShortcuts::onSessionCreated(sd_bus_message* message, void* self, sd_bus_error*) {
    auto* portal = static_cast<PortalGlobalShortcuts*>(self);
    std::string handle;
    const int code = readResponse(message, "session_handle", &handle);
    if (code != 0 || handle.empty()) {
        portal->fail("the desktop portal opened no session (response " + std::to_string(code) + ")");
        return 0;
    }
    portal->m_sessionHandle = handle;
    portal->m_session = Session::open;
    portal->requestBinding();
    return 0;
}

int PortalGlobalShortcuts::onBound(sd_bus_message* message, void* self, sd_bus_error*) {
    auto* portal = static_cast<PortalGlobalShortcuts*>(self);
    // Cancelled by the user: the shortcuts stay unbound, and the rest of the program is unaffected.
    if (const int code = readResponse(message, nullptr, nullptr); code != 0)
        portal->m_log("lumadesk: the desktop did not bind the custom brightness shortcuts (response " +
                      std::to_string(code) + ").");
    return 0;
}

int PortalGlobalShortcuts::onShortcutSignal(sd_bus_message* message, void* self, sd_bus_error*) {
    auto* portal = static_cast<PortalGlobalShortcuts*>(self);
    const bool activated = sd_bus_message_is_signal(message, shortcutsInterface, "Activated");
    if (!activated && !sd_bus_message_is_signal(message, shortcutsInterface, "Deactivated")) return 0;
    const char* session = nullptr;
    const char* shortcut = nullptr;
    if (sd_bus_message_read(message, "os", &session, &shortcut) < 0) return 0;
    if (portal->m_sessionHandle != session || !portal->m_handler) return 0;
    for (const auto& [reference, registered] : portal->m_shortcuts) {
        if (std::strcmp(shortcutName(registered.id), shortcut) == 0) {
            portal->m_handler(registered.id, activated);
            return 0;
        }
    }
    return 0;
}

void PortalGlobalShortcuts::processBus() {
    // A failure while processing closes the bus; nothing is processed after that.
    while (m_available && sd_bus_process(m_bus.get(), nullptr) > 0) {
    }
}

}  // namespace lumadesk
