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

Task<void> slowRefresh(int* count, const bool* fails) {
    ++*count;
    co_await sleepFor(1s);
    if (*fails) throw std::runtime_error("broken");
}

}  // namespace

TEST(PopoverRefreshTest, OneRefreshAtATimeThatEndsEvenWhenItFailsOrThePopoverIsGone) {
    VirtualClock clock;
    ManualMainQueue queue{clock};
    int refreshes = 0;
    int changes = 0;
    bool fails = false;
    auto refresh = std::make_unique<PopoverRefresh>(
        queue, [&] { return slowRefresh(&refreshes, &fails); }, [&] { ++changes; });

    // The spinner shows at once; a second start while the refresh runs starts nothing.
    EXPECT_TRUE(refresh->start());
    EXPECT_TRUE(refresh->isRefreshing());
    queue.runUntilIdle();
    EXPECT_FALSE(refresh->start());
    queue.advanceBy(1s);
    EXPECT_EQ(refreshes, 1);
    EXPECT_FALSE(refresh->isRefreshing());
    EXPECT_EQ(changes, 2) << "the view hears of the start and of the end";

    // A refresh that breaks down still ends, so that the button comes back.
    fails = true;
    EXPECT_TRUE(refresh->start());
    queue.advanceBy(1s);
    EXPECT_EQ(refreshes, 2);
    EXPECT_FALSE(refresh->isRefreshing());

    // A refresh outliving the popover runs to its end, with nobody left to tell.
    fails = false;
    refresh->start();
    refresh.reset();
    queue.advanceBy(1s);
    EXPECT_EQ(refreshes, 3);
    EXPECT_EQ(changes, 5);
}
