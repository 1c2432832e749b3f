#include <gtest/gtest.h>

#include "registry/DisplayStoreError.h"
#include "registry/SyntheticDisplayID.h"
#include "support/DisplayManagerHarness.h"

namespace lumadesk {
namespace {

using namespace std::chrono_literals;

constexpr auto day = 24h;

class DisplayManagerRefreshTest : public ::testing::Test, protected DisplayManagerHarness {};

std::vector<int> sortOrders(const std::vector<Display>& displays) {
    std::vector<int> orders;
    for (const auto& display : displays) orders.push_back(display.sortOrder);
    return orders;
}

std::vector<std::string> hardwareIDs(const std::vector<Display>& displays) {
    std::vector<std::string> ids;
    for (const auto& display : displays) ids.push_back(display.hardwareID);
    return ids;
}

TEST_F(DisplayManagerRefreshTest, BeforeTheFirstRefreshNothingIsLoaded) {
    ddc.plugIn(snapshot(11, "10-1-1"));
    start();
    EXPECT_FALSE(manager->hasLoaded());
    EXPECT_TRUE(manager->displays().empty());
    EXPECT_FALSE(manager->lastRefreshTime());
    EXPECT_EQ(ddc.snapshotCalls, 0);
    EXPECT_NE(manager->displayChangeObservation(), nullptr);
}

TEST_F(DisplayManagerRefreshTest, FirstRunListsDisplaysInSnapshotOrderAndStoresOneRecordEach) {
    ddc.plugIn(snapshot(11, "10-1-1"), 40);
    ddc.plugIn(snapshot(12, "10-2-2"), 70);
    ddc.plugIn(snapshot(13, "10-3-3", false));
    start();
    clock.advance(5s);
    refresh();

    const auto& displays = manager->displays();
    EXPECT_EQ(hardwareIDs(displays), (std::vector<std::string>{"10-1-1", "10-2-2", "10-3-3"}));
    EXPECT_EQ(sortOrders(displays), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(display("10-1-1").brightness, 40);
    EXPECT_EQ(display("10-2-2").brightness, 70);
    EXPECT_EQ(display("10-3-3").brightness, 0);  // no DDC, never known
    EXPECT_EQ(display("10-1-1").id, 11u);
    EXPECT_EQ(display("10-1-1").modelName, "Model 10-1-1");
    EXPECT_TRUE(display("10-3-3").isPresent);
    EXPECT_TRUE(display("10-3-3").isConnected);
    EXPECT_EQ(ddc.reads, (std::vector<DisplayID>{11, 12}));  // only DDC displays are read

    EXPECT_EQ(store.load().size(), 3u);
    EXPECT_EQ(record("10-2-2").sortOrder, 1);
    EXPECT_EQ(record("10-2-2").lastSeenAt, clock.wallNow());
    EXPECT_TRUE(manager->hasLoaded());
    EXPECT_EQ(manager->lastRefreshTime(), clock.monotonicNow());
    EXPECT_FALSE(manager->lastErrorMessage());
    EXPECT_EQ(serviceCache.resets, 1);
    EXPECT_EQ(manager->visibleDisplays(), displays);
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
    const Display& unplugged = display("10-1-1");
    EXPECT_FALSE(unplugged.isPresent);
    EXPECT_EQ(unplugged.brightness, 0);
    EXPECT_EQ(unplugged.customName, "Left");
    EXPECT_EQ(unplugged.sortOrder, 0);
    EXPECT_EQ(unplugged.id, syntheticDisplayID("10-1-1"));
    EXPECT_EQ(hardwareIDs(manager->visibleDisplays()), std::vector<std::string>{"10-2-2"});

    clock.advance(21 * day);
    refresh();
    EXPECT_FALSE(lists("10-1-1"));
    EXPECT_EQ(store.load().size(), 1u);
    EXPECT_EQ(record("10-2-2").sortOrder, 0);
}

TEST_F(DisplayManagerRefreshTest, DisplayDisconnectedInAnEarlierRunIsListedWithItsSavedIDAndVisible) {
    storeRecords({PersistedDisplay{.hardwareID = "10-5-5",
                                   .modelName = "Held",
                                   .customName = "Side",
                                   .sortOrder = 0,
                                   .isConnected = false,
                                   .lastSeenAt = clock.wallNow() - 2h,
                                   .savedDisplayID = 77,
                                   .lastBrightness = 60}});
    ddc.plugIn(snapshot(11, "10-1-1"), 40);
    start();
    refresh();

    const Display& held = display("10-5-5");
    EXPECT_EQ(held.id, 77u);
    EXPECT_FALSE(held.isConnected);
    EXPECT_FALSE(held.isPresent);
    EXPECT_FALSE(held.supportsDDC);
    EXPECT_EQ(held.brightness, 0);
    EXPECT_EQ(held.displayName(), "Side");
    EXPECT_EQ(manager->disconnectedDisplayIDs(), (DisplayManager::DisconnectedDisplayIDs{{"10-5-5", 77}}));
    EXPECT_EQ(hardwareIDs(manager->visibleDisplays()), (std::vector<std::string>{"10-5-5", "10-1-1"}));
    EXPECT_EQ(ddc.reads, std::vector<DisplayID>{11});
}

TEST_F(DisplayManagerRefreshTest, HeldDisplayOfAVendorNeverKeptWhileAbsentIsStillListedAndRemembered) {
    ddc.plugIn(snapshot(21, "1552-1-1"), 40);
    start();
    refresh();
    runSync(queue, manager->setConnected(false, "1552-1-1"));

    const Display& held = display("1552-1-1");
    EXPECT_EQ(held.id, 21u);
    EXPECT_FALSE(held.isPresent);
    EXPECT_EQ(manager->visibleDisplays().size(), 1u);
    EXPECT_EQ(record("1552-1-1").savedDisplayID, 21u);

    // A later run learns of it from the store.
    manager.reset();
    start();
    refresh();
    EXPECT_EQ(manager->disconnectedDisplayIDs(), (DisplayManager::DisconnectedDisplayIDs{{"1552-1-1", 21}}));
}

TEST_F(DisplayManagerRefreshTest, FailedReadShowsOneHundredWhenTheLevelWasUnknownAndKeepsAKnownOne) {
    ddc.plugIn(snapshot(11, "10-1-1"), 40);
    ddc.plugIn(snapshot(12, "10-2-2"), 70);
    ddc.failingReads = {11};
    start();
    refresh();
    EXPECT_EQ(display("10-1-1").brightness, 100);
    EXPECT_EQ(display("10-2-2").brightness, 70);
    EXPECT_FALSE(manager->lastErrorMessage());  // read failures are not reported

    ddc.failingReads = {12};
    refresh();
    EXPECT_EQ(display("10-2-2").brightness, 70);
}

TEST_F(DisplayManagerRefreshTest, UndecodableStoredDataIsReportedAndLeftUntouched) {
    const Data garbage{'{', 'n', 'o'};
    std::string decoderMessage;
    try {
        decodeDisplayRecords(garbage);
    } catch (const DisplayStoreError& error) {
        decoderMessage = error.what();
    }
    ASSERT_FALSE(decoderMessage.empty());
    defaults.setValue(DisplayStore::storageKey, garbage);
    ddc.plugIn(snapshot(11, "10-1-1"), 40);
    start();
    refresh();

    EXPECT_TRUE(manager->hasLoaded());
    EXPECT_TRUE(manager->displays().empty());
    EXPECT_EQ(manager->lastErrorMessage(), decoderMessage);
    EXPECT_EQ(manager->lastRefreshTime(), clock.monotonicNow());
    EXPECT_EQ(storedBytes(), garbage);

    // Saving is refused too, and the bytes stay.
    manager->persistDisplays();
    EXPECT_EQ(manager->lastErrorMessage(), decoderMessage);
    EXPECT_EQ(storedBytes(), garbage);
}

TEST_F(DisplayManagerRefreshTest, FailedRefreshKeepsTheListShownAndTheNextOneClearsTheMessage) {
    ddc.plugIn(snapshot(11, "10-1-1"), 40);
    start();
    refresh();
    const auto shown = manager->displays();

    defaults.failWrites("The disk is full.");
    ddc.plugIn(snapshot(12, "10-2-2"), 70);
    clock.advance(1s);
    refresh();
    EXPECT_EQ(manager->displays(), shown);
    EXPECT_EQ(manager->lastErrorMessage(), "The disk is full.");
    EXPECT_EQ(manager->lastRefreshTime(), clock.monotonicNow());

    defaults.failWrites(std::nullopt);
    refresh();
    EXPECT_FALSE(manager->lastErrorMessage());
    EXPECT_EQ(manager->displays().size(), 2u);
}

TEST_F(DisplayManagerRefreshTest, RefreshIfNeededSkipsARefreshYoungerThanMaxAge) {
    ddc.plugIn(snapshot(11, "10-1-1"));
    start();
    runSync(queue, manager->refreshIfNeeded(2s));
    EXPECT_EQ(ddc.snapshotCalls, 1);
    queue.advanceBy(1s);
    runSync(queue, manager->refreshIfNeeded(2s));
    EXPECT_EQ(ddc.snapshotCalls, 1);
    queue.advanceBy(1s);
    runSync(queue, manager->refreshIfNeeded(2s));
    EXPECT_EQ(ddc.snapshotCalls, 2);
}

TEST_F(DisplayManagerRefreshTest, ObserversHearOneChangePerRefreshAndNoneForAnEqualList) {
    ddc.plugIn(snapshot(11, "10-1-1"), 40);
    ddc.plugIn(snapshot(12, "10-2-2"), 70);
    start();
    int displayChanges = 0;
    int loadedChanges = 0;
    int refreshTimeChanges = 0;
    auto displaysSubscription = manager->subscribeToDisplays([&](const auto&) { ++displayChanges; });
    auto loadedSubscription = manager->subscribeToHasLoaded([&](bool) { ++loadedChanges; });
    auto timeSubscription = manager->subscribeToLastRefreshTime([&](const auto&) { ++refreshTimeChanges; });

    refresh();
    EXPECT_EQ(displayChanges, 1);
    clock.advance(1s);
    refresh();
    EXPECT_EQ(displayChanges, 1);
    EXPECT_EQ(loadedChanges, 1);
    EXPECT_EQ(refreshTimeChanges, 2);

    ddc.brightnessByID[12] = 20;
    refresh();
    EXPECT_EQ(displayChanges, 2);
}

TEST_F(DisplayManagerRefreshTest, PersistingKeepsStoredFactsAndRecordsWhatTheListSays) {
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
    PersistedDisplay stored = record("10-1-1");
    EXPECT_EQ(stored.lastBrightness, 40);  // 0 is not a level worth remembering
    EXPECT_EQ(stored.lastSeenAt, seen);

    runSync(queue, manager->setBrightness(65, "10-1-1"));
    manager->persistDisplays();
    stored = record("10-1-1");
    EXPECT_EQ(stored.lastBrightness, 65);
    EXPECT_EQ(stored.modelName, "Model 10-1-1");
    EXPECT_TRUE(stored.isConnected);
    EXPECT_FALSE(stored.savedDisplayID);
}

}  // namespace
}  // namespace lumadesk
