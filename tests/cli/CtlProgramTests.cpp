#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "assembly/ProgramFailures.h"
#include "cli/CtlProgram.h"
#include "platform/linux/DDCProblems.h"
#include "platform/simulated/SimulatedPlatform.h"
#include "registry/DisplayStore.h"
#include "runtime/JsonFileDefaults.h"
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
    // Called before each run, to queue what happens while it works.
    std::function<void(ManualMainQueue&, CtlProgram&)> whileRunning;

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
        if (whileRunning) whileRunning(queue, program);
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
    "7789-9010-SG24-0042  Southgate 24       100         yes        yes      no   2\n"
    "5156-12850-12345     Eastlake 32U       70          yes        yes      yes  3\n";

// The display without DDC shows 100, on the first run as once stored: it has no brightness of its own
// to show.
const std::string southgateRow =
    "7789-9010-SG24-0042  Southgate 24       100         yes        yes      no   2\n";

}  // namespace

TEST(CtlProgram, ListsTheDefaultDeskAndDescribesItsCommands) {
    CtlHarness ctl;
    EXPECT_EQ(ctl.run({"list"}), exitDone);
    EXPECT_EQ(ctl.out, defaultDeskTable);
    EXPECT_EQ(ctl.err, "");
    EXPECT_EQ(ctl.run({"--simulated", "--transport=arm64", "list", "--json"}), exitDone);
    EXPECT_NE(ctl.out.find("\"hardwareID\": \"5156-12850-12345\""), std::string::npos);
    EXPECT_EQ(ctl.run({"--help"}), exitDone);
    EXPECT_EQ(ctl.out.rfind("Usage: lumadesk-ctl", 0), 0U);
    EXPECT_NE(ctl.out.find("--simulated[=FILE]"), std::string::npos);
    EXPECT_NE(ctl.out.find("Exit status: 0 done, 2 wrong command line, 3 no such display, 4 failed"),
              std::string::npos);
}

// One command after another on the same desk: what each prints, where, and with which exit status.
TEST(CtlProgram, SaysWhatItDidAndExitsWithAStatusPerKindOfOutcome) {
    CtlHarness ctl;
    const auto failingDesk = ctl.configDirectory.path() / "desk.json";
    std::ofstream(failingDesk) << R"({"windowServer": {"configureError": 1001},
                                     "displays": [{"name": "A", "vendor": 1, "product": 2, "serial": 3}]})";
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string out;
        std::string err;
    };
    const Case cases[] = {
        {{"refresh"}, exitDone, "Found 4 displays.\n", ""},
        {{"disconnect", "5156-12850-12345"}, exitDone, "Disconnected Eastlake 32U.\n", ""},
        {{"connect", "Eastlake 32U"}, exitDone, "Connected Eastlake 32U.\n", ""},
        {{"disconnect", "--", "Northwind 27Q (1)"}, exitDone, "Disconnected Northwind 27Q (1).\n", ""},
        {{"connect", "4268-41234-0"}, exitDone, "Connected Northwind 27Q (1).\n", ""},
        {{"frob"}, exitUsage, "", "lumadesk-ctl: Unknown command \"frob\". Try \"lumadesk-ctl --help\".\n"},
        {{"disconnect", "--", "-5"},
         exitNoSuchDisplay,
         "",
         "lumadesk-ctl: No display has the hardware ID or name \"-5\".\n"},
        {{"connect", "nope\x1b[2J"},
         exitNoSuchDisplay,
         "",
         "lumadesk-ctl: No display has the hardware ID or name \"nope\\x1b[2J\".\n"},
        {{"--simulated=" + failingDesk.string(), "disconnect", "1-2-3"},
         exitFailed,
         "",
         "lumadesk-ctl: Failed to set display 1 enabled=false (CGError 1001).\n"},
        {{"--simulated=" + (ctl.configDirectory.path() / "missing.json").string(), "list"},
         exitFailed,
         "",
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.arguments));
        EXPECT_EQ(ctl.run(c.arguments), c.status);
        EXPECT_EQ(ctl.out, c.out);
        if (!c.err.empty()) {
            EXPECT_EQ(ctl.err, c.err);
        }
        EXPECT_EQ(ctl.err.empty(), c.status == exitDone) << ctl.err;
    }
}

TEST(CtlProgram, SuccessiveRunsSeeTheSameDesk) {
    CtlHarness ctl;
    EXPECT_EQ(ctl.run({"disconnect", "5156-12850-12345"}), exitDone);
    EXPECT_EQ(ctl.run({"list"}), exitDone);
    EXPECT_NE(ctl.out.find("5156-12850-12345     Eastlake 32U       0           no         no       no   3"),
              std::string::npos)
        << ctl.out;
    EXPECT_NE(ctl.out.find(southgateRow), std::string::npos) << ctl.out;
    EXPECT_EQ(ctl.run({"connect", "5156-12850-12345"}), exitDone);
    EXPECT_EQ(ctl.run({"list"}), exitDone);
    EXPECT_NE(ctl.out.find("5156-12850-12345     Eastlake 32U       70          yes        yes      yes  3"),
              std::string::npos)
        << ctl.out;
}

// A quit signal while a command waits: the wait ends at once, what was done is kept and saved, and the
// run reports that it was cut short.
TEST(CtlProgram, AnInterruptedCommandKeepsWhatWasDoneAndSaysSo) {
    CtlHarness ctl;
    ctl.whileRunning = [](ManualMainQueue& queue, CtlProgram& program) {
        // The disconnect waits 0.5 s for the desktop to settle; the signal comes in the middle.
        queue.postAfter(std::chrono::milliseconds(200), [&program] { program.interrupt("SIGTERM"); });
    };
    EXPECT_EQ(ctl.run({"disconnect", "5156-12850-12345"}), exitFailed);
    EXPECT_EQ(ctl.out, "");
    EXPECT_EQ(
        ctl.err,
        "lumadesk-ctl: Stopped by SIGTERM before the command finished; what was done so far is kept.\n");
    ctl.whileRunning = nullptr;
    EXPECT_EQ(ctl.run({"list", "--json"}), exitDone);
    EXPECT_NE(ctl.out.find(R"("hardwareID": "5156-12850-12345",
    "modelName": "Eastlake 32U",
    "customName": null,
    "brightness": 0,
    "isConnected": false)"),
              std::string::npos)
        << ctl.out;
}

TEST(CtlProgram, ABrokenStateFileIsMentionedAndIgnored) {
    CtlHarness ctl;
    std::ofstream(ctl.configDirectory.path() / "simulated-desk-state.json") << "{broken";
    EXPECT_EQ(ctl.run({"list"}), exitDone);
    EXPECT_EQ(ctl.out, defaultDeskTable);
    EXPECT_NE(ctl.err.find("cannot be read and is ignored"), std::string::npos);
    // A listing changes nothing, so it leaves the file as it is; the next change replaces it.
    EXPECT_EQ(ctl.run({"list"}), 0);
    EXPECT_NE(ctl.err.find("cannot be read and is ignored"), std::string::npos);
    EXPECT_EQ(ctl.run({"connect", "4268-41234-0"}), 0);
    EXPECT_EQ(ctl.run({"list"}), 0);
    EXPECT_NE(ctl.out.find(southgateRow), std::string::npos) << ctl.out;
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

    ASSERT_EQ(ctl.run({"disconnect", "4268-41234-12345"}), exitFailed);
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

TEST(CtlProgram, ADamagedSettingsFileIsMovedAsideNamedOnceAndDefaultsUsed) {
    CtlHarness ctl;
    const auto settings = ctl.configDirectory.path() / SimulatedPlatform::settingsFile;
    std::ofstream(settings) << "{\"persistedDisplays\": tru";
    EXPECT_EQ(ctl.run({"list"}), 0);
    EXPECT_EQ(ctl.out, defaultDeskTable);
    const auto kept = settings.string() + ".corrupt-20260101T000000Z";
    EXPECT_EQ(
        ctl.err.rfind("lumadesk-ctl: The settings file " + settings.string() + " could not be read (", 0), 0u)
        << ctl.err;
    EXPECT_NE(ctl.err.find("; it was kept as " + kept + " and Lumadesk started with default settings.\n"),
              std::string::npos)
        << ctl.err;
    EXPECT_EQ(std::ranges::count(ctl.err, '\n'), 1);
    EXPECT_TRUE(std::filesystem::exists(kept));
    EXPECT_EQ(ctl.run({"list"}), 0);
    EXPECT_EQ(ctl.err, "");
}

// Each desk keeps its own settings file: neither lists the other's displays as absent ones, whichever
// ran first, and the real desk stays on the file installed users have.
TEST(CtlProgram, TheSimulatedAndTheRealDeskKeepTheirRecordsApart) {
    CtlHarness ctl;
    FakeLinuxDesk desk(&ctl.clock);
    ctl.machine = &desk.system;
    const auto hardwareIDs = [](const std::string& json) {
        std::vector<std::string> ids;
        for (const auto& display : nlohmann::json::parse(json)) ids.push_back(display["hardwareID"]);
        return ids;
    };
    const std::vector<std::string> simulated{"4268-41234-0", "4268-41234-1", "7789-9010-SG24-0042",
                                             "5156-12850-12345"};
    const std::vector<std::string> real{"4268-41234-12345", "7789-23305-B-SERIAL", "8944-4444-42",
                                        "19501-3333-777"};
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        ASSERT_EQ(ctl.run({"--simulated", "list", "--json"}), exitDone) << ctl.err;
        EXPECT_EQ(hardwareIDs(ctl.out), simulated);
        ASSERT_EQ(ctl.run({"list", "--json"}), exitDone) << ctl.err;
        EXPECT_EQ(hardwareIDs(ctl.out), real);
    }
    const auto sorted = [](std::vector<std::string> ids) {
        std::sort(ids.begin(), ids.end());
        return ids;
    };
    const auto stored = [&](const char* fileName) {
        JsonFileDefaults defaults(ctl.configDirectory.path(), ctl.clock, fileName);
        std::vector<std::string> ids;
        for (const auto& record : DisplayStore(defaults).load()) ids.push_back(record.hardwareID);
        return sorted(ids);
    };
    EXPECT_EQ(stored("defaults.json"), sorted(real));
    EXPECT_EQ(stored(SimulatedPlatform::settingsFile), sorted(simulated));
}

// list --verbose names the service that takes displays off the desktop, on standard error beside JSON.
TEST(CtlProgram, VerboseListingNamesTheDisplayConfigurationService) {
    CtlHarness ctl;
    ASSERT_EQ(ctl.run({"list", "--verbose"}), 0) << ctl.err;
    EXPECT_EQ(ctl.out.rfind("Display configuration: the simulated window server\nHARDWARE ID", 0), 0U)
        << ctl.out;

    FakeLinuxDesk desk(&ctl.clock);
    ctl.machine = &desk.system;
    ASSERT_EQ(ctl.run({"list", "--json", "--verbose"}), 0) << ctl.err;
    EXPECT_NE(ctl.err.find("Display configuration: none (not supported in this session)\n"),
              std::string::npos)
        << ctl.err;
    EXPECT_TRUE(nlohmann::json::parse(ctl.out).is_array()) << "the JSON stays exact";

    EXPECT_EQ(ctl.run({"refresh", "--verbose"}), exitUsage);
}

// Output that cannot be written (a full disk, a closed pipe) fails the command: exit 4 and a line on
// standard error, whatever the command printed.
TEST(CtlProgram, OutputThatCannotBeWrittenFailsTheCommand) {
    // A device that takes nothing, as /dev/full does.
    struct FullDevice : std::streambuf {
        int_type overflow(int_type) override { return traits_type::eof(); }
        std::streamsize xsputn(const char*, std::streamsize) override { return 0; }
    };
    CtlHarness ctl;
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--simulated", "list"}, {"--simulated", "list", "--json"}, {"--help"}}) {
        VirtualSleeper sleeper(ctl.clock);
        ManualMainQueue queue(ctl.clock);
        const std::string directory = ctl.configDirectory.path().string();
        CtlProgram program(queue, sleeper,
                           [directory](const std::string& name) -> std::optional<std::string> {
                               if (name == "LUMADESK_CONFIG_DIR") return directory;
                               return std::nullopt;
                           });
        FullDevice device;
        std::ostream out(&device);
        std::ostringstream err;
        EXPECT_EQ(program.run(arguments, out, err), exitFailed) << arguments.back();
        EXPECT_EQ(err.str(), "lumadesk-ctl: The output could not be written.\n") << arguments.back();
    }
}
