// Real monitors on Linux, in real time: the whole stack over a fake sysfs tree whose i2c-dev nodes lead
// to simulated monitors that hold every reply back for 40 ms, as real ones do. Each figure is compared
// with the protocol's own waits (10 ms before a write, 50 ms more before reading a reply).
#include <benchmark/benchmark.h>

#include <sstream>

#include "cli/CtlProgram.h"
#include "hardware/Arm64DDC.h"
#include "hardware/PrivateDisplayBridge.h"
#include "platform/linux/LinuxPlatform.h"
#include "runtime/BlockingMainQueue.h"
#include "runtime/SystemClock.h"
#include "runtime/VirtualSleeper.h"
#include "support/FakeLinuxDesk.h"

using namespace lumadesk;
using namespace std::chrono_literals;

namespace {

constexpr auto readWaits = 60ms;    // 10 ms before the request, 50 ms before the reply
constexpr auto writeWaits = 10ms;   // 10 ms before the request
constexpr int monitorsWithDDC = 3;  // the fake desk's monitors that answer DDC/CI

double milliseconds(Duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

// Reports the mean wall time per iteration as a multiple of the protocol's waits.
void reportRatio(benchmark::State& state, MonotonicInstant start, const Clock& clock, Duration waits) {
    const auto perIteration = (clock.monotonicNow() - start) / state.iterations();
    state.counters["ms"] = milliseconds(perIteration);
    state.counters["x_protocol_waits"] = milliseconds(perIteration) / milliseconds(waits);
}

// `lumadesk-ctl list` from argument parsing to the last line written, on its own stack each time (the
// process's start and exit aside): one brightness read per monitor with DDC/CI.
void ctlList(benchmark::State& state) {
    SystemClock clock;
    SystemSleeper sleeper;
    FakeLinuxDesk desk(&clock);
    TemporaryDirectory configDirectory;
    const std::string directory = configDirectory.path().string();
    const auto start = clock.monotonicNow();
    for (auto _ : state) {
        BlockingMainQueue queue(clock);
        CtlProgram program(
            queue, sleeper,
            [directory](const std::string& name) -> std::optional<std::string> {
                if (name == "LUMADESK_CONFIG_DIR") return directory;
                return std::nullopt;
            },
            &desk.system);
        std::ostringstream out;
        std::ostringstream err;
        if (program.run({"list"}, out, err) != 0) state.SkipWithError(err.str().c_str());
    }
    reportRatio(state, start, clock, readWaits * monitorsWithDDC);
}

// One brightness read or write through the Linux platform and the AV-service transport.
void transaction(benchmark::State& state, bool write) {
    SystemClock clock;
    SystemSleeper sleeper;
    FakeLinuxDesk desk(&clock);
    LinuxPlatform platform(desk.system, sleeper, nullptr);
    PrivateDisplayBridge bridge(platform.avServiceBus(), platform.windowServer());
    Arm64DDC transport(platform.windowServer(), bridge, sleeper);
    platform.windowServer().onlineDisplayIDs();
    transport.readVCP(0x10, 103);  // pairs the services once
    const auto start = clock.monotonicNow();
    for (auto _ : state) {
        if (write) {
            transport.writeVCP(0x10, 40, 103);
        } else {
            benchmark::DoNotOptimize(transport.readVCP(0x10, 103));
        }
    }
    reportRatio(state, start, clock, write ? writeWaits : readWaits);
}

// Listing the displays and finding their buses on a tree with four external monitors, one of them on
// a driver that links no bus (its EDID is read from the candidate buses).
void discovery(benchmark::State& state) {
    VirtualClock clock;
    VirtualSleeper sleeper(clock);
    FakeLinuxDesk desk;
    LinuxPlatform platform(desk.system, sleeper, nullptr);
    for (auto _ : state) {
        benchmark::DoNotOptimize(platform.windowServer().onlineDisplayIDs());
        benchmark::DoNotOptimize(platform.avServiceBus().services());
    }
}

}  // namespace

BENCHMARK(ctlList)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK_CAPTURE(transaction, read, false)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);
BENCHMARK_CAPTURE(transaction, write, true)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(50);
BENCHMARK(discovery)->Unit(benchmark::kMillisecond);
