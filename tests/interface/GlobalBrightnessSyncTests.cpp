#include <gtest/gtest.h>

#include <vector>

#include "DisplayFixtures.h"
#include "interface/logic/GlobalBrightnessSync.h"
#include "runtime/ManualMainQueue.h"

using namespace lumadesk;
using namespace lumadesk::testing;

namespace {

struct GlobalBrightnessSyncTest : ::testing::Test {
    VirtualClock clock;
    ManualMainQueue queue{clock};
    std::vector<int> written;
    GlobalBrightnessSync sync{queue, [this](int level) { written.push_back(level); }};
    std::vector<Display> displays{controllableDisplay("a", 30, 0), controllableDisplay("b", 61, 1)};
};

}  // namespace

TEST_F(GlobalBrightnessSyncTest, StartsAtFiftyAndDisarmed) {
    EXPECT_EQ(sync.globalBrightness(), 50);
    EXPECT_FALSE(sync.isReady());
    sync.userChanged(80);
    queue.runUntilIdle();
    EXPECT_TRUE(written.empty()) << "nothing is written before the first sync";
}

TEST_F(GlobalBrightnessSyncTest, OpeningTakesTheMeanAndWritesNothing) {
    sync.sync(displays);
    EXPECT_DOUBLE_EQ(sync.globalBrightness(), 45.5);
    EXPECT_EQ(sync.shownLevel(), 46);
    queue.runUntilIdle();
    EXPECT_TRUE(sync.isReady());
    EXPECT_TRUE(written.empty());
}

TEST_F(GlobalBrightnessSyncTest, ReArmsOnlyOnTheQueuesNextTurn) {
    sync.sync(displays);
    EXPECT_FALSE(sync.isReady());
    EXPECT_EQ(queue.pendingJobCount(), 1u);
    queue.runUntilIdle();
    EXPECT_TRUE(sync.isReady());
}

TEST_F(GlobalBrightnessSyncTest, UserChangesWriteTheRoundedLevel) {
    sync.sync(displays);
    queue.runUntilIdle();
    sync.userChanged(72.4);
    sync.userChanged(49.5);
    sync.userChanged(49.4);
    EXPECT_EQ(written, (std::vector<int>{72, 50, 49}));
}

TEST_F(GlobalBrightnessSyncTest, AnUnchangedValueWritesNothing) {
    sync.sync(displays);
    queue.runUntilIdle();
    sync.userChanged(45.5);
    EXPECT_TRUE(written.empty());
}

TEST_F(GlobalBrightnessSyncTest, WithoutControllableDisplaysTheValueStays) {
    sync.sync(displays);
    sync.sync({});
    EXPECT_DOUBLE_EQ(sync.globalBrightness(), 45.5);
}

TEST_F(GlobalBrightnessSyncTest, ASyncAfterAWriteDisarmsAgain) {
    sync.sync(displays);
    queue.runUntilIdle();
    sync.userChanged(70);
    displays[0].brightness = 70;
    displays[1].brightness = 70;
    sync.sync(displays);
    EXPECT_FALSE(sync.isReady());
    queue.runUntilIdle();
    EXPECT_EQ(written, (std::vector<int>{70}));
    EXPECT_DOUBLE_EQ(sync.globalBrightness(), 70);
}

TEST_F(GlobalBrightnessSyncTest, AUserChangeWhileDisarmedIsWrittenWhenReArmed) {
    sync.sync(displays);
    sync.userChanged(80.2);
    EXPECT_TRUE(written.empty());
    queue.runUntilIdle();
    EXPECT_EQ(written, (std::vector<int>{80}));
    EXPECT_DOUBLE_EQ(sync.globalBrightness(), 80.2);
}

TEST_F(GlobalBrightnessSyncTest, AUserChangeBackToTheSyncedValueWhileDisarmedWritesNothing) {
    sync.sync(displays);
    sync.userChanged(45.5);
    queue.runUntilIdle();
    EXPECT_TRUE(written.empty());
}

TEST_F(GlobalBrightnessSyncTest, TheReArmOutlivingTheSyncDoesNothing) {
    {
        GlobalBrightnessSync shortLived(queue, [this](int level) { written.push_back(level); });
        shortLived.sync(displays);
        shortLived.userChanged(90);
    }
    queue.runUntilIdle();
    EXPECT_TRUE(written.empty());
}
