// Throughput, memory and pacing of the brightness write scheduler on a real clock and real threads.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <memory>
#include <mutex>
#include <vector>

#include "hardware/DDCInterface.h"
#include "runtime/BlockingMainQueue.h"
#include "runtime/RunSync.h"
#include "runtime/SystemClock.h"

namespace lumadesk {
namespace {

using namespace std::chrono_literals;

constexpr DisplayID displayID = 1;

// A monitor that takes no time to write; records when each write started.
class InstantService final : public DisplayHardwareServicing {
public:
    explicit InstantService(const Clock& clock) : m_clock(clock) {}
    std::vector<DisplaySnapshot> snapshots(const HeldDisplays&) override { return {}; }
    bool supportsDDC(DisplayID) override { return true; }
    int readBrightness(DisplayID) override { return 0; }
    void setBrightness(int, DisplayID) override {
        std::lock_guard lock(m_mutex);
        m_starts.push_back(m_clock.monotonicNow());
    }
    void sleepDisplay(DisplayID) override {}
    void setDisplay(DisplayID, bool) override {}

    std::vector<MonotonicInstant> starts() {
        std::lock_guard lock(m_mutex);
        return m_starts;
    }

private:
    const Clock& m_clock;
    std::mutex m_mutex;
    std::vector<MonotonicInstant> m_starts;
};

Task<void> writeAll(MainQueue* queue, DDCInterface* ddc, int count, std::size_t* heapAtPeak) {
    std::vector<TaskHandle> writes;
    writes.reserve(static_cast<std::size_t>(count));
    for (int level = 0; level < count; ++level)
        writes.push_back(spawn(*queue, ddc->setBrightness(level % 101, displayID)));
    *heapAtPeak = mallinfo2().uordblks;
    for (auto& write : writes) co_await write;
}

// 1,000 writes queued at once to one display with no pacing: how fast they drain and what they cost.
void BM_ThousandQueuedWritesWithoutPacing(benchmark::State& state) {
    SystemClock clock;
    for (auto _ : state) {
        BlockingMainQueue queue(clock);
        BackgroundPool pool(2);
        auto service = std::make_unique<InstantService>(clock);
        DDCInterface ddc(std::move(service), Duration::zero(), queue, pool);
        const std::size_t heapBefore = mallinfo2().uordblks;
        std::size_t heapAtPeak = 0;
        runSync(queue, writeAll(&queue, &ddc, 1000, &heapAtPeak));
        state.counters["peak_bytes_per_queued_write"] = static_cast<double>(heapAtPeak - heapBefore) / 1000.0;
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_ThousandQueuedWritesWithoutPacing)->Unit(benchmark::kMillisecond);

// Writes queued at once to one display with the default 100 ms interval, in real time: how closely
// the start-to-start spacing keeps to the interval.
void BM_PacedWritesSpacing(benchmark::State& state) {
    SystemClock clock;
    const int count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        BlockingMainQueue queue(clock);
        BackgroundPool pool(2);
        auto service = std::make_unique<InstantService>(clock);
        auto& recorder = *service;
        DDCInterface ddc(std::move(service), 100ms, queue, pool);
        std::size_t ignored = 0;
        runSync(queue, writeAll(&queue, &ddc, count, &ignored));

        const auto starts = recorder.starts();
        double sum = 0, worst = 0;
        for (std::size_t i = 1; i < starts.size(); ++i) {
            const double deviation =
                std::chrono::duration<double, std::milli>(starts[i] - starts[i - 1] - 100ms).count();
            sum += deviation;
            worst = std::max(worst, std::abs(deviation));
        }
        state.counters["mean_deviation_ms"] = sum / static_cast<double>(starts.size() - 1);
        state.counters["worst_deviation_ms"] = worst;
    }
}
BENCHMARK(BM_PacedWritesSpacing)->Arg(30)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lumadesk
