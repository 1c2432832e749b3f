#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <functional>
#include <regex>
#include <thread>

#include "hardware/Arm64DDC.h"
#include "hardware/DisplayHardwareError.h"
#include "hardware/IntelDDC.h"
#include "hardware/PrivateDisplayBridge.h"
#include "hardware/PrivateDisplayConnectionController.h"
#include "hardware/ReplyTransactionTypeProbe.h"
#include "hardware/SystemDisplayConfigurationBridge.h"
#include "hardware/SystemDisplaySnapshotProvider.h"
#include "platform/linux/KernelDriverAtAddress.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/UdevMonitor.h"
#include "platform_linux_configuration/FakeOutputBackend.h"
#include "runtime/ManualMainQueue.h"
#include "runtime/VirtualSleeper.h"
#include "support/FakeLinuxDesk.h"

using namespace lumadesk;
using namespace std::chrono_literals;

namespace {

struct LinuxHarness {
    FakeLinuxDesk desk;
    VirtualSleeper sleeper{desk.clock};
    std::vector<std::string> reported;
    LinuxPlatform platform{desk.system, sleeper,
                           [this](const std::string& problem) { reported.push_back(problem); }};

    std::optional<unsigned> busOf(DisplayID displayID) {
        LinuxDisplayDirectory directory(desk.system, device, problems);
        for (const auto& display : directory.rescan())
            if (display.connector.connectorID == displayID) return display.ddcBus;
        return std::nullopt;
    }
    bool openedAnyForbiddenNode() const {
        const auto opened = desk.system.opened();
        return std::any_of(opened.begin(), opened.end(), [&](const auto& path) {
            const auto forbidden = desk.forbiddenNodes();
            return std::find(forbidden.begin(), forbidden.end(), path) != forbidden.end();
        });
    }

    DDCProblems problems{nullptr};
    I2CDevice device{desk.system, sleeper, problems};
};

// A platform whose session service is a fake the test reads and sets.
struct SessionHarness {
    FakeLinuxDesk desk;
    VirtualSleeper sleeper{desk.clock};
    std::unique_ptr<FakeOutputBackend> backend = std::make_unique<FakeOutputBackend>();
    FakeOutputBackend& session = *backend;
    LinuxPlatform platform{desk.system, sleeper, nullptr, std::move(backend)};
};

}  // namespace

TEST(LinuxPlatform, ListsConnectedEnabledConnectorsWithTheirIdentityAndFindsOnlyDisplayBuses) {
    LinuxHarness linux;
    WindowServer& windowServer = linux.platform.windowServer();
    // card, then connector id: eDP-1 95, DP-1 103 | DP-3 91, HDMI-A-1 88 sorted 88, 91 | DP-4 300.
    EXPECT_EQ(windowServer.onlineDisplayIDs().displayIDs, (std::vector<DisplayID>{95, 103, 88, 91, 300}));
    EXPECT_TRUE(windowServer.isBuiltin(95));
    EXPECT_FALSE(windowServer.isBuiltin(103));
    EXPECT_EQ(windowServer.vendorNumber(103), 0x10ACU);
    EXPECT_EQ(windowServer.modelNumber(103), 41234U);
    EXPECT_EQ(windowServer.serialNumber(103), 12345U);
    EXPECT_EQ(windowServer.mirrorsDisplay(103), 0U);
    // Units count every connector, connected or not: 95, 103, 110 | 88, 90, 91 | 300.
    EXPECT_EQ(windowServer.unitNumber(95), 1U);
    EXPECT_EQ(windowServer.unitNumber(103), 2U);
    EXPECT_EQ(windowServer.unitNumber(88), 4U);
    EXPECT_EQ(windowServer.unitNumber(300), 7U);
    EXPECT_EQ(windowServer.unitNumber(4242), 0U);

    EXPECT_EQ(linux.busOf(95), std::nullopt) << "a built-in panel's bus is never used";
    EXPECT_EQ(linux.busOf(103), 5U) << "i915 DP: the AUX adapter beneath the connector";
    EXPECT_EQ(linux.busOf(88), 7U) << "amdgpu HDMI: the ddc link";
    EXPECT_EQ(linux.busOf(91), std::nullopt) << "an MST branch without its own bus is not guessed";
    EXPECT_EQ(linux.busOf(300), 11U) << "no links: the display bus whose EDID matches";
    EXPECT_FALSE(linux.openedAnyForbiddenNode());

    DisplayRegistry& registry = linux.platform.displayRegistry();
    const RegistryService serviceA = registry.serviceForUnitNumber(2);
    ASSERT_TRUE(serviceA);
    EXPECT_EQ(preferredProductName(registry.productNames(serviceA)), "DELL U2720Q");
    EXPECT_EQ(registry.edid(serviceA), FakeLinuxDesk::edidOf(*linux.desk.monitorA));
    EXPECT_FALSE(registry.serviceForUnitNumber(3)) << "DP-2 is disconnected";
    EXPECT_EQ(registry.framebufferI2CTransactionTypes(), (std::vector<std::uint64_t>{2, 2, 2}));

    const auto services = linux.platform.avServiceBus().services();
    ASSERT_EQ(services.size(), 3U);
    EXPECT_EQ(services[0].handleNumber, 5U);
    EXPECT_EQ(linux.platform.avServiceBus().openService(8), nullptr) << "only a connector's DDC bus opens";
    // A linked bus serves the kernel's copy of its EEPROM; a bus found by EDID is read.
    linux.desk.system.bus(5).transferError = EIO;
    linux.desk.system.bus(11).transferError = EIO;
    std::vector<std::uint8_t> edid(128);
    EXPECT_EQ(linux.platform.avServiceBus().openService(5)->readI2C(0x50, 0, edid), ioSuccess);
    EXPECT_EQ(edid, FakeLinuxDesk::edidOf(*linux.desk.monitorA));
    EXPECT_EQ(linux.platform.avServiceBus().openService(11)->readI2C(0x50, 0, edid), EIO);
    EXPECT_EQ(linux.platform.avServiceBus().openService(0), nullptr);
    EXPECT_TRUE(linux.reported.empty());
}

TEST(LinuxPlatform, OnlyTheBusesOfDisplayAdaptersQualify) {
    struct Case {
        std::string name;
        std::string deviceClass;
        std::string driver;
        bool qualifies;
    };
    const std::vector<Case> cases{
        {"AUX B/DDI B/PHY B", "0x030000", "i915", true},
        {"AMDGPU DM i2c hw bus 0", "0x030000", "amdgpu", true},
        {"NVIDIA i2c adapter 1 at 1:00.0", "0x030200", "nvidia", true},
        {"dock bus", "0x0a0000", "dock", true},
        {"nvkm-0000:01:00.0-bus-0005", "0x030000", "nouveau", true},
        {"nvkm-0000:01:00.0-aux-0006", "0x030000", "nouveau", true},
        {"NVIDIA i2c adapter", "0x030000", "nouveau", false},
        {"SMBus I801 adapter at efa0", "0x030000", "i915", false},
        {"Synopsys DesignWare I2C adapter", "0x030000", "i915", false},
        {"soc:i2cdsi", "0x030000", "vc4", false},
        {"smu", "0x030000", "x", false},
        {"mac-io", "0x030000", "x", false},
        {"u4", "0x030000", "x", false},
        {"AMDGPU SMU 0", "0x030000", "amdgpu", false},
        {"AMDGPU DM i2c OEM bus", "0x030000", "amdgpu", false},
        {"ELAN touchpad bus", "0x0c8000", "intel-lpss", false},
        {"i915 gmbus dpb", "0x03", "i915", false},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name + " " + testCase.deviceClass + " " + testCase.driver);
        FakeLinuxSystem system;
        system.addAdapter(system.addPciDevice("0000:01:00.0", testCase.deviceClass, testCase.driver), 3,
                          testCase.name);
        EXPECT_EQ(DisplayAdapterPolicy(system).isDisplayBus(3), testCase.qualifies);
    }
    FakeLinuxSystem orphan;
    orphan.addAdapter(orphan.sys() / "devices/virtual", 4, "AUX X");
    EXPECT_FALSE(DisplayAdapterPolicy(orphan).isDisplayBus(4)) << "no PCI device: not a display adapter";
    EXPECT_FALSE(DisplayAdapterPolicy(orphan).isDisplayBus(5)) << "no such adapter";
}

TEST(LinuxPlatform, IdenticalMonitorsArePairedWithTheirOwnPorts) {
    FakeLinuxSystem system;
    VirtualClock clock;
    VirtualSleeper sleeper(clock);
    const SimulatedMonitorConfig twin{.vendor = 0x10AC, .product = 41234, .serial = 0};
    auto left = std::make_shared<SimulatedMonitor>(clock, twin);
    auto right = std::make_shared<SimulatedMonitor>(clock, twin);
    const auto gpu = system.addPciDevice("0000:00:02.0", "0x030000", "i915");
    system
        .addAdapter(system.addConnector(gpu, 0, "DP-1", 200, true, FakeLinuxDesk::edidOf(*left)), 5, "AUX B")
        .monitor = left;
    system
        .addAdapter(system.addConnector(gpu, 0, "DP-2", 100, true, FakeLinuxDesk::edidOf(*right)), 6, "AUX C")
        .monitor = right;
    LinuxPlatform platform(system, sleeper, nullptr);
    PrivateDisplayBridge bridge(platform.avServiceBus(), platform.windowServer());
    Arm64DDC transport(platform.windowServer(), bridge, sleeper);

    platform.windowServer().onlineDisplayIDs();
    transport.writeVCP(0x10, 70, 100);  // DP-2, the lower connector id, unit 1
    transport.writeVCP(0x10, 30, 200);
    EXPECT_EQ(right->brightness(), 70);
    EXPECT_EQ(left->brightness(), 30);
}

namespace {

// Two cards: card0 (i915) links DP-1 to its AUX bus i2c-4; card1 (a proprietary driver) links none and
// drives three identical monitors on DP-1..3 (connector ids 50..52), whose buses (i2c-9, i2c-10 and
// i2c-11 unless told otherwise, made in the order given) are told apart by nothing but their numbers.
struct BusTree {
    VirtualClock clock;
    VirtualSleeper sleeper{clock};
    FakeLinuxSystem system;
    std::filesystem::path intel = system.addPciDevice("0000:00:02.0", "0x030000", "i915");
    std::filesystem::path nvidia = system.addPciDevice("0000:05:00.0", "0x030000", "nvidia");
    std::filesystem::path dp1;

    explicit BusTree(const std::vector<unsigned>& twinBuses) {
        const auto monitorA = monitor({.vendor = 0x10AC, .product = 1, .serial = 1});
        dp1 = system.addConnector(intel, 0, "DP-1", 40, true, FakeLinuxDesk::edidOf(*monitorA));
        system.addAdapter(dp1, 4, "AUX B/DDI B/PHY B").monitor = monitorA;
        const SimulatedMonitorConfig twin{.vendor = 0x4C2D, .product = 3333, .serial = 0};
        for (unsigned place = 0; place < 3; ++place) {
            system.addConnector(nvidia, 1, "DP-" + std::to_string(place + 1), 50 + place, true,
                                FakeLinuxDesk::edidOf(*monitor(twin)));
        }
        for (const unsigned bus : twinBuses)
            system.addAdapter(nvidia, bus, "NVIDIA i2c adapter " + std::to_string(bus)).monitor =
                monitor(twin);
    }

    std::shared_ptr<SimulatedMonitor> monitor(SimulatedMonitorConfig config) {
        return std::make_shared<SimulatedMonitor>(clock, std::move(config));
    }
    // "connector id bus" for each connector, "-" for no bus.
    std::vector<std::string> buses() {
        DDCProblems problems{nullptr};
        I2CDevice device{system, sleeper, problems};
        std::vector<std::string> found;
        for (const auto& display : LinuxDisplayDirectory(system, device, problems).rescan()) {
            found.push_back(display.connector.name + " " + std::to_string(display.connector.connectorID) +
                            " " + (display.ddcBus ? std::to_string(*display.ddcBus) : "-"));
        }
        return found;
    }
};

}  // namespace

// Which bus each connector is given, on one tree changed in one place at a time: only a display
// adapter's bus, each bus to one connector, identical monitors in ascending bus order, and names and
// numbers that are not quite what they seem taken for nothing.
TEST(LinuxPlatform, EachConnectorIsGivenOnlyItsOwnDisplayBus) {
    struct Case {
        const char* name;
        std::function<void(BusTree&)> change;
        std::vector<std::string> expected;
        std::vector<unsigned> twinBuses{9, 10, 11};
    };
    const std::vector<Case> cases{
        {"as built",
         [](BusTree&) {},
         {"card0-DP-1 40 4", "card1-DP-1 50 9", "card1-DP-2 51 10", "card1-DP-3 52 11"}},
        {"a connector id with trailing junk",
         [](BusTree& tree) { FakeLinuxSystem::write(tree.dp1 / "connector_id", "40abc\n"); },
         {"card0-DP-1 2147483648 4", "card1-DP-1 50 9", "card1-DP-2 51 10", "card1-DP-3 52 11"}},
        {"a child named like an adapter but not one",
         [](BusTree& tree) { std::filesystem::rename(tree.dp1 / "i2c-4", tree.dp1 / "i2c-4x"); },
         {"card0-DP-1 40 -", "card1-DP-1 50 9", "card1-DP-2 51 10", "card1-DP-3 52 11"}},
        {"a linked adapter with a non-display name",
         [](BusTree& tree) {
             FakeLinuxSystem::write(tree.dp1 / "i2c-4/name", "SMBus I801 adapter at efa0\n");
         },
         {"card0-DP-1 40 -", "card1-DP-1 50 9", "card1-DP-2 51 10", "card1-DP-3 52 11"}},
        {"a linked adapter of a non-display PCI device",
         [](BusTree& tree) {
             const auto chipset = tree.system.addPciDevice("0000:00:1f.4", "0x0c0500", "i801_smbus");
             tree.system.addAdapter(chipset, 2, "i2c adapter");
             const auto hdmi = tree.system.addConnector(tree.intel, 0, "HDMI-A-1", 41, true);
             tree.system.linkDDC(hdmi, chipset / "i2c-2");
         },
         {"card0-DP-1 40 4", "card0-HDMI-A-1 41 -", "card1-DP-1 50 9", "card1-DP-2 51 10",
          "card1-DP-3 52 11"}},
        {"a twin's bus that does not answer",
         [](BusTree& tree) { tree.system.bus(10).transferError = ENXIO; },
         {"card0-DP-1 40 4", "card1-DP-1 50 9", "card1-DP-2 51 11", "card1-DP-3 52 -"}},
        // Whatever order the directory lists them in (file systems differ): i2c-2 before i2c-12.
        {"twins on buses made from the highest number down",
         [](BusTree&) {},
         {"card0-DP-1 40 4", "card1-DP-1 50 2", "card1-DP-2 51 12", "card1-DP-3 52 20"},
         {20, 12, 2}},
        {"twins on buses of one, two and three digits",
         [](BusTree&) {},
         {"card0-DP-1 40 4", "card1-DP-1 50 1", "card1-DP-2 51 10", "card1-DP-3 52 100"},
         {1, 10, 100}},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        BusTree tree(testCase.twinBuses);
        testCase.change(tree);
        EXPECT_EQ(tree.buses(), testCase.expected);
    }
}

TEST(LinuxPlatform, BothTransportsReachTheMonitorsByteExactUnderTheLockAndCloseEveryBus) {
    LinuxHarness linux;
    Platform& platform = linux.platform;
    platform.windowServer().onlineDisplayIDs();
    PrivateDisplayBridge bridge(platform.avServiceBus(), platform.windowServer());
    Arm64DDC arm64(platform.windowServer(), bridge, linux.sleeper);
    ReplyTransactionTypeProbe probe(platform.displayRegistry());
    IntelDDC intel(platform.windowServer(), platform.displayRegistry(), platform.framebufferI2C(), probe);

    for (DisplayDDCTransporting* transport : std::vector<DisplayDDCTransporting*>{&arm64, &intel}) {
        EXPECT_EQ(transport->readVCP(0x10, 103), 50);
        transport->writeVCP(0x10, 61, 88);
        EXPECT_EQ(linux.desk.monitorB->brightness(), 61);
        EXPECT_EQ(transport->readVCP(0x10, 300), 50) << "the proprietary driver's bus, found by EDID";
        EXPECT_TRUE(transport->supportsDDC(103));
        EXPECT_FALSE(transport->supportsDDC(95));
        EXPECT_FALSE(transport->supportsDDC(91));
        EXPECT_THROW(transport->readVCP(0x10, 91), DisplayHardwareError);
    }
    EXPECT_EQ(linux.desk.system.unlockedTransfers(), 0);
    EXPECT_EQ(linux.desk.system.openDescriptors(), 0U);
    EXPECT_FALSE(linux.openedAnyForbiddenNode());
    EXPECT_EQ(linux.desk.panel->transferCount(), 0U);
}

TEST(LinuxPlatform, EveryFaultOfABusHasADefinedResultAndTheFixIsTold) {
    struct Case {
        const char* name;
        std::function<void(FakeLinuxDesk&)> arrange;
        Duration waitBeforeRead;
        IOResult expected;
        std::string told;
    };
    const std::filesystem::path node = "/dev/i2c-5";
    const std::vector<Case> cases{
        {"answers", [](FakeLinuxDesk&) {}, 50ms, ioSuccess, ""},
        {"vanished", [](FakeLinuxDesk& d) { d.system.bus(5).transferError = ENXIO; }, 50ms, ENXIO, ""},
        {"unplugged", [](FakeLinuxDesk& d) { d.system.bus(5).transferError = ENODEV; }, 50ms, ENODEV, ""},
        {"NAK", [](FakeLinuxDesk& d) { d.system.bus(5).transferError = EREMOTEIO; }, 50ms, EREMOTEIO, ""},
        {"0-byte read", [](FakeLinuxDesk& d) { d.system.bus(5).readLimit = 0; }, 50ms, EIO, ""},
        {"short read", [](FakeLinuxDesk& d) { d.system.bus(5).readLimit = 6; }, 50ms, EIO, ""},
        {"short write", [](FakeLinuxDesk& d) { d.system.bus(5).writeLimit = 3; }, 50ms, EIO, ""},
        {"no permission", [](FakeLinuxDesk& d) { d.system.bus(5).openError = EACCES; }, 50ms, EACCES,
         DDCProblems::permissionDenied(node)},
        {"locked by another program", [](FakeLinuxDesk& d) { d.system.bus(5).lockedElsewhere = true; }, 50ms,
         EBUSY, DDCProblems::lockedByAnotherProgram(node)},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        LinuxHarness linux;
        linux.platform.windowServer().onlineDisplayIDs();
        testCase.arrange(linux.desk);
        const auto service = linux.platform.avServiceBus().openService(5);
        ASSERT_NE(service, nullptr);
        const std::array<std::uint8_t, 4> getLuminance{0x82, 0x01, 0x10, 0xAC};
        std::array<std::uint8_t, 11> reply{};
        IOResult result = service->writeI2C(0x37, 0x51, getLuminance);
        linux.sleeper.sleep(testCase.waitBeforeRead);
        if (result == ioSuccess) result = service->readI2C(0x37, 0, reply);
        EXPECT_EQ(result, testCase.expected);
        if (result == ioSuccess) {
            EXPECT_EQ(reply[9], 50);
        }
        std::vector<std::string> told = linux.reported;
        for (auto& message : told) message = std::regex_replace(message, std::regex("/\\S*/dev/"), "/dev/");
        EXPECT_EQ(told, testCase.told.empty() ? std::vector<std::string>{}
                                              : std::vector<std::string>{testCase.told});
        EXPECT_EQ(linux.desk.system.openDescriptors(), 0U);
    }

    // Read before the monitor is ready: its null message comes back as it was sent, for the transport to
    // refuse, and the monitor counts as answering.
    LinuxHarness early;
    early.platform.windowServer().onlineDisplayIDs();
    const auto service = early.platform.avServiceBus().openService(5);
    const std::array<std::uint8_t, 4> getLuminance{0x82, 0x01, 0x10, 0xAC};
    std::array<std::uint8_t, 11> nullReply{};
    ASSERT_EQ(service->writeI2C(0x37, 0x51, getLuminance), ioSuccess);
    early.sleeper.sleep(10ms);
    EXPECT_EQ(service->readI2C(0x37, 0, nullReply), ioSuccess);
    EXPECT_EQ((std::array<std::uint8_t, 4>{nullReply[0], nullReply[1], nullReply[2], nullReply[3]}),
              (std::array<std::uint8_t, 4>{0x6E, 0x80, 0xBE, 0xFF}));
    EXPECT_TRUE(early.platform.problems().empty());

    // The wait before the read follows a request; a read on its own (the reply to an earlier write)
    // reads at once.
    LinuxHarness paced;
    const std::array<std::uint8_t, 5> request{0x51, 0x82, 0x01, 0x10, 0xAC};
    std::array<std::uint8_t, 11> answer{};
    EXPECT_EQ(paced.device.transfer(5, 0x37, request, 50ms, answer), ioSuccess);
    EXPECT_EQ(paced.sleeper.total(), 50ms);
    EXPECT_EQ(paced.device.transfer(5, 0x37, {}, 50ms, answer), ioSuccess);
    EXPECT_EQ(paced.device.transfer(5, 0x37, request, 50ms, {}), ioSuccess);
    EXPECT_EQ(paced.sleeper.total(), 50ms);

    LinuxHarness locked;
    locked.desk.system.bus(5).lockedElsewhere = true;
    std::array<std::uint8_t, 11> reply{};
    EXPECT_EQ(locked.device.transfer(5, 0x37, {}, 0ms, reply), EBUSY);
    EXPECT_GE(locked.sleeper.total(), I2CDevice::lockPatience) << "gives up after a second, not before";
    EXPECT_LE(locked.sleeper.total(), I2CDevice::lockPatience + I2CDevice::lockRetryInterval);
}

TEST(LinuxPlatform, AMonitorThatNeverAnswersDDCIsToldAfterAWholeTransaction) {
    // A monitor whose EDID came over the same bus has DDC/CI switched off; one without a readable EDID
    // may have no DDC/CI at all.
    for (const bool edidReadsFine : {true, false}) {
        SCOPED_TRACE(edidReadsFine);
        LinuxHarness linux;
        if (!edidReadsFine) FakeLinuxSystem::write(linux.desk.system.sys() / "class/drm/card0-DP-1/edid", "");
        linux.platform.windowServer().onlineDisplayIDs();
        SimulatedMonitorConfig switchedOff = linux.desk.monitorA->config();
        switchedOff.answersDDC = false;
        linux.desk.system.bus(5).monitor = std::make_shared<SimulatedMonitor>(linux.desk.clock, switchedOff);
        const auto service = linux.platform.avServiceBus().openService(5);
        const std::array<std::uint8_t, 4> getLuminance{0x82, 0x01, 0x10, 0xAC};
        for (int attempt = 1; attempt < LinuxDDCBuses::refusalsBeforeReport; ++attempt)
            EXPECT_EQ(service->writeI2C(0x37, 0x51, getLuminance), ENXIO);
        EXPECT_TRUE(linux.reported.empty()) << "not before a whole transaction";
        EXPECT_EQ(service->writeI2C(0x37, 0x51, getLuminance), ENXIO);
        const auto node = linux.desk.system.dev() / "i2c-5";
        EXPECT_EQ(linux.reported, (std::vector<std::string>{edidReadsFine ? DDCProblems::ddcSwitchedOff(node)
                                                                          : DDCProblems::noAnswer(node)}));
        EXPECT_EQ(linux.platform.problems(), linux.reported);
    }
    EXPECT_EQ(
        DDCProblems::ddcSwitchedOff("/dev/i2c-5"),
        "The monitor on /dev/i2c-5 acknowledges nothing at the DDC/CI address 0x37 although its EDID reads "
        "fine: DDC/CI may be switched off in the monitor's own menu. Switch it on there.");
}

// Another program that locks the node as Lumadesk does (flock on /dev/i2c-N) and, whenever it gets the
// lock, reads whatever reply the monitor holds: it must never come between a request and its reply.
TEST(LinuxPlatform, ARequestAndItsReplyAreOneExchangeUnderOneLock) {
    LinuxHarness linux;
    linux.platform.windowServer().onlineDisplayIDs();
    PrivateDisplayBridge bridge(linux.platform.avServiceBus(), linux.platform.windowServer());
    Arm64DDC arm64(linux.platform.windowServer(), bridge, linux.sleeper);
    ReplyTransactionTypeProbe probe(linux.platform.displayRegistry());
    IntelDDC intel(linux.platform.windowServer(), linux.platform.displayRegistry(),
                   linux.platform.framebufferI2C(), probe);
    const auto node = linux.desk.system.dev() / "i2c-5";
    int refused = 0;
    int stolen = 0;
    linux.desk.system.bus(5).afterWrite = [&] {
        const int other = ::open(node.c_str(), O_RDWR | O_CLOEXEC);
        ASSERT_GE(other, 0);
        if (::flock(other, LOCK_EX | LOCK_NB) == 0) {
            std::array<std::uint8_t, 11> reply{};
            linux.desk.clock.advance(200ms);  // the other program waits for the reply as long as it likes
            linux.desk.monitorA->read(0x37, 0, reply);
            ++stolen;
        } else {
            EXPECT_EQ(errno, EWOULDBLOCK);
            ++refused;
        }
        ::close(other);
    };
    for (DisplayDDCTransporting* transport : std::vector<DisplayDDCTransporting*>{&arm64, &intel}) {
        EXPECT_EQ(transport->readVCP(0x10, 103), 50);
    }
    EXPECT_EQ(stolen, 0);
    EXPECT_EQ(refused, 2);

    // Between exchanges the node is free: another program that holds it is waited for.
    linux.desk.system.bus(5).afterWrite = nullptr;
    const int other = ::open(node.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    std::array<std::uint8_t, 11> reply{};
    std::thread release([&] {
        std::this_thread::sleep_for(20ms);
        ::close(other);
    });
    // The wait is in virtual time, so the retries come at once: give the other program the real time.
    IOResult result = EBUSY;
    for (int tries = 0; tries < 500 && result == EBUSY; ++tries) {
        result = linux.device.transfer(5, 0x37, {}, 0ms, reply);
        if (result == EBUSY) std::this_thread::sleep_for(5ms);
    }
    release.join();
    EXPECT_EQ(result, ioSuccess);
    EXPECT_EQ(linux.desk.system.openDescriptors(), 0U);
}

// A lock held for ever, a bus that goes away between request and reply, a kernel driver on 0x37: each
// ends the read with a failure in bounded time, never with a level.
TEST(LinuxPlatform, FaultsBetweenARequestAndItsReplyEndInAFailureNeverAHang) {
    struct Case {
        const char* name;
        std::function<void(LinuxHarness&)> arrange;
        Duration atMost;  // of virtual time for the whole read
    };
    const std::vector<Case> cases{
        {"lock held for ever", [](LinuxHarness& l) { l.desk.system.bus(5).lockedElsewhere = true; },
         I2CDevice::lockPatience + 500ms},
        {"node removed after the request",
         [](LinuxHarness& l) {
             auto& bus = l.desk.system.bus(5);
             bus.afterWrite = [&bus, &l] {
                 bus.transferError = ENODEV;
                 bus.openError = ENOENT;
                 std::filesystem::remove(l.desk.system.dev() / "i2c-5");
             };
         },
         500ms},
        {"monitor falls asleep after the request",
         [](LinuxHarness& l) {
             auto& bus = l.desk.system.bus(5);
             bus.afterWrite = [&bus] { bus.monitor->nakNextTransfers(1000); };
         },
         1500ms},
        {"kernel driver at 0x37", [](LinuxHarness& l) { l.desk.system.bus(5).selectError = EBUSY; }, 500ms},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        LinuxHarness linux;
        linux.platform.windowServer().onlineDisplayIDs();
        PrivateDisplayBridge bridge(linux.platform.avServiceBus(), linux.platform.windowServer());
        Arm64DDC transport(linux.platform.windowServer(), bridge, linux.sleeper);
        testCase.arrange(linux);
        const auto start = linux.desk.clock.monotonicNow();
        EXPECT_THROW(transport.readVCP(0x10, 103), DisplayHardwareError);
        EXPECT_LE(linux.desk.clock.monotonicNow() - start, testCase.atMost);
        EXPECT_EQ(linux.desk.system.openDescriptors(), 0U);
        EXPECT_EQ(linux.reported.size(), 1U) << "the lock, the missing node, the silent monitor, the driver";
    }
}

TEST(LinuxPlatform, AKernelDriverHoldingTheMonitorIsNamedWithHowToReleaseItAndItsBacklight) {
    LinuxHarness linux;
    linux.platform.windowServer().onlineDisplayIDs();
    const auto sys = linux.desk.system.sys();
    const auto node = linux.desk.system.dev() / "i2c-5";
    // As the driver's module leaves it: the I2C client 5-0037 bound to the driver, the module it comes
    // from, and the backlight it registered beneath its own device.
    const auto client = sys / "devices/pci0000:00/0000:00:02.0/drm/card0/card0-DP-1/i2c-5/5-0037";
    FakeLinuxSystem::write(client / "name", "ddc-panel\n");
    FakeLinuxSystem::write(sys / "bus/i2c/drivers/ddc-panel/bind", "");
    FakeLinuxSystem::write(sys / "module/ddc_panel/refcnt", "0\n");
    std::filesystem::create_directory_symlink(sys / "bus/i2c/drivers/ddc-panel", client / "driver");
    std::filesystem::create_directory_symlink(sys / "module/ddc_panel",
                                              sys / "bus/i2c/drivers/ddc-panel/module");
    std::filesystem::create_directory_symlink(client, sys / "bus/i2c/devices/5-0037");
    std::filesystem::create_directories(client / "ddcpanel5/backlight/ddcpanel5");
    std::filesystem::create_directory_symlink(sys / "bus/i2c/drivers/ddc-panel", client / "subsystem");

    const auto driver = KernelDriverAtAddress::find(sys, 5, 0x37);
    EXPECT_EQ(driver.name, "ddc_panel");
    EXPECT_EQ(driver.backlights, (std::vector<std::string>{"ddcpanel5"}));
    EXPECT_TRUE(KernelDriverAtAddress::find(sys, 7, 0x37).name.empty());

    linux.desk.system.bus(5).selectError = EBUSY;
    std::array<std::uint8_t, 11> reply{};
    const auto service = linux.platform.avServiceBus().openService(5);
    EXPECT_EQ(service->readI2C(0x37, 0, reply), EBUSY);
    EXPECT_EQ(service->readI2C(0x37, 0, reply), EBUSY);
    ASSERT_EQ(linux.reported.size(), 1U) << "told once";
    EXPECT_EQ(linux.reported[0], DDCProblems::heldByKernelDriver(node, driver));
    EXPECT_EQ(
        DDCProblems::heldByKernelDriver("/dev/i2c-5", driver),
        "The monitor on /dev/i2c-5 is held by a kernel driver (the module ddc_panel) bound at address 0x37, "
        "so Lumadesk cannot reach it over DDC/CI. Release the monitor with \"sudo modprobe -r ddc_panel\" or "
        "\"echo 5-0037 | sudo tee /sys/bus/i2c/devices/5-0037/driver/unbind\". Meanwhile its brightness can "
        "be set through /sys/class/backlight/ddcpanel5, which that driver made.");
    EXPECT_EQ(
        DDCProblems::heldByKernelDriver("/dev/i2c-7", {}),
        "The monitor on /dev/i2c-7 is held by a kernel driver bound at address 0x37, so Lumadesk cannot "
        "reach "
        "it over DDC/CI. See which one with \"ls -l /sys/bus/i2c/devices/7-0037/driver\", then release the "
        "monitor with \"echo 7-0037 | sudo tee /sys/bus/i2c/devices/7-0037/driver/unbind\".");
}

// Monitors that need 40 to 150 ms before their reply: the first read already gives the right level, and
// from the second on a read takes the monitor's own need plus the 10 ms before the request.
TEST(LinuxPlatform, SlowMonitorsAreReadAtTheirOwnPace) {
    for (const auto need : {40ms, 60ms, 90ms, 150ms}) {
        SCOPED_TRACE(need.count());
        LinuxHarness linux;
        linux.platform.windowServer().onlineDisplayIDs();
        PrivateDisplayBridge bridge(linux.platform.avServiceBus(), linux.platform.windowServer());
        MonitorReplyWaits waits;
        Arm64DDC transport(linux.platform.windowServer(), bridge, linux.sleeper, &waits);
        linux.desk.monitorA->setExtraReplyDelay(need - 40ms);
        linux.desk.monitorA->setBrightness(37);
        for (int run = 0; run < 3; ++run) {
            const auto start = linux.desk.clock.monotonicNow();
            EXPECT_EQ(transport.readVCP(0x10, 103), 37);
            if (run > 0) {
                EXPECT_EQ(linux.desk.clock.monotonicNow() - start, 10ms + std::max<Duration>(need, 50ms));
            }
        }
    }
}

// The platform's problems are those still true: each goes once its bus or the module is seen working,
// comes back when it fails again, and the reporter hears of each once.
TEST(LinuxPlatform, AProblemStaysCurrentUntilItIsSeenGone) {
    LinuxHarness linux;
    linux.platform.windowServer().onlineDisplayIDs();
    const auto node = [&](unsigned bus) { return linux.desk.system.dev() / ("i2c-" + std::to_string(bus)); };
    std::array<std::uint8_t, 11> reply{};
    const auto readOn = [&](unsigned bus) {
        return linux.platform.avServiceBus().openService(bus)->readI2C(0x37, 0, reply);
    };
    auto& five = linux.desk.system.bus(5);
    auto& seven = linux.desk.system.bus(7);

    five.openError = EACCES;
    seven.openError = EACCES;
    readOn(5);
    readOn(7);
    EXPECT_EQ(linux.platform.problems(), (std::vector<std::string>{DDCProblems::permissionDenied(node(5)),
                                                                   DDCProblems::permissionDenied(node(7))}));
    five.openError = 0;
    EXPECT_EQ(readOn(5), ioSuccess);
    EXPECT_EQ(linux.platform.problems(), std::vector<std::string>{DDCProblems::permissionDenied(node(7))});
    five.openError = EACCES;
    readOn(5);
    EXPECT_EQ(linux.platform.problems().size(), 2U) << "failing again, it is current again";
    five.openError = 0;
    seven.openError = 0;
    EXPECT_EQ(readOn(5), ioSuccess);
    EXPECT_EQ(readOn(7), ioSuccess);
    EXPECT_TRUE(linux.platform.problems().empty());

    five.lockedElsewhere = true;
    readOn(5);
    EXPECT_EQ(linux.platform.problems(),
              std::vector<std::string>{DDCProblems::lockedByAnotherProgram(node(5))});
    five.lockedElsewhere = false;
    EXPECT_EQ(readOn(5), ioSuccess);
    seven.transferError = EREMOTEIO;
    for (int attempt = 0; attempt < LinuxDDCBuses::refusalsBeforeReport; ++attempt) readOn(7);
    EXPECT_EQ(linux.platform.problems(), std::vector<std::string>{DDCProblems::ddcSwitchedOff(node(7))});
    seven.transferError = 0;
    EXPECT_EQ(readOn(7), ioSuccess);
    EXPECT_TRUE(linux.platform.problems().empty());

    std::filesystem::rename(linux.desk.system.sys() / "class/i2c-dev",
                            linux.desk.system.sys() / "class/gone");
    linux.platform.windowServer().onlineDisplayIDs();
    EXPECT_EQ(linux.platform.problems(), std::vector<std::string>{DDCProblems::moduleNotLoaded()});
    std::filesystem::rename(linux.desk.system.sys() / "class/gone",
                            linux.desk.system.sys() / "class/i2c-dev");
    linux.platform.windowServer().onlineDisplayIDs();
    EXPECT_TRUE(linux.platform.problems().empty());

    EXPECT_EQ(linux.reported,
              (std::vector<std::string>{
                  DDCProblems::permissionDenied(node(5)), DDCProblems::permissionDenied(node(7)),
                  DDCProblems::lockedByAnotherProgram(node(5)), DDCProblems::ddcSwitchedOff(node(7)),
                  DDCProblems::moduleNotLoaded()}));
}

namespace {

// The screens as the interface framework lists them, named by their outputs.
struct FakeDesktopScreens final : ScreenList {
    std::vector<Screen> list;
    std::optional<Screen> main;
    ScreenPoint pointer;

    std::vector<Screen> screens() override { return list; }
    std::optional<Screen> mainScreen() override { return main; }
    ScreenPoint pointerLocation() override { return pointer; }
};

Screen screenNamed(const std::string& output, double x) {
    return {.frame = {x, 0, 1000, 800}, .displayID = 0, .localizedName = output, .availableFrame = {}};
}

LinuxDisplay connector(const std::string& name, DisplayID id, bool online,
                       std::vector<std::uint8_t> edid = {}) {
    DrmConnector drm;
    drm.name = name;
    drm.connectorID = id;
    drm.connected = drm.enabled = online;
    drm.edid = std::move(edid);
    return LinuxDisplay{drm, std::nullopt};
}

}  // namespace

// Each screen is shown by the online connector of its output's name, spelt as the compositor or the X
// driver spells it; a name no connector or two connectors have is not guessed at. The screens' names
// come from the monitors' EDIDs, the registry naming those without one, as the command line does.
TEST(LinuxPlatform, ScreensAreMatchedToTheConnectorsOfTheirOutputs) {
    LinuxHarness linux;
    ScreenList& screens = linux.platform.screenList();
    EXPECT_TRUE(screens.screens().empty()) << "no framework, no screens: the command line";
    EXPECT_EQ(screens.mainScreen(), std::nullopt);

    FakeDesktopScreens desktop;
    desktop.list = {screenNamed("eDP-1", 0),  screenNamed("DP-1", 1000), screenNamed("HDMI-1", 2000),
                    screenNamed("DP4", 3000), screenNamed("DP-2", 4000), screenNamed("Virtual-1", 5000)};
    desktop.main = desktop.list[2];
    desktop.pointer = {1500, 20};
    linux.platform.useDesktopScreens(desktop);
    linux.platform.windowServer().onlineDisplayIDs();
    std::vector<DisplayID> shownBy;
    for (const auto& screen : screens.screens()) shownBy.push_back(screen.displayID);
    EXPECT_EQ(shownBy, (std::vector<DisplayID>{95, 103, 88, 300, 0, 0})) << "DP-2 is disconnected";
    EXPECT_EQ(screens.screens()[1].localizedName, "DELL U2720Q");
    EXPECT_EQ(screens.screens()[1].frame, (ScreenFrame{1000, 0, 1000, 800}));
    EXPECT_EQ(screens.mainScreen()->displayID, 88U);
    EXPECT_EQ(screens.mainScreen()->localizedName, "LG HDR 4K");
    EXPECT_EQ(screens.pointerLocation(), (ScreenPoint{1500, 20}));

    PrivateDisplayBridge bridge(linux.platform.avServiceBus(), linux.platform.windowServer());
    SystemDisplaySnapshotProvider snapshots(linux.platform.windowServer(), screens,
                                            linux.platform.displayRegistry(), bridge);
    EXPECT_EQ(snapshots.onlineDisplayIDs(), (std::vector<DisplayID>{103, 88, 91, 300}));
    EXPECT_EQ(snapshots.snapshot(103)->modelName, "DELL U2720Q");
    EXPECT_EQ(snapshots.snapshot(300)->modelName, "Display 19501-3333");

    const std::vector<LinuxDisplay> twoCards{
        connector("card0-DP-1", 1, true), connector("card1-DP-1", 2, true),
        connector("card1-HDMI-A-1", 3, true), connector("card1-HDMI-A-2", 4, false),
        connector("card0-DVI-D-1", 5, true)};
    const std::vector<std::pair<std::string, DisplayID>> cases{
        {"DP-1", 0},     {"DP1", 0},    {"HDMI-A-1", 3}, {"HDMI-1", 3}, {"HDMI1", 3},
        {"HDMI-A-0", 0}, {"HDMI-2", 0}, {"DVI-D-1", 5},  {"DVID1", 5},  {"", 0}};
    for (const auto& [output, expected] : cases)
        EXPECT_EQ(LinuxScreenList::displayShowing(twoCards, {}, output), expected) << output;
    // A connector named exactly as the output beats another card's variant spelling of the name.
    const std::vector<LinuxDisplay> exactAndVariant{connector("card0-HDMI-1", 6, true),
                                                    connector("card1-HDMI-A-1", 7, true)};
    EXPECT_EQ(LinuxScreenList::displayShowing(exactAndVariant, {}, "HDMI-1"), 6U);
    EXPECT_EQ(LinuxScreenList::displayShowing(exactAndVariant, {}, "HDMI-A-1"), 7U);
}

// In an X session the server says which monitor each output shows, and that decides over the names: a
// driver that numbers outputs from 0 calls the kernel's HDMI-A-1 "HDMI-A-0", and its "HDMI-A-1" is
// another port. An output the server does not list is still matched by name.
TEST(LinuxPlatform, XOutputsAreMatchedToConnectorsByTheMonitorsTheyShow) {
    SessionHarness linux;
    FakeLinuxDesk& desk = linux.desk;
    FakeOutputBackend& session = linux.session;
    LinuxPlatform& platform = linux.platform;
    session.outputs = {{"eDP-1", FakeLinuxDesk::edidOf(*desk.panel)},
                       {"DP-1", FakeLinuxDesk::edidOf(*desk.monitorA)},
                       {"HDMI-A-0", FakeLinuxDesk::edidOf(*desk.monitorB)},
                       {"DisplayPort-0", FakeLinuxDesk::edidOf(*desk.branch)},
                       {"HDMI-A-1", FakeLinuxDesk::edidOf(*desk.monitorC)}};
    FakeDesktopScreens desktop;
    desktop.list = {screenNamed("eDP-1", 0),       screenNamed("DP-1", 1000),
                    screenNamed("HDMI-A-0", 2000), screenNamed("DisplayPort-0", 3000),
                    screenNamed("HDMI-A-1", 4000), screenNamed("DP-2", 5000)};
    desktop.main = desktop.list[4];
    platform.useDesktopScreens(desktop);
    const auto shownBy = [&] {
        std::vector<DisplayID> ids;
        for (const auto& screen : platform.screenList().screens()) ids.push_back(screen.displayID);
        return ids;
    };
    EXPECT_EQ(shownBy(), (std::vector<DisplayID>{95, 103, 88, 91, 300, 0}));
    EXPECT_EQ(platform.screenList().mainScreen()->displayID, 300U);
    EXPECT_EQ(platform.screenList().screens()[2].localizedName, "LG HDR 4K");

    // Without the server's list only the names tell, and "HDMI-A-1" reads as the kernel's connector.
    session.outputs.clear();
    EXPECT_EQ(shownBy(), (std::vector<DisplayID>{95, 103, 0, 0, 88, 0}));

    // Two monitors of one model on outputs the names do not tell apart: neither is placed by EDID, and
    // the names decide where they can.
    session.outputs = {{"HDMI-A-0", FakeLinuxDesk::edidOf(*desk.monitorA)},
                       {"DisplayPort-0", FakeLinuxDesk::edidOf(*desk.monitorA)}};
    const std::vector<LinuxDisplay> twins{
        connector("card1-HDMI-A-1", 1, true, FakeLinuxDesk::edidOf(*desk.monitorA)),
        connector("card1-DP-1", 2, true, FakeLinuxDesk::edidOf(*desk.monitorA))};
    EXPECT_EQ(LinuxScreenList::displayShowing(twins, session.outputs, "HDMI-A-0"), 0U);
    EXPECT_EQ(LinuxScreenList::displayShowing(twins, session.outputs, "DisplayPort-0"), 0U);
    EXPECT_EQ(LinuxScreenList::displayShowing(twins, session.outputs, "DP-1"), 2U);
}

// Transfers on the write pool report and resolve problems while the views read them.
TEST(LinuxPlatform, ProblemsAreReportedResolvedAndReadFromAnyThread) {
    std::atomic<int> told{0};
    DDCProblems problems([&](const std::string&) { ++told; });
    std::vector<std::thread> threads;
    for (int thread = 0; thread < 4; ++thread) {
        threads.emplace_back([&problems, thread] {
            const std::string message = "problem " + std::to_string(thread);
            for (int round = 0; round < 200; ++round) {
                problems.report(message);
                problems.resolve(message);
            }
            if (thread % 2 == 0) problems.report(message);
        });
    }
    for (int read = 0; read < 200; ++read) EXPECT_LE(problems.current().size(), 4U);
    for (auto& thread : threads) thread.join();
    auto current = problems.current();
    std::sort(current.begin(), current.end());
    EXPECT_EQ(current, (std::vector<std::string>{"problem 0", "problem 2"}));
    EXPECT_EQ(told, 4) << "each told once";
}

TEST(LinuxPlatform, TellsWhyNoMonitorCanBeReached) {
    {
        FakeLinuxSystem system;
        VirtualClock clock;
        VirtualSleeper sleeper(clock);
        std::vector<std::string> told;
        LinuxPlatform platform(system, sleeper, [&](const std::string& problem) { told.push_back(problem); });
        EXPECT_TRUE(platform.windowServer().onlineDisplayIDs().displayIDs.empty());
        EXPECT_EQ(told, std::vector<std::string>{DDCProblems::noExternalMonitor()});
    }
    {
        // Without i2c-dev the adapters are there but not their nodes.
        FakeLinuxSystem system;
        VirtualClock clock;
        VirtualSleeper sleeper(clock);
        const auto gpu = system.addPciDevice("0000:00:02.0", "0x030000", "i915");
        SimulatedMonitor monitor(clock, {});
        system.addAdapter(system.addConnector(gpu, 0, "DP-1", 5, true, FakeLinuxDesk::edidOf(monitor)), 5,
                          "AUX B", false);
        std::vector<std::string> told;
        LinuxPlatform platform(system, sleeper, [&](const std::string& problem) { told.push_back(problem); });
        EXPECT_EQ(platform.windowServer().onlineDisplayIDs().displayIDs, std::vector<DisplayID>{5});
        platform.windowServer().onlineDisplayIDs();
        EXPECT_EQ(told, std::vector<std::string>{DDCProblems::moduleNotLoaded()}) << "told once";
        std::filesystem::create_directories(system.sys() / "class/i2c-dev");
        std::array<std::uint8_t, 11> reply{};
        EXPECT_EQ(platform.avServiceBus().openService(5)->readI2C(0x37, 0, reply), ENOENT);
        EXPECT_EQ(told.back(), DDCProblems::noDeviceNode(system.dev() / "i2c-5"));
    }
}

TEST(LinuxPlatform, BrokenEDIDsVanishingConnectorsAndStaleNodesHaveDefinedResults) {
    FakeLinuxSystem system;
    VirtualClock clock;
    VirtualSleeper sleeper(clock);
    SimulatedMonitor monitor(clock, {.vendor = 0x10AC, .product = 1, .serial = 2});
    auto badChecksum = FakeLinuxDesk::edidOf(monitor);
    badChecksum[127] ^= 0x01;
    auto truncated = FakeLinuxDesk::edidOf(monitor);
    truncated.resize(100);
    const auto gpu = system.addPciDevice("0000:00:02.0", "0x030000", "i915");
    system.addConnector(gpu, 0, "DP-1", 10, true, badChecksum);
    system.addConnector(gpu, 0, "DP-2", 11, true, truncated);
    system.addConnector(gpu, 0, "HDMI-A-1", 12, true, FakeLinuxDesk::edidOf(monitor), false);  // disabled
    const auto gone = system.addConnector(gpu, 0, "DP-3", 13, true, FakeLinuxDesk::edidOf(monitor));
    std::filesystem::remove(gone / "status");
    FakeLinuxSystem::write(system.sys() / "class/drm/card99999999999999999999-DP-1/status", "connected\n");
    for (int stale = 1000; stale < 4000; ++stale)
        FakeLinuxSystem::write(system.dev() / ("i2c-" + std::to_string(stale)), "");
    LinuxPlatform platform(system, sleeper, nullptr);
    EXPECT_EQ(platform.windowServer().onlineDisplayIDs().displayIDs, (std::vector<DisplayID>{10, 11}));
    for (const DisplayID displayID : {10U, 11U}) {
        EXPECT_EQ(platform.windowServer().vendorNumber(displayID), 0U);
        EXPECT_FALSE(platform.displayRegistry().edid(
            platform.displayRegistry().serviceForUnitNumber(platform.windowServer().unitNumber(displayID))));
    }
}

TEST(LinuxPlatform, TakingADisplayOffTheDesktopFailsAndSaysWhy) {
    LinuxHarness linux;
    WindowServer& windowServer = linux.platform.windowServer();
    const ConfigurationBegin begin = windowServer.beginConfiguration();
    EXPECT_EQ(begin.configuration, std::nullopt);
    EXPECT_EQ(begin.error, configurationUnsupportedInSession);
    EXPECT_NE(windowServer.configureDisplayEnabled(1, 103, false), windowServerSuccess);
    EXPECT_NE(windowServer.completeConfiguration(1, ConfigureOption::forSession), windowServerSuccess);
    EXPECT_NE(windowServer.restorePermanentConfiguration(), windowServerSuccess)
        << "nothing was taken off the desktop, so a restore brings no display back";
    EXPECT_STREQ(DisplayHardwareError::failedToBeginConfiguration(begin.error).what(),
                 "Taking a display off the desktop is not supported in this session.");

    std::vector<ReconfigurationFlags> notices;
    const auto token = windowServer.registerReconfigurationCallback(
        [&](DisplayID, ReconfigurationFlags flags) { notices.push_back(flags); });
    linux.platform.linuxWindowServer().notifyReconfiguration();
    ASSERT_EQ(notices.size(), 2U);
    EXPECT_EQ(notices[0] & beginConfigurationFlag, beginConfigurationFlag);
    EXPECT_EQ(notices[1] & beginConfigurationFlag, 0U);
    windowServer.removeReconfigurationCallback(token);
    linux.platform.linuxWindowServer().notifyReconfiguration();
    EXPECT_EQ(notices.size(), 2U);
}

// The platform's watch takes udev's events off its descriptor and turns each settled burst into one
// reconfiguration (begin, then change); a wake-up with nothing waiting changes nothing.
TEST(LinuxPlatform, ABurstOfDeviceEventsRaisesOneReconfigurationOnceItHasSettled) {
    LinuxHarness linux;
    ManualMainQueue queue(linux.desk.clock);
    std::vector<ReconfigurationFlags> notices;
    linux.platform.windowServer().registerReconfigurationCallback(
        [&](DisplayID, ReconfigurationFlags flags) { notices.push_back(flags); });
    const auto watches = linux.platform.watchForChanges(queue);
    ASSERT_EQ(watches.size(), 1U) << "the session has no configuration service to watch";
    EXPECT_EQ(watches[0].descriptor, FakeLinuxSystem::DeviceEventQueue::descriptor);
    auto& events = linux.desk.system.deviceEvents();

    // Connector, bus, node: three wake-ups within 400 ms, the node's permissions set last.
    for (const int waiting : {1, 2, 1}) {
        events.waiting = waiting;
        watches[0].readable();
        EXPECT_EQ(events.waiting, 0) << "every waiting event is taken";
        queue.advanceBy(200ms);
    }
    EXPECT_TRUE(notices.empty());
    queue.advanceBy(299ms);
    EXPECT_TRUE(notices.empty()) << "500 ms after the last event, not before";
    queue.advanceBy(1ms);
    EXPECT_EQ(notices, (std::vector<ReconfigurationFlags>{beginConfigurationFlag, 1U << 4}));
    watches[0].readable();
    queue.advanceBy(1s);
    EXPECT_EQ(notices.size(), 2U) << "a wake-up without events";
    events.waiting = 1;
    watches[0].readable();
    queue.advanceBy(500ms);
    EXPECT_EQ(notices.size(), 4U) << "a later plug is noticed again";
    EXPECT_TRUE(linux.reported.empty());

    // Without udev nothing is watched, and the user learns that plugs are seen only on refresh.
    LinuxHarness withoutUdev;
    withoutUdev.desk.system.deviceEvents().reachable = false;
    EXPECT_TRUE(withoutUdev.platform.watchForChanges(queue).empty());
    ASSERT_EQ(withoutUdev.reported.size(), 1U);
    EXPECT_NE(withoutUdev.reported[0].find("noticed only when Lumadesk refreshes its list"),
              std::string::npos);
    EXPECT_EQ(withoutUdev.platform.problems(), withoutUdev.reported);
}

// On this machine udev's monitor opens where netlink is allowed, and its drain never blocks.
TEST(LinuxPlatform, TheUdevMonitorTakesWhatIsWaitingWithoutBlocking) {
    const auto monitor = UdevMonitor::open();
    if (!monitor) GTEST_SKIP() << "udev cannot be reached here";
    EXPECT_GE(monitor->descriptor(), 0);
    EXPECT_GE(monitor->drain(), 0);
    EXPECT_EQ(monitor->drain(), 0) << "nothing is left once drained";
}

// Taking a display off the desktop goes to the session's backend under the name of the display's output,
// and a refusal reaches the user in the backend's own words.
TEST(LinuxPlatform, TakesDisplaysOffTheDesktopThroughTheSessionsBackend) {
    SessionHarness linux;
    FakeOutputBackend& session = linux.session;
    LinuxPlatform& platform = linux.platform;
    const auto failureOf = [](PrivateDisplayConnectionController& controller, DisplayID displayID) {
        try {
            controller.setDisplay(displayID, false);
        } catch (const DisplayHardwareError& error) {
            return error.description();
        }
        return std::string("no failure");
    };

    PrivateDisplayConnectionController controller(
        std::make_unique<SystemDisplayConfigurationBridge>(platform.windowServer()));
    controller.setDisplay(103, false);
    controller.setDisplay(88, false);
    controller.setDisplay(103, true);
    EXPECT_EQ(session.applied, (std::vector<std::string>{"DP-1 off", "HDMI-A-1 off", "DP-1 on"}));
    session.failureMessage = "The compositor refused the layout: no CRTC is free.";
    EXPECT_EQ(failureOf(controller, 103), "The compositor refused the layout: no CRTC is free.");
}
