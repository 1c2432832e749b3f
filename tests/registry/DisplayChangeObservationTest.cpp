#include <gtest/gtest.h>

#include <thread>

#include "support/DisplayManagerHarness.h"

namespace lumadesk {
namespace {

// An arbitrary change bit (a display was added) next to the begin-configuration bit.
constexpr ReconfigurationFlags addFlag = 1u << 4;

TEST(SystemDisplayChangeRegistrarTest, PassesOnFinishedChangesUntilTheObservationIsReleased) {
    FakeWindowServer windowServer;
    SystemDisplayChangeRegistrar registrar(windowServer);
    int calls = 0;
    auto observation = registrar.registerForDisplayChanges([&] { ++calls; });
    auto other = registrar.registerForDisplayChanges([] {});

    // Notices that a change is about to begin are not passed on.
    windowServer.reconfigure(3, beginConfigurationFlag);
    windowServer.reconfigure(3, beginConfigurationFlag | addFlag);
    EXPECT_EQ(calls, 0);
    windowServer.reconfigure(3, addFlag);
    windowServer.reconfigure(4, 0);
    EXPECT_EQ(calls, 2);

    observation.reset();
    windowServer.reconfigure(3, 0);
    EXPECT_EQ(calls, 2);
}

class DisplayChangeRefreshTest : public ::testing::Test, protected DisplayManagerHarness {
protected:
    void SetUp() override {
        ddc.plugIn(snapshot(11, "10-1-1"), 40);
        start();
    }
};

TEST_F(DisplayChangeRefreshTest, EachFinishedChangeQueuesOneRefreshRunAfterTheOtherOnTheMainQueue) {
    int listChanges = 0;
    auto subscription = manager->subscribeToDisplays([&](const auto&) { ++listChanges; });
    windowServer.reconfigure(11, beginConfigurationFlag | addFlag);
    queue.runUntilIdle();
    EXPECT_EQ(ddc.snapshotCalls, 0);

    // Three quick changes, one from another thread: queued, not run inside the callback.
    ddc.plugIn(snapshot(12, "10-2-2"), 70);
    std::thread platformThread([this] { windowServer.reconfigure(11, 0); });
    platformThread.join();
    windowServer.reconfigure(12, 0);
    windowServer.reconfigure(12, addFlag);
    EXPECT_EQ(ddc.snapshotCalls, 0);
    EXPECT_EQ(queue.pendingJobCount(), 3u);

    // No coalescing and no interleaving: the first refresh changed the list, the two after it found
    // nothing new.
    queue.runUntilIdle();
    EXPECT_EQ(ddc.snapshotCalls, 3);
    EXPECT_EQ(listChanges, 1);
    EXPECT_EQ(manager->displays().size(), 2u);
}

TEST_F(DisplayChangeRefreshTest, AChangeArrivingAsTheManagerGoesAwayDoesNothing) {
    windowServer.reconfigure(11, 0);
    manager.reset();
    queue.runUntilIdle();
    EXPECT_EQ(ddc.snapshotCalls, 0);

    // The registration went with the manager.
    windowServer.reconfigure(11, 0);
    EXPECT_EQ(queue.pendingJobCount(), 0u);
}

}  // namespace
}  // namespace lumadesk
