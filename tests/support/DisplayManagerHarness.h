#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "registry/DisplayManager.h"
#include "registry/DisplayStore.h"
#include "registry/PersistedDisplayCoding.h"
#include "registry/SystemDisplayChangeRegistrar.h"
#include "runtime/InMemoryDefaults.h"
#include "runtime/ManualMainQueue.h"
#include "runtime/RunSync.h"
#include "support/CountingServiceCache.h"
#include "support/FakeLoginItemService.h"
#include "support/FakeManagingDDC.h"
#include "support/FakeWindowServer.h"

namespace lumadesk {

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
                                          .loginItemService = loginItems,
                                          .launchAtLoginController = std::move(controller),
                                          .displayChangeRegistrar = registrar,
                                          .serviceCache = serviceCache,
                                          .windowServer = windowServer,
                                          .queue = queue});
        return *manager;
    }

    void refresh() { runSync(queue, manager->refresh()); }

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
    bool lists(const std::string& hardwareID) const {
        for (const auto& candidate : manager->displays()) {
            if (candidate.hardwareID == hardwareID) return true;
        }
        return false;
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
