#include <gtest/gtest.h>

#include <algorithm>

#include "runtime/RunSync.h"
#include "support/KeyedDesk.h"

using namespace lumadesk;
using namespace std::chrono_literals;

namespace {

const std::string eastlakeID = "5156-12850-12345";

// The whole stack over the default desk, in virtual time.
class DefaultDesk : public testing::TestWithParam<TransportKind>, protected KeyedDesk {
protected:
    DefaultDesk() : KeyedDesk(GetParam()) {}

    DisplayManager& manager = stack->displayManager();
    SimulatedDesk& desk = platform->desk();

    void refresh() { runSync(queue, manager.refresh()); }

    const Display& displayWithID(const std::string& hardwareID) {
        const auto& displays = manager.displays();
        const auto found = std::find_if(displays.begin(), displays.end(), [&](const Display& display) {
            return display.hardwareID == hardwareID;
        });
        EXPECT_NE(found, displays.end()) << hardwareID;
        return *found;
    }
};

}  // namespace

TEST_P(DefaultDesk, FindsExactlyTheManagedDisplaysAndReadsThemWithTheProtocolsOwnWaits) {
    desk.monitor(leftTwin).setBrightness(11);  // identical monitors are read through their own channels
    refresh();
    const std::vector<Display> expected{
        {2, "4268-41234-0", "Northwind 27Q (1)", std::nullopt, 11, true, true, true, 0},
        {3, "4268-41234-1", "Northwind 27Q (2)", std::nullopt, 65, true, true, true, 1},
        {4, "7789-9010-SG24-0042", "Southgate 24", std::nullopt, 100, true, true, false, 2},
        {8, eastlakeID, "Eastlake 32U", std::nullopt, 70, true, true, true, 3}};
    EXPECT_EQ(manager.displays(), expected);
    EXPECT_EQ(manager.lastErrorMessage(), std::nullopt);
    // Three monitors answer DDC/CI: the AV-service channel waits 10 ms before the write and 50 ms before
    // the read, the framebuffer channel the 10 ms reply delay.
    EXPECT_EQ(sleeper.total(), 3 * (GetParam() == TransportKind::arm64 ? 60ms : 10ms));

    runSync(queue, manager.setBrightness(33, "4268-41234-1"));
    EXPECT_EQ(desk.monitor(rightTwin).brightness(), 33);
    EXPECT_EQ(desk.monitor(leftTwin).brightness(), 11);
    EXPECT_EQ(displayWithID("4268-41234-1").brightness, 33);
}

TEST_P(DefaultDesk, AnUnpluggedDisplayStaysAsAnAbsentRecordThatIsNotShown) {
    refresh();
    desk.unplug(eastlake);
    queue.runUntilIdle();  // the change notice queues a refresh
    EXPECT_FALSE(displayWithID(eastlakeID).isPresent);
    EXPECT_EQ(manager.visibleDisplays().size(), 3U);

    desk.plug(eastlake);
    queue.runUntilIdle();
    EXPECT_TRUE(displayWithID(eastlakeID).isPresent);
    EXPECT_EQ(displayWithID(eastlakeID).brightness, 70);
}

TEST_P(DefaultDesk, DisconnectsAndReconnectsThroughTheWindowServer) {
    refresh();
    runSync(queue, manager.setConnected(false, eastlakeID));
    EXPECT_FALSE(desk.windowServer().display(8)->isEnabled);
    EXPECT_FALSE(displayWithID(eastlakeID).isConnected);
    EXPECT_EQ(displayWithID(eastlakeID).id, 8U);
    EXPECT_EQ(manager.visibleDisplays().size(), 4U);

    runSync(queue, manager.setConnected(true, eastlakeID));
    queue.runUntilIdle();
    EXPECT_TRUE(desk.windowServer().display(8)->isEnabled);
    EXPECT_TRUE(displayWithID(eastlakeID).isPresent);
    EXPECT_EQ(displayWithID(eastlakeID).brightness, 70);
    EXPECT_EQ(manager.lastErrorMessage(), std::nullopt);

    // A failing configure step leaves the display on and is reported.
    desk.windowServer().setConfigureError(1001);
    runSync(queue, manager.setConnected(false, eastlakeID));
    EXPECT_EQ(manager.lastErrorMessage(), "Failed to set display 8 enabled=false (CGError 1001).");
    EXPECT_TRUE(desk.windowServer().display(8)->isEnabled);
    EXPECT_TRUE(displayWithID(eastlakeID).isConnected);
    EXPECT_EQ(desk.windowServer().openConfigurationCount(), 0U);
}

INSTANTIATE_TEST_SUITE_P(BothTransports, DefaultDesk,
                         testing::Values(TransportKind::arm64, TransportKind::intel),
                         [](const testing::TestParamInfo<TransportKind>& info) {
                             return nameOf(info.param);
                         });

TEST(TransportKind, NamesBothTransportsAndRefusesOthers) {
    EXPECT_EQ(transportKindNamed("arm64"), TransportKind::arm64);
    EXPECT_EQ(transportKindNamed("intel"), TransportKind::intel);
    EXPECT_EQ(transportKindNamed("ARM64"), std::nullopt);
    EXPECT_EQ(nameOf(TransportKind::intel), "intel");
#if defined(__x86_64__)
    EXPECT_EQ(builtTransportKind(), TransportKind::intel);
#endif
}
