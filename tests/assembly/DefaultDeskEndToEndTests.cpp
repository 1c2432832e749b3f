#include <gtest/gtest.h>

#include <algorithm>

#include "assembly/DisplayStack.h"
#include "platform/simulated/SimulatedPlatform.h"
#include "runtime/ManualMainQueue.h"
#include "runtime/RunSync.h"
#include "runtime/VirtualSleeper.h"
#include "support/TemporaryDirectory.h"

using namespace lumadesk;
using namespace std::chrono_literals;

namespace {

// Positions of the default desk's displays.
constexpr std::size_t leftTwin = 1;
constexpr std::size_t rightTwin = 2;
constexpr std::size_t eastlake = 7;
const std::string eastlakeID = "5156-12850-12345";

// The whole stack over the default desk, in virtual time.
class DefaultDesk : public testing::TestWithParam<TransportKind> {
protected:
    TemporaryDirectory configDirectory;
    VirtualClock clock;
    VirtualSleeper sleeper{clock};
    ManualMainQueue queue{clock};
    std::unique_ptr<SimulatedPlatform> platform = SimulatedPlatform::create({}, clock, sleeper);
    std::unique_ptr<DisplayStack> stack =
        std::make_unique<DisplayStack>(*platform, queue, DisplayStackOptions{configDirectory.path(), GetParam()});
    DisplayManager& manager = stack->displayManager();
    SimulatedDesk& desk = platform->desk();

    ~DefaultDesk() override {
        queue.runUntilIdle();
        stack.reset();
    }

    void refresh() { runSync(queue, manager.refresh()); }

    const Display& displayWithID(const std::string& hardwareID) {
        const auto& displays = manager.displays();
        const auto found = std::find_if(displays.begin(), displays.end(),
                                        [&](const Display& display) { return display.hardwareID == hardwareID; });
        EXPECT_NE(found, displays.end()) << hardwareID;
        return *found;
    }
};

std::vector<std::string> hardwareIDs(const std::vector<Display>& displays) {
    std::vector<std::string> ids;
    for (const auto& display : displays) ids.push_back(display.hardwareID);
    return ids;
}

}  // namespace

TEST_P(DefaultDesk, FindsExactlyTheManagedDisplaysAndReadsTheirBrightness) {
    refresh();
    const std::vector<Display> expected{
        {2, "4268-41234-0", "Northwind 27Q (1)", std::nullopt, 40, true, true, true, 0},
        {3, "4268-41234-1", "Northwind 27Q (2)", std::nullopt, 65, true, true, true, 1},
        {4, "7789-9010-SG24-0042", "Southgate 24", std::nullopt, 0, true, true, false, 2},
        {8, eastlakeID, "Eastlake 32U", std::nullopt, 70, true, true, true, 3},
    };
    EXPECT_EQ(manager.displays(), expected);
    EXPECT_EQ(manager.lastErrorMessage(), std::nullopt);
}

TEST_P(DefaultDesk, ReadsTakeExactlyTheProtocolsOwnWaits) {
    refresh();
    // Three monitors answer DDC/CI: the AV-service channel waits 10 ms before the write and 50 ms before
    // the read, the framebuffer channel the 10 ms reply delay.
    const Duration perRead = GetParam() == TransportKind::arm64 ? 60ms : 10ms;
    EXPECT_EQ(sleeper.total(), 3 * perRead);
}

TEST_P(DefaultDesk, IdenticalMonitorsAreReadThroughTheirOwnChannels) {
    desk.monitor(leftTwin).setBrightness(11);
    desk.monitor(rightTwin).setBrightness(22);
    refresh();
    EXPECT_EQ(displayWithID("4268-41234-0").brightness, 11);
    EXPECT_EQ(displayWithID("4268-41234-1").brightness, 22);
}

TEST_P(DefaultDesk, BrightnessWritesReachTheMonitor) {
    refresh();
    runSync(queue, manager.setBrightness(33, "4268-41234-1"));
    EXPECT_EQ(desk.monitor(rightTwin).brightness(), 33);
    EXPECT_EQ(desk.monitor(leftTwin).brightness(), 40);
    EXPECT_EQ(displayWithID("4268-41234-1").brightness, 33);
}

TEST_P(DefaultDesk, AnUnpluggedDisplayStaysAsAnAbsentRecordThatIsNotShown) {
    refresh();
    desk.unplug(eastlake);
    queue.runUntilIdle();  // the change notice queues a refresh
    const Display& unplugged = displayWithID(eastlakeID);
    EXPECT_FALSE(unplugged.isPresent);
    EXPECT_EQ(unplugged.brightness, 0);
    EXPECT_EQ(hardwareIDs(manager.visibleDisplays()),
              (std::vector<std::string>{"4268-41234-0", "4268-41234-1", "7789-9010-SG24-0042"}));

    desk.plug(eastlake);
    queue.runUntilIdle();
    EXPECT_TRUE(displayWithID(eastlakeID).isPresent);
    EXPECT_EQ(displayWithID(eastlakeID).brightness, 70);
}

TEST_P(DefaultDesk, DisconnectsAndReconnectsThroughTheWindowServer) {
    refresh();
    runSync(queue, manager.setConnected(false, eastlakeID));
    EXPECT_FALSE(desk.windowServer().display(8)->isEnabled);
    const Display& disconnected = displayWithID(eastlakeID);
    EXPECT_FALSE(disconnected.isConnected);
    EXPECT_FALSE(disconnected.isPresent);
    EXPECT_EQ(disconnected.id, 8U);
    EXPECT_EQ(manager.visibleDisplays().size(), 4U);

    runSync(queue, manager.setConnected(true, eastlakeID));
    queue.runUntilIdle();
    EXPECT_TRUE(desk.windowServer().display(8)->isEnabled);
    EXPECT_TRUE(displayWithID(eastlakeID).isConnected);
    EXPECT_TRUE(displayWithID(eastlakeID).isPresent);
    EXPECT_EQ(displayWithID(eastlakeID).brightness, 70);
    EXPECT_EQ(manager.lastErrorMessage(), std::nullopt);
}

TEST_P(DefaultDesk, AFailingConfigureCodeLeavesTheDisplayOnAndIsReported) {
    refresh();
    desk.windowServer().setConfigureError(1001);
    runSync(queue, manager.setConnected(false, eastlakeID));
    EXPECT_EQ(manager.lastErrorMessage(), "Failed to set display 8 enabled=false (CGError 1001).");
    EXPECT_TRUE(desk.windowServer().display(8)->isEnabled);
    EXPECT_TRUE(displayWithID(eastlakeID).isConnected);
    EXPECT_EQ(desk.windowServer().openConfigurationCount(), 0U);
}

INSTANTIATE_TEST_SUITE_P(BothTransports, DefaultDesk, testing::Values(TransportKind::arm64, TransportKind::intel),
                         [](const testing::TestParamInfo<TransportKind>& info) { return nameOf(info.param); });

TEST(TransportKind, NamesBothTransportsAndRefusesOthers) {
    EXPECT_EQ(transportKindNamed("arm64"), TransportKind::arm64);
    EXPECT_EQ(transportKindNamed("intel"), TransportKind::intel);
    EXPECT_EQ(transportKindNamed("ARM64"), std::nullopt);
    EXPECT_EQ(nameOf(TransportKind::intel), "intel");
#if defined(__x86_64__)
    EXPECT_EQ(builtTransportKind(), TransportKind::intel);
#endif
}
