#include <gtest/gtest.h>

#include <limits>

#include "support/DisplayManagerHarness.h"

namespace lumadesk {
namespace {

using namespace std::chrono_literals;

// A desk of two DDC displays at 40 and 55, one without DDC, after the first refresh.
class DisplayManagerOperationsTest : public ::testing::Test, protected DisplayManagerHarness {
protected:
    void SetUp() override {
        ddc.plugIn(snapshot(11, "10-1-1"), 40);
        ddc.plugIn(snapshot(12, "10-2-2"), 55);
        ddc.plugIn(snapshot(13, "10-3-3", false));
        start();
        refresh();
    }

    std::vector<int> brightnessLevels() const {
        std::vector<int> levels;
        for (const auto& display : manager->displays()) levels.push_back(display.brightness);
        return levels;
    }

    // Disconnects the display and lets the whole operation, with its refresh, finish.
    void disconnect(const std::string& hardwareID) {
        runSync(queue, manager->setConnected(false, hardwareID));
    }
};

using Writes = std::vector<std::pair<DisplayID, int>>;

// --- Brightness ---

TEST_F(DisplayManagerOperationsTest, SetBrightnessClampsToTheLevelRange) {
    runSync(queue, manager->setBrightness(150, "10-1-1"));
    EXPECT_EQ(display("10-1-1").brightness, 100);
    runSync(queue, manager->setBrightness(-5, "10-1-1"));
    EXPECT_EQ(display("10-1-1").brightness, 0);
    EXPECT_EQ(ddc.writes, (Writes{{11, 100}, {11, 0}}));
    EXPECT_FALSE(manager->lastErrorMessage());
}

TEST_F(DisplayManagerOperationsTest, SetBrightnessShowsTheLevelOnlyOnceWritten) {
    ddc.writeDuration = 100ms;
    spawn(queue, manager->setBrightness(80, "10-1-1"));
    queue.runUntilIdle();
    EXPECT_EQ(display("10-1-1").brightness, 40);
    queue.advanceBy(100ms);
    EXPECT_EQ(display("10-1-1").brightness, 80);
}

TEST_F(DisplayManagerOperationsTest, FailedWriteIsReportedAndTheListKeepsTheOldLevel) {
    ddc.failingWrites = {12};
    runSync(queue, manager->setBrightness(55, "10-2-2"));
    EXPECT_EQ(manager->lastErrorMessage(), "Failed to write VCP 0x10=55 for display 12.");
    EXPECT_EQ(display("10-2-2").brightness, 55);
    runSync(queue, manager->setBrightness(30, "10-2-2"));
    EXPECT_EQ(display("10-2-2").brightness, 55);

    // The next operation clears the message first.
    runSync(queue, manager->setBrightness(30, "10-1-1"));
    EXPECT_FALSE(manager->lastErrorMessage());
}

TEST_F(DisplayManagerOperationsTest, UnknownAndAbsentDisplaysAreIgnoredWithoutAReport) {
    runSync(queue, manager->setBrightness(70, "no-such-display"));
    runSync(queue, manager->setConnected(false, "no-such-display"));
    manager->setCustomName("Name", "no-such-display");
    manager->sleepDisplay("no-such-display");

    ddc.unplug(11);
    refresh();
    runSync(queue, manager->setBrightness(70, "10-1-1"));
    manager->sleepDisplay("10-1-1");

    EXPECT_TRUE(ddc.writes.empty());
    EXPECT_TRUE(ddc.sleeps.empty());
    EXPECT_TRUE(ddc.connectionRequests.empty());
    EXPECT_FALSE(manager->lastErrorMessage());
    EXPECT_FALSE(display("10-1-1").customName);
}

TEST_F(DisplayManagerOperationsTest, DisplayGoneDuringItsWriteIsNotTouched) {
    // Vendor 1552 displays are dropped from the list as soon as they are not online.
    ddc.plugIn(snapshot(21, "1552-1-1"), 30);
    refresh();
    manager->moveDisplays({3}, 0);
    ASSERT_EQ(manager->displays().front().hardwareID, "1552-1-1");

    ddc.writeDuration = 100ms;
    spawn(queue, manager->setBrightness(90, "1552-1-1"));
    queue.runUntilIdle();
    ddc.unplug(21);
    refresh();
    ASSERT_FALSE(lists("1552-1-1"));
    const auto afterUnplug = manager->displays();

    queue.advanceBy(100ms);
    EXPECT_EQ(ddc.writes, (Writes{{21, 90}}));
    EXPECT_EQ(manager->displays(), afterUnplug);  // in particular, the display now first keeps its level
    EXPECT_FALSE(manager->lastErrorMessage());
}

TEST_F(DisplayManagerOperationsTest, SetBrightnessForAllShowsTheLevelAtOnceAndWritesConcurrently) {
    ddc.writeDuration = 100ms;
    ddc.failingWrites = {12};
    auto operation = spawn(queue, manager->setBrightnessForAllDisplays(170));
    queue.runUntilIdle();
    EXPECT_EQ(brightnessLevels(), (std::vector<int>{100, 100, 0}));
    EXPECT_TRUE(ddc.writes.empty());

    // Both writes run side by side: one write's time, not two.
    queue.advanceBy(100ms);
    EXPECT_TRUE(operation.isDone());
    EXPECT_EQ(ddc.writes, (Writes{{11, 100}}));
    EXPECT_EQ(brightnessLevels(), (std::vector<int>{100, 100, 0}));  // the failure is dropped
    EXPECT_FALSE(manager->lastErrorMessage());
}

TEST_F(DisplayManagerOperationsTest, AdjustingAllDisplaysStartsFromTheFirstEligibleLevel) {
    runSync(queue, manager->adjustBrightnessForAllDisplays(6));
    EXPECT_EQ(brightnessLevels(), (std::vector<int>{46, 46, 0}));
    runSync(queue, manager->adjustBrightnessForAllDisplays(-100));
    EXPECT_EQ(brightnessLevels(), (std::vector<int>{0, 0, 0}));
    runSync(queue, manager->adjustBrightnessForAllDisplays(std::numeric_limits<int>::max()));
    EXPECT_EQ(brightnessLevels(), (std::vector<int>{100, 100, 0}));
}

TEST_F(DisplayManagerOperationsTest, AdjustingWithNoEligibleDisplayDoesNothing) {
    disconnect("10-1-1");
    disconnect("10-2-2");
    ddc.writes.clear();
    runSync(queue, manager->adjustBrightnessForAllDisplays(6));
    EXPECT_TRUE(ddc.writes.empty());
}

// --- Names and order ---

TEST_F(DisplayManagerOperationsTest, CustomNamesAreTrimmedAndBlankOnesClearTheName) {
    manager->setCustomName("  Desk left \n", "10-1-1");
    EXPECT_EQ(display("10-1-1").customName, "Desk left");
    EXPECT_EQ(record("10-1-1").customName, "Desk left");

    manager->setCustomName(
        "\xC2\xA0"
        "Desk"
        "\xE3\x80\x80",
        "10-1-1");  // no-break and ideographic spaces
    EXPECT_EQ(display("10-1-1").customName, "Desk");

    manager->setCustomName(" \t\n ", "10-1-1");
    EXPECT_FALSE(display("10-1-1").customName);
    EXPECT_EQ(display("10-1-1").displayName(), "Model 10-1-1");
    EXPECT_FALSE(record("10-1-1").customName);

    manager->setCustomName("Desk", "10-1-1");
    manager->setCustomName(std::nullopt, "10-1-1");
    EXPECT_FALSE(display("10-1-1").customName);
}

TEST_F(DisplayManagerOperationsTest, MovingTheLastOfThreeFirstRenumbersAndPutsHiddenDisplaysAfter) {
    // 10-2-2 unplugged keeps sortOrder 1 and is hidden; the visible rows are 10-1-1, 10-3-3, 10-4-4.
    ddc.plugIn(snapshot(14, "10-4-4"), 20);
    refresh();
    ddc.unplug(12);
    refresh();
    ASSERT_EQ(display("10-2-2").sortOrder, 1);
    ASSERT_EQ(manager->visibleDisplays().size(), 3u);

    manager->moveDisplays({2}, 0);
    std::vector<std::pair<std::string, int>> order;
    for (const auto& display : manager->displays()) order.emplace_back(display.hardwareID, display.sortOrder);
    EXPECT_EQ(order, (std::vector<std::pair<std::string, int>>{
                         {"10-4-4", 0}, {"10-1-1", 1}, {"10-3-3", 2}, {"10-2-2", 3}}));
    EXPECT_EQ(record("10-4-4").sortOrder, 0);
    EXPECT_EQ(record("10-2-2").sortOrder, 3);

    // The order survives the next refresh.
    refresh();
    EXPECT_EQ(display("10-4-4").sortOrder, 0);
    EXPECT_EQ(display("10-2-2").sortOrder, 3);
}

TEST_F(DisplayManagerOperationsTest, MovesFollowListSemanticsAndIgnoreOffsetsPastTheRows) {
    manager->moveDisplays({0, 1}, 3);  // append
    EXPECT_EQ(display("10-3-3").sortOrder, 0);
    EXPECT_EQ(display("10-1-1").sortOrder, 1);
    EXPECT_EQ(display("10-2-2").sortOrder, 2);

    manager->moveDisplays({0, 9}, 40);  // unknown offset and a destination past the end
    EXPECT_EQ(display("10-1-1").sortOrder, 0);
    EXPECT_EQ(display("10-2-2").sortOrder, 1);
    EXPECT_EQ(display("10-3-3").sortOrder, 2);

    const Data before = storedBytes();
    manager->moveDisplays({}, 0);
    EXPECT_EQ(storedBytes(), before);
}

// --- Connection ---

TEST_F(DisplayManagerOperationsTest, ReconnectingAnAbsentDisplayWithoutASavedIDIsRefused) {
    manager->setCustomName("Projector", "10-3-3");
    ddc.unplug(13);
    refresh();
    runSync(queue, manager->setConnected(true, "10-3-3"));
    EXPECT_EQ(manager->lastErrorMessage(), "Cannot reconnect: no saved display ID for Projector");
    EXPECT_TRUE(ddc.connectionRequests.empty());
    EXPECT_TRUE(display("10-3-3").isConnected);
}

TEST_F(DisplayManagerOperationsTest, DisconnectingHoldsTheDisplayStoresItAndKeepsItVisible) {
    auto operation = spawn(queue, manager->setConnected(false, "10-1-1"));
    queue.runUntilIdle();
    EXPECT_EQ(ddc.connectionRequests, (std::vector<std::pair<DisplayID, bool>>{{11, false}}));
    EXPECT_FALSE(display("10-1-1").isConnected);
    EXPECT_EQ(manager->disconnectedDisplayIDs(), (DisplayManager::DisconnectedDisplayIDs{{"10-1-1", 11}}));
    EXPECT_FALSE(record("10-1-1").isConnected);
    EXPECT_EQ(record("10-1-1").savedDisplayID, 11u);

    const int snapshotsBefore = ddc.snapshotCalls;
    queue.advanceBy(499ms);
    EXPECT_EQ(ddc.snapshotCalls, snapshotsBefore);
    queue.advanceBy(1ms);
    EXPECT_TRUE(operation.isDone());
    EXPECT_EQ(ddc.snapshotCalls, snapshotsBefore + 1);

    const Display& held = display("10-1-1");
    EXPECT_FALSE(held.isPresent);
    EXPECT_FALSE(held.isConnected);
    EXPECT_EQ(held.id, 11u);
    EXPECT_EQ(manager->visibleDisplays().size(), 3u);
    EXPECT_FALSE(record("10-1-1").isConnected);
    EXPECT_EQ(record("10-1-1").savedDisplayID, 11u);
}

TEST_F(DisplayManagerOperationsTest, ConnectingReDisablesTheOtherHeldDisplaysEachInItsOwnTransaction) {
    ddc.plugIn(snapshot(14, "10-4-4"), 20);
    refresh();
    disconnect("10-1-1");
    disconnect("10-2-2");
    disconnect("10-4-4");
    windowServer.calls.clear();

    auto operation = spawn(queue, manager->setConnected(true, "10-1-1"));
    queue.runUntilIdle();
    EXPECT_EQ(ddc.connectionRequests.back(), (std::pair<DisplayID, bool>{11, true}));
    EXPECT_TRUE(display("10-1-1").isConnected);  // the toggle moves at once
    EXPECT_TRUE(windowServer.calls.empty());

    queue.advanceBy(300ms);
    EXPECT_EQ(windowServer.calls, (std::vector<std::string>{"begin", "configure 12 false", "complete 1",
                                                            "begin", "configure 14 false", "complete 1"}));
    EXPECT_TRUE(manager->disconnectedDisplayIDs().contains("10-1-1"));

    queue.advanceBy(500ms);
    EXPECT_TRUE(operation.isDone());
    EXPECT_EQ(manager->disconnectedDisplayIDs(),
              (DisplayManager::DisconnectedDisplayIDs{{"10-2-2", 12}, {"10-4-4", 14}}));
    EXPECT_TRUE(display("10-1-1").isPresent);
    EXPECT_TRUE(display("10-1-1").isConnected);
    EXPECT_TRUE(record("10-1-1").isConnected);
    EXPECT_FALSE(record("10-1-1").savedDisplayID);
}

TEST_F(DisplayManagerOperationsTest, FailedReDisablesAreCancelledAndIgnored) {
    disconnect("10-1-1");
    disconnect("10-2-2");
    windowServer.calls.clear();
    windowServer.configureError = 1001;
    runSync(queue, manager->setConnected(true, "10-1-1"));
    EXPECT_EQ(windowServer.calls, (std::vector<std::string>{"begin", "configure 12 false", "cancel"}));
    EXPECT_FALSE(manager->lastErrorMessage());
    EXPECT_FALSE(manager->disconnectedDisplayIDs().contains("10-1-1"));
}

TEST_F(DisplayManagerOperationsTest, OverlappingReconnectsDoNotDisableEachOtherAgain) {
    disconnect("10-1-1");
    disconnect("10-2-2");
    windowServer.calls.clear();

    spawn(queue, manager->setConnected(true, "10-1-1"));
    queue.advanceBy(100ms);
    spawn(queue, manager->setConnected(true, "10-2-2"));
    queue.advanceBy(2s);
    EXPECT_TRUE(windowServer.calls.empty());
    EXPECT_TRUE(manager->disconnectedDisplayIDs().empty());
    EXPECT_TRUE(display("10-1-1").isConnected);
    EXPECT_TRUE(display("10-2-2").isConnected);
}

TEST_F(DisplayManagerOperationsTest, DisconnectWhileAReconnectSettlesIsNotForgotten) {
    disconnect("10-1-1");
    spawn(queue, manager->setConnected(true, "10-1-1"));
    queue.advanceBy(100ms);
    // The display is on again (ID 11 in this fake) and the user turns it off right away; from then on
    // the store cannot help remembering it (the disk is full).
    spawn(queue, manager->setConnected(false, "10-1-1"));
    queue.runUntilIdle();
    defaults.failWrites("The disk is full.");
    queue.advanceBy(2s);
    EXPECT_EQ(manager->disconnectedDisplayIDs(), (DisplayManager::DisconnectedDisplayIDs{{"10-1-1", 11}}));
    EXPECT_FALSE(display("10-1-1").isConnected);
    EXPECT_EQ(record("10-1-1").savedDisplayID, 11u);
}

TEST_F(DisplayManagerOperationsTest, FailedDisconnectRestoresTheToggleAndForgetsNothingElse) {
    ddc.failingConnectionChanges = {11};
    const int snapshotsBefore = ddc.snapshotCalls;
    runSync(queue, manager->setConnected(false, "10-1-1"));
    EXPECT_EQ(manager->lastErrorMessage(), "Failed to set display 11 enabled=false (CGError -1).");
    EXPECT_TRUE(display("10-1-1").isConnected);
    EXPECT_TRUE(manager->disconnectedDisplayIDs().empty());
    EXPECT_TRUE(record("10-1-1").isConnected);
    EXPECT_EQ(ddc.snapshotCalls, snapshotsBefore);  // no refresh follows
}

TEST_F(DisplayManagerOperationsTest, FailedDisconnectOfAHeldDisplayKeepsItHeld) {
    disconnect("10-1-1");
    ddc.failingConnectionChanges = {11};
    runSync(queue, manager->setConnected(false, "10-1-1"));
    EXPECT_TRUE(manager->lastErrorMessage());
    EXPECT_EQ(manager->disconnectedDisplayIDs(), (DisplayManager::DisconnectedDisplayIDs{{"10-1-1", 11}}));
    EXPECT_FALSE(display("10-1-1").isConnected);
}

TEST_F(DisplayManagerOperationsTest, FailedConnectRestoresTheToggleAndKeepsTheDisplayHeld) {
    disconnect("10-1-1");
    ddc.failingConnectionChanges = {11};
    const int snapshotsBefore = ddc.snapshotCalls;
    runSync(queue, manager->setConnected(true, "10-1-1"));
    EXPECT_EQ(manager->lastErrorMessage(), "Failed to set display 11 enabled=true (CGError -1).");
    EXPECT_FALSE(display("10-1-1").isConnected);
    EXPECT_EQ(manager->disconnectedDisplayIDs(), (DisplayManager::DisconnectedDisplayIDs{{"10-1-1", 11}}));
    EXPECT_EQ(ddc.snapshotCalls, snapshotsBefore);
}

TEST_F(DisplayManagerOperationsTest, CancelledConnectionChangeStillFinishes) {
    auto operation = spawn(queue, manager->setConnected(false, "10-1-1"));
    queue.runUntilIdle();
    const int snapshotsBefore = ddc.snapshotCalls;
    operation.cancel();
    queue.runUntilIdle();
    EXPECT_TRUE(operation.isDone());
    EXPECT_FALSE(operation.error());
    EXPECT_EQ(ddc.snapshotCalls, snapshotsBefore + 1);
}

// --- Sleep and restore ---

TEST_F(DisplayManagerOperationsTest, SleepReachesThePresentDisplayAndReportsFailures) {
    manager->sleepDisplay("10-2-2");
    EXPECT_EQ(ddc.sleeps, std::vector<DisplayID>{12});
    EXPECT_FALSE(manager->lastErrorMessage());

    ddc.failingSleeps = {12};
    const auto before = manager->displays();
    manager->sleepDisplay("10-2-2");
    EXPECT_EQ(manager->lastErrorMessage(), "Failed to write VCP 0xd6=4 for display 12.");
    EXPECT_EQ(manager->displays(), before);
}

TEST_F(DisplayManagerOperationsTest, RestoringReEnablesEveryHeldDisplayAndFallsBackOnFailure) {
    disconnect("10-1-1");
    disconnect("10-2-2");
    windowServer.calls.clear();
    const Data storedBefore = storedBytes();

    windowServer.completeError = 1004;
    manager->restoreDisconnectedDisplays();
    EXPECT_EQ(windowServer.calls,
              (std::vector<std::string>{"begin", "configure 11 true", "complete 1", "cancel", "restore",
                                        "begin", "configure 12 true", "complete 1", "cancel", "restore"}));
    EXPECT_TRUE(manager->disconnectedDisplayIDs().empty());
    EXPECT_EQ(storedBytes(), storedBefore);  // the next start still knows

    windowServer.calls.clear();
    manager->restoreDisconnectedDisplays();
    EXPECT_TRUE(windowServer.calls.empty());
}

TEST_F(DisplayManagerOperationsTest, RestoringSkipsDisplaysWhoseTransactionCannotBegin) {
    disconnect("10-1-1");
    windowServer.calls.clear();
    windowServer.beginError = 1000;
    manager->restoreDisconnectedDisplays();
    EXPECT_EQ(windowServer.calls, std::vector<std::string>{"begin"});
    EXPECT_TRUE(manager->disconnectedDisplayIDs().empty());
}

}  // namespace
}  // namespace lumadesk
