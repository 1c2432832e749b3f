#include "platform/simulated/SimulatedKeyboardEvents.h"

namespace lumadesk {

namespace {

std::string describe(TapLocation location, TapOptions options) {
    return std::string(location == TapLocation::session ? "session" : "hid") +
           (options == TapOptions::listenOnly ? " listenOnly" : " default");
}

}  // namespace

bool SimulatedKeyboardEvents::createEventTap(TapLocation location, TapOptions options, TapCallback callback) {
    calls.push_back("createEventTap " + describe(location, options));
    if (refusedTaps.contains({location, options})) return false;
    m_tap = std::move(callback);
    m_tapKind = std::pair{location, options};
    return true;
}

void SimulatedKeyboardEvents::enableEventTap(bool enabled) {
    calls.push_back(enabled ? "enableEventTap true" : "enableEventTap false");
    m_tapEnabled = enabled;
}

void SimulatedKeyboardEvents::invalidateEventTap() {
    calls.emplace_back("invalidateEventTap");
    m_tap = nullptr;
    m_tapKind.reset();
    m_tapEnabled = false;
}

int SimulatedKeyboardEvents::openHIDMonitor(HIDCallback callback) {
    calls.emplace_back("openHIDMonitor");
    if (hidOpenResult == 0) m_hid = std::move(callback);
    return hidOpenResult;
}

void SimulatedKeyboardEvents::closeHIDMonitor() {
    calls.emplace_back("closeHIDMonitor");
    m_hid = nullptr;
}

bool SimulatedKeyboardEvents::installHotKeyHandler(HotKeyCallback callback) {
    calls.emplace_back("installHotKeyHandler");
    m_hotKeyHandler = std::move(callback);
    return true;
}

void SimulatedKeyboardEvents::removeHotKeyHandler() {
    calls.emplace_back("removeHotKeyHandler");
    m_hotKeyHandler = nullptr;
}

HotKeyRegistration SimulatedKeyboardEvents::registerHotKey(std::uint32_t keyCode, std::uint32_t modifiers,
                                                           std::uint32_t id) {
    calls.push_back("registerHotKey " + std::to_string(keyCode) + " " + std::to_string(modifiers) + " id " +
                    std::to_string(id));
    const auto status = hotKeyStatusByID.contains(id) ? hotKeyStatusByID.at(id) : 0;
    if (status != 0) return {.status = status, .reference = std::nullopt};
    const auto reference = m_nextReference++;
    m_hotKeys[reference] = {keyCode, modifiers, id};
    return {.status = 0, .reference = reference};
}

void SimulatedKeyboardEvents::unregisterHotKey(std::uint64_t reference) {
    calls.push_back("unregisterHotKey id " + std::to_string(m_hotKeys.at(reference).id));
    m_hotKeys.erase(reference);
}

bool SimulatedKeyboardEvents::addGlobalMonitor(MonitorCallback callback) {
    calls.emplace_back("addGlobalMonitor");
    if (!monitorAvailable) return false;
    m_monitor = std::move(callback);
    return true;
}

void SimulatedKeyboardEvents::removeGlobalMonitor() {
    calls.emplace_back("removeGlobalMonitor");
    m_monitor = nullptr;
}

bool SimulatedKeyboardEvents::pressBrightnessKey(bool up, bool down) {
    const auto event = brightnessKeyEvent(up, down);
    bool consumed = false;
    if (const auto verdict = sendTapEvent({.type = KeyboardEventType::systemDefined,
                                           .keyCode = 0,
                                           .subtype = event.subtype,
                                           .data1 = event.data1})) {
        consumed = *verdict == TapVerdict::consume;
    }
    // A consumed event reaches no other application, so the global monitor never sees it.
    if (!consumed && m_monitor) m_monitor(event);
    sendHIDValue({.usagePage = 0x0C, .usage = up ? 0x6Fu : 0x70u, .value = down ? 1 : 0});
    return consumed;
}

std::optional<TapVerdict> SimulatedKeyboardEvents::sendTapEvent(const TapEvent& event) {
    if (!m_tap || !m_tapEnabled) return std::nullopt;
    const auto verdict = m_tap(event);
    // A listen-only tap cannot drop anything.
    if (m_tapKind && m_tapKind->second == TapOptions::listenOnly) return TapVerdict::pass;
    return verdict;
}

bool SimulatedKeyboardEvents::sendHIDValue(const HIDInputValue& value) {
    if (!m_hid) return false;
    m_hid(value);
    return true;
}

bool SimulatedKeyboardEvents::pressShortcut(std::uint32_t keyCode, std::uint32_t modifiers, bool down) {
    for (const auto& [reference, hotKey] : m_hotKeys) {
        if (hotKey.keyCode == keyCode && hotKey.modifiers == modifiers)
            return sendHotKeyEvent(hotKey.id, down);
    }
    return false;
}

bool SimulatedKeyboardEvents::sendHotKeyEvent(std::uint32_t id, bool pressed) {
    if (!m_hotKeyHandler) return false;
    m_hotKeyHandler(id, pressed);
    return true;
}

}  // namespace lumadesk
