#include "registry/BrightnessRange.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "registry/DisplayStoreError.h"
#include "support/DisplayManagerHarness.h"

namespace lumadesk {
namespace {

using Writes = std::vector<std::pair<DisplayID, int>>;
using nlohmann::json;

TEST(BrightnessRangeTest, MapsTheUsersScaleOntoTheMonitorsPartAndBack) {
    struct Case {
        BrightnessRange range;
        int level;
        int monitor;
    };
    const Case cases[] = {
        {{20, 80}, 0, 20},   {{20, 80}, 100, 80}, {{20, 80}, 50, 50}, {{20, 80}, 37, 42},
        {{20, 80}, 150, 80}, {{20, 80}, -5, 20},  {{0, 100}, 63, 63}, {{30, 31}, 49, 30},
        {{30, 31}, 50, 31},  {{0, 10}, 100, 10},  {{90, 100}, 1, 90},
    };
    for (const auto& [range, level, monitor] : cases) {
        SCOPED_TRACE(std::to_string(range.minimum) + "-" + std::to_string(range.maximum) + " at " +
                     std::to_string(level));
        EXPECT_EQ(range.monitorLevel(level), monitor);
        EXPECT_EQ(monitorLevel(range, level), monitor);
    }
    // Every level of the monitor's part comes back as itself.
    for (int monitor = 20; monitor <= 80; ++monitor) {
        EXPECT_EQ(BrightnessRange(20, 80).monitorLevel(BrightnessRange(20, 80).userLevel(monitor)), monitor);
    }
    // What the monitor reports outside its range counts as the nearest end.
    EXPECT_EQ(BrightnessRange(20, 80).userLevel(10), 0);
    EXPECT_EQ(BrightnessRange(20, 80).userLevel(95), 100);
    // Without a range, levels pass unchanged.
    EXPECT_EQ(monitorLevel(std::nullopt, 37), 37);
    EXPECT_EQ(userLevel(std::nullopt, 37), 37);

    EXPECT_TRUE(BrightnessRange(0, 100).isValid());
    EXPECT_TRUE(BrightnessRange(99, 100).isValid());
    EXPECT_FALSE(BrightnessRange(50, 50).isValid());
    EXPECT_FALSE(BrightnessRange(60, 40).isValid());
    EXPECT_FALSE(BrightnessRange(-1, 40).isValid());
    EXPECT_FALSE(BrightnessRange(10, 101).isValid());
}

TEST(BrightnessRangeTest, IsStoredOnlyWhenSetAndOlderRecordsReadAsBefore) {
    const PersistedDisplay plain{.hardwareID = "10-1-1", .sortOrder = 0, .lastSeenAt = {}};
    PersistedDisplay ranged = plain;
    ranged.brightnessRange = BrightnessRange{20, 80};
    ranged.followsBuiltInScreen = true;

    const Data encoded = encodeDisplayRecords({plain, ranged});
    const json document = json::parse(encoded.begin(), encoded.end());
    EXPECT_FALSE(document[0].contains("brightnessRange"));
    EXPECT_FALSE(document[0].contains("followsBuiltInScreen"));
    EXPECT_EQ(document[1]["brightnessRange"], json::parse(R"({"minimum":20,"maximum":80})"));
    EXPECT_EQ(document[1]["followsBuiltInScreen"], true);
    EXPECT_EQ(decodeDisplayRecords(encoded), (std::vector<PersistedDisplay>{plain, ranged}));

    // A record written before ranges existed.
    const std::string older = R"([{"hardwareID":"10-1-1","sortOrder":0,"isConnected":true,"lastSeenAt":0}])";
    const auto decoded = decodeDisplayRecords(Data(older.begin(), older.end()));
    ASSERT_EQ(decoded.size(), 1u);
    EXPECT_FALSE(decoded[0].brightnessRange);
    EXPECT_FALSE(decoded[0].followsBuiltInScreen);

    const std::pair<std::string, std::string> refused[] = {
        {R"("20-80")", "\"brightnessRange\" must be an object."},
        {R"({"minimum":20})", "\"maximum\" is missing."},
        {R"({"minimum":20,"maximum":8.5})", "\"maximum\" must be an integer."},
        {R"({"minimum":80,"maximum":20})",
         "\"brightnessRange\" must have a minimum below its maximum, both between 0 and 100."},
        {R"({"minimum":0,"maximum":101})",
         "\"brightnessRange\" must have a minimum below its maximum, both between 0 and 100."},
    };
    for (const auto& [value, message] : refused) {
        const std::string text = R"([{"hardwareID":"10-1-1","sortOrder":0,"isConnected":true,"lastSeenAt":0,)"
                                 R"("brightnessRange":)" +
                                 value + "}]";
        try {
            decodeDisplayRecords(Data(text.begin(), text.end()));
            ADD_FAILURE() << value << " was accepted";
        } catch (const DisplayStoreError& error) {
            EXPECT_EQ(std::string(error.what()),
                      "The stored display list could not be read: record 1: " + message);
        }
    }
}

class DisplayManagerRangeTest : public ::testing::Test, protected DisplayManagerHarness {
protected:
    void SetUp() override {
        ddc.plugIn(snapshot(11, "10-1-1"), 50);
        ddc.plugIn(snapshot(12, "10-2-2"), 55);
        start();
        refresh();
    }
};

TEST_F(DisplayManagerRangeTest, EveryWriteIsMappedIntoTheRangeAndReadsAreMappedBack) {
    manager->setBrightnessRange(BrightnessRange{20, 80}, "10-1-1");
    EXPECT_EQ(display("10-1-1").brightnessRange, BrightnessRange(20, 80));
    EXPECT_EQ(record("10-1-1").brightnessRange, BrightnessRange(20, 80));

    runSync(queue, manager->setBrightness(100, "10-1-1"));
    runSync(queue, manager->setBrightness(0, "10-1-1"));
    EXPECT_EQ(display("10-1-1").brightness, 0);
    runSync(queue, manager->setBrightnessForAllDisplays(50));
    runSync(queue, manager->adjustBrightnessForAllDisplays(50));
    EXPECT_EQ(ddc.writes, (Writes{{11, 80}, {11, 20}, {11, 50}, {12, 50}, {11, 80}, {12, 100}}));
    EXPECT_EQ(rows(), "10-1-1 #0 100, 10-2-2 #1 100");
    // A relative step moves the user's level and goes out through the range as well.
    ddc.writes.clear();
    runSync(queue, manager->stepBrightness(-25, "10-1-1"));
    EXPECT_EQ(ddc.writes, (Writes{{11, 65}}));
    EXPECT_EQ(display("10-1-1").brightness, 75);

    // The monitor's 35 is a quarter of the way up the range.
    ddc.brightnessByID[11] = 35;
    refresh();
    EXPECT_EQ(display("10-1-1").brightness, 25);
    // 36 and 37 are both the monitor's 42: the level set stays on screen after a refresh.
    runSync(queue, manager->setBrightness(36, "10-1-1"));
    EXPECT_EQ(ddc.brightnessByID[11], 42);
    refresh();
    EXPECT_EQ(display("10-1-1").brightness, 36);

    // The range survives a restart, and clearing it gives back the whole scale.
    restart();
    EXPECT_EQ(display("10-1-1").brightnessRange, BrightnessRange(20, 80));
    manager->setBrightnessRange(std::nullopt, "10-1-1");
    ddc.writes.clear();
    runSync(queue, manager->setBrightness(100, "10-1-1"));
    EXPECT_EQ(ddc.writes, (Writes{{11, 100}}));
    EXPECT_FALSE(record("10-1-1").brightnessRange);
}

TEST_F(DisplayManagerRangeTest, InvalidRangesAreRefusedAndFollowingIsStored) {
    manager->setBrightnessRange(BrightnessRange{70, 30}, "10-1-1");
    EXPECT_EQ(manager->lastErrorMessage(),
              "The brightness range must have a minimum below its maximum, both between 0 and 100.");
    EXPECT_FALSE(display("10-1-1").brightnessRange);
    manager->setBrightnessRange(BrightnessRange{10, 90}, "no-such-display");

    manager->setFollowsBuiltInScreen(true, "10-2-2");
    EXPECT_TRUE(display("10-2-2").followsBuiltInScreen);
    restart();
    EXPECT_TRUE(display("10-2-2").followsBuiltInScreen);
    EXPECT_FALSE(display("10-1-1").followsBuiltInScreen);
    EXPECT_TRUE(record("10-2-2").followsBuiltInScreen);
}

}  // namespace
}  // namespace lumadesk
