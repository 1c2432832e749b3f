#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "support/DisplayManagerHarness.h"

namespace lumadesk {
namespace {

// An arbitrary change bit (a display was added) next to the begin-configuration bit.
constexpr ReconfigurationFlags addFlag = 1u << 4;

TEST(SystemDisplayChangeRegistrarTest, OnlyNoticesAfterAChangeReachTheHandler) {
    FakeWindowServer windowServer;
    SystemDisplayChangeRegistrar registrar(windowServer);
    int calls = 0;
    auto observation = registrar.registerForDisplayChanges([&] { ++calls; });

    windowServer.reconfigure(3, beginConfigurationFlag);
    windowServer.reconfigure(3, beginConfigurationFlag | addFlag);
    EXPECT_EQ(calls, 0);
    windowServer.reconfigure(3, addFlag);
    windowServer.reconfigure(4, 0);
    EXPECT_EQ(calls, 2);
}

TEST(SystemDisplayChangeRegistrarTest, ReleasingTheObservationEndsTheRegistration) {
    FakeWindowServer windowServer;
    SystemDisplayChangeRegistrar registrar(windowServer);
    int calls = 0;
    auto observation = registrar.registerForDisplayChanges([&] { ++calls; });
    auto other = registrar.registerForDisplayChanges([] {});
    observation.reset();
    windowServer.reconfigure(3, 0);
    EXPECT_EQ(calls, 0);
}

class DisplayChangeRefreshTest : public ::testing::Test, protected DisplayManagerHarness {
protected:
    void SetUp() override {
        ddc.plugIn(snapshot(11, "10-1-1"), 40);
        start();
    }
};

TEST_F(DisplayChangeRefreshTest, EachFinishedChangeQueuesOneRefreshAndAnnouncementsNone) {
    windowServer.reconfigure(11, beginConfigurationFlag | addFlag);
    queue.runUntilIdle();
    EXPECT_EQ(ddc.snapshotCalls, 0);

    windowServer.reconfigure(11, addFlag);
    EXPECT_EQ(ddc.snapshotCalls, 0);  // queued, not run inside the callback
    queue.runUntilIdle();
    EXPECT_EQ(ddc.snapshotCalls, 1);
    EXPECT_TRUE(manager->hasLoaded());
}

TEST_F(DisplayChangeRefreshTest, ThreeQuickChangesRefreshThreeTimesOneAfterTheOther) {
    int listChanges = 0;
    auto subscription = manager->subscribeToDisplays([&](const auto&) { ++listChanges; });
    ddc.plugIn(snapshot(12, "10-2-2"), 70);
    windowServer.reconfigure(11, 0);
    windowServer.reconfigure(12, 0);
    windowServer.reconfigure(12, addFlag);
    queue.runUntilIdle();
    EXPECT_EQ(ddc.snapshotCalls, 3);
    // No coalescing, and no interleaving: the first refresh changed the list, the two after it
    // found nothing new.
    EXPECT_EQ(listChanges, 1);
    EXPECT_EQ(manager->displays().size(), 2u);
}

TEST_F(DisplayChangeRefreshTest, CallbacksFromAnotherThreadOnlyQueueWork) {
    std::thread platformThread([this] { windowServer.reconfigure(11, 0); });
    platformThread.join();
    EXPECT_EQ(ddc.snapshotCalls, 0);
    EXPECT_EQ(queue.pendingJobCount(), 1u);
    queue.runUntilIdle();
    EXPECT_EQ(ddc.snapshotCalls, 1);
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
