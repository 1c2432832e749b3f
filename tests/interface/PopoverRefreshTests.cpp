#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <stdexcept>

#include "interface/logic/PopoverRefresh.h"
#include "runtime/ManualMainQueue.h"
#include "runtime/Sleep.h"

using namespace lumadesk;
using namespace std::chrono_literals;

namespace {

Task<void> slowRefresh(int* count) {
    ++*count;
    co_await sleepFor(1s);
}

Task<void> failingRefresh() {
    co_await sleepFor(1s);
    throw std::runtime_error("broken");
}

struct PopoverRefreshTest : ::testing::Test {
    VirtualClock clock;
    ManualMainQueue queue{clock};
    int refreshes = 0;
    int changes = 0;
};

}  // namespace

TEST_F(PopoverRefreshTest, RefreshingWhileItsRefreshRuns) {
    PopoverRefresh refresh(
        queue, [this] { return slowRefresh(&refreshes); }, [this] { ++changes; });
    EXPECT_TRUE(refresh.start());
    EXPECT_TRUE(refresh.isRefreshing());
    queue.runUntilIdle();
    EXPECT_EQ(refreshes, 1);
    EXPECT_TRUE(refresh.isRefreshing());
    queue.advanceBy(1s);
    EXPECT_FALSE(refresh.isRefreshing());
    EXPECT_EQ(changes, 2);
}

TEST_F(PopoverRefreshTest, ASecondStartWhileRunningDoesNothing) {
    PopoverRefresh refresh(
        queue, [this] { return slowRefresh(&refreshes); }, [] {});
    refresh.start();
    queue.runUntilIdle();
    EXPECT_FALSE(refresh.start());
    queue.advanceBy(2s);
    EXPECT_EQ(refreshes, 1);
    EXPECT_TRUE(refresh.start());
}

TEST_F(PopoverRefreshTest, AFailedRefreshStillEnds) {
    PopoverRefresh refresh(
        queue, [] { return failingRefresh(); }, [] {});
    refresh.start();
    queue.advanceBy(1s);
    EXPECT_FALSE(refresh.isRefreshing());
}

TEST_F(PopoverRefreshTest, ARefreshOutlivingThePopoverRunsToItsEnd) {
    auto refresh = std::make_unique<PopoverRefresh>(
        queue, [this] { return slowRefresh(&refreshes); }, [this] { ++changes; });
    refresh->start();
    refresh.reset();
    queue.advanceBy(1s);
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(changes, 1);
}
