#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "interface/QtMainQueue.h"
#include "runtime/RunSync.h"
#include "runtime/Sleep.h"
#include "runtime/Spawn.h"
#include "runtime/SystemClock.h"

using namespace lumadesk;
using namespace std::chrono_literals;

namespace {

Task<int> answerAfter(Duration delay, int value) {
    co_await sleepFor(delay);
    co_return value;
}

// Sleeps far longer than any test runs, holding the token until its frame is destroyed.
Task<void> holdForever(std::shared_ptr<int> token) {
    co_await sleepFor(24h);
    (void)token;
}

struct QtMainQueueTest : ::testing::Test {
    SystemClock clock;
    std::unique_ptr<QtMainQueue> queue = std::make_unique<QtMainQueue>(clock);

    void pumpUntilIdle() {
        while (queue->pumpOnce()) {
        }
    }
};

}  // namespace

TEST_F(QtMainQueueTest, PostedJobsRunInPostingOrder) {
    std::vector<int> order;
    for (int i = 0; i < 5; ++i) queue->post([&order, i] { order.push_back(i); });
    queue->postAfter(Duration::zero(), [&order] { order.push_back(5); });
    EXPECT_TRUE(order.empty()) << "jobs wait for the event loop";
    pumpUntilIdle();
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4, 5}));
}

TEST_F(QtMainQueueTest, PumpingAnIdleQueueReportsThatNothingCanArrive) {
    EXPECT_FALSE(queue->pumpOnce());
}

TEST_F(QtMainQueueTest, ADelayedJobRunsNoSoonerThanItsDeadline) {
    const auto deadline = clock.monotonicNow() + 2ms;
    MonotonicInstant ranAt{};
    queue->postAfter(2ms, [&] { ranAt = clock.monotonicNow(); });
    pumpUntilIdle();
    EXPECT_GE(ranAt, deadline);
}

TEST_F(QtMainQueueTest, ACancelledJobDoesNotRun) {
    bool ran = false;
    auto handle = queue->postAfter(1ms, [&] { ran = true; });
    handle.cancel();
    pumpUntilIdle();
    EXPECT_FALSE(ran);
}

TEST_F(QtMainQueueTest, JobsPostedFromAnotherThreadRunOnTheMainThread) {
    std::thread::id ranOn;
    {
        MainQueue::ExternalWork pending(*queue);
        std::thread worker([&] { queue->post([&] { ranOn = std::this_thread::get_id(); }); });
        worker.join();
    }
    pumpUntilIdle();
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST_F(QtMainQueueTest, RunSyncWaitsForASleepingTask) {
    EXPECT_EQ(runSync(*queue, answerAfter(1ms, 42)), 42);
}

TEST_F(QtMainQueueTest, SuspendedDetachedTasksAreDestroyedWithTheQueue) {
    auto token = std::make_shared<int>(0);
    spawn(*queue, holdForever(token));
    queue->post([] {});
    queue->pumpOnce();  // starts the task, which then sleeps
    EXPECT_EQ(token.use_count(), 2);
    queue.reset();
    EXPECT_EQ(token.use_count(), 1);
}
