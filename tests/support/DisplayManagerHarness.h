#pragma once

#include <algorithm>
#include <exception>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "hardware/AVServiceCacheResetting.h"
#include "hardware/DisplayHardwareError.h"
#include "hardware/DisplayManagingDDC.h"
#include "hardware/DuplicateDisplayNumbering.h"
#include "hardware/VCPFeature.h"
#include "platform/LoginItemService.h"
#include "registry/DisplayManager.h"
#include "registry/DisplayStore.h"
#include "registry/PersistedDisplayCoding.h"
#include "registry/SystemDisplayChangeRegistrar.h"
#include "runtime/InMemoryDefaults.h"
#include "runtime/ManualMainQueue.h"
#include "runtime/RunSync.h"
#include "runtime/Sleep.h"
#include "support/FakeWindowServer.h"

namespace lumadesk {

// Counts how often the AV-service cache was emptied.
struct CountingServiceCache final : AVServiceCacheResetting {
    void resetServiceCache() override { ++resets; }
    int resets = 0;
};

// A login-item service with a settable status; registering moves it to statusAfterRegister,
// unregistering to notRegistered, unless a failure message is set.
struct FakeLoginItemService final : LaunchAtLoginServicing {
    LoginItemStatus status() const override {
        ++statusReads;
        return currentStatus;
    }
    void registerItem() override {
        ++registerCalls;
        if (registerFailure) throw LoginItemError(*registerFailure);
        currentStatus = statusAfterRegister;
    }
    void unregisterItem() override {
        ++unregisterCalls;
        if (unregisterFailure) throw LoginItemError(*unregisterFailure);
        currentStatus = LoginItemStatus::notRegistered;
    }

    LoginItemStatus currentStatus = LoginItemStatus::enabled;
    LoginItemStatus statusAfterRegister = LoginItemStatus::enabled;
    std::optional<std::string> registerFailure;
    std::optional<std::string> unregisterFailure;
    int registerCalls = 0;
    int unregisterCalls = 0;
    mutable int statusReads = 0;
};

// The DDC interface as the display manager sees it, over a desk of settable displays. Disabling a
// display takes it off the snapshot list until it is enabled again; every request is logged.
class FakeManagingDDC final : public DisplayManagingDDC {
public:
    // Adds an online display with the brightness its monitor reports.
    void plugIn(DisplaySnapshot snapshot, int brightness = 50) {
        brightnessByID[snapshot.displayID] = brightness;
        m_desk.push_back(std::move(snapshot));
    }
    // Removes the display from the desk, as unplugging it does.
    void unplug(DisplayID displayID) {
        std::erase_if(m_desk,
                      [&](const DisplaySnapshot& snapshot) { return snapshot.displayID == displayID; });
    }

    // Identical monitors are plugged in with equal hardware IDs and numbered as the hardware service
    // numbers them, with the display ID as the unit number.
    std::vector<DisplaySnapshot> snapshots(const HeldDisplays& held) override {
        ++snapshotCalls;
        std::vector<DisplaySnapshot> online;
        std::vector<std::uint32_t> unitNumbers;
        for (const auto& snapshot : m_desk) {
            if (disabled.contains(snapshot.displayID)) continue;
            online.push_back(snapshot);
            unitNumbers.push_back(snapshot.displayID);
        }
        DuplicateDisplayNumbering::apply(online, unitNumbers, held);
        return online;
    }

    int readBrightness(DisplayID displayID) override {
        reads.push_back(displayID);
        throwPlatformFault(displayID);
        if (failingReads.contains(displayID))
            throw DisplayHardwareError::failedToReadVCP(VCPFeature::luminance, displayID);
        return brightnessByID.at(displayID);
    }

    // Completes after writeDuration of virtual time.
    Task<void> setBrightness(int level, DisplayID displayID) override {
        co_await sleepFor(writeDuration);
        throwPlatformFault(displayID);
        if (failingWrites.contains(displayID)) {
            throw DisplayHardwareError::failedToWriteVCP(VCPFeature::luminance, displayID,
                                                         static_cast<std::uint16_t>(level));
        }
        writes.emplace_back(displayID, level);
        brightnessByID[displayID] = level;
    }

    void sleepDisplay(DisplayID displayID) override {
        sleeps.push_back(displayID);
        throwPlatformFault(displayID);
        if (failingSleeps.contains(displayID))
            throw DisplayHardwareError::failedToWriteVCP(VCPFeature::powerMode, displayID, 4);
    }

    void setDisplay(DisplayID displayID, bool enabled) override {
        connectionRequests.emplace_back(displayID, enabled);
        throwPlatformFault(displayID);
        if (failingConnectionChanges.contains(displayID)) {
            throw DisplayHardwareError::failedToConfigureDisplayEnabled(-1, displayID, enabled);
        }
        if (enabled) {
            disabled.erase(displayID);
        } else {
            disabled.insert(displayID);
        }
    }

    std::map<DisplayID, int> brightnessByID;
    std::set<DisplayID> disabled;
    std::set<DisplayID> failingReads;
    std::set<DisplayID> failingWrites;
    std::set<DisplayID> failingSleeps;
    std::set<DisplayID> failingConnectionChanges;
    // Errors other than hardware errors, as a platform may throw them, by the display they hit.
    std::map<DisplayID, std::exception_ptr> platformFaults;
    Duration writeDuration{};

    int snapshotCalls = 0;
    std::vector<DisplayID> reads;
    std::vector<std::pair<DisplayID, int>> writes;
    std::vector<DisplayID> sleeps;
    std::vector<std::pair<DisplayID, bool>> connectionRequests;

private:
    void throwPlatformFault(DisplayID displayID) const {
        if (const auto fault = platformFaults.find(displayID); fault != platformFaults.end())
            std::rethrow_exception(fault->second);
    }

    std::vector<DisplaySnapshot> m_desk;
};

// The displays in one line, for comparing a whole list at once: per display its hardware ID, sort order,
// brightness, custom name, and what it is not: "10-1-1 #0 40 \"Left\" held absent noDDC, 10-2-2 #1 70".
inline std::string describe(const std::vector<Display>& displays) {
    std::string text;
    for (const auto& display : displays) {
        if (!text.empty()) text += ", ";
        text += display.hardwareID + " #" + std::to_string(display.sortOrder) + " " +
                std::to_string(display.brightness);
        if (display.customName) text += " \"" + *display.customName + "\"";
        if (!display.isConnected) text += " held";
        if (!display.isPresent) text += " absent";
        if (!display.supportsDDC) text += " noDDC";
    }
    return text;
}

// A display manager over fakes of everything it uses, in virtual time: the real store over in-memory
// defaults, the real change registrar over a fake window server.
struct DisplayManagerHarness {
    VirtualClock clock;
    ManualMainQueue queue{clock};
    FakeManagingDDC ddc;
    InMemoryDefaults defaults;
    DisplayStore store{defaults};
    FakeLoginItemService loginItems;
    FakeWindowServer windowServer;
    SystemDisplayChangeRegistrar registrar{windowServer};
    CountingServiceCache serviceCache;
    // Declared last so that it goes first.
    std::shared_ptr<DisplayManager> manager;

    // Builds the manager, optionally with a login-item controller of its own.
    DisplayManager& start(std::unique_ptr<LaunchAtLoginControlling> controller = nullptr) {
        manager = DisplayManager::create({.ddcInterface = ddc,
                                          .store = store,
                                          .settings = defaults,
                                          .loginItemService = loginItems,
                                          .launchAtLoginController = std::move(controller),
                                          .displayChangeRegistrar = registrar,
                                          .serviceCache = serviceCache,
                                          .windowServer = windowServer,
                                          .queue = queue});
        return *manager;
    }

    void refresh() { runSync(queue, manager->refresh()); }
    // Starts a new manager over the same desk and store, as the next start of the program does, and
    // refreshes it.
    void restart() {
        manager.reset();
        start();
        refresh();
    }
    std::string rows() const { return describe(manager->displays()); }

    // An online external display; the model name is "Model " followed by the hardware ID.
    static DisplaySnapshot snapshot(DisplayID displayID, std::string hardwareID, bool supportsDDC = true) {
        DisplaySnapshot made;
        made.displayID = displayID;
        made.modelName = "Model " + hardwareID;
        made.hardwareID = std::move(hardwareID);
        made.supportsDDC = supportsDDC;
        return made;
    }

    void storeRecords(const std::vector<PersistedDisplay>& records) {
        defaults.setValue(DisplayStore::storageKey, encodeDisplayRecords(records));
    }
    Data storedBytes() const { return defaults.dataValue(DisplayStore::storageKey).value_or(Data{}); }

    // The manager's display with the hardware ID; fails the test when there is none.
    const Display& display(const std::string& hardwareID) const {
        for (const auto& candidate : manager->displays()) {
            if (candidate.hardwareID == hardwareID) return candidate;
        }
        throw std::logic_error("no display " + hardwareID);
    }
    // The stored record with the hardware ID; fails the test when there is none.
    PersistedDisplay record(const std::string& hardwareID) const {
        for (const auto& candidate : store.load()) {
            if (candidate.hardwareID == hardwareID) return candidate;
        }
        throw std::logic_error("no record " + hardwareID);
    }
};

}  // namespace lumadesk
