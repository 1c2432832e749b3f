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

TEST_F(GlobalBrightnessSyncTest, OpeningShowsTheMeanAndWritesNothingThenMovesWriteTheRoundedLevel) {
    // The card comes on screen: the mean of 30 and 61, shown as 46%, and writes stay off for one turn.
    sync.sync(displays);
    EXPECT_DOUBLE_EQ(sync.globalBrightness(), 45.5);
    EXPECT_EQ(sync.shownLevel(), 46);
    EXPECT_FALSE(sync.isReady());
    EXPECT_EQ(queue.pendingJobCount(), 1u);
    queue.runUntilIdle();
    EXPECT_TRUE(sync.isReady());
    EXPECT_TRUE(written.empty());

    // Armed, a move writes round(value); a value equal to the current one writes nothing.
    sync.userChanged(45.5);
    sync.userChanged(72.4);
    EXPECT_EQ(written, std::vector<int>{72});

    // A change of the list syncs again and disarms again; without controllable displays the value stays.
    sync.sync({});
    EXPECT_FALSE(sync.isReady());
    EXPECT_DOUBLE_EQ(sync.globalBrightness(), 72.4);
    queue.runUntilIdle();
    EXPECT_EQ(written, std::vector<int>{72});
}

TEST_F(GlobalBrightnessSyncTest, AMoveInTheDisarmedTurnIsWrittenWhenReArmed) {
    // Qt may deliver the last move of a drag between a sync and its re-arm; it must not be lost.
    sync.sync(displays);
    sync.userChanged(80.2);
    EXPECT_TRUE(written.empty());
    queue.runUntilIdle();
    EXPECT_EQ(written, std::vector<int>{80});
    EXPECT_DOUBLE_EQ(sync.globalBrightness(), 80.2);

    // A move back to the synced value in that turn has nothing to write.
    sync.sync(displays);
    sync.userChanged(45.5);
    queue.runUntilIdle();
    EXPECT_EQ(written, std::vector<int>{80});

    // A re-arm that outlives its card does nothing, not even the write it held back.
    {
        GlobalBrightnessSync shortLived(queue, [this](int level) { written.push_back(level); });
        shortLived.sync(displays);
        shortLived.userChanged(90);
    }
    queue.runUntilIdle();
    EXPECT_EQ(written, std::vector<int>{80});
}
