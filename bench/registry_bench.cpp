// Cost of reconciling the online displays with the stored records, as every refresh does:
// decode the stored JSON, merge, sort, renumber, encode and store again.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <vector>

#include "registry/DisplayStore.h"
#include "runtime/InMemoryDefaults.h"

namespace lumadesk {
namespace {

using namespace std::chrono_literals;

constexpr int onlineCount = 8;

std::string hardwareID(int index) {
    return "4268-" + std::to_string(41000 + index) + "-" + std::to_string(index);
}

void BM_Reconcile(benchmark::State& state) {
    const int storedCount = static_cast<int>(state.range(0));
    const WallInstant now{std::chrono::sys_days{std::chrono::March / 15 / 2025}};

    InMemoryDefaults defaults;
    DisplayStore store(defaults);
    std::vector<PersistedDisplay> records;
    for (int index = 0; index < storedCount; ++index) {
        records.push_back(
            PersistedDisplay{.hardwareID = hardwareID(index),
                             .modelName = "Model " + std::to_string(index),
                             .customName = index % 3 == 0 ? std::optional<std::string>("Desk") : std::nullopt,
                             .sortOrder = storedCount - index,
                             .isConnected = true,
                             .lastSeenAt = now - 24h,
                             .lastBrightness = 50});
    }
    store.save(records);

    // Every other online display is known; the rest are new on the first pass and known afterwards.
    std::vector<Display> online;
    for (int index = 0; index < onlineCount; ++index) {
        online.push_back(Display{.id = static_cast<DisplayID>(index + 1),
                                 .hardwareID = hardwareID(index % 2 == 0 ? index : storedCount + index),
                                 .modelName = "Online " + std::to_string(index),
                                 .brightness = 40,
                                 .supportsDDC = true});
    }

    for (auto _ : state) benchmark::DoNotOptimize(store.reconcile(online, now));
    state.counters["records"] = static_cast<double>(store.load().size());
}
BENCHMARK(BM_Reconcile)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace lumadesk
