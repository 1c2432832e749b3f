#include <gtest/gtest.h>

#include <memory>

#include "hardware/DisplayHardwareService.h"
#include "hardware/DuplicateDisplayNumbering.h"
#include "support/FakeConnectionController.h"
#include "support/FakeDDCTransport.h"
#include "support/FakeSnapshotProvider.h"

using namespace lumadesk;

namespace {

DisplaySnapshot snapshotOf(DisplayID displayID, std::string hardwareID, std::string modelName) {
    DisplaySnapshot snapshot;
    snapshot.displayID = displayID;
    snapshot.hardwareID = std::move(hardwareID);
    snapshot.modelName = std::move(modelName);
    return snapshot;
}

std::vector<std::string> hardwareIDs(const std::vector<DisplaySnapshot>& snapshots) {
    std::vector<std::string> ids;
    for (const auto& snapshot : snapshots) ids.push_back(snapshot.hardwareID);
    return ids;
}

std::vector<std::string> modelNames(const std::vector<DisplaySnapshot>& snapshots) {
    std::vector<std::string> names;
    for (const auto& snapshot : snapshots) names.push_back(snapshot.modelName);
    return names;
}

}  // namespace

TEST(DuplicateDisplayNumbering, NumbersIdenticalMonitorsByUnitNumberAndKeepsTheListOrder) {
    auto transport = std::make_unique<FakeDDCTransport>();
    auto provider = std::make_unique<FakeSnapshotProvider>();
    transport->ddcDisplays = {10, 30};
    const std::vector<std::pair<DisplayID, std::uint32_t>> displays{{10, 5}, {20, 3}, {30, 4}};
    for (const auto& [displayID, unit] : displays) {
        provider->add(snapshotOf(displayID, "4268-41234", "Model A"));
        provider->units[displayID] = unit;
    }
    DisplayHardwareService service(std::move(transport), std::move(provider),
                                   std::make_unique<FakeConnectionController>());

    const auto snapshots = service.snapshots();
    ASSERT_EQ(snapshots.size(), 3U);
    EXPECT_EQ(snapshots[0].displayID, 10U);
    EXPECT_EQ(snapshots[1].displayID, 20U);
    EXPECT_EQ(snapshots[2].displayID, 30U);
    EXPECT_EQ(hardwareIDs(snapshots), (std::vector<std::string>{"4268-41234-2", "4268-41234-0", "4268-41234-1"}));
    EXPECT_EQ(modelNames(snapshots), (std::vector<std::string>{"Model A (3)", "Model A (1)", "Model A (2)"}));
    EXPECT_TRUE(snapshots[0].supportsDDC);
    EXPECT_FALSE(snapshots[1].supportsDDC);
}

TEST(DuplicateDisplayNumbering, DifferentModelsWithTheSameNameAreNumberedByNameOnly) {
    std::vector<DisplaySnapshot> snapshots{snapshotOf(1, "1-2-3", "Model B"), snapshotOf(2, "4-5-6", "Model B"),
                                           snapshotOf(3, "7-8-9", "Other")};
    const std::vector<std::uint32_t> units{2, 1, 0};
    DuplicateDisplayNumbering::apply(snapshots, units);
    EXPECT_EQ(hardwareIDs(snapshots), (std::vector<std::string>{"1-2-3", "4-5-6", "7-8-9"}));
    EXPECT_EQ(modelNames(snapshots), (std::vector<std::string>{"Model B (2)", "Model B (1)", "Other"}));
}

TEST(DuplicateDisplayNumbering, EqualUnitNumbersKeepListOrder) {
    std::vector<DisplaySnapshot> snapshots{snapshotOf(1, "x", "M"), snapshotOf(2, "x", "M")};
    const std::vector<std::uint32_t> units{7, 7};
    DuplicateDisplayNumbering::apply(snapshots, units);
    EXPECT_EQ(hardwareIDs(snapshots), (std::vector<std::string>{"x-0", "x-1"}));
    EXPECT_EQ(modelNames(snapshots), (std::vector<std::string>{"M (1)", "M (2)"}));
}
