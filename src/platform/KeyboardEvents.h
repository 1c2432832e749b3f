#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

#include "runtime/Clock.h"

namespace lumadesk {

// Event types as the event tap reports them.
enum class KeyboardEventType : std::uint32_t {
    keyDown = 10,
    keyUp = 11,
    systemDefined = 14,
    tapDisabledByTimeout = 0xFFFFFFFEu,
    tapDisabledByUserInput = 0xFFFFFFFFu,
};

// One event seen by the tap. System-defined (media-key) events carry their subtype and data word when
// the platform could decode them; key events carry their virtual key code.
struct TapEvent {
    KeyboardEventType type = KeyboardEventType::keyDown;
    std::int64_t keyCode = 0;
    std::optional<std::int16_t> subtype{};
    std::optional<std::int64_t> data1{};
};

// A system-defined event as the global monitor observes it.
struct SystemDefinedEvent {
    std::int16_t subtype = 0;
    std::int64_t data1 = 0;
};

// The media-key event of a brightness key, as platforms that have no such events of their own report
// their brightness keys: subtype 8, the key (2 up, 3 down) in bits 16...31 of the data word and its
// state (0x0A down, 0x0B up) in bits 8...15.
inline SystemDefinedEvent brightnessKeyEvent(bool up, bool down) {
    return {.subtype = 8,
            .data1 = (std::int64_t{up ? 2 : 3} << 16) | (std::int64_t{down ? 0x0A : 0x0B} << 8)};
}

// One input value of a matched HID device.
struct HIDInputValue {
    std::uint32_t usagePage = 0;
    std::uint32_t usage = 0;
    std::int64_t value = 0;
};

// Where a tap sits in the event stream, and whether it may drop events.
enum class TapLocation { session, hid };
enum class TapOptions { defaultTap, listenOnly };

// What the tap's callback tells the platform to do with the event.
enum class TapVerdict { pass, consume };

// The result of registering one hot key: the platform's status (0 = success) and, when one was
// obtained, a reference to unregister it by.
struct HotKeyRegistration {
    std::int32_t status = 0;
    std::optional<std::uint64_t> reference{};
};

// The keyboard as the brightness keys need it: four capture paths and the system's key-repeat timing.
// Every callback is called on the main thread; none of them is called after its path was removed.
class KeyboardEvents {
public:
    using TapCallback = std::function<TapVerdict(const TapEvent&)>;
    using HIDCallback = std::function<void(const HIDInputValue&)>;
    using HotKeyCallback = std::function<void(std::uint32_t id, bool pressed)>;
    using MonitorCallback = std::function<void(const SystemDefinedEvent&)>;

    virtual ~KeyboardEvents() = default;
    KeyboardEvents() = default;
    KeyboardEvents(const KeyboardEvents&) = delete;
    KeyboardEvents& operator=(const KeyboardEvents&) = delete;

    // Creates the event tap for key down, key up and system-defined events; false when it cannot be made.
    virtual bool createEventTap(TapLocation location, TapOptions options, TapCallback callback) = 0;
    // Starts or pauses delivery of the created tap.
    virtual void enableEventTap(bool enabled) = 0;
    // Ends the tap; its callback is not called again.
    virtual void invalidateEventTap() = 0;

    // Opens the HID monitor on keyboards and consumer-control devices; 0 on success, else the failure.
    virtual int openHIDMonitor(HIDCallback callback) = 0;
    // Closes the HID monitor (also after a failed open).
    virtual void closeHIDMonitor() = 0;

    // Installs the handler of hot-key presses and releases; false when it cannot be installed.
    virtual bool installHotKeyHandler(HotKeyCallback callback) = 0;
    // Removes the hot-key handler.
    virtual void removeHotKeyHandler() = 0;
    // Registers a hot key by its stored key code and modifier mask under the id.
    virtual HotKeyRegistration registerHotKey(std::uint32_t keyCode, std::uint32_t modifiers,
                                              std::uint32_t id) = 0;
    // Unregisters a hot key registered before.
    virtual void unregisterHotKey(std::uint64_t reference) = 0;

    // Starts observing system-defined events sent to other applications; false when it cannot.
    virtual bool addGlobalMonitor(MonitorCallback callback) = 0;
    // Stops observing.
    virtual void removeGlobalMonitor() = 0;

    // The system's key-repeat delay and interval.
    virtual Duration keyRepeatDelay() = 0;
    virtual Duration keyRepeatInterval() = 0;
};

}  // namespace lumadesk
