#include "platform/linux/keys/X11KeyboardEvents.h"

#include "platform/linux/keys/HotKeyTranslation.h"

#include <X11/XF86keysym.h>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/keysym.h>

#include <array>
#include <vector>

namespace lumadesk {

namespace {

// Xlib reports request errors through one process-wide handler; grabs are checked by installing a
// catching handler around a synchronous round trip.
int g_lastError = 0;
int catchError(Display*, XErrorEvent* error) {
    g_lastError = error->error_code;
    return 0;
}

class ErrorTrap {
public:
    explicit ErrorTrap(Display* display) : m_display(display) {
        XSync(m_display, False);
        g_lastError = 0;
        m_previous = XSetErrorHandler(catchError);
    }
    ~ErrorTrap() { XSetErrorHandler(m_previous); }
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

    // Waits for the server's answers; true when none was an error.
    bool succeeded() {
        XSync(m_display, False);
        return g_lastError == 0;
    }

private:
    Display* m_display;
    XErrorHandler m_previous = nullptr;
};

}  // namespace

struct X11KeyboardEvents::Connection {
    Display* display = nullptr;
    Window root = 0;
    int xiOpcode = -1;  // -1: no XInput 2
    unsigned numLock = 0;
    unsigned scrollLock = 0;

    ~Connection() {
        if (display) XCloseDisplay(display);
    }

    // The modifier bit that a keysym's key sets (Num Lock, Scroll Lock); 0 when none.
    unsigned maskOf(KeySym keysym) const {
        unsigned mask = 0;
        const KeyCode code = XKeysymToKeycode(display, keysym);
        if (code == 0) return 0;
        XModifierKeymap* map = XGetModifierMapping(display);
        if (!map) return 0;
        for (int modifier = 0; modifier < 8; ++modifier) {
            for (int i = 0; i < map->max_keypermod; ++i) {
                if (map->modifiermap[modifier * map->max_keypermod + i] == code) mask = 1U << modifier;
            }
        }
        XFreeModifiermap(map);
        return mask;
    }
};

X11KeyboardEvents::X11KeyboardEvents(DescriptorWatching& watcher, const char* displayName, bool connect)
    : m_watcher(watcher) {
    Display* display = connect ? XOpenDisplay(displayName) : nullptr;
    if (!display) return;
    m_connection = std::make_unique<Connection>();
    m_connection->display = display;
    m_connection->root = DefaultRootWindow(display);
    int event = 0;
    int error = 0;
    int opcode = 0;
    if (XQueryExtension(display, "XInputExtension", &opcode, &event, &error)) {
        int major = 2;
        int minor = 2;
        if (XIQueryVersion(display, &major, &minor) == Success) m_connection->xiOpcode = opcode;
    }
    m_connection->numLock = m_connection->maskOf(XK_Num_Lock);
    m_connection->scrollLock = m_connection->maskOf(XK_Scroll_Lock);
    // A held grabbed key then repeats as presses only, without a release between them.
    XkbSetDetectableAutoRepeat(display, True, nullptr);
    m_watch = m_watcher.watch(ConnectionNumber(display), [this] { readEvents(); });
}

X11KeyboardEvents::~X11KeyboardEvents() {
    m_watch.reset();
}

bool X11KeyboardEvents::connected() const {
    return m_connection != nullptr;
}

bool X11KeyboardEvents::grabWithLocks(const Grab& grab) {
    auto& c = *m_connection;
    const std::array<unsigned, 8> locks{0,
                                        LockMask,
                                        c.numLock,
                                        c.scrollLock,
                                        LockMask | c.numLock,
                                        LockMask | c.scrollLock,
                                        c.numLock | c.scrollLock,
                                        LockMask | c.numLock | c.scrollLock};
    ErrorTrap trap(c.display);
    for (unsigned lock : locks) {
        XGrabKey(c.display, grab.keycode, grab.modifiers | lock, c.root, True, GrabModeAsync, GrabModeAsync);
    }
    if (trap.succeeded()) return true;
    ungrabWithLocks(grab);
    return false;
}

void X11KeyboardEvents::ungrabWithLocks(const Grab& grab) {
    auto& c = *m_connection;
    ErrorTrap trap(c.display);
    for (unsigned lock : {0U, unsigned{LockMask}, c.numLock, c.scrollLock}) {
        for (unsigned other : {0U, unsigned{LockMask}, c.numLock, c.scrollLock})
            XUngrabKey(c.display, grab.keycode, grab.modifiers | lock | other, c.root);
    }
    trap.succeeded();
}

bool X11KeyboardEvents::createEventTap(TapLocation location, TapOptions options, TapCallback callback) {
    // One kind of tap exists here: the grab on the session's root window, which always consumes.
    if (!m_connection || location != TapLocation::session || options != TapOptions::defaultTap) return false;
    std::map<int, bool> grabbed;
    for (const auto& [keysym, up] :
         {std::pair{XF86XK_MonBrightnessUp, true}, {XF86XK_MonBrightnessDown, false}}) {
        const int keycode = XKeysymToKeycode(m_connection->display, keysym);
        if (keycode == 0) continue;
        if (!grabWithLocks({keycode, 0})) {
            for (const auto& [code, _] : grabbed) ungrabWithLocks({code, 0});
            return false;
        }
        grabbed[keycode] = up;
    }
    if (grabbed.empty()) return false;
    m_tapKeys = std::move(grabbed);
    m_tap = std::move(callback);
    m_tapEnabled = false;
    return true;
}

void X11KeyboardEvents::enableEventTap(bool enabled) {
    m_tapEnabled = enabled;
}

void X11KeyboardEvents::invalidateEventTap() {
    if (m_connection) {
        for (const auto& [code, _] : m_tapKeys) ungrabWithLocks({code, 0});
    }
    m_tapKeys.clear();
    m_tap = nullptr;
    m_tapEnabled = false;
}

int X11KeyboardEvents::openHIDMonitor(HIDCallback) {
    return -1;
}

void X11KeyboardEvents::closeHIDMonitor() {}

bool X11KeyboardEvents::installHotKeyHandler(HotKeyCallback callback) {
    if (!m_connection) return false;
    m_hotKeyHandler = std::move(callback);
    return true;
}

void X11KeyboardEvents::removeHotKeyHandler() {
    m_hotKeyHandler = nullptr;
    m_heldHotKeys.clear();
}

HotKeyRegistration X11KeyboardEvents::registerHotKey(std::uint32_t keyCode, std::uint32_t modifiers,
                                                     std::uint32_t id) {
    if (!m_connection) return {.status = grabRefusedStatus};
    const auto translated = translateHotKey(keyCode, modifiers);
    if (!translated) return {.status = noKeysymStatus};
    const int keycode = XKeysymToKeycode(m_connection->display, translated->keysym);
    if (keycode == 0) return {.status = noKeyStatus};
    const Grab grab{keycode, translated->modifiers};
    if (!grabWithLocks(grab)) return {.status = grabRefusedStatus};
    const auto reference = m_nextReference++;
    m_hotKeys[reference] = {grab, id};
    return {.status = 0, .reference = reference};
}

void X11KeyboardEvents::unregisterHotKey(std::uint64_t reference) {
    const auto it = m_hotKeys.find(reference);
    if (it == m_hotKeys.end()) return;
    if (m_connection) ungrabWithLocks(it->second.first);
    m_hotKeys.erase(it);
}

bool X11KeyboardEvents::addGlobalMonitor(MonitorCallback callback) {
    if (!m_connection || m_connection->xiOpcode < 0) return false;
    std::array<unsigned char, XIMaskLen(XI_LASTEVENT)> bits{};
    XISetMask(bits.data(), XI_RawKeyPress);
    XISetMask(bits.data(), XI_RawKeyRelease);
    XIEventMask mask{XIAllMasterDevices, static_cast<int>(bits.size()), bits.data()};
    XISelectEvents(m_connection->display, m_connection->root, &mask, 1);
    XFlush(m_connection->display);
    m_monitor = std::move(callback);
    return true;
}

void X11KeyboardEvents::removeGlobalMonitor() {
    m_monitor = nullptr;
    if (!m_connection || m_connection->xiOpcode < 0) return;
    std::array<unsigned char, XIMaskLen(XI_LASTEVENT)> bits{};
    XIEventMask mask{XIAllMasterDevices, static_cast<int>(bits.size()), bits.data()};
    XISelectEvents(m_connection->display, m_connection->root, &mask, 1);
    XFlush(m_connection->display);
}

Duration X11KeyboardEvents::keyRepeatDelay() {
    unsigned delay = 600;
    unsigned interval = 40;
    if (m_connection) XkbGetAutoRepeatRate(m_connection->display, XkbUseCoreKbd, &delay, &interval);
    return std::chrono::milliseconds(delay);
}

Duration X11KeyboardEvents::keyRepeatInterval() {
    unsigned delay = 600;
    unsigned interval = 40;  // 25 per second
    if (m_connection) XkbGetAutoRepeatRate(m_connection->display, XkbUseCoreKbd, &delay, &interval);
    return std::chrono::milliseconds(interval);
}

void X11KeyboardEvents::reportHotKey(int keycode, unsigned state, bool down) {
    if (!down) {
        // The modifiers are often let go first: a release belongs to whichever shortcut its key pressed.
        if (const auto held = m_heldHotKeys.find(keycode); held != m_heldHotKeys.end()) {
            const auto id = held->second;
            m_heldHotKeys.erase(held);
            m_hotKeyHandler(id, false);
        }
        return;
    }
    const unsigned modifiers = state & ~(LockMask | m_connection->numLock | m_connection->scrollLock);
    for (const auto& [reference, hotKey] : m_hotKeys) {
        if (hotKey.first.keycode == keycode && hotKey.first.modifiers == modifiers) {
            m_heldHotKeys[keycode] = hotKey.second;
            m_hotKeyHandler(hotKey.second, true);
            return;
        }
    }
}

void X11KeyboardEvents::readEvents() {
    if (!m_connection) return;
    Display* display = m_connection->display;
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == KeyPress || event.type == KeyRelease) {
            const bool down = event.type == KeyPress;
            const int keycode = static_cast<int>(event.xkey.keycode);
            if (const auto key = m_tapKeys.find(keycode); key != m_tapKeys.end()) {
                if (m_tap && m_tapEnabled) {
                    const auto media = brightnessKeyEvent(key->second, down);
                    m_tap({.type = KeyboardEventType::systemDefined,
                           .keyCode = 0,
                           .subtype = media.subtype,
                           .data1 = media.data1});
                }
                continue;
            }
            if (m_hotKeyHandler) reportHotKey(keycode, event.xkey.state, down);
        } else if (event.type == GenericEvent && event.xcookie.extension == m_connection->xiOpcode &&
                   XGetEventData(display, &event.xcookie)) {
            const auto* raw = static_cast<const XIRawEvent*>(event.xcookie.data);
            const bool down = event.xcookie.evtype == XI_RawKeyPress;
            const KeySym keysym = XkbKeycodeToKeysym(display, static_cast<KeyCode>(raw->detail), 0, 0);
            const bool brightness = keysym == XF86XK_MonBrightnessUp || keysym == XF86XK_MonBrightnessDown;
            XFreeEventData(display, &event.xcookie);
            if (brightness && m_monitor) {
                m_monitor(brightnessKeyEvent(keysym == XF86XK_MonBrightnessUp, down));
            }
        }
    }
}

}  // namespace lumadesk
