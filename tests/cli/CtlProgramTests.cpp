#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/CtlProgram.h"
#include "runtime/ManualMainQueue.h"
#include "runtime/VirtualSleeper.h"
#include "support/TemporaryDirectory.h"

using namespace lumadesk;

namespace {

// One lumadesk-ctl process after another, in virtual time, sharing one configuration directory.
struct CtlHarness {
    TemporaryDirectory configDirectory;
    std::string out;
    std::string err;

    int run(std::vector<std::string> arguments) {
        VirtualClock clock;
        VirtualSleeper sleeper(clock);
        ManualMainQueue queue(clock);
        const std::string directory = configDirectory.path().string();
        CtlProgram program(queue, sleeper,
                           [directory](const std::string& name) -> std::optional<std::string> {
                               if (name == "LUMADESK_CONFIG_DIR") return directory;
                               return std::nullopt;
                           });
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

TEST(CtlProgram, ADamagedSettingsFileIsMovedAsideNamedOnceAndDefaultsUsed) {
    CtlHarness ctl;
    const auto settings = ctl.configDirectory.path() / "defaults.json";
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
