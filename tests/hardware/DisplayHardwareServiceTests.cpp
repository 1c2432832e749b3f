#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "hardware/DisplayHardwareError.h"
#include "hardware/DisplayHardwareService.h"
#include "support/FakeConnectionController.h"
#include "support/FakeDDCTransport.h"
#include "support/FakeSnapshotProvider.h"

using namespace lumadesk;

namespace {

DisplaySnapshot snapshotOf(DisplayID displayID, std::string hardwareID) {
    DisplaySnapshot snapshot;
    snapshot.displayID = displayID;
    snapshot.hardwareID = std::move(hardwareID);
    snapshot.modelName = "Model";
    return snapshot;
}

struct ServiceHarness {
    FakeDDCTransport* transport;
    FakeSnapshotProvider* provider;
    FakeConnectionController* controller;
    DisplayHardwareService service;

    ServiceHarness()
        : ServiceHarness(std::make_unique<FakeDDCTransport>(), std::make_unique<FakeSnapshotProvider>(),
                         std::make_unique<FakeConnectionController>()) {}

private:
    ServiceHarness(std::unique_ptr<FakeDDCTransport> t, std::unique_ptr<FakeSnapshotProvider> p,
                   std::unique_ptr<FakeConnectionController> c)
        : transport(t.get()),
          provider(p.get()),
          controller(c.get()),
          service(std::move(t), std::move(p), std::move(c)) {}
};

}  // namespace

TEST(DisplayHardwareService, ClampsBrightnessAndWritesItUnscaledAsLuminance) {
    ServiceHarness h;
    h.service.setBrightness(140, 2);
    h.service.setBrightness(-5, 2);
    h.service.setBrightness(55, 3);
    h.service.setBrightness(0, 3);
    h.service.setBrightness(100, 3);
    using Write = FakeDDCTransport::Write;
    EXPECT_EQ(
        h.transport->writes,
        (std::vector<Write>{{0x10, 100, 2}, {0x10, 0, 2}, {0x10, 55, 3}, {0x10, 0, 3}, {0x10, 100, 3}}));
}

TEST(DisplayHardwareService, ReadsLuminanceUnscaledAndSleepsWithPowerModeFour) {
    ServiceHarness h;
    h.transport->values[{4, 0x10}] = 300;
    h.transport->values[{5, 0x10}] = 65535;
    EXPECT_EQ(h.service.readBrightness(4), 300);
    EXPECT_EQ(h.service.readBrightness(5), 65535);

    h.service.sleepDisplay(4);
    EXPECT_EQ(h.transport->writes, (std::vector<FakeDDCTransport::Write>{{0xD6, 4, 4}}));
}

TEST(DisplayHardwareService, PassesTransportAndControllerErrorsOnUnchanged) {
    ServiceHarness h;
    h.transport->readError = DisplayHardwareError::failedToReadVCP(0x10, 2);
    h.transport->writeError = DisplayHardwareError::unsupportedDisplay(2);
    try {
        h.service.readBrightness(2);
        FAIL();
    } catch (const DisplayHardwareError& error) {
        EXPECT_EQ(error, DisplayHardwareError::failedToReadVCP(0x10, 2));
    }
    try {
        h.service.setBrightness(30, 2);
        FAIL();
    } catch (const DisplayHardwareError& error) {
        EXPECT_EQ(error, DisplayHardwareError::unsupportedDisplay(2));
    }
    EXPECT_THROW(h.service.sleepDisplay(2), DisplayHardwareError);

    h.service.setDisplay(3, false);
    h.controller->error = DisplayHardwareError::failedToConfigureDisplayEnabled(1001, 3, true);
    try {
        h.service.setDisplay(3, true);
        FAIL();
    } catch (const DisplayHardwareError& error) {
        EXPECT_EQ(error.description(), "Failed to set display 3 enabled=true (CGError 1001).");
    }
    EXPECT_EQ(h.controller->requests, (std::vector<std::pair<DisplayID, bool>>{{3, false}, {3, true}}));
}

TEST(DisplayHardwareService, ListsSnapshotsInOrderWithDDCSupportFromTheTransport) {
    ServiceHarness h;
    h.provider->add(snapshotOf(9, "4268-41234-1"));
    h.provider->displayIDs.push_back(4);  // listed but gives no snapshot
    h.provider->add(snapshotOf(2, "4268-41234-2"));
    h.transport->ddcDisplays = {2};
    h.transport->readError = DisplayHardwareError::failedToReadVCP(0x10, 2);  // reads play no part

    const auto snapshots = h.service.snapshots();
    ASSERT_EQ(snapshots.size(), 2U);
    EXPECT_EQ(snapshots[0].displayID, 9U);
    EXPECT_FALSE(snapshots[0].supportsDDC);
    EXPECT_EQ(snapshots[1].displayID, 2U);
    EXPECT_TRUE(snapshots[1].supportsDDC);
    EXPECT_EQ(snapshots[1].hardwareID, "4268-41234-2");

    EXPECT_TRUE(h.service.supportsDDC(2));
    EXPECT_FALSE(h.service.supportsDDC(9));
}
