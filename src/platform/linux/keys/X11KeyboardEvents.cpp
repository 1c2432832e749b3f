#include "platform/linux/keys/X11KeyboardEvents.h"

#include "platform/linux/keys/HotKeyTranslation.h"

#include <X11/XF86keysym.h>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/keysym.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cerrno>
#include <utility>
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

// Xlib's default reaction to a broken connection ends the process, whatever its exit handler; ours is
// told apart by the connections this file opened, and every other keeps the reaction it had.
std::vector<Display*> g_ownDisplays;
XIOErrorHandler g_previousIOErrorHandler = nullptr;

int ioError(Display* display) {
    if (std::ranges::find(g_ownDisplays, display) == g_ownDisplays.end())
        return g_previousIOErrorHandler ? g_previousIOErrorHandler(display) : 0;
    std::fprintf(stderr, "lumadesk: the X server %s closed the connection; its key paths are ended\n",
                 DisplayString(display));
    return 0;
}

}  // namespace

struct X11KeyboardEvents::Connection {
    Display* display = nullptr;
    Window root = 0;
    int xiOpcode = -1;  // -1: no XInput 2
    unsigned numLock = 0;
    unsigned scrollLock = 0;

    ~Connection() {
        if (!display) return;
        XCloseDisplay(display);
        std::erase(g_ownDisplays, display);
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

X11KeyboardEvents::X11KeyboardEvents(DescriptorWatching& watcher, const char* displayName, bool connect,
                                     EvdevBrightnessKeys* inputDevices, PortalGlobalShortcuts* portal)
    : m_watcher(watcher), m_inputDevices(inputDevices), m_portal(portal) {
    Display* display = connect ? XOpenDisplay(displayName) : nullptr;
    if (!display) return;
    m_connection = std::make_unique<Connection>();
    m_connection->display = display;
    // Xlib ends the process when the connection breaks, unless told otherwise: here the paths end instead.
    if (g_ownDisplays.empty()) {
        const auto previous = XSetIOErrorHandler(ioError);
        if (previous != ioError) g_previousIOErrorHandler = previous;
    }
    g_ownDisplays.push_back(display);
    XSetIOErrorExitHandler(display, connectionLost, this);
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

bool X11KeyboardEvents::connected() {
    return alive();
}

void X11KeyboardEvents::connectionLost(Display*, void* self) {
    // Only noted: Xlib is inside one of its calls. The connection is closed once that call returned.
    static_cast<X11KeyboardEvents*>(self)->m_lost = true;
}

bool X11KeyboardEvents::alive() {
    if (!m_connection) return false;
    if (!m_lost) return true;
    // The socket stays readable at its end: without closing, its watch would fire for ever.
    m_watch.reset();
    m_connection.reset();
    const auto heldTapKeys = std::exchange(m_heldTapKeys, {});
    const auto heldMonitorKeys = std::exchange(m_heldMonitorKeys, {});
    const auto heldHotKeys = std::exchange(m_heldHotKeys, {});
    if (m_tap && m_tapEnabled) {
        for (const int code : heldTapKeys) {
            const auto media = brightnessKeyEvent(m_tapKeys[code], false);
            m_tap({.type = KeyboardEventType::systemDefined, .keyCode = 0, .subtype = media.subtype,
                   .data1 = media.data1});
        }
    }
    if (m_monitor) {
        for (const bool up : heldMonitorKeys) m_monitor(brightnessKeyEvent(up, false));
    }
    if (m_hotKeyHandler) {
        for (const auto& [code, id] : heldHotKeys) m_hotKeyHandler(id, false);
    }
    m_tapKeys.clear();
    m_hotKeys.clear();
    return false;
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
    if (trap.succeeded() && !m_lost) return true;
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
    if (!alive() || location != TapLocation::session || options != TapOptions::defaultTap) return false;
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
    if (alive()) {
        for (const auto& [code, _] : m_tapKeys) ungrabWithLocks({code, 0});
    }
    m_tapKeys.clear();
    m_heldTapKeys.clear();
    m_tap = nullptr;
    m_tapEnabled = false;
}

int X11KeyboardEvents::openHIDMonitor(HIDCallback callback) {
    return m_inputDevices ? m_inputDevices->open(std::move(callback)) : ENODEV;
}

void X11KeyboardEvents::closeHIDMonitor() {
    if (m_inputDevices) m_inputDevices->close();
}

bool X11KeyboardEvents::portalShortcuts() {
    return !alive() && m_portal && m_portal->available();
}

bool X11KeyboardEvents::installHotKeyHandler(HotKeyCallback callback) {
    if (portalShortcuts()) {
        m_portal->setHandler(std::move(callback));
        return true;
    }
    if (!alive()) return false;
    m_hotKeyHandler = std::move(callback);
    return true;
}

void X11KeyboardEvents::removeHotKeyHandler() {
    if (m_portal) m_portal->setHandler(nullptr);
    m_hotKeyHandler = nullptr;
    m_heldHotKeys.clear();
}

HotKeyRegistration X11KeyboardEvents::registerHotKey(std::uint32_t keyCode, std::uint32_t modifiers,
                                                     std::uint32_t id) {
    if (portalShortcuts()) return m_portal->registerShortcut(keyCode, modifiers, id);
    if (!alive()) return {.status = grabRefusedStatus};
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
    if (it == m_hotKeys.end()) {
        if (m_portal) m_portal->unregisterShortcut(reference);
        return;
    }
    if (alive()) ungrabWithLocks(it->second.first);
    m_hotKeys.erase(it);
}

bool X11KeyboardEvents::addGlobalMonitor(MonitorCallback callback) {
    if (!alive() || m_connection->xiOpcode < 0) return false;
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
    m_heldMonitorKeys.clear();
    if (!alive() || m_connection->xiOpcode < 0) return;
    std::array<unsigned char, XIMaskLen(XI_LASTEVENT)> bits{};
    XIEventMask mask{XIAllMasterDevices, static_cast<int>(bits.size()), bits.data()};
    XISelectEvents(m_connection->display, m_connection->root, &mask, 1);
    XFlush(m_connection->display);
}

Duration X11KeyboardEvents::keyRepeatDelay() {
    unsigned delay = 600;
    unsigned interval = 40;
    if (alive()) XkbGetAutoRepeatRate(m_connection->display, XkbUseCoreKbd, &delay, &interval);
    return std::chrono::milliseconds(delay);
}

Duration X11KeyboardEvents::keyRepeatInterval() {
    unsigned delay = 600;
    unsigned interval = 40;  // 25 per second
    if (alive()) XkbGetAutoRepeatRate(m_connection->display, XkbUseCoreKbd, &delay, &interval);
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
    if (!alive()) return;
    Display* display = m_connection->display;
    while (!m_lost && XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == KeyPress || event.type == KeyRelease) {
            const bool down = event.type == KeyPress;
            const int keycode = static_cast<int>(event.xkey.keycode);
            if (const auto key = m_tapKeys.find(keycode); key != m_tapKeys.end()) {
                if (m_tap && m_tapEnabled) {
                    if (down) {
                        m_heldTapKeys.insert(keycode);
                    } else {
                        m_heldTapKeys.erase(keycode);
                    }
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
                const bool up = keysym == XF86XK_MonBrightnessUp;
                if (down) {
                    m_heldMonitorKeys.insert(up);
                } else {
                    m_heldMonitorKeys.erase(up);
                }
                m_monitor(brightnessKeyEvent(up, down));
            }
        }
    }
    alive();
}

}  // namespace lumadesk
