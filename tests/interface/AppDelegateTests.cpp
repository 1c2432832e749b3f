#include <gtest/gtest.h>

#include <chrono>

#include "interface/AppDelegate.h"
#include "support/DisplayManagerHarness.h"

using namespace lumadesk;
using namespace std::chrono_literals;

TEST(AppDelegateTest, LaunchingQueuesTheFirstRefresh) {
    DisplayManagerHarness desk;
    desk.ddc.plugIn(DisplayManagerHarness::snapshot(1, "a"), 40);
    AppDelegate delegate(desk.start(), desk.queue);
    delegate.applicationDidFinishLaunching();
    EXPECT_FALSE(desk.manager->hasLoaded()) << "the refresh waits for the queue";
    desk.queue.runUntilIdle();
    EXPECT_TRUE(desk.manager->hasLoaded());
    EXPECT_EQ(desk.manager->displays().size(), 1u);
}

TEST(AppDelegateTest, QuittingPutsDisconnectedDisplaysBack) {
    DisplayManagerHarness desk;
    desk.ddc.plugIn(DisplayManagerHarness::snapshot(1, "a"), 40);
    AppDelegate delegate(desk.start(), desk.queue);
    desk.refresh();
    runSync(desk.queue, desk.manager->setConnected(false, "a"));
    ASSERT_FALSE(desk.manager->disconnectedDisplayIDs().empty());
    delegate.applicationWillTerminate();
    EXPECT_TRUE(desk.manager->disconnectedDisplayIDs().empty());
}
