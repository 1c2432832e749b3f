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
#include "support/MainQueueConformance.h"

#include <QCoreApplication>

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

}  // namespace

TEST(QtMainQueueTest, RunsJobsInOrderFromAnyThreadTimersNoSoonerThanDueAndEndsSuspendedTasks) {
    SystemClock clock;
    auto queue = std::make_unique<QtMainQueue>(clock);
    const auto pumpUntilIdle = [&] {
        while (queue->pumpOnce()) {
        }
    };
    // Pumping an idle queue says that nothing can arrive instead of waiting for ever.
    EXPECT_FALSE(queue->pumpOnce());

    // Jobs wait for the event loop and run first in, first out; a delayed one no sooner than it is due,
    // a cancelled one never.
    std::vector<int> order;
    for (int i = 0; i < 5; ++i) queue->post([&order, i] { order.push_back(i); });
    queue->postAfter(Duration::zero(), [&order] { order.push_back(5); });
    const auto deadline = clock.monotonicNow() + 2ms;
    MonotonicInstant ranAt{};
    queue->postAfter(2ms, [&] { ranAt = clock.monotonicNow(); });
    bool cancelledRan = false;
    queue->postAfter(1ms, [&] { cancelledRan = true; }).cancel();
    EXPECT_TRUE(order.empty());
    pumpUntilIdle();
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_GE(ranAt, deadline);
    EXPECT_FALSE(cancelledRan);

    // A job posted from another thread runs on this one; runSync pumps until a sleeping task answers.
    std::thread::id ranOn;
    {
        MainQueue::ExternalWork pending(*queue);
        std::thread worker([&] { queue->post([&] { ranOn = std::this_thread::get_id(); }); });
        worker.join();
    }
    pumpUntilIdle();
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    EXPECT_EQ(runSync(*queue, answerAfter(1ms, 42)), 42);

    // Destroying the queue destroys the detached tasks still suspended on it.
    auto token = std::make_shared<int>(0);
    spawn(*queue, holdForever(token));
    queue->post([] {});
    queue->pumpOnce();  // starts the task, which then sleeps
    EXPECT_EQ(token.use_count(), 2);
    queue.reset();
    EXPECT_EQ(token.use_count(), 1);
}

TEST(QtMainQueueTest, KeepsTheOneLaneOrderOfEveryMainQueue) {
    VirtualClock clock;
    QtMainQueue queue(clock);
    expectMainQueueConformance(queue, clock);
}

// Closed for shutdown: what was queued and what comes later is destroyed without running.
TEST(QtMainQueueTest, AClosedQueueDestroysJobsWithoutRunningThem) {
    SystemClock clock;
    QtMainQueue queue(clock);
    auto token = std::make_shared<int>(0);
    bool ran = false;
    queue.post([&ran, token] { ran = true; });
    queue.postAfter(1h, [&ran, token] { ran = true; });
    EXPECT_EQ(token.use_count(), 3);
    queue.close();
    EXPECT_EQ(token.use_count(), 1);
    queue.post([&ran, token] { ran = true; });
    queue.postAfter(1ms, [&ran, token] { ran = true; }).cancel();  // the handle of a refused job is inert
    EXPECT_EQ(token.use_count(), 1);
    EXPECT_FALSE(queue.pumpOnce());
    QCoreApplication::processEvents();
    EXPECT_FALSE(ran);
}

// Draining at quit waits for background work only so long: one that never posts back is given up on.
TEST(QtMainQueueTest, DrainingGivesUpOnBackgroundWorkThatNeverEnds) {
    SystemClock clock;
    QtMainQueue queue(clock);
    bool ran = false;
    queue.post([&ran] { ran = true; });
    EXPECT_TRUE(queue.drain(1s));
    EXPECT_TRUE(ran);
    const MainQueue::ExternalWork hung(queue);
    EXPECT_FALSE(queue.drain(20ms));
}
