#include <gtest/gtest.h>

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

    LinuxHarness locked;
    locked.desk.system.bus(5).lockedElsewhere = true;
    std::array<std::uint8_t, 11> reply{};
    EXPECT_EQ(locked.device.transfer(5, 0x37, {}, 0ms, reply), EBUSY);
    EXPECT_GE(locked.sleeper.total(), I2CDevice::lockPatience) << "gives up after a second, not before";
    EXPECT_LE(locked.sleeper.total(), I2CDevice::lockPatience + I2CDevice::lockRetryInterval);
}

TEST(LinuxPlatform, AMonitorThatNeverAnswersDDCIsToldAfterAWholeTransaction) {
    LinuxHarness linux;
    linux.platform.windowServer().onlineDisplayIDs();
    linux.desk.system.bus(5).transferError = EREMOTEIO;
    PrivateDisplayBridge bridge(linux.platform.avServiceBus(), linux.platform.windowServer());
    Arm64DDC transport(linux.platform.windowServer(), bridge, linux.sleeper);
    linux.desk.system.bus(5).transferError = 0;
    ASSERT_TRUE(transport.supportsDDC(103));
    linux.desk.system.bus(5).transferError = EREMOTEIO;
    EXPECT_THROW(transport.writeVCP(0x10, 20, 103), DisplayHardwareError);
    ASSERT_EQ(linux.reported.size(), 1U);
    EXPECT_NE(linux.reported[0].find(
                  "does not answer DDC/CI at address 0x37: switch DDC/CI on in its on-screen menu"),
              std::string::npos);
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
    EXPECT_EQ(linux.platform.problems(), std::vector<std::string>{DDCProblems::noAnswer(node(7))});
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
              (std::vector<std::string>{DDCProblems::permissionDenied(node(5)),
                                        DDCProblems::permissionDenied(node(7)),
                                        DDCProblems::lockedByAnotherProgram(node(5)),
                                        DDCProblems::noAnswer(node(7)), DDCProblems::moduleNotLoaded()}));
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
    EXPECT_EQ(windowServer.restorePermanentConfiguration(), windowServerSuccess)
        << "nothing was taken off the desktop, so nothing is left to restore";
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
