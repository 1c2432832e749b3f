#include <gtest/gtest.h>

#include <vector>

#include "platform/simulated/SimulatedAVServiceBus.h"
#include "platform/simulated/SimulatedDisplayRegistry.h"
#include "platform/simulated/SimulatedFramebufferI2C.h"
#include "runtime/VirtualSleeper.h"

using namespace lumadesk;
using namespace std::chrono_literals;

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Desk {
    VirtualClock clock;
    VirtualSleeper sleeper{clock};
    std::shared_ptr<SimulatedMonitor> first =
        std::make_shared<SimulatedMonitor>(clock, SimulatedMonitorConfig{.productName = "Left"});
    std::shared_ptr<SimulatedMonitor> second =
        std::make_shared<SimulatedMonitor>(clock, SimulatedMonitorConfig{});
};

// The get request for luminance as a framebuffer bus carries it.
I2CRequest luminanceGet() {
    I2CRequest request;
    request.sendTransactionType = I2CTransactionType::simple;
    request.replyTransactionType = I2CTransactionType::ddcciReply;
    request.sendAddress = 0x6E;
    request.replyAddress = 0x6F;
    request.minReplyDelay = 10ms;
    request.sendBuffer = {0x51, 0x82, 0x01, 0x10, 0xAC};
    request.replyBuffer.assign(11, 0);
    return request;
}

}  // namespace

TEST(SimulatedAVServiceBus, PassesOnlyHostMessagesToTheMonitor) {
    Desk desk;
    SimulatedAVServiceBus bus({{7, "IOService:/a/dispext1", desk.first}, {3, "IOService:/b/dcp", nullptr}});
    EXPECT_EQ(bus.openService(99), nullptr);

    // The data address goes on the wire ahead of the packet; only the host's (0x51) makes a message.
    const auto service = bus.openService(7);
    const Bytes setTo20{0x84, 0x03, 0x10, 0x00, 0x14, 0xB8 ^ 0x10 ^ 0x14};
    EXPECT_EQ(service->writeI2C(0x37, 0x50, setTo20), ioSuccess);
    EXPECT_EQ(desk.first->brightness(), 50);
    EXPECT_EQ(service->writeI2C(0x37, 0x51, setTo20), ioSuccess);
    EXPECT_EQ(desk.first->brightness(), 20);

    // A service without a monitor behind it acknowledges nothing.
    Bytes edid(128);
    EXPECT_EQ(bus.openService(3)->readI2C(0x50, 0, edid), SimulatedMonitor::notAcknowledged);
    EXPECT_EQ(bus.openService(3)->writeI2C(0x37, 0x51, setTo20), SimulatedMonitor::notAcknowledged);
}

TEST(SimulatedFramebufferI2C, CarriesRequestsOnTheMonitorsBusOnly) {
    Desk desk;
    const std::vector<SimulatedFramebufferConfig> framebuffers{
        {.unitNumber = 2, .busCount = 3, .monitorBus = 2, .unopenableBuses = {1}, .monitor = desk.first}};
    SimulatedDisplayRegistry registry(framebuffers);
    SimulatedFramebufferI2C i2c(framebuffers, desk.sleeper);
    const RegistryService framebuffer = registry.serviceForUnitNumber(2);
    EXPECT_EQ(i2c.busCount(framebuffer).count, 3U);
    EXPECT_NE(i2c.busCount(RegistryService()).result, ioSuccess);
    EXPECT_EQ(i2c.openBus(framebuffer, 1), nullptr);
    EXPECT_EQ(i2c.openBus(framebuffer, 3), nullptr);

    // A bus without the monitor takes the request, but the transfer is not acknowledged.
    I2CRequest request = luminanceGet();
    EXPECT_EQ(i2c.openBus(framebuffer, 0)->send(request), ioSuccess);
    EXPECT_EQ(request.result, SimulatedMonitor::notAcknowledged);
    EXPECT_EQ(i2c.openConnections(), 0);

    // The monitor's bus waits out the reply delay and hands back the reply.
    const auto bus = i2c.openBus(framebuffer, 2);
    request = luminanceGet();
    EXPECT_EQ(bus->send(request), ioSuccess);
    EXPECT_EQ(request.result, ioSuccess);
    EXPECT_EQ(request.replyBuffer, (Bytes{0x6E, 0x88, 0x02, 0x00, 0x10, 0x00, 0x00, 0x64, 0x00, 0x32, 0xF2}));
    EXPECT_EQ(desk.sleeper.sleeps(), (std::vector<Duration>{10ms}));
    EXPECT_EQ(i2c.openConnections(), 1);

    // Transaction types other than simple sends are not supported.
    request.sendTransactionType = static_cast<I2CTransactionType>(3);
    EXPECT_EQ(bus->send(request), SimulatedFramebufferI2C::unsupported);
}

TEST(SimulatedDisplayRegistry, DescribesFramebuffersByUnitNumberAndCountsServicesOut) {
    Desk desk;
    SimulatedDisplayRegistry registry(
        {{.unitNumber = 5, .busCount = 2, .monitor = desk.first},
         {.unitNumber = 6, .transactionTypes = 0b0010, .publishesEDID = false, .monitor = desk.second}});
    EXPECT_FALSE(registry.serviceForUnitNumber(4));
    {
        const RegistryService first = registry.serviceForUnitNumber(5);
        const RegistryService second = registry.serviceForUnitNumber(6);
        EXPECT_EQ(registry.outstandingServices(), 2);
        EXPECT_EQ(registry.productNames(first),
                  DisplayProductNames(std::vector<LocalizedName>{{"en_US", "Left"}}));
        EXPECT_EQ(registry.productNames(second), DisplayProductNames());
        EXPECT_EQ(registry.edid(first), Bytes(desk.first->edid().begin(), desk.first->edid().end()));
        EXPECT_EQ(registry.edid(second), std::nullopt);
    }
    EXPECT_EQ(registry.outstandingServices(), 0);
    EXPECT_EQ(registry.framebufferI2CTransactionTypes(),
              (std::vector<std::uint64_t>{0b0110, 0b0110, 0b0010}));
}
