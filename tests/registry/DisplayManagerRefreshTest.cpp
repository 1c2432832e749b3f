#include <gtest/gtest.h>

#include "registry/SyntheticDisplayID.h"
#include "support/DisplayManagerHarness.h"

namespace lumadesk {
namespace {

using namespace std::chrono_literals;

constexpr auto day = 24h;

class DisplayManagerRefreshTest : public ::testing::Test, protected DisplayManagerHarness {
protected:
    std::string visibleRows() const { return describe(manager->visibleDisplays()); }
};

TEST_F(DisplayManagerRefreshTest, FirstRunListsDisplaysInSnapshotOrderAndStoresOneRecordEach) {
    ddc.plugIn(snapshot(12, "10-2-2"), 70);
    ddc.plugIn(snapshot(11, "10-1-1"), 40);
    ddc.plugIn(snapshot(13, "10-3-3", false));
    start();
    EXPECT_FALSE(manager->hasLoaded());
    EXPECT_EQ(ddc.snapshotCalls, 0) << "nothing is read before the first refresh";
    clock.advance(5s);
    refresh();

    // A display without DDC has no level to read: it shows full, as on every later run. Only DDC
    // displays are read.
    EXPECT_EQ(rows(), "10-2-2 #0 70, 10-1-1 #1 40, 10-3-3 #2 100 noDDC");
    EXPECT_EQ(ddc.reads, (std::vector<DisplayID>{12, 11}));
    EXPECT_EQ(store.load().size(), 3u);
    EXPECT_EQ(record("10-1-1").sortOrder, 1);
    EXPECT_EQ(record("10-1-1").lastSeenAt, clock.wallNow());
    EXPECT_TRUE(manager->hasLoaded());
    EXPECT_EQ(manager->lastRefreshTime(), clock.monotonicNow());
    EXPECT_FALSE(manager->lastErrorMessage());
    EXPECT_EQ(serviceCache.resets, 1);
}

TEST_F(DisplayManagerRefreshTest, UnpluggedDisplayStaysHiddenForThirtyDaysThenIsForgotten) {
    ddc.plugIn(snapshot(11, "10-1-1"), 40);
    ddc.plugIn(snapshot(12, "10-2-2"), 70);
    start();
    refresh();
    manager->setCustomName("Left", "10-1-1");

    ddc.unplug(11);
    clock.advance(10 * day);
    refresh();
    EXPECT_EQ(rows(), "10-1-1 #0 0 \"Left\" absent noDDC, 10-2-2 #1 70");
    EXPECT_EQ(display("10-1-1").id, syntheticDisplayID("10-1-1"));
    EXPECT_EQ(visibleRows(), "10-2-2 #1 70");

    clock.advance(21 * day);
    refresh();
    EXPECT_EQ(rows(), "10-2-2 #0 70");
    EXPECT_EQ(store.load().size(), 1u);
}

TEST_F(DisplayManagerRefreshTest, DisplaysDisconnectedInAnEarlierRunAreListedWithTheirSavedIDsAndVisible) {
    // One of them of vendor 1552, whose displays are otherwise dropped as soon as they are absent.
    const auto stored = [&](std::string hardwareID, int sortOrder, bool isConnected,
                            DisplayID savedDisplayID) {
        return PersistedDisplay{.hardwareID = std::move(hardwareID),
                                .sortOrder = sortOrder,
                                .isConnected = isConnected,
                                .lastSeenAt = clock.wallNow() - 2h,
                                .savedDisplayID = savedDisplayID,
                                .lastBrightness = 60};
    };
    // A record that says connected is not held, whatever saved ID it still carries.
    storeRecords(
        {stored("10-5-5", 0, false, 77), stored("1552-6-6", 1, false, 21), stored("10-7-7", 3, true, 99)});
    ddc.plugIn(snapshot(11, "10-1-1"), 40);
    start();
    // A quit before the first refresh puts back only what the records hold.
    manager->restoreDisconnectedDisplays();
    EXPECT_EQ(windowServer.calls, (std::vector<std::string>{"begin", "configure 77 true", "complete 1",
                                                            "begin", "configure 21 true", "complete 1"}));
    manager.reset();
    start();
    refresh();

    EXPECT_EQ(visibleRows(), "10-5-5 #0 0 held absent noDDC, 1552-6-6 #1 0 held absent noDDC, 10-1-1 #3 40");
    EXPECT_EQ(display("10-5-5").id, 77u);
    EXPECT_EQ(manager->disconnectedDisplayIDs(),
              (DisplayManager::DisconnectedDisplayIDs{{"10-5-5", 77}, {"1552-6-6", 21}}));
    EXPECT_EQ(ddc.reads, std::vector<DisplayID>{11});
}

TEST_F(DisplayManagerRefreshTest, FailedReadShowsOneHundredWhenTheLevelWasUnknownAndKeepsAKnownOne) {
    ddc.plugIn(snapshot(11, "10-1-1"), 40);
    ddc.plugIn(snapshot(12, "10-2-2"), 70);
    ddc.failingReads = {11};
    start();
    refresh();
    EXPECT_EQ(rows(), "10-1-1 #0 100, 10-2-2 #1 70");
    EXPECT_FALSE(manager->lastErrorMessage());  // read failures are not reported
    ddc.failingReads = {12};
    refresh();
    EXPECT_EQ(rows(), "10-1-1 #0 40, 10-2-2 #1 70");
}

// Records that cannot be decoded hide nothing: the hardware's displays are listed and the records
// replaced (the settings file keeps a copy of the damaged ones aside).
TEST_F(DisplayManagerRefreshTest, UndecodableStoredDataDoesNotHideTheDisplays) {
    const Data garbage{'{', 'n', 'o'};
    defaults.setValue(DisplayStore::storageKey, garbage);
    ddc.plugIn(snapshot(11, "10-1-1"), 40);
    start();
    refresh();
    EXPECT_TRUE(manager->hasLoaded());
    EXPECT_EQ(rows(), "10-1-1 #0 40");
    EXPECT_FALSE(manager->lastErrorMessage());
    EXPECT_NE(storedBytes(), garbage);
}

// A store that cannot be written is reported, but the displays the hardware shows are listed all the same.
TEST_F(DisplayManagerRefreshTest, AFailedSaveIsReportedWithTheDisplaysListedAndTheNextRefreshClearsIt) {
    ddc.plugIn(snapshot(11, "10-1-1"), 40);
    start();
    refresh();
    defaults.failWrites("The disk is full.");
    ddc.plugIn(snapshot(12, "10-2-2"), 70);
    clock.advance(1s);
    refresh();
    EXPECT_EQ(rows(), "10-1-1 #0 40, 10-2-2 #1 70");
    EXPECT_EQ(manager->lastErrorMessage(), "The disk is full.");
    EXPECT_EQ(manager->lastRefreshTime(), clock.monotonicNow());

    defaults.failWrites(std::nullopt);
    refresh();
    EXPECT_FALSE(manager->lastErrorMessage());
    EXPECT_EQ(rows(), "10-1-1 #0 40, 10-2-2 #1 70");
}

TEST_F(DisplayManagerRefreshTest, ObserversHearOneChangePerRealChangeAndRefreshIfNeededSkipsYoungOnes) {
    ddc.plugIn(snapshot(11, "10-1-1"), 40);
    start();
    int displayChanges = 0, loadedChanges = 0, refreshTimeChanges = 0;
    auto displaysSubscription = manager->subscribeToDisplays([&](const auto&) { ++displayChanges; });
    auto loadedSubscription = manager->subscribeToHasLoaded([&](bool) { ++loadedChanges; });
    auto timeSubscription = manager->subscribeToLastRefreshTime([&](const auto&) { ++refreshTimeChanges; });

    runSync(queue, manager->refreshIfNeeded(2s));
    queue.advanceBy(1s);
    runSync(queue, manager->refreshIfNeeded(2s));  // one second old: skipped
    EXPECT_EQ(ddc.snapshotCalls, 1);
    queue.advanceBy(1s);
    runSync(queue, manager->refreshIfNeeded(2s));
    EXPECT_EQ(ddc.snapshotCalls, 2);
    // The second refresh found an equal list.
    EXPECT_EQ(displayChanges, 1);
    EXPECT_EQ(loadedChanges, 1);
    EXPECT_EQ(refreshTimeChanges, 2);

    ddc.brightnessByID[11] = 20;
    refresh();
    EXPECT_EQ(displayChanges, 2);
}

TEST_F(DisplayManagerRefreshTest, PersistingRecordsTheLevelsShownButKeepsStoredFacts) {
    ddc.plugIn(snapshot(11, "10-1-1"), 40);
    start();
    refresh();
    const WallInstant seen = clock.wallNow();
    clock.advance(1h);
    // A first refresh stores a new display before reading its level; persisting records the level read.
    EXPECT_FALSE(record("10-1-1").lastBrightness);
    manager->persistDisplays();
    EXPECT_EQ(record("10-1-1").lastBrightness, 40);

    runSync(queue, manager->setBrightness(0, "10-1-1"));
    manager->persistDisplays();
    EXPECT_EQ(record("10-1-1").lastBrightness, 40);  // 0 is not a level worth remembering
    runSync(queue, manager->setBrightness(65, "10-1-1"));
    manager->persistDisplays();
    EXPECT_EQ(record("10-1-1").lastBrightness, 65);
    EXPECT_EQ(record("10-1-1").lastSeenAt, seen);
}

}  // namespace
}  // namespace lumadesk
