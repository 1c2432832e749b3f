#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/ReconfigurationCallbacks.h"
#include "platform/WindowServer.h"

namespace lumadesk {

// One display as the simulated window server knows it.
struct SimulatedDisplayEntry {
    DisplayID displayID = 0;
    bool isBuiltin = false;
    DisplayID mirrorsDisplay = 0;  // 0: mirrors none
    std::uint32_t vendor = 0;
    std::uint32_t model = 0;
    std::uint32_t serial = 0;
    std::uint32_t unit = 0;
    bool isPlugged = true;
    // Enabled in the current session, and in the permanent (saved) configuration.
    bool isEnabled = true;
    bool isPermanentlyEnabled = true;
};

// A window server over a fixed set of displays. A display is online while it is plugged in and enabled;
// the online list keeps the order the displays were given in. Configuration transactions collect enable
// requests and apply them on completion, refusing, as every real session does, one that would leave no
// display on the desktop; each call can be made to fail with a given code. Plugging,
// unplugging, enabling and disabling call the reconfiguration callbacks on the calling thread: first a
// notice with the begin-configuration flag for every display touched, then the change. Safe to use from
// any thread.
class SimulatedWindowServer final : public WindowServer {
public:
    // Flags of the change notices, with the values the window server gives them.
    static constexpr ReconfigurationFlags addFlag = 1U << 4;
    static constexpr ReconfigurationFlags removeFlag = 1U << 5;
    static constexpr ReconfigurationFlags enabledFlag = 1U << 8;
    static constexpr ReconfigurationFlags disabledFlag = 1U << 9;
    // The code of a call with a transaction or display the window server does not know.
    static constexpr WindowServerError illegalArgument = 1001;
    // The code of a transaction the window server refuses to apply.
    static constexpr WindowServerError cannotComplete = 1004;

    explicit SimulatedWindowServer(std::vector<SimulatedDisplayEntry> displays);

    OnlineDisplayList onlineDisplayIDs() override;
    bool isBuiltin(DisplayID displayID) override;
    DisplayID mirrorsDisplay(DisplayID displayID) override;
    std::uint32_t vendorNumber(DisplayID displayID) override;
    std::uint32_t modelNumber(DisplayID displayID) override;
    std::uint32_t serialNumber(DisplayID displayID) override;
    std::uint32_t unitNumber(DisplayID displayID) override;

    ConfigurationBegin beginConfiguration() override;
    WindowServerError configureDisplayEnabled(DisplayConfigurationRef configuration, DisplayID displayID,
                                              bool enabled) override;
    WindowServerError completeConfiguration(DisplayConfigurationRef configuration,
                                            ConfigureOption option) override;
    void cancelConfiguration(DisplayConfigurationRef configuration) override;
    WindowServerError restorePermanentConfiguration() override;
    std::string configurationFailureReason() override;

    ReconfigurationToken registerReconfigurationCallback(ReconfigurationCallback callback) override;
    void removeReconfigurationCallback(ReconfigurationToken token) override;

    // Plugs the display in or pulls it out, with the notices a real plug or unplug sends.
    void setPlugged(DisplayID displayID, bool plugged);
    // Makes the next begin, configure or complete calls answer with the code (0: succeed again).
    void setBeginError(WindowServerError code);
    void setConfigureError(WindowServerError code);
    void setCompleteError(WindowServerError code);

    // The display as it is now; none for an unknown display ID.
    std::optional<SimulatedDisplayEntry> display(DisplayID displayID) const;
    // Transactions begun and neither completed nor cancelled.
    std::size_t openConfigurationCount() const;

private:
    // A notice to send once the lock is released.
    using Notice = ReconfigurationNotice;

    // The entry of the display; null when unknown. The caller holds m_mutex.
    SimulatedDisplayEntry* find(DisplayID displayID);
    // Reads one field of a known display; zero for an unknown one, as the window server answers.
    template <typename Field>
    Field field(DisplayID displayID, Field SimulatedDisplayEntry::*member) const;
    // Whether a display would stay on the desktop after the requests. The caller holds m_mutex.
    bool leavesADisplayOn(const std::map<DisplayID, bool>& requests) const;
    // Applies the enable states and lists the notices they cause. The caller holds m_mutex.
    std::vector<Notice> applyEnabled(const std::map<DisplayID, bool>& requests, bool permanently);

    mutable std::mutex m_mutex;
    std::vector<SimulatedDisplayEntry> m_displays;
    // Where each display ID's entry is in m_displays (the first, should a desk repeat one).
    std::unordered_map<DisplayID, std::size_t> m_positions;
    std::map<DisplayConfigurationRef, std::map<DisplayID, bool>> m_openConfigurations;
    DisplayConfigurationRef m_lastConfiguration = 0;
    WindowServerError m_beginError = windowServerSuccess;
    WindowServerError m_configureError = windowServerSuccess;
    WindowServerError m_completeError = windowServerSuccess;
    std::string m_failureReason;
    ReconfigurationCallbacks m_callbacks;
};

}  // namespace lumadesk
