#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "hardware/BrightnessWriteScheduler.h"
#include "hardware/DDCInterface.h"
#include "runtime/ManualMainQueue.h"
#include "runtime/RunSync.h"
#include "runtime/Sleep.h"

using namespace lumadesk;
using namespace std::chrono_literals;

namespace {

using Starts = std::vector<std::pair<std::string, Duration>>;
using Outcomes = std::vector<std::string>;

// A scheduler with a 100 ms interval; each write records when it started and how it ended.
struct Harness {
    VirtualClock clock;
    ManualMainQueue queue{clock};
    BrightnessWriteScheduler scheduler{queue, 100ms};
    Starts starts;
    Outcomes outcomes;

    static Task<void> fakeWrite(Harness* harness, std::string name, Duration cost, bool fails) {
        harness->starts.emplace_back(name, harness->clock.monotonicNow().time_since_epoch());
        co_await sleepFor(cost);
        if (fails) throw std::runtime_error(name + " failed");
    }

    static Task<void> caller(Harness* harness, DisplayID displayID, std::string name, Duration cost,
                             bool fails) {
        try {
            // Named: with a temporary std::function in the co_await expression, the GCC 12 build crashes.
            BrightnessWriteScheduler::Operation operation = [=] {
                return fakeWrite(harness, name, cost, fails);
            };
            co_await harness->scheduler.write(displayID, std::move(operation));
            harness->outcomes.push_back(name + " ok");
        } catch (const std::exception& error) {
            harness->outcomes.push_back(error.what());
        }
    }

    void write(DisplayID displayID, std::string name, Duration cost = 0ms, bool fails = false) {
        spawn(queue, caller(this, displayID, std::move(name), cost, fails));
    }
};

}  // namespace

TEST(BrightnessWriteScheduler, PacesStartsPerDisplayWhateverAWriteCosts) {
    Harness h;
    h.write(1, "first", 60ms);
    h.queue.advanceBy(10ms);
    h.write(1, "second");
    h.write(2, "other display", 80ms);  // not held up by display 1
    h.queue.advanceBy(500ms);
    // The second write starts 100 ms after the first started: not at 60 ms, when it ended, nor at 110 ms.
    EXPECT_EQ(h.starts, (Starts{{"first", 0ms}, {"other display", 10ms}, {"second", 100ms}}));

    // A display left alone for longer than the interval is written at once.
    h.write(1, "later");
    h.queue.runUntilIdle();
    EXPECT_EQ(h.starts.back(), (std::pair<std::string, Duration>{"later", 510ms}));
    EXPECT_EQ(h.outcomes, (Outcomes{"first ok", "other display ok", "second ok", "later ok"}));
}

TEST(BrightnessWriteScheduler, BurstRunsEveryWriteInOrderAndFailuresStayWithTheirCaller) {
    Harness h;
    h.write(7, "a", 0ms, /*fails=*/true);
    h.write(7, "b");
    h.write(7, "c");
    h.queue.advanceBy(1s);
    EXPECT_EQ(h.starts, (Starts{{"a", 0ms}, {"b", 100ms}, {"c", 200ms}}));
    EXPECT_EQ(h.outcomes, (Outcomes{"a failed", "b ok", "c ok"}));
    EXPECT_FALSE(h.scheduler.hasPendingWrite(7));
}

TEST(BrightnessWriteScheduler, OlderWriteEndingLeavesTheNewerPendingEntry) {
    Harness h;
    h.write(3, "slow", 50ms);
    h.queue.runUntilIdle();
    h.write(3, "queued");
    h.queue.advanceBy(50ms);  // the first write is done; the second waits for its turn at 100 ms
    EXPECT_EQ(h.outcomes, Outcomes{"slow ok"});
    EXPECT_TRUE(h.scheduler.hasPendingWrite(3));
    h.queue.advanceBy(50ms);
    EXPECT_FALSE(h.scheduler.hasPendingWrite(3));
}

namespace {

// Records which thread each write runs on; fails for display 13.
class ThreadRecordingService final : public DisplayHardwareServicing {
public:
    std::vector<DisplaySnapshot> snapshots(const HeldDisplays&) override { return {}; }
    bool supportsDDC(DisplayID) override { return true; }
    int readBrightness(DisplayID) override { return 0; }
    void setBrightness(int level, DisplayID displayID) override {
        if (displayID == 13) throw std::runtime_error("no answer");
        writerThread = std::this_thread::get_id();
        lastLevel = level;
        ++writes;
    }
    void sleepDisplay(DisplayID) override {}
    void setDisplay(DisplayID, bool) override {}

    std::atomic<int> writes{0};
    std::atomic<int> lastLevel{-1};
    std::thread::id writerThread;
};

}  // namespace

TEST(DDCInterface, WritesRunOnTheBackgroundPoolAndReportTheirOwnFailure) {
    VirtualClock clock;
    ManualMainQueue queue(clock);
    BackgroundPool pool(2);
    auto service = std::make_unique<ThreadRecordingService>();
    auto& recorder = *service;
    DDCInterface ddc(std::move(service), 100ms, queue, pool);

    for (int level = 1; level <= 20; ++level) spawn(queue, ddc.setBrightness(level, 4));
    queue.advanceBy(2s);
    EXPECT_EQ(recorder.writes.load(), 20);
    EXPECT_EQ(recorder.lastLevel.load(), 20);  // the last of the burst leaves the final level
    EXPECT_NE(recorder.writerThread, std::this_thread::get_id());
    EXPECT_EQ(clock.monotonicNow().time_since_epoch(), 2s);
    EXPECT_THROW(runSync(queue, ddc.setBrightness(50, 13)), std::runtime_error);
}
