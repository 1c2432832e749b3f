#include <gtest/gtest.h>

#include <thread>

#include "hardware/PrivateDisplayBridge.h"
#include "support/FakeAVService.h"
#include "support/FakeWindowServer.h"
#include "support/TestEDID.h"

using namespace lumadesk;

namespace {

constexpr std::uint32_t vendor = 4268;
constexpr std::uint32_t product = 41234;

struct BridgeHarness {
    FakeAVServiceBus bus;
    FakeWindowServer windowServer;
    PrivateDisplayBridge bridge{bus, windowServer};

    void addDisplay(DisplayID displayID, std::uint32_t unit, std::uint32_t serial = 0) {
        windowServer.addDisplay(
            {.displayID = displayID, .vendor = vendor, .model = product, .serial = serial, .unit = unit});
    }
    std::shared_ptr<FakeAVService> addService(std::uint32_t handle, std::string path,
                                              std::uint32_t serial = 0) {
        return bus.add(handle, std::move(path), TestEDID::block(vendor, product, serial));
    }
};

}  // namespace

TEST(PrivateDisplayBridge, PairsServicesWithDisplaysOfTheSameIdentity) {
    {  // One service and one display pair whatever the port name.
        BridgeHarness h;
        const auto service = h.addService(9, "IOService:/soc/dcp/av");
        h.addDisplay(2, 1);
        EXPECT_EQ(h.bridge.avService(2), service);
    }
    // Of identical monitors, the lowest unit gets the port that sorts last, in whichever order the
    // services and displays were collected: the pairing sorts, it does not take list order.
    for (const bool reversed : {false, true}) {
        BridgeHarness h;
        std::shared_ptr<FakeAVService> ports[2];
        for (const int port : reversed ? std::vector{1, 0} : std::vector{0, 1}) {
            ports[port] = h.addService(20 + static_cast<std::uint32_t>(port),
                                       "IOService:/soc/dispext" + std::to_string(port) + "@A9000000/av");
        }
        for (const DisplayID display : reversed ? std::vector<DisplayID>{8, 7} : std::vector<DisplayID>{7, 8})
            h.addDisplay(display, display == 7 ? 2 : 1);
        EXPECT_EQ(h.bridge.avService(8), ports[1]);
        EXPECT_EQ(h.bridge.avService(7), ports[0]);
    }
    {
        // A path without a dispext segment names its port after the handle.
        EXPECT_EQ(PrivateDisplayBridge::dcpPort({5, "IOService:/soc/dcp@A0000000/av"}), "dcp-5");
        // The port is the first "dispext" with something before the next colon, in paths of any length.
        EXPECT_EQ(PrivateDisplayBridge::dcpPort({7, std::string(30'000, 'x') + "/dispext4:b"}), "dispext4");
        EXPECT_EQ(PrivateDisplayBridge::dcpPort({7, "a/dispext:x/dispext:/dispext2"}), "dispext2");
        EXPECT_EQ(PrivateDisplayBridge::dcpPort({7, "a/dispext" + std::string(30'000, ':')}), "dcp-7");
        EXPECT_EQ(PrivateDisplayBridge::dcpPort({7, "/dispext" + std::string(30'000, 'y')}).size(), 30'007u);
    }
    {  // A single display takes the first service in collection order.
        BridgeHarness h;
        const auto first = h.addService(20, "IOService:/soc/dispext0/av");
        h.addService(21, "IOService:/soc/dispext1/av");
        h.addDisplay(7, 2);
        EXPECT_EQ(h.bridge.avService(7), first);
    }
    {  // Services that cannot be opened or read, or hold no EDID, are skipped.
        BridgeHarness h;
        h.bus.entries.push_back({30, "IOService:/soc/dispext9/av"});
        h.bus.add(31, "IOService:/soc/dispext8/av", TestEDID::block(vendor, product, 0), 1);
        auto notAnEDID = TestEDID::block(vendor, product, 0);
        notAnEDID[1] = 0x00;
        h.bus.add(32, "IOService:/soc/dispext7/av", notAnEDID);
        const auto good = h.addService(33, "IOService:/soc/dispext0/av");
        h.addDisplay(7, 1);
        h.addDisplay(8, 2);
        EXPECT_EQ(h.bridge.avService(7), good);
        EXPECT_EQ(h.bridge.avService(8), nullptr);
    }
    {  // Mirrored displays are matched, built-in panels never.
        BridgeHarness h;
        const auto mirror = h.addService(1, "a", 5);
        h.addService(2, "b", 6);
        h.windowServer.addDisplay({.displayID = 3,
                                   .mirrorsDisplay = 9,
                                   .vendor = vendor,
                                   .model = product,
                                   .serial = 5,
                                   .unit = 1});
        h.windowServer.addDisplay(
            {.displayID = 4, .isBuiltin = true, .vendor = vendor, .model = product, .serial = 6, .unit = 2});
        EXPECT_EQ(h.bridge.avService(3), mirror);
        EXPECT_EQ(h.bridge.avService(4), nullptr);
    }
}

TEST(PrivateDisplayBridge, CachesPairsAndRebuildsOnAMissOrAfterAReset) {
    BridgeHarness h;
    const auto service = h.addService(9, "p", 77);
    h.addDisplay(2, 1, 77);
    h.addDisplay(3, 2, 78);  // no service matches
    EXPECT_EQ(h.bridge.avService(2), service);
    EXPECT_EQ(h.bridge.avService(2), service);
    EXPECT_EQ(h.bus.openCount[9], 1) << "the second lookup was answered from the cache";

    // The matching saw display 3 and found nothing for it: asking again does not match again.
    EXPECT_EQ(h.bridge.avService(3), nullptr);
    EXPECT_EQ(h.bus.openCount[9], 1);
    // A display that came online since the matching is a miss: the whole map is rebuilt once.
    h.addDisplay(5, 3, 79);
    EXPECT_EQ(h.bridge.avService(5), nullptr);
    EXPECT_EQ(h.bridge.avService(5), nullptr);
    EXPECT_EQ(h.bus.openCount[9], 2);
    EXPECT_EQ(h.bridge.cachedDisplayIDs(), (std::vector<DisplayID>{2}));

    // A reset empties the cache; the next lookup matches afresh.
    h.bridge.resetServiceCache();
    EXPECT_TRUE(h.bridge.cachedDisplayIDs().empty());
    EXPECT_EQ(h.bridge.avService(2), service);
    EXPECT_EQ(h.bus.openCount[9], 3);
}

TEST(PrivateDisplayBridge, LookupsFromSeveralThreadsAlwaysSeeAWholeMap) {
    BridgeHarness h;
    for (std::uint32_t i = 0; i < 4; ++i) {
        h.addService(10 + i, "IOService:/dispext" + std::to_string(i), 100 + i);
        h.addDisplay(20 + i, i, 100 + i);
    }
    std::atomic<int> misses{0};
    {
        std::vector<std::jthread> threads;
        for (int t = 0; t < 4; ++t) {
            threads.emplace_back([&, t] {
                for (int round = 0; round < 200; ++round) {
                    if (t == 0 && round % 5 == 0) h.bridge.resetServiceCache();
                    if (!h.bridge.avService(20 + static_cast<DisplayID>((t + round) % 4))) ++misses;
                }
            });
        }
    }
    EXPECT_EQ(misses, 0);
}

TEST(PrivateDisplayBridge, IdenticalMonitorsKeepTheirPortsWhileOneOfThemIsOffTheDesktop) {
    BridgeHarness h;
    std::shared_ptr<FakeAVService> ports[2];
    for (const int port : {0, 1}) {
        ports[port] = h.addService(20 + static_cast<std::uint32_t>(port),
                                   "IOService:/soc/dispext" + std::to_string(port) + "@A9000000/av");
    }
    h.addDisplay(7, 2);
    h.addDisplay(8, 1);
    EXPECT_EQ(h.bridge.avService(8), ports[1]);
    EXPECT_EQ(h.bridge.avService(7), ports[0]);

    // Display 8 is taken off the desktop: its monitor and service stay. Display 7 must keep port 0, not
    // take the first service in collection order, which drives the monitor that is off.
    h.windowServer.removeDisplay(8);
    h.bridge.resetServiceCache();
    EXPECT_EQ(h.bridge.avService(7), ports[0]);
    EXPECT_EQ(h.bridge.avService(8), nullptr);

    // Both back: the ordering rule again. The other twin off instead: display 8 keeps port 1.
    h.addDisplay(8, 1);
    h.bridge.resetServiceCache();
    EXPECT_EQ(h.bridge.avService(8), ports[1]);
    h.windowServer.removeDisplay(7);
    h.bridge.resetServiceCache();
    EXPECT_EQ(h.bridge.avService(8), ports[1]);

    // Display 8 unplugged (its service gone with it) and plugged back while display 7 is off the
    // desktop: it takes its own port again, not the first in collection order.
    const auto unplugged = h.bus.entries[1];
    h.bus.entries.erase(h.bus.entries.begin() + 1);
    h.windowServer.removeDisplay(8);
    h.bridge.resetServiceCache();
    EXPECT_EQ(h.bridge.avService(8), nullptr);
    h.bus.entries.push_back(unplugged);
    h.addDisplay(8, 1);
    h.bridge.resetServiceCache();
    EXPECT_EQ(h.bridge.avService(8), ports[1]);

    // A third identical monitor plugged in meanwhile takes its own port, not that of display 7, which
    // is still off the desktop.
    const auto third = h.addService(22, "IOService:/soc/dispext2@AB000000/av");
    h.addDisplay(9, 3);
    h.bridge.resetServiceCache();
    EXPECT_EQ(h.bridge.avService(9), third);
    EXPECT_EQ(h.bridge.avService(8), ports[1]);
}
