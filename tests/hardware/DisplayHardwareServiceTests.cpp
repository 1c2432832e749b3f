#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <tuple>
#include <vector>

#include "hardware/DisplayHardwareService.h"
#include "hardware/DuplicateDisplayNumbering.h"

using namespace lumadesk;

namespace {

DisplaySnapshot snapshotOf(std::string hardwareID, std::string modelName, DisplayID displayID = 0) {
    DisplaySnapshot snapshot;
    snapshot.displayID = displayID;
    snapshot.hardwareID = std::move(hardwareID);
    snapshot.modelName = std::move(modelName);
    return snapshot;
}

// Records writes; DDC on displays 10 and 30 only, whose luminance reads 65535.
struct FakeTransport final : DisplayDDCTransporting {
    using Write = std::tuple<std::uint8_t, std::uint16_t, DisplayID>;  // feature, value, display

    bool supportsDDC(DisplayID displayID) override { return displayID == 10 || displayID == 30; }
    std::uint16_t readVCP(std::uint8_t feature, DisplayID) override { return feature == 0x10 ? 65535 : 0; }
    void writeVCP(std::uint8_t feature, std::uint16_t value, DisplayID displayID) override {
        writes.emplace_back(feature, value, displayID);
    }
    std::vector<Write> writes;
};

// Three identical monitors 10, 20 and 30 on units 5, 3 and 4; display 4 is listed but gives no snapshot.
struct FakeProvider final : DisplaySnapshotProviding {
    std::vector<DisplayID> onlineDisplayIDs() override { return {10, 4, 20, 30}; }
    std::optional<DisplaySnapshot> snapshot(DisplayID displayID) override {
        if (displayID == 4) return std::nullopt;
        return snapshotOf("4268-41234", "Model A", displayID);
    }
    std::uint32_t unitNumber(DisplayID displayID) override {
        return std::map<DisplayID, std::uint32_t>{{10, 5}, {20, 3}, {30, 4}}.at(displayID);
    }
};

struct NoConnectionController final : DisplayConnectionControlling {
    void setDisplay(DisplayID, bool) override {}
};

std::vector<std::string> fieldOf(const std::vector<DisplaySnapshot>& snapshots,
                                 std::string DisplaySnapshot::*field) {
    std::vector<std::string> values;
    for (const auto& snapshot : snapshots) values.push_back(snapshot.*field);
    return values;
}

}  // namespace

TEST(DisplayHardwareService, SpeaksVCPAndNumbersIdenticalMonitorsByUnitNumber) {
    auto owned = std::make_unique<FakeTransport>();
    FakeTransport& transport = *owned;
    DisplayHardwareService service(std::move(owned), std::make_unique<FakeProvider>(),
                                   std::make_unique<NoConnectionController>());

    // Brightness is written as luminance clamped to 0...100; sleeping is power mode 4.
    service.setBrightness(140, 2);
    service.setBrightness(-5, 2);
    service.setBrightness(55, 3);
    service.sleepDisplay(4);
    EXPECT_EQ(transport.writes,
              (std::vector<FakeTransport::Write>{{0x10, 100, 2}, {0x10, 0, 2}, {0x10, 55, 3}, {0xD6, 4, 4}}));
    // Whatever the monitor reports is passed on, even past 100.
    EXPECT_EQ(service.readBrightness(10), 65535);

    // The list keeps the provider's order; identical monitors are numbered by unit number.
    const auto snapshots = service.snapshots({});
    ASSERT_EQ(snapshots.size(), 3U);
    EXPECT_EQ(snapshots[0].displayID, 10U);
    EXPECT_EQ(snapshots[2].displayID, 30U);
    EXPECT_EQ(fieldOf(snapshots, &DisplaySnapshot::hardwareID),
              (std::vector<std::string>{"4268-41234-2", "4268-41234-0", "4268-41234-1"}));
    EXPECT_EQ(fieldOf(snapshots, &DisplaySnapshot::modelName),
              (std::vector<std::string>{"Model A (3)", "Model A (1)", "Model A (2)"}));
    EXPECT_TRUE(snapshots[0].supportsDDC);
    EXPECT_FALSE(snapshots[1].supportsDDC);
}

TEST(DuplicateDisplayNumbering, NumbersHardwareIDsAndNamesEachByTheirOwnDuplicates) {
    // Two models under one name are numbered by name only.
    std::vector<DisplaySnapshot> snapshots{snapshotOf("1-2-3", "Model B"), snapshotOf("4-5-6", "Model B"),
                                           snapshotOf("7-8-9", "Other")};
    DuplicateDisplayNumbering::apply(snapshots, std::vector<std::uint32_t>{2, 1, 0});
    EXPECT_EQ(fieldOf(snapshots, &DisplaySnapshot::hardwareID),
              (std::vector<std::string>{"1-2-3", "4-5-6", "7-8-9"}));
    EXPECT_EQ(fieldOf(snapshots, &DisplaySnapshot::modelName),
              (std::vector<std::string>{"Model B (2)", "Model B (1)", "Other"}));

    // Equal unit numbers keep the list order.
    snapshots = {snapshotOf("x", "M"), snapshotOf("x", "M")};
    DuplicateDisplayNumbering::apply(snapshots, std::vector<std::uint32_t>{7, 7});
    EXPECT_EQ(fieldOf(snapshots, &DisplaySnapshot::hardwareID), (std::vector<std::string>{"x-0", "x-1"}));
    EXPECT_EQ(fieldOf(snapshots, &DisplaySnapshot::modelName), (std::vector<std::string>{"M (1)", "M (2)"}));
}

TEST(DuplicateDisplayNumbering, NumberedIDsNeverCollideAndTwinsOfAHeldDisplayKeepTheirNumbers) {
    struct Case {
        const char* what;
        std::vector<std::string> hardwareIDs;  // display i has display ID i + 1 and unit number i
        HeldDisplays held;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"no collision: today's form", {"1-2", "1-2", "1-3"}, {}, {"1-2-0", "1-2-1", "1-3"}},
        {"a monitor whose own ID is a twin's number",
         {"1-2", "1-2", "1-2-1"},
         {},
         {"1-2-0", "1-2-2", "1-2-1"}},
        {"own ID listed first", {"1-2-0", "1-2", "1-2", "1-2-1"}, {}, {"1-2-0", "1-2-2", "1-2-3", "1-2-1"}},
        {"the first twin held off", {"1-2"}, {{"1-2-0", 9}}, {"1-2-1"}},
        {"the second twin held off", {"1-2"}, {{"1-2-1", 9}}, {"1-2-0"}},
        {"the middle one of three held off", {"1-2", "1-2"}, {{"1-2-1", 9}}, {"1-2-0", "1-2-2"}},
        {"a held twin that is online again", {"1-2", "1-2"}, {{"1-2-0", 1}}, {"1-2-0", "1-2-1"}},
        {"a held display of another kind", {"1-2", "1-3"}, {{"1-2-x", 9}, {"1-22-0", 8}}, {"1-2", "1-3"}},
    };
    for (const auto& [what, hardwareIDs, held, expected] : cases) {
        SCOPED_TRACE(what);
        std::vector<DisplaySnapshot> snapshots;
        std::vector<std::uint32_t> unitNumbers;
        for (const auto& hardwareID : hardwareIDs) {
            unitNumbers.push_back(static_cast<std::uint32_t>(snapshots.size()));
            snapshots.push_back(snapshotOf(hardwareID, "M " + hardwareID, unitNumbers.back() + 1));
        }
        DuplicateDisplayNumbering::apply(snapshots, unitNumbers, held);
        EXPECT_EQ(fieldOf(snapshots, &DisplaySnapshot::hardwareID), expected);
    }
}

// Each listing tells the reply waits which monitor every display is, by its numbered hardware ID, so that
// identical monitors keep their own pace port by port.
TEST(DisplayHardwareService, TellsTheReplyWaitsTheHardwareIDOfEachDisplay) {
    MonitorReplyWaits waits;
    DisplayHardwareService service(std::make_unique<FakeTransport>(), std::make_unique<FakeProvider>(),
                                   std::make_unique<NoConnectionController>(), &waits);
    EXPECT_TRUE(waits.onlineWaits().empty());
    service.snapshots({});
    waits.readSucceeded(20, std::chrono::milliseconds(90), false);
    EXPECT_EQ(waits.onlineWaits(),
              (std::map<std::string, ReplyWait>{{"4268-41234-0", {std::chrono::milliseconds(90), false}},
                                                {"4268-41234-1", {MonitorReplyWaits::protocolWait, false}},
                                                {"4268-41234-2", {MonitorReplyWaits::protocolWait, false}}}));
}
