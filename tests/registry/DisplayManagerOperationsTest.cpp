#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <new>
#include <system_error>

#include "support/DisplayManagerHarness.h"

namespace lumadesk {
namespace {

using namespace std::chrono_literals;

using Writes = std::vector<std::pair<DisplayID, int>>;
using Calls = std::vector<std::string>;
using Held = DisplayManager::DisconnectedDisplayIDs;

// A desk of two DDC displays at 40 and 55, one without DDC, after the first refresh. (Once its record is
// stored, a display without DDC shows 100: it has no level of its own.)
class DisplayManagerOperationsTest : public ::testing::Test, protected DisplayManagerHarness {
protected:
    void SetUp() override {
        ddc.plugIn(snapshot(11, "10-1-1"), 40);
        ddc.plugIn(snapshot(12, "10-2-2"), 55);
        ddc.plugIn(snapshot(13, "10-3-3", false));
        start();
        refresh();
    }
    // Disconnects the display and lets the whole operation, with its refresh, finish.
    void disconnect(const std::string& hardwareID) {
        runSync(queue, manager->setConnected(false, hardwareID));
    }
};

TEST_F(DisplayManagerOperationsTest, SetBrightnessClampsShowsTheLevelOnceWrittenAndReportsFailures) {
    runSync(queue, manager->setBrightness(150, "10-1-1"));
    EXPECT_EQ(display("10-1-1").brightness, 100);
    runSync(queue, manager->setBrightness(-5, "10-1-1"));
    EXPECT_EQ(display("10-1-1").brightness, 0);
    EXPECT_EQ(ddc.writes, (Writes{{11, 100}, {11, 0}}));

    // The list shows the new level only once the write is done.
    ddc.writeDuration = 100ms;
    spawn(queue, manager->setBrightness(80, "10-1-1"));
    queue.runUntilIdle();
    EXPECT_EQ(display("10-1-1").brightness, 0);
    queue.advanceBy(100ms);
    EXPECT_EQ(display("10-1-1").brightness, 80);

    // A failed write is reported and leaves the old level; the next operation clears the message.
    ddc.failingWrites = {12};
    runSync(queue, manager->setBrightness(30, "10-2-2"));
    EXPECT_EQ(manager->lastErrorMessage(), "Failed to write VCP 0x10=30 for display 12.");
    EXPECT_EQ(display("10-2-2").brightness, 55);
    runSync(queue, manager->setBrightness(30, "10-1-1"));
    EXPECT_FALSE(manager->lastErrorMessage());
}

TEST_F(DisplayManagerOperationsTest, StepsMergeWhileAWriteRunsSoTheNewestLevelIsWrittenNext) {
    // A step from the shown level, clamped.
    runSync(queue, manager->stepBrightness(5, "10-1-1"));
    runSync(queue, manager->stepBrightness(-200, "10-2-2"));
    EXPECT_EQ(ddc.writes, (Writes{{11, 45}, {12, 0}}));
    EXPECT_EQ(display("10-1-1").brightness, 45);

    // Steps during a write build on the newest level asked for, and only the newest is written next;
    // every caller's step completes when the display holds it.
    ddc.writes.clear();
    ddc.writeDuration = 100ms;
    std::vector<TaskHandle> steps;
    for (int i = 0; i < 4; ++i) {
        steps.push_back(spawn(queue, manager->stepBrightness(10, "10-1-1")));
        queue.runUntilIdle();
    }
    EXPECT_EQ(display("10-1-1").brightness, 45);
    queue.advanceBy(100ms);
    EXPECT_EQ(display("10-1-1").brightness, 55);
    EXPECT_FALSE(steps.back().isDone());
    queue.advanceBy(100ms);
    EXPECT_EQ(ddc.writes, (Writes{{11, 55}, {11, 85}}));
    EXPECT_EQ(display("10-1-1").brightness, 85);
    EXPECT_TRUE(std::ranges::all_of(steps, &TaskHandle::isDone));

    // With the writes done, a step starts from the level shown, and one to the top stays there.
    ddc.writes.clear();
    ddc.writeDuration = 0ms;
    runSync(queue, manager->stepBrightness(50, "10-1-1"));
    EXPECT_EQ(ddc.writes, (Writes{{11, 100}}));

    // A failed write is reported to every step waiting on it, and the next step starts afresh.
    ddc.failingWrites = {12};
    runSync(queue, manager->stepBrightness(7, "10-2-2"));
    EXPECT_EQ(manager->lastErrorMessage(), "Failed to write VCP 0x10=7 for display 12.");
    ddc.failingWrites.clear();
    runSync(queue, manager->stepBrightness(3, "10-2-2"));
    EXPECT_FALSE(manager->lastErrorMessage());
    EXPECT_EQ(display("10-2-2").brightness, 3);

    // All: every DDC display from its own level; the one without DDC is left alone.
    ddc.writes.clear();
    EXPECT_EQ(runSync(queue, manager->stepBrightnessForAllDisplays(-2)),
              (std::vector<std::string>{"10-1-1", "10-2-2"}));
    EXPECT_EQ(rows(), "10-1-1 #0 98, 10-2-2 #1 1, 10-3-3 #2 100 noDDC");

    // Unknown and absent displays are not stepped.
    runSync(queue, manager->stepBrightness(5, "no-such-display"));
    ddc.unplug(11);
    refresh();
    ddc.writes.clear();
    runSync(queue, manager->stepBrightness(5, "10-1-1"));
    EXPECT_TRUE(ddc.writes.empty());
}

TEST_F(DisplayManagerOperationsTest, AllDisplaysShowTheLevelAtOnceAndAreWrittenSideBySide) {
    // Adjusting starts from the first eligible level: 40 and 55 both go to 40 + 6.
    runSync(queue, manager->adjustBrightnessForAllDisplays(6));
    EXPECT_EQ(rows(), "10-1-1 #0 46, 10-2-2 #1 46, 10-3-3 #2 100 noDDC");
    runSync(queue, manager->adjustBrightnessForAllDisplays(-100));
    EXPECT_EQ(rows(), "10-1-1 #0 0, 10-2-2 #1 0, 10-3-3 #2 100 noDDC");

    // Both writes run side by side, in one write's time; a failure is dropped.
    ddc.writes.clear();
    ddc.writeDuration = 100ms;
    ddc.failingWrites = {12};
    auto operation = spawn(queue, manager->setBrightnessForAllDisplays(170));
    queue.runUntilIdle();
    EXPECT_EQ(rows(), "10-1-1 #0 100, 10-2-2 #1 100, 10-3-3 #2 100 noDDC");
    EXPECT_TRUE(ddc.writes.empty());
    queue.advanceBy(100ms);
    EXPECT_TRUE(operation.isDone());
    EXPECT_EQ(ddc.writes, (Writes{{11, 100}}));
    EXPECT_FALSE(manager->lastErrorMessage());
    runSync(queue, manager->adjustBrightnessForAllDisplays(std::numeric_limits<int>::max()));
    EXPECT_EQ(rows(), "10-1-1 #0 100, 10-2-2 #1 100, 10-3-3 #2 100 noDDC");

    // With no eligible display, nothing is written.
    disconnect("10-1-1");
    disconnect("10-2-2");
    ddc.writes.clear();
    runSync(queue, manager->adjustBrightnessForAllDisplays(6));
    EXPECT_TRUE(ddc.writes.empty());
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
    EXPECT_TRUE(ddc.writes.empty() && ddc.sleeps.empty() && ddc.connectionRequests.empty());
    EXPECT_FALSE(manager->lastErrorMessage());
}

TEST_F(DisplayManagerOperationsTest, DisplayGoneDuringItsWriteIsNotTouched) {
    // Vendor 1552 displays are dropped from the list as soon as they are not online.
    ddc.plugIn(snapshot(21, "1552-1-1"), 30);
    refresh();
    manager->moveDisplays({3}, 0);
    ddc.writeDuration = 100ms;
    spawn(queue, manager->setBrightness(90, "1552-1-1"));
    queue.runUntilIdle();
    ddc.unplug(21);
    refresh();
    const std::string afterUnplug = "10-1-1 #0 40, 10-2-2 #1 55, 10-3-3 #2 100 noDDC";
    ASSERT_EQ(rows(), afterUnplug);

    // The write ends; the display now first keeps its level.
    queue.advanceBy(100ms);
    EXPECT_EQ(ddc.writes, (Writes{{21, 90}}));
    EXPECT_EQ(rows(), afterUnplug);
    EXPECT_FALSE(manager->lastErrorMessage());
}

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
    EXPECT_FALSE(record("10-1-1").customName);
    // A long name is cut to 1,000 characters, at a character boundary.
    std::string accented;
    for (int i = 0; i < 1'001; ++i) accented += "\xC3\xA9";
    manager->setCustomName(" " + accented, "10-1-1");
    EXPECT_EQ(display("10-1-1").customName, accented.substr(0, 2'000));
}

TEST_F(DisplayManagerOperationsTest, MovesRenumberTheVisibleRowsAndPutHiddenDisplaysAfterThem) {
    manager->moveDisplays({0, 1}, 3);  // append
    EXPECT_EQ(rows(), "10-3-3 #0 100 noDDC, 10-1-1 #1 40, 10-2-2 #2 55");
    manager->moveDisplays({0, 9}, 40);  // an unknown offset and a destination past the end
    EXPECT_EQ(rows(), "10-1-1 #0 40, 10-2-2 #1 55, 10-3-3 #2 100 noDDC");
    const Data before = storedBytes();
    manager->moveDisplays({}, 0);
    EXPECT_EQ(storedBytes(), before);

    // 10-2-2 unplugged keeps its order and is hidden: the visible rows are 10-1-1, 10-3-3 and 10-4-4.
    ddc.plugIn(snapshot(14, "10-4-4"), 20);
    refresh();
    ddc.unplug(12);
    refresh();
    manager->moveDisplays({2}, 0);
    const std::string moved = "10-4-4 #0 20, 10-1-1 #1 40, 10-3-3 #2 100 noDDC, 10-2-2 #3 0 absent noDDC";
    EXPECT_EQ(rows(), moved);
    EXPECT_EQ(record("10-2-2").sortOrder, 3);
    refresh();
    EXPECT_EQ(rows(), moved);
}

TEST_F(DisplayManagerOperationsTest, MovesCountInSortOrderEvenWhenTheListIsNotInIt) {
    // A held display whose record is gone (edited away) is appended with its old order: the list is
    // 10-2-2 #0, 10-3-3 #1, 10-1-1 #0, and the settings page shows 10-2-2, 10-1-1, 10-3-3.
    disconnect("10-1-1");
    storeRecords({});
    refresh();
    ASSERT_EQ(rows(), "10-2-2 #0 55, 10-3-3 #1 100 noDDC, 10-1-1 #0 0 held absent noDDC");
    manager->moveDisplays({2}, 0);
    EXPECT_EQ(rows(), "10-3-3 #0 100 noDDC, 10-2-2 #1 55, 10-1-1 #2 0 held absent noDDC");
}

TEST_F(DisplayManagerOperationsTest, AnAbsentDisplayWithoutASavedIDIsNeitherReconnectedNorDisconnected) {
    manager->setCustomName("Projector", "10-3-3");
    ddc.unplug(13);
    refresh();
    runSync(queue, manager->setConnected(true, "10-3-3"));
    EXPECT_EQ(manager->lastErrorMessage(), "Cannot reconnect: no saved display ID for Projector");
    // A disconnect does not speak of reconnecting.
    runSync(queue, manager->setConnected(false, "10-3-3"));
    EXPECT_EQ(manager->lastErrorMessage(), "Projector is not on the desktop.");
    EXPECT_TRUE(ddc.connectionRequests.empty());
    EXPECT_TRUE(display("10-3-3").isConnected);
    EXPECT_TRUE(manager->disconnectedDisplayIDs().empty());
}

TEST_F(DisplayManagerOperationsTest, DisconnectingHoldsTheDisplayStoresItAndKeepsItVisibleAfterTheRefresh) {
    auto operation = spawn(queue, manager->setConnected(false, "10-1-1"));
    queue.runUntilIdle();
    EXPECT_EQ(ddc.connectionRequests, (std::vector<std::pair<DisplayID, bool>>{{11, false}}));
    EXPECT_EQ(rows(), "10-1-1 #0 40 held, 10-2-2 #1 55, 10-3-3 #2 100 noDDC");
    EXPECT_EQ(manager->disconnectedDisplayIDs(), (Held{{"10-1-1", 11}}));
    EXPECT_FALSE(record("10-1-1").isConnected);
    EXPECT_EQ(record("10-1-1").savedDisplayID, 11u);

    // Half a second later a refresh finds the display gone, but keeps it, held and visible.
    const int snapshotsBefore = ddc.snapshotCalls;
    queue.advanceBy(499ms);
    EXPECT_EQ(ddc.snapshotCalls, snapshotsBefore);
    queue.advanceBy(1ms);
    EXPECT_TRUE(operation.isDone());
    EXPECT_EQ(describe(manager->visibleDisplays()),
              "10-1-1 #0 0 held absent noDDC, 10-2-2 #1 55, 10-3-3 #2 100 noDDC");
    EXPECT_EQ(display("10-1-1").id, 11u);
}

TEST_F(DisplayManagerOperationsTest, ConnectingReDisablesTheOtherHeldDisplaysEachInItsOwnTransaction) {
    ddc.plugIn(snapshot(14, "10-4-4"), 20);
    refresh();
    disconnect("10-1-1");
    disconnect("10-2-2");
    disconnect("10-4-4");
    windowServer.calls.clear();

    // The toggle moves at once; the others are disabled again after a while, then a refresh follows.
    auto operation = spawn(queue, manager->setConnected(true, "10-1-1"));
    queue.runUntilIdle();
    EXPECT_EQ(ddc.connectionRequests.back(), (std::pair<DisplayID, bool>{11, true}));
    EXPECT_TRUE(display("10-1-1").isConnected);
    EXPECT_TRUE(windowServer.calls.empty());
    queue.advanceBy(300ms);
    EXPECT_EQ(windowServer.calls, (Calls{"begin", "configure 12 false", "complete 1", "begin",
                                         "configure 14 false", "complete 1"}));
    queue.advanceBy(500ms);
    EXPECT_TRUE(operation.isDone());
    EXPECT_EQ(manager->disconnectedDisplayIDs(), (Held{{"10-2-2", 12}, {"10-4-4", 14}}));
    EXPECT_TRUE(display("10-1-1").isPresent);
    EXPECT_FALSE(record("10-1-1").savedDisplayID);

    // A re-disable that fails is cancelled and otherwise ignored.
    windowServer.calls.clear();
    windowServer.configureError = 1001;
    runSync(queue, manager->setConnected(true, "10-2-2"));
    EXPECT_EQ(windowServer.calls, (Calls{"begin", "configure 14 false", "cancel"}));
    EXPECT_FALSE(manager->lastErrorMessage());
    EXPECT_EQ(manager->disconnectedDisplayIDs(), (Held{{"10-4-4", 14}}));

    // When the window server brought the held display back (restoring its saved configuration for a
    // failed enable) and it stays on, it is no longer held: listed on the desktop, it can be
    // disconnected again.
    disconnect("10-2-2");
    windowServer.addDisplay({.displayID = 14});
    ddc.disabled.erase(14);
    runSync(queue, manager->setConnected(true, "10-2-2"));
    EXPECT_EQ(manager->disconnectedDisplayIDs(), (Held{}));
    EXPECT_TRUE(display("10-4-4").isConnected);
    EXPECT_TRUE(display("10-4-4").isPresent);
    EXPECT_FALSE(record("10-4-4").savedDisplayID);
}

TEST_F(DisplayManagerOperationsTest, OverlappingConnectionChangesDoNotUndoEachOther) {
    disconnect("10-1-1");
    disconnect("10-2-2");
    windowServer.calls.clear();
    // Two reconnects in a row: neither disables the other again.
    spawn(queue, manager->setConnected(true, "10-1-1"));
    queue.advanceBy(100ms);
    spawn(queue, manager->setConnected(true, "10-2-2"));
    queue.advanceBy(2s);
    EXPECT_TRUE(windowServer.calls.empty());
    EXPECT_EQ(rows(), "10-1-1 #0 40, 10-2-2 #1 55, 10-3-3 #2 100 noDDC");
    EXPECT_TRUE(manager->disconnectedDisplayIDs().empty());

    // A disconnect while a reconnect settles is not forgotten, even when the store cannot be written.
    disconnect("10-1-1");
    spawn(queue, manager->setConnected(true, "10-1-1"));
    queue.advanceBy(100ms);
    spawn(queue, manager->setConnected(false, "10-1-1"));
    queue.runUntilIdle();
    defaults.failWrites("The disk is full.");
    queue.advanceBy(2s);
    EXPECT_EQ(manager->disconnectedDisplayIDs(), (Held{{"10-1-1", 11}}));
    EXPECT_FALSE(display("10-1-1").isConnected);
    EXPECT_EQ(record("10-1-1").savedDisplayID, 11u);
}

TEST_F(DisplayManagerOperationsTest, FailedConnectionChangesRollTheToggleBackWithoutARefresh) {
    const std::vector<std::tuple<bool, bool, std::string>> cases = {
        // held before, connect, message
        {false, false, "Failed to set display 11 enabled=false (CGError -1)."},
        {true, false, "Failed to set display 11 enabled=false (CGError -1)."},
        {true, true, "Failed to set display 11 enabled=true (CGError -1)."}};
    for (const auto& [heldBefore, connect, message] : cases) {
        SCOPED_TRACE(message + (heldBefore ? " while held" : ""));
        ddc.failingConnectionChanges.clear();
        if (heldBefore) disconnect("10-1-1");
        ddc.failingConnectionChanges = {11};
        const int snapshotsBefore = ddc.snapshotCalls;
        runSync(queue, manager->setConnected(connect, "10-1-1"));
        EXPECT_EQ(manager->lastErrorMessage(), message);
        EXPECT_EQ(display("10-1-1").isConnected, !heldBefore);
        EXPECT_EQ(record("10-1-1").isConnected, !heldBefore);
        EXPECT_EQ(manager->disconnectedDisplayIDs(), (heldBefore ? Held{{"10-1-1", 11}} : Held{}));
        EXPECT_EQ(ddc.snapshotCalls, snapshotsBefore);
    }
}

TEST_F(DisplayManagerOperationsTest, FailedOrOverlappedConnectionChangesKeepTheHeldDisplaysTrue) {
    disconnect("10-1-1");
    disconnect("10-2-2");
    windowServer.calls.clear();

    // A failed reconnect leaves 10-1-1 off: reconnecting 10-2-2 must still switch it off again.
    ddc.failingConnectionChanges = {11};
    runSync(queue, manager->setConnected(true, "10-1-1"));
    ddc.failingConnectionChanges.clear();
    runSync(queue, manager->setConnected(true, "10-2-2"));
    EXPECT_EQ(windowServer.calls, (Calls{"begin", "configure 11 false", "complete 1"}));
    EXPECT_EQ(manager->disconnectedDisplayIDs(), (Held{{"10-1-1", 11}}));

    // A disconnect that fails while a reconnect settles does not keep the reconnected display held.
    spawn(queue, manager->setConnected(true, "10-1-1"));
    queue.advanceBy(100ms);
    ddc.failingConnectionChanges = {11};
    spawn(queue, manager->setConnected(false, "10-1-1"));
    queue.runUntilIdle();
    ddc.failingConnectionChanges.clear();
    queue.advanceBy(2s);
    EXPECT_TRUE(manager->disconnectedDisplayIDs().empty());
    EXPECT_EQ(rows(), "10-1-1 #0 40, 10-2-2 #1 55, 10-3-3 #2 100 noDDC");

    // A refresh inside the settle of a disconnect, while the window server still lists the display
    // (its change takes effect a moment later): the display stays held, in memory and in the store.
    spawn(queue, manager->setConnected(false, "10-1-1"));
    queue.runUntilIdle();
    ddc.disabled.erase(11);
    queue.advanceBy(100ms);
    refresh();
    ddc.disabled.insert(11);
    queue.advanceBy(1s);
    EXPECT_EQ(manager->disconnectedDisplayIDs(), (Held{{"10-1-1", 11}}));
    EXPECT_EQ(record("10-1-1").savedDisplayID, 11u);
    // So after a restart it is still known as held, and can be reconnected.
    restart();
    EXPECT_EQ(manager->disconnectedDisplayIDs(), (Held{{"10-1-1", 11}}));
    runSync(queue, manager->setConnected(true, "10-1-1"));
    EXPECT_FALSE(manager->lastErrorMessage());
    EXPECT_EQ(rows(), "10-1-1 #0 40, 10-2-2 #1 55, 10-3-3 #2 100 noDDC");
}

TEST_F(DisplayManagerOperationsTest, DisconnectingOneOfTwoIdenticalMonitorsLeavesTheOtherItsRecord) {
    ddc.plugIn(snapshot(21, "10-9"), 30);
    ddc.plugIn(snapshot(22, "10-9"), 60);
    refresh();
    manager->setCustomName("Left twin", "10-9-0");
    manager->setCustomName("Right twin", "10-9-1");
    const std::string bothOn =
        "10-1-1 #0 40, 10-2-2 #1 55, 10-3-3 #2 100 noDDC, 10-9-0 #3 30 \"Left twin\", "
        "10-9-1 #4 60 \"Right twin\"";
    ASSERT_EQ(rows(), bothOn);

    for (const std::string twin : {"10-9-0", "10-9-1"}) {
        SCOPED_TRACE(twin);
        const std::string other = twin == "10-9-0" ? "10-9-1" : "10-9-0";
        const std::string before = describe({display(other)});
        disconnect(twin);
        // The other twin keeps its ID, and with it its name, order and level; the held one stays listed.
        EXPECT_EQ(describe({display(other)}), before);
        EXPECT_EQ(manager->displays().size(), 5u);
        EXPECT_FALSE(display(twin).isConnected);
        // So it does after a restart while the twin is held.
        restart();
        EXPECT_EQ(describe({display(other)}), before);
        EXPECT_EQ(manager->disconnectedDisplayIDs().count(twin), 1u);
        runSync(queue, manager->setConnected(true, twin));
        EXPECT_FALSE(manager->lastErrorMessage());
        EXPECT_EQ(rows(), bothOn);
    }
}

TEST_F(DisplayManagerOperationsTest, ErrorsOtherThanHardwareErrorsAreReportedAndUndone) {
    const auto denied = std::make_exception_ptr(
        std::system_error(std::make_error_code(std::errc::permission_denied), "/dev/i2c-4"));
    const auto outOfMemory = std::make_exception_ptr(std::bad_alloc());

    // A read that fails this way still lets the refresh finish: the level is the stored one, as for any
    // failed read.
    ddc.platformFaults = {{11, denied}};
    restart();
    EXPECT_TRUE(manager->hasLoaded());
    EXPECT_EQ(manager->lastErrorMessage(), "/dev/i2c-4: Permission denied");
    EXPECT_EQ(rows(), "10-1-1 #0 100, 10-2-2 #1 55, 10-3-3 #2 100 noDDC");

    // A connection change: the toggle and the held displays are as they were.
    for (const bool connect : {false, true}) {
        SCOPED_TRACE(connect ? "connect" : "disconnect");
        ddc.platformFaults.clear();
        if (connect) disconnect("10-2-2");
        const std::string before = rows();
        const Held heldBefore = manager->disconnectedDisplayIDs();
        ddc.platformFaults = {{12, outOfMemory}};
        runSync(queue, manager->setConnected(connect, "10-2-2"));
        EXPECT_EQ(manager->lastErrorMessage(), "There is not enough memory.");
        EXPECT_EQ(rows(), before);
        EXPECT_EQ(manager->disconnectedDisplayIDs(), heldBefore);
    }

    // Brightness and sleep report it like a hardware error.
    ddc.platformFaults = {{11, denied}};
    runSync(queue, manager->setBrightness(70, "10-1-1"));
    EXPECT_EQ(manager->lastErrorMessage(), "/dev/i2c-4: Permission denied");
    EXPECT_EQ(display("10-1-1").brightness, 40);
    manager->sleepDisplay("10-1-1");
    EXPECT_EQ(manager->lastErrorMessage(), "/dev/i2c-4: Permission denied");
    // Writing all displays drops it, as it drops hardware errors; the level shown stays.
    runSync(queue, manager->setBrightnessForAllDisplays(20));
    EXPECT_EQ(display("10-1-1").brightness, 20);
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

TEST_F(DisplayManagerOperationsTest, SleepReachesThePresentDisplayAndReportsFailures) {
    manager->sleepDisplay("10-2-2");
    EXPECT_EQ(ddc.sleeps, std::vector<DisplayID>{12});
    EXPECT_FALSE(manager->lastErrorMessage());
    ddc.failingSleeps = {12};
    manager->sleepDisplay("10-2-2");
    EXPECT_EQ(manager->lastErrorMessage(), "Failed to write VCP 0xd6=4 for display 12.");
    EXPECT_EQ(rows(), "10-1-1 #0 40, 10-2-2 #1 55, 10-3-3 #2 100 noDDC");
}

TEST_F(DisplayManagerOperationsTest, RestoringReEnablesEveryHeldDisplayAndFallsBackOnFailure) {
    disconnect("10-1-1");
    disconnect("10-2-2");
    windowServer.calls.clear();
    const Data storedBefore = storedBytes();

    // Each display in a transaction of its own; a failed one is cancelled, then the permanent
    // configuration restored.
    windowServer.completeError = 1004;
    manager->restoreDisconnectedDisplays();
    EXPECT_EQ(windowServer.calls, (Calls{"begin", "configure 11 true", "complete 1", "cancel", "restore",
                                         "begin", "configure 12 true", "complete 1", "cancel", "restore"}));
    EXPECT_TRUE(manager->disconnectedDisplayIDs().empty());
    EXPECT_EQ(storedBytes(), storedBefore);  // the next start still knows
    windowServer.calls.clear();
    manager->restoreDisconnectedDisplays();
    EXPECT_TRUE(windowServer.calls.empty());

    // A quit that comes before the next start's first refresh still puts back what the records hold.
    windowServer.completeError = 0;
    manager.reset();
    start();
    manager->restoreDisconnectedDisplays();
    EXPECT_EQ(windowServer.calls, (Calls{"begin", "configure 11 true", "complete 1", "begin",
                                         "configure 12 true", "complete 1"}));
}

TEST_F(DisplayManagerOperationsTest, RestoringSkipsDisplaysWhoseTransactionCannotBegin) {
    disconnect("10-1-1");
    windowServer.calls.clear();
    windowServer.beginError = 1000;
    manager->restoreDisconnectedDisplays();
    EXPECT_EQ(windowServer.calls, Calls{"begin"});
    EXPECT_TRUE(manager->disconnectedDisplayIDs().empty());
}

TEST_F(DisplayManagerOperationsTest, AHeldDisplayBackOnTheDesktopIsNoLongerHeld) {
    disconnect("10-1-1");
    EXPECT_EQ(manager->disconnectedDisplayIDs(), (Held{{"10-1-1", 11}}));
    // Plugged back in, which switches a monitor on: once its disconnect has settled, it is on the desktop
    // and listed so, in memory and in the store.
    ddc.disabled.erase(11);
    refresh();
    EXPECT_EQ(manager->disconnectedDisplayIDs(), (Held{}));
    EXPECT_TRUE(display("10-1-1").isConnected);
    EXPECT_FALSE(record("10-1-1").savedDisplayID);

    // Known by its display ID too: a twin back without its twin comes back under another hardware ID.
    disconnect("10-2-2");
    ddc.unplug(12);
    ddc.disabled.erase(12);
    ddc.plugIn(snapshot(12, "10-2"), 55);
    refresh();
    EXPECT_EQ(manager->disconnectedDisplayIDs(), (Held{}));
    EXPECT_TRUE(display("10-2").isConnected);
    // Its old record still names the display ID, which is online: not held at the next start either.
    restart();
    EXPECT_EQ(manager->disconnectedDisplayIDs(), (Held{}));
}

}  // namespace
}  // namespace lumadesk
