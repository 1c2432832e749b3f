#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "cli/CtlProgram.h"
#include "platform/linux/DDCProblems.h"
#include "runtime/ManualMainQueue.h"
#include "runtime/VirtualSleeper.h"
#include "support/FakeLinuxDesk.h"
#include "support/TemporaryDirectory.h"

using namespace lumadesk;

namespace {

// One lumadesk-ctl process after another, in virtual time, sharing one configuration directory. Without
// a machine every run is on the simulated desk unless the arguments name one; with one, a run without
// --simulated reaches that machine's monitors (which keep the harness's clock).
struct CtlHarness {
    TemporaryDirectory configDirectory;
    VirtualClock clock;
    LinuxSystem* machine = nullptr;
    std::string out;
    std::string err;

    int run(std::vector<std::string> arguments) {
        if (!machine && std::none_of(arguments.begin(), arguments.end(), [](const std::string& argument) {
                return argument.starts_with("--simulated");
            }))
            arguments.insert(arguments.begin(), "--simulated");
        VirtualSleeper sleeper(clock);
        ManualMainQueue queue(clock);
        const std::string directory = configDirectory.path().string();
        CtlProgram program(
            queue, sleeper,
            [directory](const std::string& name) -> std::optional<std::string> {
                if (name == "LUMADESK_CONFIG_DIR") return directory;
                return std::nullopt;
            },
            machine);
        std::ostringstream outStream;
        std::ostringstream errStream;
        const int status = program.run(arguments, outStream, errStream);
        out = outStream.str();
        err = errStream.str();
        return status;
    }
};

const std::string defaultDeskTable =
    "HARDWARE ID          NAME               BRIGHTNESS  CONNECTED  PRESENT  DDC  ORDER\n"
    "4268-41234-0         Northwind 27Q (1)  40          yes        yes      yes  0\n"
    "4268-41234-1         Northwind 27Q (2)  65          yes        yes      yes  1\n"
    "7789-9010-SG24-0042  Southgate 24       0           yes        yes      no   2\n"
    "5156-12850-12345     Eastlake 32U       70          yes        yes      yes  3\n";

// Once stored, the display without DDC shows 100: it has no brightness of its own to show.
const std::string laterRunSouthgateRow =
    "7789-9010-SG24-0042  Southgate 24       100         yes        yes      no   2\n";

}  // namespace

TEST(CtlProgram, ListsTheDefaultDeskAndDescribesItsCommands) {
    CtlHarness ctl;
    EXPECT_EQ(ctl.run({"list"}), 0);
    EXPECT_EQ(ctl.out, defaultDeskTable);
    EXPECT_EQ(ctl.err, "");
    EXPECT_EQ(ctl.run({"--simulated", "--transport=arm64", "list", "--json"}), 0);
    EXPECT_NE(ctl.out.find("\"hardwareID\": \"5156-12850-12345\""), std::string::npos);
    EXPECT_EQ(ctl.run({"refresh"}), 0);
    EXPECT_EQ(ctl.out, "");
    EXPECT_EQ(ctl.run({"--help"}), 0);
    EXPECT_EQ(ctl.out.rfind("Usage: lumadesk-ctl", 0), 0U);
    EXPECT_NE(ctl.out.find("--simulated[=FILE]"), std::string::npos);
}

TEST(CtlProgram, SuccessiveRunsSeeTheSameDesk) {
    CtlHarness ctl;
    EXPECT_EQ(ctl.run({"disconnect", "5156-12850-12345"}), 0);
    EXPECT_EQ(ctl.err, "");
    EXPECT_EQ(ctl.run({"list"}), 0);
    EXPECT_NE(ctl.out.find("5156-12850-12345     Eastlake 32U       0           no         no       no   3"),
              std::string::npos)
        << ctl.out;
    EXPECT_NE(ctl.out.find(laterRunSouthgateRow), std::string::npos) << ctl.out;
    EXPECT_EQ(ctl.run({"connect", "5156-12850-12345"}), 0);
    EXPECT_EQ(ctl.run({"list"}), 0);
    EXPECT_NE(ctl.out.find("5156-12850-12345     Eastlake 32U       70          yes        yes      yes  3"),
              std::string::npos)
        << ctl.out;
}

TEST(CtlProgram, ReportsErrorsOnStandardErrorWithAStatus) {
    CtlHarness ctl;
    EXPECT_EQ(ctl.run({"frob"}), CtlProgram::usageStatus);
    EXPECT_EQ(ctl.err, "lumadesk-ctl: Unknown command \"frob\". Try \"lumadesk-ctl --help\".\n");
    EXPECT_EQ(ctl.out, "");

    EXPECT_EQ(ctl.run({"disconnect", "nope"}), CtlProgram::failureStatus);
    EXPECT_EQ(ctl.err, "lumadesk-ctl: No display has the hardware ID \"nope\".\n");

    const auto badDesk = ctl.configDirectory.path() / "bad desk.json";
    std::ofstream(badDesk) << R"({"displays": [{"name": "Left", "vendor": "DEL", "product": 1}]})";
    EXPECT_EQ(ctl.run({"--simulated=" + badDesk.string(), "list"}), CtlProgram::failureStatus);
    EXPECT_EQ(ctl.err, "lumadesk-ctl: " + badDesk.string() +
                           ": display 0 (\"Left\"): \"vendor\" must be a whole number from 0 to 65535.\n");

    const auto failingDesk = ctl.configDirectory.path() / "desk.json";
    std::ofstream(failingDesk) << R"({"windowServer": {"configureError": 1001},
                                     "displays": [{"name": "A", "vendor": 1, "product": 2, "serial": 3}]})";
    EXPECT_EQ(ctl.run({"--simulated=" + failingDesk.string(), "disconnect", "1-2-3"}),
              CtlProgram::failureStatus);
    EXPECT_EQ(ctl.err, "lumadesk-ctl: Failed to set display 1 enabled=false (CGError 1001).\n");
}

TEST(CtlProgram, ABrokenStateFileIsMentionedAndIgnored) {
    CtlHarness ctl;
    std::ofstream(ctl.configDirectory.path() / "simulated-desk-state.json") << "{broken";
    EXPECT_EQ(ctl.run({"list"}), 0);
    EXPECT_EQ(ctl.out, defaultDeskTable);
    EXPECT_NE(ctl.err.find("cannot be read and is ignored"), std::string::npos);
    EXPECT_EQ(ctl.run({"list"}), 0);
    EXPECT_NE(ctl.out.find(laterRunSouthgateRow), std::string::npos) << ctl.out;
    EXPECT_EQ(ctl.err, "");  // replaced by a good one
}

// lumadesk-ctl on the Linux platform, over a fake sysfs tree whose i2c-dev nodes lead to simulated
// monitors that answer DDC/CI byte for byte.
TEST(CtlOnRealMonitors, ListsTheMonitorsOfEveryDriverWithTheirBrightnessOverI2CDev) {
    CtlHarness ctl;
    FakeLinuxDesk desk(&ctl.clock);
    ctl.machine = &desk.system;
    desk.monitorA->setBrightness(35);
    desk.monitorB->setBrightness(80);
    ASSERT_EQ(ctl.run({"list", "--json"}), 0) << ctl.err;
    EXPECT_EQ(ctl.err, "");
    const auto displays = nlohmann::json::parse(ctl.out);
    ASSERT_EQ(displays.size(), 4U) << "every external monitor, the panel left out";
    const auto expect = [&](std::size_t i, const std::string& hardwareID, const std::string& name,
                            int brightness, bool ddc) {
        SCOPED_TRACE(hardwareID);
        EXPECT_EQ(displays[i]["hardwareID"], hardwareID);
        EXPECT_EQ(displays[i]["modelName"], name);
        EXPECT_EQ(displays[i]["supportsDDC"], ddc);
        if (ddc) {
            EXPECT_EQ(displays[i]["brightness"], brightness);
        }
    };
    expect(0, "4268-41234-12345", "DELL U2720Q", 35, true);
    expect(1, "7789-23305-B-SERIAL", "LG HDR 4K", 80, true);
    expect(2, "8944-4444-42", "Display 8944-4444", 0, false);
    expect(3, "19501-3333-777", "Display 19501-3333", 50, true);
    EXPECT_EQ(desk.system.unlockedTransfers(), 0);
    EXPECT_EQ(desk.system.openDescriptors(), 0U);
    EXPECT_EQ(desk.panel->transferCount(), 0U);
    EXPECT_EQ(desk.branch->transferCount(), 0U) << "neither the MST branch's EDID nor the SMBus is read";

    ASSERT_EQ(ctl.run({"disconnect", "4268-41234-12345"}), CtlProgram::failureStatus);
    EXPECT_NE(ctl.err.find("Taking a display off the desktop is not supported in this session."),
              std::string::npos);
}

TEST(CtlOnRealMonitors, WithoutMonitorsListsNoneAndSaysWhy) {
    CtlHarness ctl;
    FakeLinuxSystem empty;
    ctl.machine = &empty;
    ASSERT_EQ(ctl.run({"list", "--json"}), 0);
    EXPECT_EQ(nlohmann::json::parse(ctl.out), nlohmann::json::array());
    EXPECT_EQ(ctl.err, "lumadesk-ctl: " + DDCProblems::noExternalMonitor() + "\n");

    FakeLinuxDesk desk(&ctl.clock);
    ctl.machine = &desk.system;
    desk.system.bus(5).openError = EACCES;
    desk.system.bus(7).openError = EACCES;
    ASSERT_EQ(ctl.run({"list"}), 0);
    EXPECT_NE(ctl.err.find("/dev/i2c-5, so its monitor cannot be controlled. Install Lumadesk's udev rule"),
              std::string::npos)
        << ctl.err;
    EXPECT_NE(ctl.out.find("DELL U2720Q"), std::string::npos)
        << "a missing permission never empties the list";
}
