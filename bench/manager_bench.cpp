// Cost of one display-manager refresh of 8 displays: snapshots, reconciling with the stored records
// (decode, merge, encode, store), reloading them and reading every brightness, with hardware that
// answers at once. What remains is the manager's own work on the main thread.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "registry/DisplayManager.h"
#include "registry/DisplayStore.h"
#include "runtime/InMemoryDefaults.h"
#include "runtime/ManualMainQueue.h"
#include "runtime/RunSync.h"

namespace lumadesk {
namespace {

constexpr int displayCount = 8;

// Eight DDC displays that answer every request at once.
class InstantDDC final : public DisplayManagingDDC {
public:
    InstantDDC() {
        for (int index = 0; index < displayCount; ++index) {
            DisplaySnapshot snapshot;
            snapshot.displayID = static_cast<DisplayID>(100 + index);
            snapshot.hardwareID = "4268-" + std::to_string(41000 + index) + "-" + std::to_string(index);
            snapshot.modelName = "Model " + std::to_string(index);
            snapshot.supportsDDC = true;
            m_snapshots.push_back(snapshot);
        }
    }
    std::vector<DisplaySnapshot> snapshots(const HeldDisplays&) override { return m_snapshots; }
    int readBrightness(DisplayID displayID) override { return static_cast<int>(displayID % 100); }
    Task<void> setBrightness(int, DisplayID) override { co_return; }
    void sleepDisplay(DisplayID) override {}
    void setDisplay(DisplayID, bool) override {}

private:
    std::vector<DisplaySnapshot> m_snapshots;
};

class AlwaysEnabledLoginItem final : public LaunchAtLoginServicing {
public:
    LoginItemStatus status() const override { return LoginItemStatus::enabled; }
    void registerItem() override {}
    void unregisterItem() override {}
};

class NoDisplayChanges final : public DisplayChangeRegistering {
public:
    std::unique_ptr<DisplayChangeObservation> registerForDisplayChanges(Handler) override {
        return std::make_unique<DisplayChangeObservation>();
    }
};

class NoServiceCache final : public AVServiceCacheResetting {
public:
    void resetServiceCache() override {}
};

// Refresh touches no configuration transaction; every call is refused.
class NoWindowServer final : public WindowServer {
public:
    OnlineDisplayList onlineDisplayIDs() override { return {}; }
    bool isBuiltin(DisplayID) override { return false; }
    DisplayID mirrorsDisplay(DisplayID) override { return 0; }
    std::uint32_t vendorNumber(DisplayID) override { return 0; }
    std::uint32_t modelNumber(DisplayID) override { return 0; }
    std::uint32_t serialNumber(DisplayID) override { return 0; }
    std::uint32_t unitNumber(DisplayID) override { return 0; }
    ConfigurationBegin beginConfiguration() override { return {refused, std::nullopt}; }
    WindowServerError configureDisplayEnabled(DisplayConfigurationRef, DisplayID, bool) override {
        return refused;
    }
    WindowServerError completeConfiguration(DisplayConfigurationRef, ConfigureOption) override {
        return refused;
    }
    void cancelConfiguration(DisplayConfigurationRef) override {}
    WindowServerError restorePermanentConfiguration() override { return refused; }
    ReconfigurationToken registerReconfigurationCallback(ReconfigurationCallback) override { return 0; }
    void removeReconfigurationCallback(ReconfigurationToken) override {}

private:
    static constexpr WindowServerError refused = 1000;
};

void BM_RefreshEightDisplays(benchmark::State& state) {
    VirtualClock clock;
    ManualMainQueue queue(clock);
    InstantDDC ddc;
    InMemoryDefaults defaults;
    DisplayStore store(defaults);
    AlwaysEnabledLoginItem loginItem;
    NoDisplayChanges registrar;
    NoServiceCache serviceCache;
    NoWindowServer windowServer;
    auto manager = DisplayManager::create({.ddcInterface = ddc,
                                           .store = store,
                                           .settings = defaults,
                                           .loginItemService = loginItem,
                                           .displayChangeRegistrar = registrar,
                                           .serviceCache = serviceCache,
                                           .windowServer = windowServer,
                                           .queue = queue});
    runSync(queue, manager->refresh());  // the first run stores the records

    for (auto _ : state) runSync(queue, manager->refresh());
    if (manager->displays().size() != displayCount || manager->lastErrorMessage()) {
        state.SkipWithError("the refresh did not list the eight displays");
    }
}
BENCHMARK(BM_RefreshEightDisplays)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace lumadesk
