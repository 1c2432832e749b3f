#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "hardware/AVServiceCacheResetting.h"
#include "hardware/DisplayManagingDDC.h"
#include "platform/WindowServer.h"
#include "registry/Display.h"
#include "registry/DisplayChangeRegistering.h"
#include "registry/DisplayManagingStore.h"
#include "registry/LaunchAtLoginChoice.h"
#include "registry/LaunchAtLoginControlling.h"
#include "runtime/Observable.h"
#include "runtime/Spawn.h"

namespace lumadesk {

// The one observable model of displays: the list every view shows, rebuilt from the hardware and the
// stored records, and the operations that change displays on the user's behalf. Lives on the main
// queue; operations report failures only through lastErrorMessage and never throw.
//
// Held by a shared pointer (see create) so that display-change refreshes and the approval poll can
// hold it weakly. The tasks of its own asynchronous operations use it directly: it must outlive them,
// which the composition root ensures by draining the main queue before releasing it.
class DisplayManager : public std::enable_shared_from_this<DisplayManager> {
    struct ConstructionKey {
        explicit ConstructionKey() = default;
    };

public:
    // Displays this program disconnected, by hardware ID, with the display ID that re-enables each.
    using DisconnectedDisplayIDs = HeldDisplays;

    // What the manager works with. Everything held by reference must outlive the manager.
    struct Dependencies {
        DisplayManagingDDC& ddcInterface;
        DisplayManagingStore& store;
        // The application's settings, where the user's choice on launch at login is kept.
        UserDefaults& settings;
        // The platform's login-item service, used when no controller is given.
        LaunchAtLoginServicing& loginItemService;
        // Optional: replaces the default controller over loginItemService.
        std::unique_ptr<LaunchAtLoginControlling> launchAtLoginController{};
        // Whether construction looks after the login item (the tray application's start): it registers
        // the item on the first start and then keeps to the user's choice; a manager that only serves
        // one command leaves the user's login alone.
        bool registerLoginItemAtStart = true;
        DisplayChangeRegistering& displayChangeRegistrar;
        // Emptied at the start of every refresh, so displays are paired with services afresh.
        AVServiceCacheResetting& serviceCache;
        // For the configuration transactions of connecting and restoring displays.
        WindowServer& windowServer;
        // The main queue; its clock is the manager's clock.
        MainQueue& queue;
    };

    // Builds the manager: reads the login-item state (registering the item on the first start when
    // registerLoginItemAtStart says so, see registerLoginItemUnlessDeclined),
    // registers for display changes and, when approval is pending, starts the approval poll.
    // It does not refresh; the application asks for the first refresh.
    static std::shared_ptr<DisplayManager> create(Dependencies dependencies);

    DisplayManager(ConstructionKey, Dependencies dependencies);
    DisplayManager(const DisplayManager&) = delete;
    DisplayManager& operator=(const DisplayManager&) = delete;
    ~DisplayManager();

    // --- Observable state ---

    const std::vector<Display>& displays() const { return m_displays.get(); }
    const std::optional<std::string>& lastErrorMessage() const { return m_lastErrorMessage.get(); }
    // False until the first refresh has finished, successfully or not.
    bool hasLoaded() const { return m_hasLoaded.get(); }
    // When the last refresh finished, on the monotonic clock.
    const std::optional<MonotonicInstant>& lastRefreshTime() const { return m_lastRefreshTime.get(); }
    const DisconnectedDisplayIDs& disconnectedDisplayIDs() const { return m_disconnectedDisplayIDs.get(); }
    bool launchAtLoginEnabled() const { return m_launchAtLoginEnabled.get(); }
    bool launchAtLoginNeedsApproval() const { return m_launchAtLoginNeedsApproval.get(); }
    const std::optional<TaskHandle>& approvalPollTask() const { return m_approvalPollTask.get(); }
    const DisplayChangeObservation* displayChangeObservation() const {
        return m_displayChangeObservation.get();
    }
    LaunchAtLoginControlling& launchAtLoginController() const { return *m_launchAtLoginController; }

    // The displays the views list: those online and those this program holds disconnected, in list
    // order. Displays that were merely unplugged are left out.
    std::vector<Display> visibleDisplays() const;

    // Each subscription hears of every change of its value, with the new value.
    [[nodiscard]] Subscription subscribeToDisplays(Signal<std::vector<Display>>::Callback callback);
    [[nodiscard]] Subscription subscribeToLastErrorMessage(
        Signal<std::optional<std::string>>::Callback callback);
    [[nodiscard]] Subscription subscribeToHasLoaded(Signal<bool>::Callback callback);
    [[nodiscard]] Subscription subscribeToLastRefreshTime(
        Signal<std::optional<MonotonicInstant>>::Callback callback);
    [[nodiscard]] Subscription subscribeToDisconnectedDisplayIDs(
        Signal<DisconnectedDisplayIDs>::Callback callback);
    [[nodiscard]] Subscription subscribeToLaunchAtLoginEnabled(Signal<bool>::Callback callback);
    [[nodiscard]] Subscription subscribeToLaunchAtLoginNeedsApproval(Signal<bool>::Callback callback);
    [[nodiscard]] Subscription subscribeToApprovalPollTask(
        Signal<std::optional<TaskHandle>>::Callback callback);

    // --- Loading and refresh ---

    // Rebuilds the list from the hardware and the stored records; completes without suspending.
    Task<void> refresh();
    // Refreshes unless the last refresh finished less than maxAge ago.
    Task<void> refreshIfNeeded(Duration maxAge);
    // Writes the current list to the store; false when that failed (the reason is in lastErrorMessage).
    bool persistDisplays();

    // --- Operations on displays, addressed by hardware ID; unknown IDs are ignored ---

    // Writes the level (clamped to 0...100) to one online display and shows it once written.
    Task<void> setBrightness(int level, std::string hardwareID);
    // Moves one online display's level by delta from the newest level asked of it (clamped to 0...100)
    // and writes it. Steps that come faster than the paced writes merge: each write carries the newest
    // level, so a fast wheel never queues stale ones. Completes once the display holds the newest level
    // (shown then) or a write failed (lastErrorMessage).
    Task<void> stepBrightness(int delta, std::string hardwareID);
    // Steps every connected DDC display by delta from its own level, side by side; the hardware IDs of
    // the displays stepped. A failed write is reported in lastErrorMessage.
    Task<std::vector<std::string>> stepBrightnessForAllDisplays(int delta);
    // Shows the level (clamped) on every connected DDC display at once and writes them concurrently;
    // failed writes are not reported.
    Task<void> setBrightnessForAllDisplays(int level);
    // Moves every connected DDC display to the first one's level plus delta.
    Task<void> adjustBrightnessForAllDisplays(int delta);
    // Sets or clears the user's name for the display and stores it; false when there is no such display
    // or the store failed (its reason is then in lastErrorMessage).
    bool setCustomName(std::optional<std::string> name, const std::string& hardwareID);
    // Sets or clears the part of the monitor's scale that levels span and stores it; levels written
    // afterwards are mapped into it. An invalid range is refused with an error message.
    void setBrightnessRange(std::optional<BrightnessRange> range, const std::string& hardwareID);
    // Sets whether the display takes the built-in screen's level, and stores it.
    void setFollowsBuiltInScreen(bool follows, const std::string& hardwareID);
    // Moves the visible rows at fromOffsets (in sortOrder order) to toOffset and stores the new order.
    void moveDisplays(const std::set<std::size_t>& fromOffsets, std::size_t toOffset);
    // Disconnects the display from the desktop, or reconnects one this program disconnected.
    Task<void> setConnected(bool connect, std::string hardwareID);
    // Puts the monitor to sleep.
    void sleepDisplay(const std::string& hardwareID);
    // Re-enables every display this program disconnected; at quit, silently.
    void restoreDisconnectedDisplays();

    // --- Launch at login ---

    // Turns launch at login on or off (the settings switch); a refused change returns the switch.
    void setLaunchAtLoginEnabled(bool enabled);

private:
    void registerForDisplayChanges(DisplayChangeRegistering& registrar);
    void rebuildDisplayList();
    void markRefreshFinished();
    void readBrightness(std::vector<Display>& displays);
    void updateDisplay(const std::string& hardwareID, const std::function<void(Display&)>& change);
    Task<void> writeBrightnessSteps(std::string hardwareID, DisplayID displayID);
    void setHeldDisplayID(const std::string& hardwareID, std::optional<DisplayID> displayID);
    void redisableHeldDisplays(const DisconnectedDisplayIDs& setAside);
    // The displays this program holds disconnected; before the first refresh, also those the records
    // of an earlier run hold, so that a quit that comes first still puts them back.
    DisconnectedDisplayIDs heldDisplaysToRestore();

    void registerLoginItemUnlessDeclined();
    void handleLaunchAtLoginChange(bool previous, bool isRollback);
    void updateApprovalState();
    void startApprovalPoll();
    void stopApprovalPoll();
    static Task<void> pollApproval(std::weak_ptr<DisplayManager> weakManager);

    const Display* findDisplay(const std::string& hardwareID) const;
    void clearLastErrorMessage() { m_lastErrorMessage.set(std::nullopt); }

    DisplayManagingDDC& m_ddcInterface;
    DisplayManagingStore& m_store;
    std::unique_ptr<LaunchAtLoginControlling> m_launchAtLoginController;
    LaunchAtLoginChoice m_launchAtLoginChoice;
    std::unique_ptr<DisplayChangeObservation> m_displayChangeObservation;
    Observable<DisconnectedDisplayIDs> m_disconnectedDisplayIDs;
    Observable<std::vector<Display>> m_displays;
    Observable<std::optional<std::string>> m_lastErrorMessage;
    Observable<bool> m_hasLoaded{false};
    Observable<std::optional<MonotonicInstant>> m_lastRefreshTime;
    Observable<bool> m_launchAtLoginEnabled{false};
    Observable<bool> m_launchAtLoginNeedsApproval{false};
    Observable<std::optional<TaskHandle>> m_approvalPollTask;

    AVServiceCacheResetting& m_serviceCache;
    WindowServer& m_windowServer;
    MainQueue& m_queue;
    // The latest connection change asked for each hardware ID. Connection changes overlap during their
    // waits; this keeps a late one from undoing a newer one (forgetting a display disconnected
    // meanwhile, or disabling again one the user is reconnecting).
    // How long the window server takes to settle after a display is disabled.
    static constexpr Duration settleAfterDisable = std::chrono::milliseconds(500);

    struct ConnectionChange {
        std::uint64_t number = 0;
        bool connect = false;
        MonotonicInstant madeAt{};
    };
    std::map<std::string, ConnectionChange> m_latestConnectionChanges;

    // Per hardware ID, the newest level stepped to and the task writing it, while one runs.
    struct BrightnessStep {
        int target = 0;
        TaskHandle writer;
    };
    std::map<std::string, BrightnessStep> m_brightnessSteps;
    std::uint64_t m_connectionChangeCount = 0;
};

}  // namespace lumadesk
