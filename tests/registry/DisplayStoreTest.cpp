#include "registry/DisplayStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <fstream>
#include <iterator>

#include "registry/DisplayStoreError.h"
#include "registry/SyntheticDisplayID.h"
#include "runtime/Base64.h"
#include "runtime/JsonFileDefaults.h"
#include "support/DisplayManagerHarness.h"
#include "support/TemporaryDirectory.h"

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

std::vector<std::string> hardwareIDs(const std::vector<PersistedDisplay>& records) {
    std::vector<std::string> ids;
    for (const auto& record : records) ids.push_back(record.hardwareID);
    return ids;
}

// The real store over in-memory defaults (the harness's manager is not started).
class DisplayStoreTest : public ::testing::Test, protected DisplayManagerHarness {};

TEST_F(DisplayStoreTest, FirstRunNumbersDisplaysInInputOrder) {
    Display second = online("20-2", 11, 55);
    second.customName = "not used";  // a display never stored starts without a name
    second.sortOrder = 9;
    const auto result = store.reconcile({online("30-3", 12), second, online("10-1", 13, 0, false)}, now);
    EXPECT_EQ(describe(result), "30-3 #0 100, 20-2 #1 55, 10-1 #2 100 held");
    EXPECT_EQ(result[1].id, 11u);

    EXPECT_EQ(hardwareIDs(store.load()), (std::vector<std::string>{"30-3", "20-2", "10-1"}));
    EXPECT_EQ(record("20-2"), (PersistedDisplay{.hardwareID = "20-2",
                                                .modelName = "Model 20-2",
                                                .sortOrder = 1,
                                                .isConnected = true,
                                                .lastSeenAt = now}));
    EXPECT_FALSE(record("10-1").isConnected);
}

TEST_F(DisplayStoreTest, NewDisplaysGoAfterTheLargestStoredOrderThenAllAreRenumbered) {
    // "c" is absent with order 9: a new display must land after it (order 10), not at the count of records.
    storeRecords({stored("a", 0), stored("b", 5), stored("c", 9)});
    auto result = store.reconcile({online("new", 1), online("b", 2), online("a", 3)}, now);
    EXPECT_EQ(describe(result), "a #0 100, b #1 100, c #2 0 absent noDDC, new #3 100");
    EXPECT_EQ(hardwareIDs(store.load()), (std::vector<std::string>{"a", "b", "c", "new"}));
    EXPECT_EQ(record("new").sortOrder, 3);

    // An extreme stored order must not overflow when the next one is computed.
    storeRecords({stored("max", INT_MAX), stored("min", INT_MIN)});
    result = store.reconcile({online("new", 1)}, now);
    EXPECT_EQ(describe(result), "min #0 0 absent noDDC, max #1 0 absent noDDC, new #2 100");
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
    const auto result = store.reconcile({a, online("b", 22, 0, false), online("c", 23, 60)}, now);

    // A stored level stands for an unknown one (35); with none stored, 100; a level read wins (60).
    EXPECT_EQ(describe(result), "b #0 100 held, a #1 35 \"Left\", c #2 60");
    EXPECT_EQ(result[1].id, 21u);
    EXPECT_EQ(result[1].modelName, "Model a");

    // Connected again: the saved ID is dropped; still disconnected: it is kept.
    EXPECT_EQ(record("a"), (PersistedDisplay{.hardwareID = "a",
                                             .modelName = "Model a",
                                             .customName = "Left",
                                             .sortOrder = 1,
                                             .isConnected = true,
                                             .lastSeenAt = now,
                                             .lastBrightness = 35}));
    EXPECT_EQ(record("b").savedDisplayID, 88u);
    EXPECT_EQ(record("b").lastBrightness, 100);
    EXPECT_EQ(record("c").lastBrightness, 60);
}

TEST_F(DisplayStoreTest, AnUnreadLevelShowsTheSameOnTheFirstRunAsOnLaterOnes) {
    // Without DDC (or with a level that could not be read) a display comes with level 0, "unknown".
    Display withoutDDC = online("n", 1);
    withoutDDC.supportsDDC = false;
    for (int run = 1; run <= 3; ++run) {
        SCOPED_TRACE(run);
        EXPECT_EQ(describe(store.reconcile({withoutDDC, online("r", 2, 45)}, now)),
                  "n #0 100 noDDC, r #1 45");
    }
    EXPECT_EQ(record("r").lastBrightness, 45);
}

TEST_F(DisplayStoreTest, AbsentDisplaysComeFromRecordsSeenInTheLastThirtyDays) {
    PersistedDisplay unnamed = stored("4268-1-1", 0, now - 10 * 24h);
    unnamed.modelName = std::nullopt;
    unnamed.isConnected = false;
    unnamed.savedDisplayID = 5;
    unnamed.lastBrightness = 70;
    PersistedDisplay named = stored("4268-2-2", 3, now - 2'592'000s);  // exactly thirty days ago
    named.customName = "Right";
    // Displays of vendor 1552 are kept while absent only when they were disconnected on purpose.
    PersistedDisplay held = stored("1552-7-7", 4);
    held.isConnected = false;
    held.savedDisplayID = 21;
    PersistedDisplay staleHeld = stored("1552-8-8", 5, now - 2'592'001s);
    staleHeld.isConnected = false;
    // A display held disconnected is never forgotten while it is held, however long ago it was seen.
    PersistedDisplay longHeld = stored("4268-6-6", 7, now - 400 * 24h);
    longHeld.isConnected = false;
    longHeld.savedDisplayID = 31;
    // (Vendor 15520 is another vendor.)
    storeRecords({unnamed, stored("4268-3-3", 1, now - 2'592'001s), named, stored("1552-4-4", 2), held,
                  staleHeld, stored("15520-9-9", 6), longHeld});

    const auto result = store.reconcile({online("1552-5-5", 30)}, now);
    EXPECT_EQ(
        describe(result),
        "4268-1-1 #0 0 held absent noDDC, 4268-2-2 #1 0 \"Right\" absent noDDC, "
        "1552-7-7 #2 0 held absent noDDC, 15520-9-9 #3 0 absent noDDC, 4268-6-6 #4 0 held absent noDDC, "
        "1552-5-5 #5 100");
    // An absent display without a model name is named after its hardware ID, with a synthetic ID.
    EXPECT_EQ(result[0].id, syntheticDisplayID("4268-1-1"));
    EXPECT_EQ(result[0].modelName, "4268-1-1");
    EXPECT_EQ(result[1].modelName, "Stored model");

    // Kept records are stored again unchanged apart from their new order; dropped ones are gone.
    EXPECT_EQ(hardwareIDs(store.load()), (std::vector<std::string>{"4268-1-1", "4268-2-2", "1552-7-7",
                                                                   "15520-9-9", "4268-6-6", "1552-5-5"}));
    EXPECT_EQ(record("4268-1-1"), unnamed);
    named.sortOrder = 1;
    EXPECT_EQ(record("4268-2-2"), named);
    held.sortOrder = 2;
    EXPECT_EQ(record("1552-7-7"), held);
}

TEST_F(DisplayStoreTest, EqualOrdersPutPresentDisplaysFirstThenSortByHardwareID) {
    storeRecords(
        {stored("a-absent", 1), stored("z-present", 1), stored("m-present", 1), stored("b-absent", 1)});
    EXPECT_EQ(describe(store.reconcile({online("z-present", 1), online("m-present", 2)}, now)),
              "m-present #0 100, z-present #1 100, a-absent #2 0 absent noDDC, b-absent #3 0 absent noDDC");

    // A hardware ID stored twice yields one row and one record.
    storeRecords({stored("a", 0), stored("a", 1), stored("b", 2), stored("b", 3)});
    EXPECT_EQ(describe(store.reconcile({online("a", 1)}, now)), "a #0 100, b #1 0 absent noDDC");
    EXPECT_EQ(hardwareIDs(store.load()), (std::vector<std::string>{"a", "b"}));
}

TEST_F(DisplayStoreTest, SavesInOrderAndNeverDamagesTheStoredBytes) {
    // Nothing stored, or a value of another type, reads as an empty list.
    EXPECT_TRUE(store.load().empty());
    defaults.setValue(DisplayStore::storageKey, std::string("not data"));
    EXPECT_TRUE(store.load().empty());

    // Saving orders stably by sort order.
    store.save({stored("c", 2), stored("a", 0), stored("d", 2), stored("b", 1)});
    EXPECT_EQ(hardwareIDs(store.load()), (std::vector<std::string>{"a", "b", "c", "d"}));

    // A failed write passes its message on and leaves the old bytes.
    const Data before = storedBytes();
    defaults.failWrites("The settings file could not be written.");
    try {
        store.save({stored("z", 0)});
        ADD_FAILURE() << "save succeeded";
    } catch (const DefaultsWriteError& error) {
        EXPECT_STREQ(error.what(), "The settings file could not be written.");
    }
    EXPECT_THROW(store.reconcile({online("b", 1)}, now), DefaultsWriteError);
    EXPECT_EQ(storedBytes(), before);
    defaults.failWrites(std::nullopt);

    // Bytes that cannot be decoded read as no records, so that the displays are listed and the next save
    // replaces them (the settings file keeps a copy aside first, see below).
    const Data garbage = {'n', 'o', 't', ' ', 'j', 's', 'o', 'n'};
    defaults.setValue(DisplayStore::storageKey, garbage);
    EXPECT_TRUE(store.load().empty());
    EXPECT_EQ(store.reconcile({online("a", 1)}, now).size(), 1u);
    EXPECT_EQ(hardwareIDs(store.load()), std::vector<std::string>{"a"});

    // A failed save of the merged list still hands the list over.
    defaults.failWrites("The disk is full.");
    try {
        store.reconcile({online("a", 1), online("b", 2)}, now);
        ADD_FAILURE() << "reconcile succeeded";
    } catch (const DisplayListNotSavedError& error) {
        EXPECT_STREQ(error.what(), "The disk is full.");
        EXPECT_EQ(error.displays().size(), 2u);
    }
    defaults.failWrites(std::nullopt);
}

TEST_F(DisplayStoreTest, NamesAndTheRecordListAreBounded) {
    std::string accented;
    for (int i = 0; i < 1'500; ++i) accented += "\xC3\xA9";  // two bytes, one character
    std::vector<PersistedDisplay> records;
    for (int i = 0; i < 10'003; ++i) records.push_back(stored("r" + std::to_string(i), i, now - i * 1min));
    records[0].customName = accented;
    records[0].modelName = std::string(5'000, 'm');
    std::ranges::reverse(records);  // the stored order does not decide
    storeRecords(records);

    // Names are cut to 1,000 characters, never inside one; the 10,000 most recently seen records stay.
    const auto loaded = store.load();
    ASSERT_EQ(loaded.size(), 10'000u);
    EXPECT_EQ(record("r0").customName, accented.substr(0, 2'000));
    EXPECT_EQ(record("r0").modelName, std::string(1'000, 'm'));
    EXPECT_EQ(std::ranges::count(loaded, "r9999", &PersistedDisplay::hardwareID), 1);
    EXPECT_EQ(std::ranges::count(loaded, "r10000", &PersistedDisplay::hardwareID), 0);
    EXPECT_EQ(store.reconcile({online("new", 1)}, now).size(), 10'000u);
    EXPECT_EQ(store.load().size(), 10'000u);
}

TEST(DisplayStoreFileTest, AStoredListThatCannotBeUsedIsKeptAsideBeforeItIsReplaced) {
    TemporaryDirectory directory;
    VirtualClock clock;
    const auto settings = directory.path() / "defaults.json";
    const std::string hugeOrder = R"([{"hardwareID": "a", "sortOrder": 1e300}])";
    for (const std::string& value : std::vector<std::string>{
             R"("text")", "5", "true", R"({"$data": "bm90IGpzb24="})",
             R"({"$data": ")" + encodeBase64(Data(hugeOrder.begin(), hugeOrder.end())) + R"("})"}) {
        SCOPED_TRACE(value);
        const std::string original = R"({"persistedDisplays": )" + value + R"(, "showMenuBarIcon": false})";
        std::ofstream(settings) << original;
        JsonFileDefaults defaults(directory.path(), clock);
        std::vector<std::string> problems;
        const auto subscription =
            defaults.observeProblems([&](const std::string& problem) { problems.push_back(problem); });
        DisplayStore store(defaults);
        store.reconcile({online("a", 1)}, now);
        store.reconcile({online("a", 1)}, now);

        std::vector<std::filesystem::path> copies;
        for (const auto& entry : std::filesystem::directory_iterator(directory.path())) {
            if (entry.path().filename().string().starts_with("defaults.json.corrupt-"))
                copies.push_back(entry.path());
        }
        ASSERT_EQ(copies.size(), 1u);
        std::ifstream copy(copies[0]);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(copy), {}), original);
        ASSERT_EQ(problems.size(), 1u);
        EXPECT_EQ(problems[0], "The setting \"persistedDisplays\" in " + settings.string() +
                                   " is not in the expected form; a copy of the file was kept as " +
                                   copies[0].string() + " before it is replaced.");
        EXPECT_EQ(hardwareIDs(store.load()), std::vector<std::string>{"a"});
        EXPECT_EQ(defaults.boolValue("showMenuBarIcon"), false);
        std::filesystem::remove(copies[0]);
    }
}

TEST(SyntheticDisplayIDTest, IsTheFnv1aHashOfTheHardwareIDButNeverZero) {
    EXPECT_EQ(syntheticDisplayID("abc"), 0x1A47E90Bu);
    EXPECT_EQ(syntheticDisplayID(""), 0x811C9DC5u);
    EXPECT_EQ(syntheticDisplayID("\xC3\xA9"), 0x1E9DE8C1u);  // bytes above 0x7F hashed as unsigned values
    EXPECT_EQ(syntheticDisplayID("akhnp9x"), 1u);            // whose hash is 0
}

}  // namespace
}  // namespace lumadesk
