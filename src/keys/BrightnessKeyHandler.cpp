#include "keys/BrightnessKeyHandler.h"

#include "keys/BrightnessShortcut.h"
#include "platform/PermissionServices.h"

#include <array>
#include <cstdio>
#include <utility>

namespace lumadesk {

namespace {

using Source = BrightnessKeySource;

constexpr std::int16_t auxControlButtonsSubtype = 8;
constexpr std::int64_t brightnessUpMediaKey = 2;
constexpr std::int64_t brightnessDownMediaKey = 3;
constexpr std::int64_t mediaKeyDown = 0x0A;
constexpr std::int64_t mediaKeyUp = 0x0B;
constexpr std::uint32_t consumerUsagePage = 0x0C;
constexpr std::uint32_t brightnessIncrementUsage = 0x6F;
constexpr std::uint32_t brightnessDecrementUsage = 0x70;
constexpr std::uint32_t upHotKeyID = 1;
constexpr std::uint32_t downHotKeyID = 2;

BrightnessKeyReport report(Source increase, Source decrease, bool up, bool pressed) {
    return {.source = up ? increase : decrease,
            .delta = up ? BrightnessKeyHandler::step : -BrightnessKeyHandler::step,
            .pressed = pressed};
}

// A media-key event: subtype 8, the key in bits 16...31 of the low word, its state in bits 8...15.
std::optional<BrightnessKeyReport> decodeSystemDefined(std::int16_t subtype, std::int64_t data1,
                                                       Source increase, Source decrease) {
    if (subtype != auxControlButtonsSubtype) return std::nullopt;
    const auto word = static_cast<std::uint32_t>(data1);
    const std::int64_t key = word >> 16;
    const std::int64_t state = (word >> 8) & 0xFF;
    if (state != mediaKeyDown && state != mediaKeyUp) return std::nullopt;
    if (key != brightnessUpMediaKey && key != brightnessDownMediaKey) return std::nullopt;
    return report(increase, decrease, key == brightnessUpMediaKey, state == mediaKeyDown);
}

std::string formatHotKeyFailure(std::uint32_t id, std::int32_t status) {
    std::array<char, 128> line{};
    std::snprintf(line.data(), line.size(), BrightnessKeyHandler::hotKeyFailureFormat, static_cast<int>(id),
                  static_cast<int>(status));
    return line.data();
}

}  // namespace

BrightnessKeyHandler::BrightnessKeyHandler(Services services, BrightnessKeyRepeater::OnChange onChange)
    : m_services(std::move(services)),
      m_repeater(m_services.queue, m_services.keyboard.keyRepeatDelay(),
                 m_services.keyboard.keyRepeatInterval(), std::move(onChange)),
      m_self(std::make_shared<BrightnessKeyHandler*>(this)) {}

BrightnessKeyHandler::~BrightnessKeyHandler() {
    removeEventTap();
    removeHIDMonitor();
    unregisterHotKeys();
    removeGlobalMonitor();
}

std::optional<BrightnessKeyReport> BrightnessKeyHandler::decodeTapEvent(const TapEvent& event) {
    switch (event.type) {
        case KeyboardEventType::systemDefined:
            if (!event.subtype || !event.data1) return std::nullopt;
            return decodeSystemDefined(*event.subtype, *event.data1, Source::eventTapSystemIncrease,
                                       Source::eventTapSystemDecrease);
        case KeyboardEventType::keyDown:
        case KeyboardEventType::keyUp: {
            const bool pressed = event.type == KeyboardEventType::keyDown;
            // F15 or 144 raise, F14 or 145 lower; modifiers are not looked at.
            if (event.keyCode == 113 || event.keyCode == 144)
                return report(Source::eventTapKeyIncrease, Source::eventTapKeyDecrease, true, pressed);
            if (event.keyCode == 107 || event.keyCode == 145)
                return report(Source::eventTapKeyIncrease, Source::eventTapKeyDecrease, false, pressed);
            return std::nullopt;
        }
        default:
            return std::nullopt;
    }
}

std::optional<BrightnessKeyReport> BrightnessKeyHandler::decodeHIDValue(const HIDInputValue& value) {
    if (value.usagePage != consumerUsagePage) return std::nullopt;
    if (value.usage != brightnessIncrementUsage && value.usage != brightnessDecrementUsage)
        return std::nullopt;
    return report(Source::hidIncrease, Source::hidDecrease, value.usage == brightnessIncrementUsage,
                  value.value != 0);
}

std::optional<BrightnessKeyReport> BrightnessKeyHandler::decodeHotKey(std::uint32_t id, bool pressed) {
    if (id != upHotKeyID && id != downHotKeyID) return std::nullopt;
    return report(Source::customIncrease, Source::customDecrease, id == upHotKeyID, pressed);
}

std::optional<BrightnessKeyReport> BrightnessKeyHandler::decodeMonitorEvent(const SystemDefinedEvent& event) {
    return decodeSystemDefined(event.subtype, event.data1, Source::globalMonitorIncrease,
                               Source::globalMonitorDecrease);
}

void BrightnessKeyHandler::installEventTap() {
    if (m_eventTap) return;
    if (!m_services.permissions.accessibilityGranted()) {
        installGlobalMonitor();
        return;
    }
    auto callback = [this](const TapEvent& event) { return handleTapEvent(event); };
    auto& keyboard = m_services.keyboard;
    const bool created = keyboard.createEventTap(TapLocation::session, TapOptions::defaultTap, callback) ||
                         keyboard.createEventTap(TapLocation::hid, TapOptions::defaultTap, callback) ||
                         keyboard.createEventTap(TapLocation::session, TapOptions::listenOnly, callback);
    if (!created) {
        installGlobalMonitor();
        return;
    }
    m_eventTap = true;
    keyboard.enableEventTap(true);
}

TapVerdict BrightnessKeyHandler::handleTapEvent(const TapEvent& event) {
    if (event.type == KeyboardEventType::tapDisabledByTimeout ||
        event.type == KeyboardEventType::tapDisabledByUserInput) {
        if (m_eventTap) m_services.keyboard.enableEventTap(true);
        // A key held while the tap was off may never report its release: let go of the tap's sources.
        queueJob([this] {
            for (auto source : {Source::eventTapSystemIncrease, Source::eventTapSystemDecrease,
                                Source::eventTapKeyIncrease, Source::eventTapKeyDecrease})
                m_repeater.release(source);
        });
        return TapVerdict::pass;
    }
    const auto decoded = decodeTapEvent(event);
    if (!decoded) return TapVerdict::pass;
    queueReport(*decoded);
    return TapVerdict::consume;
}

void BrightnessKeyHandler::installHIDMonitor() {
    if (m_hidManager) return;
    m_hidManager = true;
    const int result = m_services.keyboard.openHIDMonitor([this](const HIDInputValue& value) {
        if (const auto decoded = decodeHIDValue(value)) queueReport(*decoded);
    });
    if (result != 0) {
        m_services.keyboard.closeHIDMonitor();
        m_hidManager = false;
    }
}

void BrightnessKeyHandler::registerHotKeys() {
    const auto up = BrightnessShortcut::up(m_services.defaults);
    const auto down = BrightnessShortcut::down(m_services.defaults);
    if (!m_carbonEventHandler) {
        m_carbonEventHandler =
            m_services.keyboard.installHotKeyHandler([this](std::uint32_t id, bool pressed) {
                if (const auto decoded = decodeHotKey(id, pressed)) queueReport(*decoded);
            });
    }
    for (const auto& [shortcut, id] : {std::pair{up, upHotKeyID}, std::pair{down, downHotKeyID}}) {
        const auto registration =
            m_services.keyboard.registerHotKey(shortcut.keyCode, shortcut.modifiers, id);
        if (registration.status != 0 && m_services.log)
            m_services.log(formatHotKeyFailure(id, registration.status));
        if (registration.reference) m_hotKeyRefs.push_back(registration.reference);
    }
}

void BrightnessKeyHandler::installGlobalMonitor() {
    if (m_globalMonitor) return;
    m_globalMonitor = m_services.keyboard.addGlobalMonitor([this](const SystemDefinedEvent& event) {
        if (const auto decoded = decodeMonitorEvent(event)) forward(*decoded);
    });
}

void BrightnessKeyHandler::removeEventTap() {
    if (!m_eventTap) return;
    m_services.keyboard.enableEventTap(false);
    m_services.keyboard.invalidateEventTap();
    m_eventTap = false;
}

void BrightnessKeyHandler::removeHIDMonitor() {
    m_repeater.release(Source::hidIncrease);
    m_repeater.release(Source::hidDecrease);
    if (!m_hidManager) return;
    m_services.keyboard.closeHIDMonitor();
    m_hidManager = false;
}

void BrightnessKeyHandler::unregisterHotKeys() {
    m_repeater.release(Source::customIncrease);
    m_repeater.release(Source::customDecrease);
    for (const auto& reference : m_hotKeyRefs) {
        if (reference) m_services.keyboard.unregisterHotKey(*reference);
    }
    m_hotKeyRefs.clear();
    if (m_carbonEventHandler) {
        m_services.keyboard.removeHotKeyHandler();
        m_carbonEventHandler = false;
    }
}

void BrightnessKeyHandler::removeGlobalMonitor() {
    if (m_globalMonitor) {
        m_services.keyboard.removeGlobalMonitor();
        m_globalMonitor = false;
    }
    m_repeater.release(Source::globalMonitorIncrease);
    m_repeater.release(Source::globalMonitorDecrease);
}

void BrightnessKeyHandler::queueReport(const BrightnessKeyReport& report) {
    queueJob([this, report] { forward(report); });
}

void BrightnessKeyHandler::queueJob(std::function<void()> job) {
    m_services.queue.post([weak = std::weak_ptr(m_self), job = std::move(job)] {
        if (weak.lock()) job();
    });
}

void BrightnessKeyHandler::forward(const BrightnessKeyReport& report) {
    if (report.pressed) {
        m_repeater.press(report.delta, report.source);
    } else {
        m_repeater.release(report.source);
    }
}

}  // namespace lumadesk
