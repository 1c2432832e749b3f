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

struct WriteStart {
    std::string name;
    Duration at;
};

struct Harness {
    VirtualClock clock;
    ManualMainQueue queue{clock};
    BrightnessWriteScheduler scheduler{queue, 100ms};
    std::vector<WriteStart> starts;
    std::vector<std::string> outcomes;

    Duration now() const { return clock.monotonicNow().time_since_epoch(); }

    static Task<void> fakeWrite(Harness* harness, std::string name, Duration cost, bool fails) {
        harness->starts.push_back({name, harness->now()});
        co_await sleepFor(cost);
        if (fails) throw std::runtime_error(name + " failed");
    }

    static Task<void> caller(Harness* harness, DisplayID displayID, std::string name, Duration cost, bool fails) {
        try {
            BrightnessWriteScheduler::Operation operation = [=] { return fakeWrite(harness, name, cost, fails); };
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
    h.queue.advanceBy(500ms);
    ASSERT_EQ(h.starts.size(), 2u);
    EXPECT_EQ(h.starts[0].at, 0ms);
    EXPECT_EQ(h.starts[1].at, 100ms);  // not 60 ms, when the first ended, nor 110 ms

    // A display left alone for longer than the interval is written at once.
    h.write(1, "later");
    h.queue.runUntilIdle();
    EXPECT_EQ(h.starts.back().at, 510ms);
    EXPECT_EQ(h.outcomes, (std::vector<std::string>{"first ok", "second ok", "later ok"}));
}

TEST(BrightnessWriteScheduler, BurstRunsEveryWriteInOrderAndFailuresStayWithTheirCaller) {
    Harness h;
    h.write(7, "a", 0ms, /*fails=*/true);
    h.write(7, "b");
    h.write(7, "c");
    h.queue.advanceBy(1s);
    ASSERT_EQ(h.starts.size(), 3u);
    EXPECT_EQ(h.starts[0].name, "a");
    EXPECT_EQ(h.starts[1].name, "b");
    EXPECT_EQ(h.starts[2].name, "c");
    EXPECT_EQ(h.starts[1].at, 100ms);
    EXPECT_EQ(h.starts[2].at, 200ms);
    EXPECT_EQ(h.outcomes, (std::vector<std::string>{"a failed", "b ok", "c ok"}));
    EXPECT_FALSE(h.scheduler.hasPendingWrite(7));
}

TEST(BrightnessWriteScheduler, OlderWriteEndingLeavesTheNewerPendingEntry) {
    Harness h;
    h.write(3, "slow", 50ms);
    h.queue.runUntilIdle();
    h.write(3, "queued");
    h.queue.advanceBy(50ms);  // the first write is done; the second waits for its turn at 100 ms
    EXPECT_EQ(h.outcomes, std::vector<std::string>{"slow ok"});
    EXPECT_TRUE(h.scheduler.hasPendingWrite(3));
    h.queue.advanceBy(50ms);
    EXPECT_FALSE(h.scheduler.hasPendingWrite(3));
}

TEST(BrightnessWriteScheduler, DisplaysDoNotWaitForEachOther) {
    Harness h;
    h.write(1, "one", 80ms);
    h.write(2, "two", 80ms);
    h.queue.runUntilIdle();
    ASSERT_EQ(h.starts.size(), 2u);
    EXPECT_EQ(h.starts[0].at, 0ms);
    EXPECT_EQ(h.starts[1].at, 0ms);
}

namespace {

// Records which thread each write runs on; fails for display 13.
class ThreadRecordingService final : public DisplayHardwareServicing {
public:
    std::vector<DisplaySnapshot> snapshots() override { return {}; }
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
