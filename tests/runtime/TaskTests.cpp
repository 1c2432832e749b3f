#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "runtime/BackgroundPool.h"
#include "runtime/BlockingMainQueue.h"
#include "runtime/ManualMainQueue.h"
#include "runtime/RunInBackground.h"
#include "runtime/RunSync.h"
#include "runtime/Sleep.h"
#include "runtime/Spawn.h"
#include "support/MainQueueConformance.h"

using namespace lumadesk;
using namespace std::chrono_literals;

namespace {

struct Fixture : ::testing::Test {
    VirtualClock clock;
    ManualMainQueue queue{clock};
};

Task<int> answer(int value) {
    co_return value;
}

Task<int> sum(int count) {
    int total = 0;
    for (int i = 0; i < count; ++i) total += co_await answer(1);
    co_return total;
}

// A task with a result that throws instead of producing it.
Task<std::string> nameOrFail(bool fail) {
    const int value = co_await answer(7);
    if (fail) throw std::runtime_error("read failed");
    co_return "display " + std::to_string(value);
}

Task<void> failAfterAwait() {
    co_await answer(1);
    throw std::runtime_error("write failed");
}

Task<void> record(std::vector<std::string>* log, std::string name, Duration delay) {
    co_await sleepFor(delay);
    log->push_back(name);
}

Task<void> sleepAndMark(Duration delay, bool* woke, bool* cancelled) {
    try {
        co_await sleepFor(delay);
        *woke = true;
    } catch (const TaskCancelled&) {
        *cancelled = true;
    }
}

}  // namespace

// The sanitizers keep a record of every frame, so symmetric transfer cannot make the chain flat there.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr int kChainLength = 10'000;
#else
constexpr int kChainLength = 1'000'000;
#endif

TEST_F(Fixture, ResultsAndErrorsCrossAwaitsAndChainsDoNotGrowTheStack) {
    EXPECT_EQ(runSync(queue, sum(kChainLength)), kChainLength);
    try {
        runSync(queue, failAfterAwait());
        FAIL() << "the error was lost";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "write failed");
    }
    EXPECT_EQ(runSync(queue, nameOrFail(false)), "display 7");
    try {
        runSync(queue, nameOrFail(true));
        FAIL() << "the error was lost";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "read failed");
    }
}

TEST_F(Fixture, JobsRunInDeadlineOrderAndEqualDeadlinesFirstInFirstOut) {
    std::vector<std::string> log;
    spawn(queue, record(&log, "b-100", 100ms));
    spawn(queue, record(&log, "a-50", 50ms));
    spawn(queue, record(&log, "c-100", 100ms));
    spawn(queue, record(&log, "d-0", 0ms));
    queue.runUntilIdle();
    EXPECT_EQ(log, std::vector<std::string>{"d-0"});
    queue.advanceBy(49ms);
    EXPECT_EQ(log.size(), 1u);  // not a moment early
    queue.advanceBy(51ms);
    EXPECT_EQ(log, (std::vector<std::string>{"d-0", "a-50", "b-100", "c-100"}));
    EXPECT_EQ(clock.monotonicNow().time_since_epoch(), 100ms);

    // Plain jobs for one instant, posted now and for later, keep their posting order too.
    log.clear();
    queue.postAfter(10ms, [&] { log.push_back("later-1"); });
    queue.post([&] { log.push_back("now-1"); });
    queue.postAfter(10ms, [&] { log.push_back("later-2"); });
    queue.post([&] { log.push_back("now-2"); });
    queue.advanceBy(10ms);
    EXPECT_EQ(log, (std::vector<std::string>{"now-1", "now-2", "later-1", "later-2"}));

    // A negative delay is no delay: the job is due now, after those posted before it, and time stays.
    log.clear();
    const auto before = clock.monotonicNow();
    queue.post([&] { log.push_back("now"); });
    queue.postAfter(-5ms, [&] { log.push_back("negative"); });
    queue.post([&] { log.push_back("after"); });
    queue.runUntilIdle();
    EXPECT_EQ(log, (std::vector<std::string>{"now", "negative", "after"}));
    EXPECT_EQ(clock.monotonicNow(), before);
}

TEST_F(Fixture, CancellationEndsASleepAtOnceAndCancelsItsTimer) {
    bool woke = false, cancelled = false;
    auto handle = spawn(queue, sleepAndMark(3s, &woke, &cancelled));
    queue.advanceBy(1s);
    handle.cancel();
    queue.runUntilIdle();
    EXPECT_TRUE(cancelled);
    EXPECT_FALSE(woke);
    EXPECT_TRUE(handle.isDone());
    EXPECT_EQ(queue.pendingJobCount(), 0u);

    bool wokeLate = false, cancelledEarly = false;
    auto early = spawn(queue, sleepAndMark(1s, &wokeLate, &cancelledEarly));
    early.cancel();  // before the task even started
    queue.runUntilIdle();
    EXPECT_TRUE(cancelledEarly);
    EXPECT_FALSE(wokeLate);
}

TEST_F(Fixture, BackgroundWorkRunsOffTheMainThreadAndResumesOnIt) {
    BackgroundPool pool(2);
    const auto mainThread = std::this_thread::get_id();
    auto work = [](BackgroundPool* pool, std::thread::id mainThread) -> Task<bool> {
        auto workerThread = co_await runInBackground(*pool, [] { return std::this_thread::get_id(); });
        co_return workerThread != mainThread&& std::this_thread::get_id() == mainThread;
    };
    EXPECT_TRUE(runSync(queue, work(&pool, mainThread)));

    auto failing = [](BackgroundPool* pool) -> Task<void> {
        co_await runInBackground(*pool, [] { throw std::runtime_error("bus error"); });
    };
    EXPECT_THROW(runSync(queue, failing(&pool)), std::runtime_error);
}

TEST_F(Fixture, AwaitingAHandleWaitsForTheTaskAndSeesItsError) {
    auto failing = [](Duration delay) -> Task<void> {
        co_await sleepFor(delay);
        throw std::runtime_error("late failure");
    };
    auto handle = spawn(queue, failing(10ms));
    auto waiter = [](TaskHandle handle) -> Task<std::string> {
        try {
            co_await handle;
        } catch (const std::exception& error) {
            co_return error.what();
        }
        co_return "no error";
    };
    EXPECT_EQ(runSync(queue, waiter(handle)), "late failure");
    EXPECT_EQ(clock.monotonicNow().time_since_epoch(), 10ms);
}

TEST(ManualMainQueueShutdown, DestroysTasksThatCanNeverResume) {
    struct Guard {
        bool* destroyed;
        ~Guard() { *destroyed = true; }
    };
    bool destroyed = false;
    {
        VirtualClock clock;
        ManualMainQueue queue(clock);
        auto sleeper = [](bool* destroyed) -> Task<void> {
            Guard guard{destroyed};
            co_await sleepFor(1h);
        };
        spawn(queue, sleeper(&destroyed));
        queue.runUntilIdle();
        EXPECT_FALSE(destroyed);
    }
    EXPECT_TRUE(destroyed);
}

TEST(ManualMainQueueShutdown, RunSyncReportsATaskThatCanNeverFinish) {
    VirtualClock clock;
    ManualMainQueue queue(clock);
    auto forever = []() -> Task<void> {
        auto never = std::make_shared<detail::DetachedTaskState>();
        never->queue = nullptr;
        co_await TaskHandle(never);
    };
    EXPECT_THROW(runSync(queue, forever()), std::logic_error);
}

TEST(MainQueueConformance, ManualAndBlockingQueuesKeepOneLaneInDeadlineOrder) {
    {
        VirtualClock clock;
        ManualMainQueue queue(clock);
        expectMainQueueConformance(queue, clock);
    }
    {
        VirtualClock clock;
        BlockingMainQueue queue(clock);
        expectMainQueueConformance(queue, clock);
    }
}

// Awaiting consumes a task: through an lvalue or a const reference it does not compile, so a task
// cannot be awaited twice by mistake; a moved-from task awaited again is refused.
template <typename T>
concept AwaitableAs = requires(T task) {
    static_cast<T>(task).operator co_await();
};
static_assert(AwaitableAs<Task<int>&&>);
static_assert(!AwaitableAs<Task<int>&>);
static_assert(!AwaitableAs<const Task<int>&>);
static_assert(!AwaitableAs<const Task<int>&&>);

namespace {
Task<int> awaitTwice(Task<int> task) {
    int total = co_await std::move(task);
    total += co_await std::move(task);
    co_return total;
}
}  // namespace

TEST_F(Fixture, AwaitingATaskConsumesIt) {
    EXPECT_THROW(runSync(queue, awaitTwice(answer(1))), std::logic_error);
}
