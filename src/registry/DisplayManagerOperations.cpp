// The operations of DisplayManager that change displays on the user's behalf.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <utility>

#include "registry/CustomName.h"
#include "registry/DisplayManager.h"
#include "registry/DisplayReordering.h"
#include "registry/FailureDescription.h"
#include "registry/SessionDisplayConfiguration.h"
#include "runtime/Sleep.h"

namespace lumadesk {

namespace {

using namespace std::chrono_literals;

// How long the window server takes to settle after a display is enabled (after one is disabled: see
// DisplayManager::settleAfterDisable).
constexpr Duration settleAfterEnable = 300ms;

constexpr int minimumLevel = 0;
constexpr int maximumLevel = 100;

// Whether the window server lists the display as online; false when it cannot say.
bool isOnline(WindowServer& windowServer, DisplayID displayID) {
    const auto online = windowServer.onlineDisplayIDs();
    return online.error == windowServerSuccess &&
           std::ranges::find(online.displayIDs, displayID) != online.displayIDs.end();
}

int clampedLevel(std::int64_t level) {
    return static_cast<int>(std::clamp<std::int64_t>(level, minimumLevel, maximumLevel));
}

// Waits for the window server to settle; cancelling the task cuts the wait short but not what follows,
// so that a connection change is never left half done.
Task<void> settle(Duration duration) {
    try {
        co_await sleepFor(duration);
    } catch (const TaskCancelled&) {
    }
}

// One write of setBrightnessForAllDisplays; its failure, whatever it is, is not reported.
Task<void> writeBrightnessQuietly(DisplayManagingDDC* ddcInterface, int level, DisplayID displayID) {
    try {
        co_await ddcInterface->setBrightness(level, displayID);
    } catch (...) {
    }
}

}  // namespace

void DisplayManager::updateDisplay(const std::string& hardwareID,
                                   const std::function<void(Display&)>& change) {
    std::vector<Display> list = displays();
    const auto found = std::ranges::find(list, hardwareID, &Display::hardwareID);
    if (found == list.end()) return;
    change(*found);
    m_displays.set(std::move(list));
}

void DisplayManager::setHeldDisplayID(const std::string& hardwareID, std::optional<DisplayID> displayID) {
    DisconnectedDisplayIDs held = disconnectedDisplayIDs();
    if (displayID) {
        held[hardwareID] = *displayID;
    } else {
        held.erase(hardwareID);
    }
    m_disconnectedDisplayIDs.set(std::move(held));
}

Task<void> DisplayManager::setBrightness(int level, std::string hardwareID) {
    clearLastErrorMessage();
    const Display* display = findDisplay(hardwareID);
    if (!display || !display->isPresent) co_return;
    const int clamped = clampedLevel(level);
    const DisplayID displayID = display->id;
    const int written = monitorLevel(display->brightnessRange, clamped);

    std::optional<std::string> failure;
    try {
        co_await m_ddcInterface.setBrightness(written, displayID);
    } catch (...) {
        failure = failureDescription(std::current_exception());
    }
    if (failure) {
        m_lastErrorMessage.set(std::move(failure));
        co_return;
    }
    // The list may have been rebuilt during the write: look the display up again.
    updateDisplay(hardwareID, [clamped](Display& written) { written.brightness = clamped; });
}

Task<void> DisplayManager::stepBrightness(int delta, std::string hardwareID) {
    clearLastErrorMessage();
    const Display* display = findDisplay(hardwareID);
    if (!display || !display->isPresent) co_return;
    const auto running = m_brightnessSteps.find(hardwareID);
    const int from = running == m_brightnessSteps.end() ? display->brightness : running->second.target;
    BrightnessStep& step = m_brightnessSteps[hardwareID];
    step.target = clampedLevel(std::int64_t{from} + delta);
    // One writer per display: it picks up the newest target each time the scheduler lets it write.
    if (!step.writer.isValid()) step.writer = spawn(m_queue, writeBrightnessSteps(hardwareID, display->id));
    const TaskHandle writer = step.writer;
    co_await writer;
}

Task<std::vector<std::string>> DisplayManager::stepBrightnessForAllDisplays(int delta) {
    std::vector<std::string> stepped;
    std::vector<TaskHandle> steps;
    for (const Display& display : displays()) {
        if (!display.drivesBrightness()) continue;
        stepped.push_back(display.hardwareID);
        steps.push_back(spawn(m_queue, stepBrightness(delta, display.hardwareID)));
    }
    std::optional<std::string> failure;
    for (const TaskHandle& step : steps) {
        co_await step;
        // Each step clears the message as it starts: keep the first failure seen.
        if (!failure) failure = lastErrorMessage();
    }
    if (failure) m_lastErrorMessage.set(std::move(failure));
    co_return stepped;
}

Task<void> DisplayManager::writeBrightnessSteps(std::string hardwareID, DisplayID displayID) {
    // The newest target goes out through the display's range as it is when the write's turn comes.
    const auto target = std::make_shared<int>();
    const std::function<int()> newestMonitorLevel = [this, hardwareID, target] {
        *target = m_brightnessSteps.at(hardwareID).target;
        const Display* display = findDisplay(hardwareID);
        return monitorLevel(display ? display->brightnessRange : std::nullopt, *target);
    };
    while (true) {
        int level = 0;
        std::optional<std::string> failure;
        try {
            Task<int> write = m_ddcInterface.setNewestBrightness(newestMonitorLevel, displayID);
            co_await std::move(write);
            level = *target;
        } catch (...) {
            failure = failureDescription(std::current_exception());
        }
        if (failure) {
            m_brightnessSteps.erase(hardwareID);
            m_lastErrorMessage.set(std::move(failure));
            co_return;
        }
        updateDisplay(hardwareID, [level](Display& written) { written.brightness = level; });
        if (m_brightnessSteps.at(hardwareID).target == level) break;
    }
    m_brightnessSteps.erase(hardwareID);
}

Task<void> DisplayManager::setBrightnessForAllDisplays(int level) {
    const int clamped = clampedLevel(level);
    std::vector<Display> list = displays();
    std::vector<std::pair<DisplayID, int>> targets;  // with the monitor's level
    for (auto& display : list) {
        if (!display.drivesBrightness()) continue;
        display.brightness = clamped;
        targets.emplace_back(display.id, monitorLevel(display.brightnessRange, clamped));
    }
    // The views move at once; the hardware follows.
    m_displays.set(std::move(list));

    std::vector<TaskHandle> writes;
    writes.reserve(targets.size());
    for (const auto& [displayID, written] : targets) {
        writes.push_back(spawn(m_queue, writeBrightnessQuietly(&m_ddcInterface, written, displayID)));
    }
    for (const auto& write : writes) co_await write;
}

Task<void> DisplayManager::adjustBrightnessForAllDisplays(int delta) {
    const auto& list = displays();
    const auto first = std::ranges::find_if(list, &Display::drivesBrightness);
    if (first == list.end()) co_return;
    const int level = clampedLevel(std::int64_t{first->brightness} + delta);
    co_await setBrightnessForAllDisplays(level);
}

bool DisplayManager::setCustomName(std::optional<std::string> name, const std::string& hardwareID) {
    if (!findDisplay(hardwareID)) return false;
    updateDisplay(hardwareID,
                  [name = normalizedCustomName(name)](Display& display) { display.customName = name; });
    return persistDisplays();
}

void DisplayManager::setBrightnessRange(std::optional<BrightnessRange> range, const std::string& hardwareID) {
    clearLastErrorMessage();
    if (!findDisplay(hardwareID)) return;
    if (range && !range->isValid()) {
        m_lastErrorMessage.set(
            "The brightness range must have a minimum below its maximum, both between 0 and 100.");
        return;
    }
    updateDisplay(hardwareID, [range](Display& display) { display.brightnessRange = range; });
    persistDisplays();
}

void DisplayManager::setFollowsBuiltInScreen(bool follows, const std::string& hardwareID) {
    if (!findDisplay(hardwareID)) return;
    updateDisplay(hardwareID, [follows](Display& display) { display.followsBuiltInScreen = follows; });
    persistDisplays();
}

void DisplayManager::moveDisplays(const std::set<std::size_t>& fromOffsets, std::size_t toOffset) {
    if (fromOffsets.empty()) return;
    // The rows as the settings page lists them.
    std::vector<Display> rows = visibleDisplays();
    std::ranges::stable_sort(rows, {}, &Display::sortOrder);
    m_displays.set(reorderedDisplays(displays(), rows, fromOffsets, toOffset));
    persistDisplays();
}

Task<void> DisplayManager::setConnected(bool connect, std::string hardwareID) {
    clearLastErrorMessage();
    const Display* display = findDisplay(hardwareID);
    if (!display) co_return;

    const auto heldBefore = disconnectedDisplayIDs().find(hardwareID);
    const std::optional<DisplayID> heldIDBefore =
        heldBefore == disconnectedDisplayIDs().end() ? std::nullopt : std::optional(heldBefore->second);
    const std::optional<DisplayID> targetID = display->isPresent ? std::optional(display->id) : heldIDBefore;
    if (!targetID) {
        m_lastErrorMessage.set(connect ? "Cannot reconnect: no saved display ID for " + display->displayName()
                                       : display->displayName() + " is not on the desktop.");
        co_return;
    }
    const bool wasConnected = display->isConnected;
    const auto latestBefore = m_latestConnectionChanges.find(hardwareID);
    const std::optional<ConnectionChange> latestChangeBefore =
        latestBefore == m_latestConnectionChanges.end() ? std::nullopt : std::optional(latestBefore->second);
    const std::uint64_t change = ++m_connectionChangeCount;
    m_latestConnectionChanges[hardwareID] = {change, connect, m_queue.clock().monotonicNow()};

    // The toggle moves at once.
    updateDisplay(hardwareID, [connect](Display& changed) { changed.isConnected = connect; });

    // Re-enabling one display can bring back others this program holds disconnected.
    DisconnectedDisplayIDs setAside = disconnectedDisplayIDs();
    setAside.erase(hardwareID);
    // Remembered before the display is disabled, so that it is never off without being remembered.
    if (!connect) setHeldDisplayID(hardwareID, *targetID);

    std::optional<std::string> failure;
    try {
        m_ddcInterface.setDisplay(*targetID, connect);
    } catch (...) {
        failure = failureDescription(std::current_exception());
    }
    if (failure) {
        // Nothing changed, so nothing is remembered as changed: the toggle, the held entry (a failed
        // connect keeps it, the display is still off) and the latest change are as before.
        updateDisplay(hardwareID, [wasConnected](Display& restored) { restored.isConnected = wasConnected; });
        if (!connect) setHeldDisplayID(hardwareID, heldIDBefore);
        if (latestChangeBefore) {
            m_latestConnectionChanges[hardwareID] = *latestChangeBefore;
        } else {
            m_latestConnectionChanges.erase(hardwareID);
        }
        m_lastErrorMessage.set(std::move(failure));
        co_return;
    }

    if (!connect) {
        persistDisplays();
        co_await settle(settleAfterDisable);
    } else {
        co_await settle(settleAfterEnable);
        redisableHeldDisplays(setAside);
        co_await settle(settleAfterDisable);
        // A disconnect started meanwhile owns the entry now.
        if (m_latestConnectionChanges.at(hardwareID).number == change)
            setHeldDisplayID(hardwareID, std::nullopt);
    }
    co_await refresh();
}

void DisplayManager::redisableHeldDisplays(const DisconnectedDisplayIDs& setAside) {
    for (const auto& [hardwareID, displayID] : setAside) {
        // One reconnected or restored meanwhile, or being reconnected now, must stay on.
        const auto held = disconnectedDisplayIDs().find(hardwareID);
        if (held == disconnectedDisplayIDs().end() || held->second != displayID) continue;
        if (const auto latest = m_latestConnectionChanges.find(hardwareID);
            latest != m_latestConnectionChanges.end() && latest->second.connect)
            continue;
        bool disabled = false;
        try {
            disabled = configureDisplayForSession(m_windowServer, displayID, false) ==
                       SessionConfigurationResult::applied;
        } catch (...) {
        }
        // Best effort: one that the window server brought back and that stays on is no longer held, so
        // the list shows it on the desktop, where it can be disconnected again.
        if (!disabled && isOnline(m_windowServer, displayID)) setHeldDisplayID(hardwareID, std::nullopt);
    }
}

void DisplayManager::sleepDisplay(const std::string& hardwareID) {
    clearLastErrorMessage();
    const Display* display = findDisplay(hardwareID);
    if (!display || !display->isPresent) return;
    try {
        m_ddcInterface.sleepDisplay(display->id);
    } catch (...) {
        m_lastErrorMessage.set(failureDescription(std::current_exception()));
    }
}

void DisplayManager::restoreDisconnectedDisplays() {
    const DisconnectedDisplayIDs held = heldDisplaysToRestore();
    if (held.empty()) return;
    for (const auto& [hardwareID, displayID] : held) {
        // Failures are silent at quit; the records still say disconnected, so the next start knows.
        try {
            if (configureDisplayForSession(m_windowServer, displayID, true) ==
                SessionConfigurationResult::failed) {
                m_windowServer.restorePermanentConfiguration();
            }
        } catch (...) {
        }
    }
    m_disconnectedDisplayIDs.set({});
}

}  // namespace lumadesk
