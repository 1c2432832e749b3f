#include "registry/DisplayManager.h"

#include <algorithm>
#include <exception>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "hardware/DisplayHardwareError.h"
#include "registry/DisplayStoreError.h"
#include "registry/FailureDescription.h"
#include "registry/LaunchAtLoginController.h"

namespace lumadesk {

namespace {

// The model name of a display held disconnected that neither the list nor the store knows any more.
constexpr std::string_view unknownModelName = "Display";
// The level assumed for a DDC display whose brightness could not be read and was never known.
constexpr int assumedBrightness = 100;

using DisplayIndex = std::unordered_map<std::string_view, const Display*>;

DisplayIndex indexByHardwareID(const std::vector<Display>& displays) {
    DisplayIndex index;
    for (const auto& display : displays) index.try_emplace(display.hardwareID, &display);
    return index;
}

const Display* lookUp(const DisplayIndex& index, const std::string& hardwareID) {
    const auto found = index.find(hardwareID);
    return found == index.end() ? nullptr : found->second;
}

// One row per online display, carrying over what the current list knows about it. A held display that
// is still listed (the window server has not taken it off yet) is handed over as disconnected, with the
// ID that re-enables it, so that the store keeps it held.
std::vector<Display> provisionalDisplays(const std::vector<DisplaySnapshot>& snapshots,
                                         const DisplayIndex& current,
                                         const DisplayManager::DisconnectedDisplayIDs& held) {
    std::vector<Display> displays;
    displays.reserve(snapshots.size());
    for (std::size_t position = 0; position < snapshots.size(); ++position) {
        const DisplaySnapshot& snapshot = snapshots[position];
        Display display{.id = snapshot.displayID,
                        .hardwareID = snapshot.hardwareID,
                        .modelName = snapshot.modelName,
                        .isConnected = true,
                        .isPresent = true,
                        .supportsDDC = snapshot.supportsDDC,
                        .sortOrder = static_cast<int>(position)};
        if (const Display* known = lookUp(current, snapshot.hardwareID)) {
            display.customName = known->customName;
            display.brightness = known->brightness;
            display.sortOrder = known->sortOrder;
        }
        if (const auto found = held.find(snapshot.hardwareID); found != held.end()) {
            display.id = found->second;
            display.isConnected = false;
        }
        displays.push_back(std::move(display));
    }
    return displays;
}

// The displays the records say this program holds disconnected (from an earlier run).
DisplayManager::DisconnectedDisplayIDs heldInRecords(const std::vector<PersistedDisplay>& records) {
    DisplayManager::DisconnectedDisplayIDs held;
    for (const auto& record : records) {
        if (record.savedDisplayID && !record.isConnected)
            held.try_emplace(record.hardwareID, *record.savedDisplayID);
    }
    return held;
}

// A display this program holds disconnected is off the desktop whatever the hardware says, and is
// addressed by the ID that re-enables it.
void markHeldDisplays(std::vector<Display>& displays, const DisplayManager::DisconnectedDisplayIDs& held) {
    for (auto& display : displays) {
        const auto found = held.find(display.hardwareID);
        if (found == held.end()) continue;
        display.id = found->second;
        display.brightness = 0;
        display.isConnected = false;
        display.isPresent = false;
        display.supportsDDC = false;
    }
}

// Held displays that the reconciled list does not carry still get a row, so they can be reconnected.
void appendMissingHeldDisplays(std::vector<Display>& displays,
                               const DisplayManager::DisconnectedDisplayIDs& held,
                               const DisplayIndex& previous) {
    for (const auto& [hardwareID, displayID] : held) {
        const bool listed = std::ranges::find(displays, hardwareID, &Display::hardwareID) != displays.end();
        if (listed) continue;
        const Display* known = lookUp(previous, hardwareID);
        displays.push_back(Display{
            .id = displayID,
            .hardwareID = hardwareID,
            .modelName = known ? known->modelName : std::string(unknownModelName),
            .customName = known ? known->customName : std::nullopt,
            .brightness = 0,
            .isConnected = false,
            .isPresent = false,
            .supportsDDC = false,
            .sortOrder = known ? known->sortOrder : static_cast<int>(displays.size()),
        });
    }
}

// The records that store the list: stored facts (last seen, last brightness) kept where the list has
// nothing newer; displays no longer listed are dropped.
std::vector<PersistedDisplay> recordsForDisplays(const std::vector<Display>& displays,
                                                 const std::vector<PersistedDisplay>& stored,
                                                 const DisplayManager::DisconnectedDisplayIDs& held,
                                                 WallInstant now) {
    std::unordered_map<std::string_view, const PersistedDisplay*> storedByHardwareID;
    for (const auto& record : stored) storedByHardwareID.try_emplace(record.hardwareID, &record);

    std::vector<PersistedDisplay> records;
    records.reserve(displays.size());
    for (const auto& display : displays) {
        std::optional<DisplayID> savedDisplayID;
        if (!display.isConnected) {
            if (const auto found = held.find(display.hardwareID); found != held.end()) {
                savedDisplayID = found->second;
            } else if (display.isPresent) {
                savedDisplayID = display.id;
            }
        }
        const std::optional<int> brightness =
            display.brightness > 0 ? std::optional(display.brightness) : std::nullopt;

        PersistedDisplay record;
        if (const auto found = storedByHardwareID.find(display.hardwareID);
            found != storedByHardwareID.end()) {
            record = *found->second;
            if (brightness) record.lastBrightness = brightness;
        } else {
            record.hardwareID = display.hardwareID;
            record.lastSeenAt = now;
            record.lastBrightness = brightness;
        }
        record.modelName = display.modelName;
        record.customName = display.customName;
        record.brightnessRange = display.brightnessRange;
        record.followsBuiltInScreen = display.followsBuiltInScreen;
        record.sortOrder = display.sortOrder;
        record.isConnected = display.isConnected;
        record.savedDisplayID = savedDisplayID;
        records.push_back(std::move(record));
    }
    return records;
}

// Refreshes the manager, unless it is gone by the time the task runs.
Task<void> refreshIfAlive(std::weak_ptr<DisplayManager> weakManager) {
    const auto manager = weakManager.lock();
    if (!manager) co_return;
    co_await manager->refresh();
}

}  // namespace

std::shared_ptr<DisplayManager> DisplayManager::create(Dependencies dependencies) {
    DisplayChangeRegistering& registrar = dependencies.displayChangeRegistrar;
    auto manager = std::make_shared<DisplayManager>(ConstructionKey{}, std::move(dependencies));
    manager->registerForDisplayChanges(registrar);
    if (manager->launchAtLoginNeedsApproval()) manager->startApprovalPoll();
    return manager;
}

DisplayManager::DisplayManager(ConstructionKey, Dependencies dependencies)
    : m_ddcInterface(dependencies.ddcInterface),
      m_store(dependencies.store),
      m_launchAtLoginController(std::move(dependencies.launchAtLoginController)),
      m_launchAtLoginChoice(dependencies.settings),
      m_serviceCache(dependencies.serviceCache),
      m_windowServer(dependencies.windowServer),
      m_queue(dependencies.queue) {
    if (!m_launchAtLoginController) {
        m_launchAtLoginController = std::make_unique<LaunchAtLoginController>(dependencies.loginItemService);
    }
    if (dependencies.registerLoginItemAtStart) registerLoginItemUnlessDeclined();
    const LoginItemStatus status = m_launchAtLoginController->loginItemStatus();
    m_launchAtLoginEnabled.set(countsAsOn(status));
    m_launchAtLoginNeedsApproval.set(status == LoginItemStatus::requiresApproval);
}

DisplayManager::~DisplayManager() {
    if (const auto& poll = m_approvalPollTask.get()) poll->cancel();
}

void DisplayManager::registerForDisplayChanges(DisplayChangeRegistering& registrar) {
    // The handler may run on any thread: it only queues main-thread work, which holds the manager
    // weakly so that a change arriving while it goes away does nothing.
    m_displayChangeObservation =
        registrar.registerForDisplayChanges([queue = &m_queue, weakManager = weak_from_this()] {
            queue->post([queue, weakManager] { spawn(*queue, refreshIfAlive(weakManager)); });
        });
}

std::vector<Display> DisplayManager::visibleDisplays() const {
    std::vector<Display> visible;
    for (const auto& display : displays()) {
        if (display.isPresent || disconnectedDisplayIDs().contains(display.hardwareID))
            visible.push_back(display);
    }
    return visible;
}

Subscription DisplayManager::subscribeToDisplays(Signal<std::vector<Display>>::Callback callback) {
    return m_displays.subscribe(std::move(callback));
}
Subscription DisplayManager::subscribeToLastErrorMessage(
    Signal<std::optional<std::string>>::Callback callback) {
    return m_lastErrorMessage.subscribe(std::move(callback));
}
Subscription DisplayManager::subscribeToHasLoaded(Signal<bool>::Callback callback) {
    return m_hasLoaded.subscribe(std::move(callback));
}
Subscription DisplayManager::subscribeToLastRefreshTime(
    Signal<std::optional<MonotonicInstant>>::Callback callback) {
    return m_lastRefreshTime.subscribe(std::move(callback));
}
Subscription DisplayManager::subscribeToDisconnectedDisplayIDs(
    Signal<DisconnectedDisplayIDs>::Callback callback) {
    return m_disconnectedDisplayIDs.subscribe(std::move(callback));
}
Subscription DisplayManager::subscribeToLaunchAtLoginEnabled(Signal<bool>::Callback callback) {
    return m_launchAtLoginEnabled.subscribe(std::move(callback));
}
Subscription DisplayManager::subscribeToLaunchAtLoginNeedsApproval(Signal<bool>::Callback callback) {
    return m_launchAtLoginNeedsApproval.subscribe(std::move(callback));
}
Subscription DisplayManager::subscribeToApprovalPollTask(
    Signal<std::optional<TaskHandle>>::Callback callback) {
    return m_approvalPollTask.subscribe(std::move(callback));
}

Task<void> DisplayManager::refresh() {
    // Everything below is synchronous, so refreshes never interleave with each other or anything else.
    rebuildDisplayList();
    co_return;
}

Task<void> DisplayManager::refreshIfNeeded(Duration maxAge) {
    const auto& last = lastRefreshTime();
    if (last && m_queue.clock().monotonicNow() - *last < maxAge) co_return;
    co_await refresh();
}

DisplayManager::DisconnectedDisplayIDs DisplayManager::heldDisplaysToRestore() {
    DisconnectedDisplayIDs held = disconnectedDisplayIDs();
    if (hasLoaded()) return held;
    try {
        const DisconnectedDisplayIDs fromRecords = heldInRecords(m_store.load());
        held.insert(fromRecords.begin(), fromRecords.end());
    } catch (...) {
        // Unreadable records: only what this run disconnected is known.
    }
    return held;
}

void DisplayManager::rebuildDisplayList() {
    clearLastErrorMessage();
    const DisplayIndex previousByHardwareID = indexByHardwareID(displays());

    DisconnectedDisplayIDs held = disconnectedDisplayIDs();
    std::vector<Display> reconciled;
    std::optional<std::string> saveFailure;
    try {
        m_serviceCache.resetServiceCache();
        // Displays held disconnected in an earlier run are known from their records. They are asked for
        // with the snapshots, so that identical monitors keep their numbers while one of them is off.
        const DisconnectedDisplayIDs heldBefore = heldInRecords(m_store.load());
        DisconnectedDisplayIDs known = held;
        known.insert(heldBefore.begin(), heldBefore.end());
        const std::vector<DisplaySnapshot> snapshots = m_ddcInterface.snapshots(known);
        // A held display is known by its display ID too: back without its twin, a monitor loses its number.
        const auto isOnline = [&](const std::pair<const std::string, DisplayID>& heldDisplay) {
            return std::ranges::any_of(snapshots, [&](const DisplaySnapshot& snapshot) {
                return snapshot.hardwareID == heldDisplay.first || snapshot.displayID == heldDisplay.second;
            });
        };
        // One this run holds that is online again once its disconnect has settled (plugged back in,
        // which switches a monitor on, or switched on by something else) is on the desktop: no longer
        // held, so it can be disconnected again.
        std::erase_if(held, [&](const auto& heldDisplay) {
            const auto latest = m_latestConnectionChanges.find(heldDisplay.first);
            const bool settled = latest == m_latestConnectionChanges.end() ||
                                 m_queue.clock().monotonicNow() - latest->second.madeAt >= settleAfterDisable;
            return settled && isOnline(heldDisplay);
        });
        for (const auto& heldDisplay : heldBefore) {
            // One that is online again was switched on meanwhile (a new session): no longer held.
            if (!isOnline(heldDisplay)) held.insert(heldDisplay);
        }
        try {
            reconciled = m_store.reconcile(provisionalDisplays(snapshots, previousByHardwareID, held),
                                           m_queue.clock().wallNow());
        } catch (const DisplayListNotSavedError& failure) {
            // What the hardware shows is listed all the same; the failure is told once the list is set.
            reconciled = failure.displays();
            saveFailure = failure.what();
        }
    } catch (...) {
        // The list on screen stays as it was; the next refresh tries again.
        markRefreshFinished();
        m_lastErrorMessage.set(failureDescription(std::current_exception()));
        return;
    }
    m_disconnectedDisplayIDs.set(held);

    markHeldDisplays(reconciled, held);
    appendMissingHeldDisplays(reconciled, held, previousByHardwareID);
    readBrightness(reconciled);

    m_displays.set(std::move(reconciled));
    if (saveFailure) m_lastErrorMessage.set(*saveFailure);
    markRefreshFinished();
}

void DisplayManager::readBrightness(std::vector<Display>& displays) {
    for (auto& display : displays) {
        if (!display.isPresent || !display.isConnected || !display.supportsDDC) continue;
        try {
            const int monitorReading = m_ddcInterface.readBrightness(display.id);
            // Within a range several levels stand for one of the monitor's: the one shown is kept when it
            // is one of them, so that a refresh never moves a slider the user has just set.
            if (monitorLevel(display.brightnessRange, display.brightness) != monitorReading)
                display.brightness = userLevel(display.brightnessRange, monitorReading);
        } catch (const DisplayHardwareError&) {
            // Not reported: it only decides the level shown.
            if (display.brightness == 0) display.brightness = assumedBrightness;
        } catch (...) {
            // A platform failure (no permission, no memory) is worth a word; the level is unknown as above.
            if (display.brightness == 0) display.brightness = assumedBrightness;
            if (!lastErrorMessage()) m_lastErrorMessage.set(failureDescription(std::current_exception()));
        }
    }
}

void DisplayManager::markRefreshFinished() {
    m_hasLoaded.set(true);
    m_lastRefreshTime.set(m_queue.clock().monotonicNow());
}

bool DisplayManager::persistDisplays() {
    try {
        const WallInstant now = m_queue.clock().wallNow();
        m_store.save(recordsForDisplays(displays(), m_store.load(), disconnectedDisplayIDs(), now));
        return true;
    } catch (...) {
        m_lastErrorMessage.set(failureDescription(std::current_exception()));
        return false;
    }
}

const Display* DisplayManager::findDisplay(const std::string& hardwareID) const {
    const auto& list = displays();
    const auto found = std::ranges::find(list, hardwareID, &Display::hardwareID);
    return found == list.end() ? nullptr : &*found;
}

}  // namespace lumadesk
