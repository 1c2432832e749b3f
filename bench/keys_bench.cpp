// Host time of one brightness key: from the key's report reaching the main queue (the simulated
// keyboard's HID value, queued as the real input-device path queues it) to the start of the first DDC
// transfer to a monitor. Virtual time: the DDC pacing costs nothing here, so the figure is the
// program's own work (decoding, repeater, routing, the manager's write path).
#include <benchmark/benchmark.h>

#include "support/KeyedDesk.h"

using namespace lumadesk;
using namespace std::chrono_literals;

static void BM_KeyReportToDDCWrite(benchmark::State& state) {
    KeyedDesk desk;
    desk.launch();
    auto& monitor = desk.platform->desk().monitor(leftTwin);
    bool up = true;
    for (auto _ : state) {
        const auto before = monitor.transferCount();
        desk.keyboard.sendHIDValue({0x0C, up ? 0x6FU : 0x70U, 1});
        while (monitor.transferCount() == before) {
            if (!desk.queue.pumpOnce()) desk.queue.advanceBy(1ms);
        }
        state.PauseTiming();
        desk.keyboard.sendHIDValue({0x0C, up ? 0x6FU : 0x70U, 0});
        desk.queue.advanceBy(2s);  // the writes to every monitor end, the panel hides
        up = !up;                  // stays clear of 0 and 100
        state.ResumeTiming();
    }
}
BENCHMARK(BM_KeyReportToDDCWrite)->Unit(benchmark::kMicrosecond);
