// One D-Bus round trip of get-brightness to a running tray program, as lumadesk-ctl makes it.
// Start `lumadesk --simulated` on the session bus first (bench/ctl_timing runs it under dbus-run-session);
// without it the benchmark says so and skips.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <vector>

#include "cli/AppBusClient.h"

namespace {

using Clock = std::chrono::steady_clock;

void BM_BusGetBrightness(benchmark::State& state) {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    auto client = address ? lumadesk::AppBusClient::connect(address, std::chrono::seconds(5)) : std::nullopt;
    if (!client || !client->isAppRunning()) {
        state.SkipWithError("No Lumadesk on the session bus.");
        return;
    }
    const std::string display = client->displays().front().hardwareID;
    std::vector<double> microseconds;
    for (auto _ : state) {
        const auto start = Clock::now();
        benchmark::DoNotOptimize(client->perform({lumadesk::DisplayActionKind::getBrightness, display}));
        microseconds.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    std::sort(microseconds.begin(), microseconds.end());
    state.counters["median_us"] = microseconds[microseconds.size() / 2];
    state.counters["p99_us"] = microseconds[microseconds.size() * 99 / 100];
}
BENCHMARK(BM_BusGetBrightness)->Iterations(2000);

}  // namespace
