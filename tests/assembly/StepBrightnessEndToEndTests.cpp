#include <gtest/gtest.h>

#include "intents/DisplayAction.h"
#include "runtime/RunSync.h"
#include "support/KeyedDesk.h"

using namespace lumadesk;
using namespace std::chrono_literals;

namespace {

const std::string eastlakeID = "5156-12850-12345";

// What a status bar's wheel does: a step every 20 ms for a second, each a call of its own, on the default
// desk in virtual time. The monitor is sampled every millisecond to see each write land.
TEST(StepBrightnessEndToEnd, FiftyWheelStepsInASecondEndAtTheirSumWithOneWritePerHundredMilliseconds) {
    KeyedDesk d;
    auto& monitor = d.platform->desk().monitor(eastlake);
    monitor.setBrightness(40);
    DisplayManager& manager = d.stack->displayManager();
    runSync(d.queue, manager.refresh());

    std::vector<TaskHandle> steps;
    std::vector<std::pair<Duration, int>> landed;
    const MonotonicInstant start = d.clock.monotonicNow();
    int expected = 40;
    // The transport's blocking waits move the virtual clock too: the steps follow the clock, not the loop.
    while (d.clock.monotonicNow() - start < 1500ms) {
        if (steps.size() < 50 && d.clock.monotonicNow() - start >= 20ms * steps.size()) {
            // Up by 2 thirty times, then down by 1: the order of the steps matters for the sum's path.
            const int step = steps.size() < 30 ? 2 : -1;
            expected += step;
            DisplayActionRequest request{.kind = DisplayActionKind::stepBrightness, .hardwareID = eastlakeID};
            request.step = step;
            steps.push_back(spawn(d.queue, [](DisplayActionRequest r, DisplayManager& m) -> Task<void> {
                co_await performDisplayAction(std::move(r), m);
            }(request, manager)));
        }
        d.queue.advanceBy(1ms);
        const int level = monitor.brightness();
        if (landed.empty() ? level != 40 : level != landed.back().second)
            landed.emplace_back(d.clock.monotonicNow() - start, level);
    }
    ASSERT_EQ(expected, 80);
    EXPECT_EQ(monitor.brightness(), 80);
    EXPECT_EQ(manager.displays().back().brightness, 80);
    for (const TaskHandle& step : steps) {
        EXPECT_TRUE(step.isDone());
        EXPECT_FALSE(step.error());
    }
    // No stale level is queued: the last step (at 980 ms) lands with the next paced write.
    ASSERT_GE(landed.size(), 2u);
    EXPECT_LE(landed.back().first, 1100ms);
    for (std::size_t i = 1; i < landed.size(); ++i) {
        SCOPED_TRACE(std::to_string(i) + ": " + std::to_string(landed[i].second));
        EXPECT_GE(landed[i].first - landed[i - 1].first, 100ms);
    }
}

}  // namespace
