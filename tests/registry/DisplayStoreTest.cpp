#include "registry/DisplayStore.h"

#include <gtest/gtest.h>

#include <climits>

#include "registry/DisplayStoreError.h"
#include "registry/PersistedDisplayCoding.h"
#include "registry/SyntheticDisplayID.h"
#include "runtime/InMemoryDefaults.h"

namespace lumadesk {
namespace {

using namespace std::chrono_literals;

const WallInstant now{std::chrono::sys_days{std::chrono::March / 15 / 2025} + 9h};

// An online display as a refresh hands it to the store.
Display online(std::string hardwareID, DisplayID id, int brightness = 0, bool isConnected = true) {
    return Display{.id = id,
                   .hardwareID = hardwareID,
                   .modelName = "Model " + hardwareID,
                   .brightness = brightness,
                   .isConnected = isConnected,
                   .supportsDDC = true};
}

PersistedDisplay stored(std::string hardwareID, int sortOrder, WallInstant lastSeenAt = now - 1h) {
    return PersistedDisplay{.hardwareID = std::move(hardwareID),
                            .modelName = "Stored model",
                            .sortOrder = sortOrder,
                            .lastSeenAt = lastSeenAt};
}

std::vector<std::string> hardwareIDs(const auto& list) {
    std::vector<std::string> ids;
    for (const auto& item : list) ids.push_back(item.hardwareID);
    return ids;
}

std::vector<int> sortOrders(const auto& list) {
    std::vector<int> orders;
    for (const auto& item : list) orders.push_back(item.sortOrder);
    return orders;
}

class DisplayStoreTest : public ::testing::Test {
protected:
    void storeRecords(const std::vector<PersistedDisplay>& records) {
        m_defaults.setValue(DisplayStore::storageKey, encodeDisplayRecords(records));
    }
    Data storedBytes() const { return m_defaults.dataValue(DisplayStore::storageKey).value_or(Data{}); }

    InMemoryDefaults m_defaults;
    DisplayStore m_store{m_defaults};
};

TEST_F(DisplayStoreTest, LoadReadsNothingAsAnEmptyList) {
    EXPECT_TRUE(m_store.load().empty());
    m_defaults.setValue(DisplayStore::storageKey, std::string("not data"));
    EXPECT_TRUE(m_store.load().empty());
}

TEST_F(DisplayStoreTest, SaveOrdersStablyBySortOrderAndKeepsOldDataOnWriteFailure) {
    m_store.save({stored("c", 2), stored("a", 0), stored("d", 2), stored("b", 1)});
    const auto loaded = m_store.load();
    EXPECT_EQ(hardwareIDs(loaded), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(loaded[2], stored("c", 2));

    const Data before = storedBytes();
    m_defaults.failWrites("The settings file could not be written.");
    try {
        m_store.save({stored("z", 0)});
        ADD_FAILURE() << "save succeeded";
    } catch (const DefaultsWriteError& error) {
        EXPECT_STREQ(error.what(), "The settings file could not be written.");
    }
    EXPECT_EQ(storedBytes(), before);
}

TEST_F(DisplayStoreTest, FirstRunNumbersDisplaysInInputOrder) {
    Display second = online("20-2", 11, 55);
    second.customName = "not used";  // a display never stored starts without a name
    second.sortOrder = 9;
    const auto result = m_store.reconcile({online("30-3", 12), second, online("10-1", 13, 0, false)}, now);

    EXPECT_EQ(hardwareIDs(result), (std::vector<std::string>{"30-3", "20-2", "10-1"}));
    EXPECT_EQ(sortOrders(result), (std::vector<int>{0, 1, 2}));
    Display expected = online("20-2", 11, 55);
    expected.sortOrder = 1;
    EXPECT_EQ(result[1], expected);
    EXPECT_FALSE(result[2].isConnected);

    const auto records = m_store.load();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[1], (PersistedDisplay{.hardwareID = "20-2",
                                            .modelName = "Model 20-2",
                                            .sortOrder = 1,
                                            .isConnected = true,
                                            .lastSeenAt = now}));
    EXPECT_FALSE(records[2].isConnected);
}

TEST_F(DisplayStoreTest, NewDisplaysGoAfterTheLargestStoredOrderThenAllAreRenumbered) {
    // "c" is absent with order 9: a new display must land after it (order 10), not at the count of records.
    storeRecords({stored("a", 0), stored("b", 5), stored("c", 9)});
    auto result = m_store.reconcile({online("new", 1), online("b", 2), online("a", 3)}, now);
    EXPECT_EQ(hardwareIDs(result), (std::vector<std::string>{"a", "b", "c", "new"}));
    EXPECT_EQ(sortOrders(result), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(sortOrders(m_store.load()), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(hardwareIDs(m_store.load()), hardwareIDs(result));

    // An extreme stored order must not overflow when the next one is computed.
    storeRecords({stored("max", INT_MAX), stored("min", INT_MIN)});
    result = m_store.reconcile({online("new", 1)}, now);
    EXPECT_EQ(hardwareIDs(result), (std::vector<std::string>{"min", "max", "new"}));
    EXPECT_EQ(sortOrders(result), (std::vector<int>{0, 1, 2}));
}

TEST_F(DisplayStoreTest, ReturningDisplaysKeepStoredNameOrderAndBrightness) {
    PersistedDisplay withBrightness = stored("a", 1, now - 5 * 24h);
    withBrightness.customName = "Left";
    withBrightness.lastBrightness = 35;
    withBrightness.savedDisplayID = 77;
    PersistedDisplay withoutBrightness = stored("b", 0);
    withoutBrightness.savedDisplayID = 88;
    storeRecords({withBrightness, withoutBrightness, stored("c", 2)});

    Display a = online("a", 21);
    a.customName = "ignored";
    const auto result = m_store.reconcile({a, online("b", 22, 0, false), online("c", 23, 60)}, now);

    ASSERT_EQ(hardwareIDs(result), (std::vector<std::string>{"b", "a", "c"}));
    EXPECT_EQ(result[1], (Display{.id = 21,
                                  .hardwareID = "a",
                                  .modelName = "Model a",
                                  .customName = "Left",
                                  .brightness = 35,
                                  .isConnected = true,
                                  .isPresent = true,
                                  .supportsDDC = true,
                                  .sortOrder = 1}));
    EXPECT_EQ(result[0].brightness, 100);
    EXPECT_EQ(result[2].brightness, 60);

    const auto records = m_store.load();
    // Connected again: the saved ID is dropped; still disconnected: it is kept.
    EXPECT_EQ(records[1], (PersistedDisplay{.hardwareID = "a",
                                            .modelName = "Model a",
                                            .customName = "Left",
                                            .sortOrder = 1,
                                            .isConnected = true,
                                            .lastSeenAt = now,
                                            .lastBrightness = 35}));
    EXPECT_EQ(records[0].savedDisplayID, 88u);
    EXPECT_FALSE(records[0].isConnected);
    EXPECT_EQ(records[0].lastBrightness, 100);
    EXPECT_EQ(records[2].lastBrightness, 60);
}

TEST_F(DisplayStoreTest, AbsentDisplaysComeFromRecentRecords) {
    PersistedDisplay unnamed = stored("4268-1-1", 0, now - 10 * 24h);
    unnamed.modelName = std::nullopt;
    unnamed.isConnected = false;
    unnamed.savedDisplayID = 5;
    unnamed.lastBrightness = 70;
    PersistedDisplay named = stored("4268-2-2", 3, now - 2'592'000s);
    named.customName = "Right";
    storeRecords({unnamed, stored("4268-3-3", 1, now - 2'592'001s), named, stored("1552-4-4", 2)});

    const auto result = m_store.reconcile({online("1552-5-5", 30)}, now);

    ASSERT_EQ(hardwareIDs(result), (std::vector<std::string>{"4268-1-1", "4268-2-2", "1552-5-5"}));
    EXPECT_EQ(result[0], (Display{.id = syntheticDisplayID("4268-1-1"),
                                  .hardwareID = "4268-1-1",
                                  .modelName = "4268-1-1",
                                  .brightness = 0,
                                  .isConnected = false,
                                  .isPresent = false,
                                  .supportsDDC = false,
                                  .sortOrder = 0}));
    EXPECT_EQ(result[1].modelName, "Stored model");
    EXPECT_EQ(result[1].customName, "Right");
    EXPECT_EQ(result[1].sortOrder, 1);
    EXPECT_TRUE(result[2].isPresent);

    // Kept records are stored again unchanged apart from their new order; dropped ones are gone.
    const auto records = m_store.load();
    ASSERT_EQ(hardwareIDs(records), hardwareIDs(result));
    EXPECT_EQ(records[0], unnamed);
    named.sortOrder = 1;
    EXPECT_EQ(records[1], named);
}

TEST_F(DisplayStoreTest, HeldDisconnectedRecordsOfEveryVendorAreKeptForThirtyDays) {
    PersistedDisplay held = stored("1552-7-7", 0);
    held.isConnected = false;
    held.savedDisplayID = 21;
    PersistedDisplay stale = stored("1552-8-8", 1, now - 2'592'001s);
    stale.isConnected = false;
    stale.savedDisplayID = 22;
    storeRecords({held, stale});

    const auto result = m_store.reconcile({}, now);
    ASSERT_EQ(hardwareIDs(result), std::vector<std::string>{"1552-7-7"});
    EXPECT_FALSE(result[0].isPresent);
    EXPECT_EQ(m_store.load(), std::vector<PersistedDisplay>{held});
}

TEST_F(DisplayStoreTest, TiesArePresentFirstThenByHardwareID) {
    storeRecords(
        {stored("a-absent", 1), stored("z-present", 1), stored("m-present", 1), stored("b-absent", 1)});
    const auto result = m_store.reconcile({online("z-present", 1), online("m-present", 2)}, now);
    EXPECT_EQ(hardwareIDs(result),
              (std::vector<std::string>{"m-present", "z-present", "a-absent", "b-absent"}));
    EXPECT_EQ(sortOrders(result), (std::vector<int>{0, 1, 2, 3}));
}

TEST_F(DisplayStoreTest, RepeatedStoredHardwareIDsYieldOneRow) {
    storeRecords({stored("a", 0), stored("a", 1), stored("b", 2), stored("b", 3)});
    const auto result = m_store.reconcile({online("a", 1)}, now);
    EXPECT_EQ(hardwareIDs(result), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(hardwareIDs(m_store.load()), (std::vector<std::string>{"a", "b"}));
}

TEST_F(DisplayStoreTest, FailuresLeaveTheStoredBytesUntouched) {
    const Data garbage = {'n', 'o', 't', ' ', 'j', 's', 'o', 'n'};
    m_defaults.setValue(DisplayStore::storageKey, garbage);
    EXPECT_THROW(m_store.load(), DisplayStoreError);
    try {
        m_store.reconcile({online("a", 1)}, now);
        ADD_FAILURE() << "reconcile succeeded";
    } catch (const DisplayStoreError& error) {
        EXPECT_STREQ(error.what(),
                     "The stored display list could not be read: it is not valid JSON (error at byte 2).");
    }
    EXPECT_EQ(storedBytes(), garbage);

    storeRecords({stored("a", 0)});
    const Data before = storedBytes();
    m_defaults.failWrites("disk full");
    EXPECT_THROW(m_store.reconcile({online("b", 1)}, now), DefaultsWriteError);
    EXPECT_EQ(storedBytes(), before);
}

}  // namespace
}  // namespace lumadesk
