#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "hardware/Arm64DDC.h"
#include "hardware/IntelDDC.h"
#include "platform/simulated/SimulatedAVServiceBus.h"
#include "platform/simulated/SimulatedDisplayRegistry.h"
#include "platform/simulated/SimulatedFramebufferI2C.h"
#include "runtime/VirtualSleeper.h"
#include "support/FakeAVServiceLocator.h"
#include "support/FakeWindowServer.h"
#include "support/HardwareErrorText.h"

using namespace lumadesk;
using namespace std::chrono_literals;

namespace {

// One simulated monitor reachable both ways: through an AV service and through bus 1 of its framebuffer
// (bus 0 cannot be opened, bus 2 leads nowhere).
struct SimulatedLink {
    static constexpr DisplayID builtin = 1;
    static constexpr DisplayID external = 2;
    static constexpr std::uint32_t unit = 4;
    static constexpr std::uint32_t avHandle = 0x1234;

    VirtualClock clock;
    VirtualSleeper sleeper{clock};
    std::shared_ptr<SimulatedMonitor> monitor =
        std::make_shared<SimulatedMonitor>(clock, SimulatedMonitorConfig{});
    FakeWindowServer windowServer;

    SimulatedAVServiceBus avServiceBus{
        {{avHandle, "IOService:/AppleARMPE/dispext0@0/DCPAVServiceProxy", monitor}}};
    FakeAVServiceLocator locator;
    Arm64DDC arm64{windowServer, locator, sleeper};

    std::vector<SimulatedFramebufferConfig> framebuffers{
        {.unitNumber = unit, .busCount = 3, .monitorBus = 1, .unopenableBuses = {0}, .monitor = monitor}};
    SimulatedDisplayRegistry registry{framebuffers};
    SimulatedFramebufferI2C framebufferI2C{framebuffers, sleeper};
    ReplyTransactionTypeProbe probe{registry};
    IntelDDC intel{windowServer, registry, framebufferI2C, probe};

    SimulatedLink() {
        windowServer.addDisplay({.displayID = builtin, .isBuiltin = true});
        windowServer.addDisplay({.displayID = external, .unit = unit});
        locator.services[external] = avServiceBus.openService(avHandle);
    }

    Duration elapsed() const { return clock.monotonicNow().time_since_epoch(); }
    bool releasedEverything() const {
        return registry.outstandingServices() == 0 && framebufferI2C.openConnections() == 0;
    }
};

std::string readFailure(DisplayDDCTransporting& transport, DisplayID displayID) {
    return hardwareErrorText([&] { transport.readVCP(0x10, displayID); });
}

std::string writeFailure(DisplayDDCTransporting& transport, std::uint16_t value, DisplayID displayID) {
    return hardwareErrorText([&] { transport.writeVCP(0x10, value, displayID); });
}

}  // namespace

TEST(TransportsOnSimulatedMonitor, Arm64RidesOutTransientFaultsAndFailsOnPersistentOnes) {
    SimulatedLink h;
    h.monitor->nakNextTransfers(3);
    EXPECT_EQ(h.arm64.readVCP(0x10, h.external), 50);
    EXPECT_EQ(h.monitor->transferCount(), 5U);  // three refused writes, then a write and a read

    h.monitor->corruptEveryNthReply(2);
    EXPECT_EQ(h.arm64.readVCP(0x10, h.external), 50);
    EXPECT_EQ(h.arm64.readVCP(0x10, h.external), 50);  // second reply corrupted, third taken
    EXPECT_EQ(h.monitor->transferCount(), 5U + 2 + 4);
    h.monitor->corruptEveryNthReply(0);

    h.monitor->setExtraReplyDelay(30ms);  // ready after 40 ms, read after 50 ms
    EXPECT_EQ(h.arm64.readVCP(0x10, h.external), 50);

    h.monitor->nakNextTransfers(4);
    h.arm64.writeVCP(0x10, 70, h.external);
    EXPECT_EQ(h.monitor->brightness(), 70);

    // Every reply corrupted, every reply an error, or every reply too late: five exchanges, then the error.
    SimulatedLink corrupted;
    corrupted.monitor->corruptEveryNthReply(1);
    SimulatedLink refusing;
    refusing.monitor->setErrorResultCode(0x01);
    SimulatedLink slow;
    slow.monitor->setExtraReplyDelay(45ms);
    for (SimulatedLink* link : {&corrupted, &refusing, &slow}) {
        EXPECT_EQ(readFailure(link->arm64, link->external), "Failed to read VCP 0x10 for display 2.");
        EXPECT_EQ(link->monitor->transferCount(), 10U);
        EXPECT_EQ(link->elapsed(), 400ms);
    }

    SimulatedLink deaf;
    deaf.monitor->nakNextTransfers(1000);
    EXPECT_EQ(writeFailure(deaf.arm64, 55, deaf.external), "Failed to write VCP 0x10=55 for display 2.");
    EXPECT_EQ(deaf.monitor->brightness(), 50);
    EXPECT_EQ(deaf.elapsed(), 150ms);
}

TEST(TransportsOnSimulatedMonitor, IntelFailsAtOnceAndRecoversWithTheNextRequest) {
    SimulatedLink h;
    h.monitor->nakNextTransfers(1);
    EXPECT_EQ(readFailure(h.intel, h.external), "Failed to read VCP 0x10 for display 2.");
    EXPECT_EQ(h.intel.readVCP(0x10, h.external), 50);

    h.monitor->nakNextTransfers(1);
    EXPECT_EQ(writeFailure(h.intel, 55, h.external), "Failed to write VCP 0x10=55 for display 2.");
    EXPECT_EQ(h.monitor->brightness(), 50);
    h.intel.writeVCP(0x10, 55, h.external);
    EXPECT_EQ(h.monitor->brightness(), 55);

    // A reply that is late, an error or corrupted fails the read without a retry.
    SimulatedLink slow;
    slow.monitor->setExtraReplyDelay(1ms);
    SimulatedLink refusing;
    refusing.monitor->setErrorResultCode(0x01);
    SimulatedLink corrupted;
    corrupted.monitor->corruptEveryNthReply(1);
    for (SimulatedLink* link : {&slow, &refusing, &corrupted}) {
        EXPECT_EQ(readFailure(link->intel, link->external), "Failed to read VCP 0x10 for display 2.");
        EXPECT_EQ(link->monitor->transferCount(), 2U);
        EXPECT_TRUE(link->releasedEverything());
    }
    EXPECT_TRUE(h.releasedEverything());
}

TEST(TransportsOnSimulatedMonitor, ABuiltInDisplayOrOneWithoutAChannelCausesNoTraffic) {
    SimulatedLink h;
    h.locator.services[h.builtin] =
        h.locator.services[h.external];  // a service found for the panel is not used
    for (DisplayDDCTransporting* transport :
         std::initializer_list<DisplayDDCTransporting*>{&h.arm64, &h.intel}) {
        EXPECT_FALSE(transport->supportsDDC(h.builtin));
        EXPECT_EQ(readFailure(*transport, h.builtin), "Display 1 does not support DDC.");
        EXPECT_EQ(writeFailure(*transport, 10, h.builtin), "Display 1 does not support DDC.");
        EXPECT_FALSE(transport->supportsDDC(9));
        EXPECT_EQ(readFailure(*transport, 9), "Display 9 does not support DDC.");
    }
    EXPECT_EQ(h.locator.lookups, 2);  // display 9 only
    EXPECT_EQ(h.monitor->transferCount(), 0U);
    EXPECT_EQ(h.elapsed(), 0ms);
}
