#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>

#include "assembly/ProgramFailures.h"
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
    // Called before each run, to queue what happens while it works.
    std::function<void(ManualMainQueue&, CtlProgram&)> whileRunning;

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
    "7789-9010-SG24-0042  Southgate 24       0           yes        yes      no   2\n"
    "5156-12850-12345     Eastlake 32U       70          yes        yes      yes  3\n";

// Once stored, the display without DDC shows 100: it has no brightness of its own to show.
const std::string laterRunSouthgateRow =
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
    EXPECT_NE(ctl.out.find(laterRunSouthgateRow), std::string::npos) << ctl.out;
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
    EXPECT_EQ(ctl.run({"list"}), 0);
    EXPECT_NE(ctl.out.find(laterRunSouthgateRow), std::string::npos) << ctl.out;
    EXPECT_EQ(ctl.err, "");  // replaced by a good one
}
