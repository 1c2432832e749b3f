// Discovery on the simulated default desk: a whole refresh through the real stack, and the pairing of
// displays with AV services.
#include <benchmark/benchmark.h>

#include <fstream>

#include "assembly/DisplayStack.h"
#include "platform/simulated/SimulatedDeskFile.h"
#include "platform/simulated/SimulatedPlatform.h"
#include "runtime/ManualMainQueue.h"
#include "runtime/RunSync.h"
#include "runtime/VirtualSleeper.h"
#include "support/TemporaryDirectory.h"

using namespace lumadesk;

namespace {

// One refresh of the default desk per iteration, in virtual time; reports the virtual time spent in
// DDC/CI waits per refresh beside the host CPU time.
void refreshDefaultDesk(benchmark::State& state, TransportKind transport) {
    TemporaryDirectory configDirectory;
    VirtualClock clock;
    VirtualSleeper sleeper(clock);
    ManualMainQueue queue(clock);
    auto platform = SimulatedPlatform::create({}, clock, sleeper);
    {
        DisplayStack stack(*platform, queue, {configDirectory.path(), transport});
        runSync(queue, stack.displayManager().refresh());  // the first refresh stores the records
        sleeper.clear();
        for (auto _ : state) runSync(queue, stack.displayManager().refresh());
        queue.runUntilIdle();
    }
    const auto perRefresh = sleeper.total() / state.iterations();
    state.counters["virtual_ddc_ms"] = std::chrono::duration<double, std::milli>(perRefresh).count();
}

// Eight identical monitors on eight AV services: every rebuild reads eight EDIDs and sorts the group.
void rebuildServiceMap(benchmark::State& state) {
    std::string desk = R"({"displays": [)";
    for (int i = 0; i < 8; ++i) {
        desk += (i ? "," : "") + std::string(R"({"vendor": 4268, "product": 41234, "unit": )") +
                std::to_string(i + 1) + R"(, "avServicePath": "IOService:/soc/dispext)" + std::to_string(i) +
                R"(@A9000000/av"})";
    }
    desk += "]}";
    VirtualClock clock;
    VirtualSleeper sleeper(clock);
    SimulatedDesk simulated(SimulatedDeskFile::parse(desk, "bench"), clock, sleeper);
    PrivateDisplayBridge bridge(simulated.avServiceBus(), simulated.windowServer());
    for (auto _ : state) {
        bridge.rebuildServiceMap();
        benchmark::DoNotOptimize(bridge.cachedDisplayIDs());
    }
}

// A desk of `count` distinct monitors without DDC, each with a screen: what the host does per display,
// without the protocol's waits.
std::string largeDesk(int count) {
    std::string desk = R"({"displays": [)";
    for (int i = 0; i < count; ++i) {
        desk += (i ? "," : "") + std::string(R"({"name": "Monitor )") + std::to_string(i) +
                R"(", "vendor": 4268, "product": 41234, "serial": )" + std::to_string(i + 1) + "}";
    }
    return desk + "]}";
}

// One refresh of a large desk per iteration (the records stored by a first one), through the real stack.
void refreshLargeDesk(benchmark::State& state, TransportKind transport) {
    TemporaryDirectory directory;
    const auto deskFile = directory.path() / "desk.json";
    { std::ofstream(deskFile) << largeDesk(static_cast<int>(state.range(0))); }
    VirtualClock clock;
    VirtualSleeper sleeper(clock);
    ManualMainQueue queue(clock);
    auto platform = SimulatedPlatform::create({deskFile}, clock, sleeper);
    {
        DisplayStack stack(*platform, queue, {directory.path(), transport});
        runSync(queue, stack.displayManager().refresh());
        for (auto _ : state) runSync(queue, stack.displayManager().refresh());
        queue.runUntilIdle();
    }
    state.counters["displays"] = static_cast<double>(state.range(0));
}

}  // namespace

// The desk sizes listed, so that the growth shows.
void largeDeskSizes(benchmark::internal::Benchmark* benchmark) {
    for (const int count : {10, 100, 1'000, 4'000}) benchmark->Arg(count);
    benchmark->Unit(benchmark::kMillisecond);
}

BENCHMARK_CAPTURE(refreshLargeDesk, arm64, TransportKind::arm64)->Apply(largeDeskSizes);
BENCHMARK_CAPTURE(refreshLargeDesk, intel, TransportKind::intel)->Apply(largeDeskSizes);
BENCHMARK_CAPTURE(refreshDefaultDesk, arm64, TransportKind::arm64)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(refreshDefaultDesk, intel, TransportKind::intel)->Unit(benchmark::kMicrosecond);
BENCHMARK(rebuildServiceMap)->Unit(benchmark::kMicrosecond);
