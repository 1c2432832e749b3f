// Real monitors on Linux, in real time: the whole stack over a fake sysfs tree whose i2c-dev nodes lead
// to simulated monitors that hold every reply back for as long as they need (40, 60, 90 or 150 ms; the
// protocol's own wait is 50 ms). Each read is measured against what it cannot do without: 10 ms before
// the request, then the monitor's need or the protocol's 50 ms, whichever is longer. The goal is at most
// 1.1 times that from the second run on; the first run, which learns the monitor's pace, is reported
// apart (first_ms).
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

constexpr auto pauseBeforeRequest = 10ms;
constexpr auto protocolReplyWait = 50ms;
constexpr auto deskReplyDelay = 40ms;  // what the fake desk's monitors need unless told otherwise
constexpr DisplayID monitorA = 103;

double milliseconds(Duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

// The monitors' need, from the benchmark's argument.
Duration need(const benchmark::State& state) {
    return std::chrono::milliseconds(state.range(0));
}

// The waits one read cannot do without.
Duration readWaits(Duration need) {
    return pauseBeforeRequest + std::max<Duration>(need, protocolReplyWait);
}

// The fake desk with monitors A (at level 37) and B (at 64) needing `need` before each reply; monitor C's
// connector is unplugged, so two monitors answer DDC/CI.
void slowDown(FakeLinuxDesk& desk, Duration need) {
    for (const auto& monitor : {desk.monitorA, desk.monitorB})
        monitor->setExtraReplyDelay(need - deskReplyDelay);
    desk.monitorA->setBrightness(37);
    desk.monitorB->setBrightness(64);
    FakeLinuxSystem::write(desk.system.sys() / "class/drm/card2-DP-4/status", "disconnected\n");
}

// Times the loop's iterations after a first run outside it, and reports both against the waits.
template <typename Run>
void measure(benchmark::State& state, Duration waits, Run run) {
    SystemClock clock;
    auto start = clock.monotonicNow();
    run();
    state.counters["first_ms"] = milliseconds(clock.monotonicNow() - start);
    start = clock.monotonicNow();
    for (auto _ : state) run();
    const auto perIteration = (clock.monotonicNow() - start) / state.iterations();
    state.counters["ms"] = milliseconds(perIteration);
    state.counters["x_waits"] = milliseconds(perIteration) / milliseconds(waits);
}

// `lumadesk-ctl list` from argument parsing to the last line written, on its own stack each time (the
// process's start and exit aside) and the same settings directory: one brightness read per monitor.
void ctlList(benchmark::State& state) {
    SystemClock clock;
    SystemSleeper sleeper;
    FakeLinuxDesk desk(&clock);
    slowDown(desk, need(state));
    TemporaryDirectory configDirectory;
    const std::string directory = configDirectory.path().string();
    measure(state, 2 * readWaits(need(state)), [&] {
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
        // A failed read would list its fallback level (100) instead.
        const bool rightLevels = out.str().find(" 37 ") != std::string::npos &&
                                 out.str().find(" 64 ") != std::string::npos && err.str().empty();
        if (!rightLevels) state.SkipWithError(("wrong list: " + out.str() + err.str()).c_str());
    });
}

// One brightness read or write of monitor A through the Linux platform and the AV-service transport.
void transaction(benchmark::State& state, bool write) {
    SystemClock clock;
    SystemSleeper sleeper;
    FakeLinuxDesk desk(&clock);
    slowDown(desk, need(state));
    LinuxPlatform platform(desk.system, sleeper, nullptr);
    PrivateDisplayBridge bridge(platform.avServiceBus(), platform.windowServer());
    MonitorReplyWaits replyWaits;
    Arm64DDC transport(platform.windowServer(), bridge, sleeper, &replyWaits);
    platform.windowServer().onlineDisplayIDs();
    bridge.avService(monitorA);  // pairs the services once
    measure(state, write ? Duration(pauseBeforeRequest) : readWaits(need(state)), [&] {
        if (write) {
            transport.writeVCP(0x10, 37, monitorA);
        } else if (transport.readVCP(0x10, monitorA) != 37) {
            state.SkipWithError("read a wrong level");
        }
    });
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

void needs(benchmark::internal::Benchmark* benchmark) {
    benchmark->ArgName("need_ms")->Arg(40)->Arg(60)->Arg(90)->Arg(150);
    benchmark->Unit(benchmark::kMillisecond)->UseRealTime();
}

}  // namespace

BENCHMARK(ctlList)->Apply(needs)->Iterations(5);
BENCHMARK_CAPTURE(transaction, read, false)->Apply(needs)->Iterations(10);
BENCHMARK_CAPTURE(transaction, write, true)->Apply(needs)->Iterations(20);
BENCHMARK(discovery)->Unit(benchmark::kMillisecond);
