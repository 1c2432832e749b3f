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

TEST(SimulatedAVServiceBus, ListsItsServicesAndReachesTheirMonitors) {
    Desk desk;
    SimulatedAVServiceBus bus({{7, "IOService:/a/dispext1", desk.first}, {3, "IOService:/b/dcp", nullptr}});
    EXPECT_EQ(bus.services(),
              (std::vector<AVServiceEntry>{{7, "IOService:/a/dispext1"}, {3, "IOService:/b/dcp"}}));
    EXPECT_EQ(bus.openService(99), nullptr);

    const auto service = bus.openService(7);
    ASSERT_NE(service, nullptr);
    Bytes edid(128);
    EXPECT_EQ(service->readI2C(0x50, 0, edid), ioSuccess);
    EXPECT_EQ(edid, Bytes(desk.first->edid().begin(), desk.first->edid().end()));

    // The data address goes on the wire ahead of the packet.
    const Bytes setTo20{0x84, 0x03, 0x10, 0x00, 0x14, 0xB8 ^ 0x10 ^ 0x14};
    EXPECT_EQ(service->writeI2C(0x37, 0x51, setTo20), ioSuccess);
    EXPECT_EQ(desk.first->brightness(), 20);
    EXPECT_EQ(service->writeI2C(0x37, 0x50, setTo20), ioSuccess);  // not from the host: ignored
    EXPECT_EQ(desk.first->brightness(), 20);

    const auto unconnected = bus.openService(3);
    ASSERT_NE(unconnected, nullptr);
    EXPECT_EQ(unconnected->readI2C(0x50, 0, edid), SimulatedMonitor::notAcknowledged);
    EXPECT_EQ(unconnected->writeI2C(0x37, 0x51, setTo20), SimulatedMonitor::notAcknowledged);
}

TEST(SimulatedFramebufferI2C, CarriesRequestsOnTheMonitorsBusOnly) {
    Desk desk;
    SimulatedDisplayRegistry registry(
        {{.unitNumber = 2, .busCount = 3, .monitorBus = 2, .unopenableBuses = {1}, .monitor = desk.first}});
    SimulatedFramebufferI2C i2c(
        {{.unitNumber = 2, .busCount = 3, .monitorBus = 2, .unopenableBuses = {1}, .monitor = desk.first}},
        desk.sleeper);
    const RegistryService framebuffer = registry.serviceForUnitNumber(2);
    EXPECT_EQ(i2c.busCount(framebuffer).result, ioSuccess);
    EXPECT_EQ(i2c.busCount(framebuffer).count, 3U);
    EXPECT_NE(i2c.busCount(RegistryService()).result, ioSuccess);

    EXPECT_EQ(i2c.openBus(framebuffer, 1), nullptr);
    EXPECT_EQ(i2c.openBus(framebuffer, 3), nullptr);
    {
        const auto empty = i2c.openBus(framebuffer, 0);
        ASSERT_NE(empty, nullptr);
        EXPECT_EQ(i2c.openConnections(), 1);
        I2CRequest request = luminanceGet();
        EXPECT_EQ(empty->send(request), ioSuccess);
        EXPECT_EQ(request.result, SimulatedMonitor::notAcknowledged);
    }
    EXPECT_EQ(i2c.openConnections(), 0);
    EXPECT_EQ(desk.first->transferCount(), 0U);

    const auto bus = i2c.openBus(framebuffer, 2);
    ASSERT_NE(bus, nullptr);
    I2CRequest request = luminanceGet();
    EXPECT_EQ(bus->send(request), ioSuccess);
    EXPECT_EQ(request.result, ioSuccess);
    EXPECT_EQ(request.replyBuffer, (Bytes{0x6E, 0x88, 0x02, 0x00, 0x10, 0x00, 0x00, 0x64, 0x00, 0x32, 0xF2}));
    EXPECT_EQ(desk.sleeper.sleeps(), (std::vector<Duration>{10ms})) << "the reply delay is waited out";

    I2CRequest combined = luminanceGet();
    combined.sendTransactionType = static_cast<I2CTransactionType>(3);
    EXPECT_EQ(bus->send(combined), SimulatedFramebufferI2C::unsupported);
}

TEST(SimulatedDisplayRegistry, DescribesFramebuffersByUnitNumber) {
    Desk desk;
    SimulatedDisplayRegistry registry(
        {{.unitNumber = 5, .busCount = 2, .monitor = desk.first},
         {.unitNumber = 6, .transactionTypes = 0b0010, .publishesEDID = false, .monitor = desk.second}});
    EXPECT_FALSE(registry.serviceForUnitNumber(4));
    EXPECT_EQ(registry.outstandingServices(), 0);
    {
        const RegistryService first = registry.serviceForUnitNumber(5);
        const RegistryService second = registry.serviceForUnitNumber(6);
        ASSERT_TRUE(first);
        EXPECT_NE(first.entryID(), second.entryID());
        EXPECT_EQ(registry.outstandingServices(), 2);

        EXPECT_EQ(registry.productNames(first),
                  DisplayProductNames(std::vector<LocalizedName>{{"en_US", "Left"}}));
        EXPECT_EQ(registry.productNames(second), DisplayProductNames());
        const auto edid = registry.edid(first);
        ASSERT_TRUE(edid);
        EXPECT_EQ(*edid, Bytes(desk.first->edid().begin(), desk.first->edid().end()));
        EXPECT_EQ(registry.edid(second), std::nullopt);
    }
    EXPECT_EQ(registry.outstandingServices(), 0);
    EXPECT_EQ(registry.framebufferI2CTransactionTypes(),
              (std::vector<std::uint64_t>{0b0110, 0b0110, 0b0010}));
}
