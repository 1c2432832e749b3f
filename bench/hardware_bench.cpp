#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

#include "../tests/support/FakeWindowServer.h"
#include "hardware/Arm64DDC.h"
#include "hardware/IntelDDC.h"
#include "platform/simulated/SimulatedAVServiceBus.h"
#include "platform/simulated/SimulatedDisplayRegistry.h"
#include "platform/simulated/SimulatedFramebufferI2C.h"
#include "runtime/SystemClock.h"
#include "runtime/VirtualClock.h"

namespace lumadesk {
namespace {

using namespace std::chrono_literals;

constexpr DisplayID displayID = 2;
constexpr std::uint32_t unitNumber = 1;
constexpr std::uint32_t avHandle = 1;

// Takes no real time: moves the monitor's virtual clock on, so replies are ready when read.
class InstantSleeper final : public Sleeper {
public:
    explicit InstantSleeper(VirtualClock& clock) : m_clock(clock) {}
    void sleep(Duration duration) override { m_clock.advance(duration); }

private:
    VirtualClock& m_clock;
};

// The one AV service of the bench's monitor.
class SingleServiceLocator final : public AVServiceLocating {
public:
    explicit SingleServiceLocator(std::shared_ptr<AVService> service) : m_service(std::move(service)) {}
    std::shared_ptr<AVService> avService(DisplayID) override { return m_service; }

private:
    std::shared_ptr<AVService> m_service;
};

// A simulated monitor behind both transports, on the given clock and sleeper.
struct Bench {
    std::shared_ptr<SimulatedMonitor> monitor;
    FakeWindowServer windowServer;
    SimulatedAVServiceBus avServiceBus;
    SingleServiceLocator locator;
    Arm64DDC arm64;
    std::vector<SimulatedFramebufferConfig> framebuffers;
    SimulatedDisplayRegistry registry;
    SimulatedFramebufferI2C framebufferI2C;
    ReplyTransactionTypeProbe probe;
    IntelDDC intel;

    Bench(const Clock& clock, Sleeper& sleeper)
        : monitor(std::make_shared<SimulatedMonitor>(clock, SimulatedMonitorConfig{})),
          avServiceBus({{avHandle, "IOService:/dispext0", monitor}}),
          locator(avServiceBus.openService(avHandle)),
          arm64(windowServer, locator, sleeper),
          framebuffers{{.unitNumber = unitNumber, .monitor = monitor}},
          registry(framebuffers),
          framebufferI2C(framebuffers, sleeper),
          probe(registry),
          intel(windowServer, registry, framebufferI2C, probe) {
        windowServer.addDisplay({.displayID = displayID, .unit = unitNumber});
    }

    DisplayDDCTransporting& transport(bool useArm64) {
        return useArm64 ? static_cast<DisplayDDCTransporting&>(arm64) : intel;
    }
};

// Host CPU per transaction: the protocol's pauses take no real time.
void cpuPerTransaction(benchmark::State& state, bool useArm64, bool reads) {
    VirtualClock clock;
    InstantSleeper sleeper(clock);
    Bench bench(clock, sleeper);
    auto& transport = bench.transport(useArm64);
    std::uint16_t level = 0;
    for (auto _ : state) {
        if (reads) {
            benchmark::DoNotOptimize(transport.readVCP(0x10, displayID));
        } else {
            transport.writeVCP(0x10, level, displayID);
            level = (level + 1) % 101;
        }
    }
}

// Wall time per transaction with real pauses, as a ratio to the least the protocol waits.
void realTimePerTransaction(benchmark::State& state, bool useArm64, bool reads, Duration protocolMinimum) {
    SystemClock clock;
    SystemSleeper sleeper;
    Bench bench(clock, sleeper);
    auto& transport = bench.transport(useArm64);
    Duration elapsed{0};
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (reads) {
            benchmark::DoNotOptimize(transport.readVCP(0x10, displayID));
        } else {
            transport.writeVCP(0x10, 50, displayID);
        }
        elapsed += std::chrono::steady_clock::now() - start;
    }
    state.counters["ratio_to_minimum"] = std::chrono::duration<double>(elapsed) /
                                         std::chrono::duration<double>(protocolMinimum) /
                                         static_cast<double>(state.iterations());
}

BENCHMARK_CAPTURE(cpuPerTransaction, arm64_read, true, true);
BENCHMARK_CAPTURE(cpuPerTransaction, arm64_write, true, false);
BENCHMARK_CAPTURE(cpuPerTransaction, intel_read, false, true);
BENCHMARK_CAPTURE(cpuPerTransaction, intel_write, false, false);

BENCHMARK_CAPTURE(realTimePerTransaction, arm64_read, true, true, Duration(10ms + 50ms))
    ->Iterations(10)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(realTimePerTransaction, arm64_write, true, false, Duration(10ms))
    ->Iterations(30)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(realTimePerTransaction, intel_read, false, true, Duration(10ms))
    ->Iterations(30)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lumadesk
