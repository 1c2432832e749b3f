#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "keys/BrightnessKeyRepeater.h"
#include "platform/KeyboardEvents.h"

namespace lumadesk {

class PermissionServices;
class UserDefaults;

// What one capture path recognised: a key of one direction went down or up.
struct BrightnessKeyReport {
    BrightnessKeySource source = BrightnessKeySource::eventTapSystemIncrease;
    int delta = 0;  // +step or -step
    bool pressed = false;

    friend bool operator==(const BrightnessKeyReport&, const BrightnessKeyReport&) = default;
};

// Turns the brightness keys and the two custom shortcuts into brightness steps. It listens on four
// paths at once (the event tap, which consumes the keys; the HID monitor; the hot keys; the global
// monitor, which only observes and stands in when no tap can be made) and reports each press and
// release, tagged with its path, to the repeater, whose steps go to `onChange`.
class BrightnessKeyHandler {
public:
    static constexpr int step = 6;
    // The one log line of the handler, printf-style: the hot-key id and the platform's status.
    static constexpr const char* hotKeyFailureFormat =
        "[BrightnessKeyHandler] Failed to register hotkey id=%d status=%d";

    using Log = std::function<void(const std::string&)>;

    struct Services {
        KeyboardEvents& keyboard;
        PermissionServices& permissions;
        MainQueue& queue;
        const UserDefaults& defaults;
        Log log;
    };

    // Reads the key-repeat timing once; installs nothing. The services must outlive the handler.
    BrightnessKeyHandler(Services services, BrightnessKeyRepeater::OnChange onChange);
    ~BrightnessKeyHandler();
    BrightnessKeyHandler(const BrightnessKeyHandler&) = delete;
    BrightnessKeyHandler& operator=(const BrightnessKeyHandler&) = delete;

    BrightnessKeyRepeater& repeater() { return m_repeater; }
    bool hasEventTap() const { return m_eventTap; }
    bool hasHIDMonitor() const { return m_hidManager; }
    bool hasGlobalMonitor() const { return m_globalMonitor; }
    std::size_t hotKeyCount() const { return m_hotKeyRefs.size(); }

    // Installs the tap, or the global monitor when the tap's permission is missing or no tap can be made.
    void installEventTap();
    // Installs the HID monitor; a refused open leaves the path absent.
    void installHIDMonitor();
    // Registers both stored shortcuts (up as id 1, then down as id 2).
    void registerHotKeys();
    void removeEventTap();
    void removeHIDMonitor();
    void unregisterHotKeys();
    void removeGlobalMonitor();

    // The decoding tables of the paths; none for anything that is not a brightness key.
    static std::optional<BrightnessKeyReport> decodeTapEvent(const TapEvent& event);
    static std::optional<BrightnessKeyReport> decodeHIDValue(const HIDInputValue& value);
    static std::optional<BrightnessKeyReport> decodeHotKey(std::uint32_t id, bool pressed);
    static std::optional<BrightnessKeyReport> decodeMonitorEvent(const SystemDefinedEvent& event);

private:
    TapVerdict handleTapEvent(const TapEvent& event);
    void installGlobalMonitor();
    // Queues the report as its own main-thread job, as the tap, HID and hot-key callbacks do.
    void queueReport(const BrightnessKeyReport& report);
    void queueJob(std::function<void()> job);
    void forward(const BrightnessKeyReport& report);

    Services m_services;
    BrightnessKeyRepeater m_repeater;
    bool m_eventTap = false;
    bool m_hidManager = false;
    std::vector<std::optional<std::uint64_t>> m_hotKeyRefs;
    bool m_carbonEventHandler = false;
    bool m_globalMonitor = false;
    // Queued jobs hold this weakly and do nothing once the handler is gone.
    std::shared_ptr<BrightnessKeyHandler*> m_self;
};

}  // namespace lumadesk
