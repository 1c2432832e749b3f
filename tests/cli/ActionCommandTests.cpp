#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>

#include "cli/ActionCommand.h"
#include "cli/CtlProgram.h"
#include "platform/simulated/SimulatedPlatform.h"
#include "runtime/ManualMainQueue.h"
#include "runtime/VirtualSleeper.h"
#include "support/TemporaryDirectory.h"

using namespace lumadesk;

namespace {

// lumadesk-ctl runs without a session bus, so every action runs in the process, on the default simulated
// desk unless the arguments name another.
struct ActionCtl {
    TemporaryDirectory home;
    std::map<std::string, std::string> environment{{"LUMADESK_CONFIG_DIR", home.path().string()}};
    std::string out;
    std::string err;

    int operator()(std::vector<std::string> arguments) {
        if (std::none_of(arguments.begin(), arguments.end(),
                         [](const std::string& argument) { return argument.starts_with("--simulated"); }))
            arguments.insert(arguments.begin(), "--simulated");
        VirtualClock clock;
        VirtualSleeper sleeper(clock);
        ManualMainQueue queue(clock);
        CtlProgram program(queue, sleeper, [this](const std::string& name) -> std::optional<std::string> {
            const auto found = environment.find(name);
            return found == environment.end() ? std::nullopt : std::optional(found->second);
        });
        std::ostringstream streams[2];  // standard output, standard error
        const int status = program.run(arguments, streams[0], streams[1]);
        out = streams[0].str();
        err = streams[1].str();
        return status;
    }
    std::string settings() const {
        std::ifstream file(home.path() / SimulatedPlatform::settingsFile);
        return {std::istreambuf_iterator<char>(file), {}};
    }
};

const std::string left = "4268-41234-0";
const std::string eastlake = "5156-12850-12345";

}  // namespace

TEST(ActionCommand, EveryActionPrintsItsDialogAndTheNextRunSeesItsWork) {
    ActionCtl ctl;
    struct Case {
        std::vector<std::string> arguments;
        std::string out;
    };
    const std::vector<Case> cases{
        {{"get-brightness", left}, "Northwind 27Q (1) brightness is 40%.\n"},
        {{"set-brightness", left, "77"}, "Set Northwind 27Q (1) brightness to 77%.\n"},
        {{"--simulated", "get-brightness", "Northwind 27Q (1)"}, "Northwind 27Q (1) brightness is 77%.\n"},
        {{"rename", left, "Left"}, "Renamed display to Left.\n"},
        {{"toggle-connection", "Left", "on"}, "Left is already connected.\n"},
        {{"sleep", "Left"}, "Sent Left to sleep.\n"},
        {{"display-info", "Eastlake 32U"},
         "Fetched display info.\nEastlake 32U: brightness 70%, connected yes, present yes\n"},
        {{"toggle-connection", eastlake, "off"}, "Disconnected Eastlake 32U.\n"},
        {{"toggle-connection", "Eastlake 32U", "off"},
         "Eastlake 32U \xE2\x80\x93 disconnected is already disconnected.\n"},
        {{"connected-displays"},
         "Found 3 connected displays.\n4268-41234-0\tLeft\n4268-41234-1\tNorthwind 27Q (2)\n"
         "7789-9010-SG24-0042\tSouthgate 24\n"},
        {{"toggle-connection", eastlake}, "Connected Eastlake 32U \xE2\x80\x93 disconnected.\n"},
        {{"rename", left, " "}, "Renamed display to  .\n"},
        {{"display-info"},
         "Fetched info for 4 displays.\n"
         "Northwind 27Q (1): brightness 77%, connected yes, present yes\n"
         "Northwind 27Q (2): brightness 65%, connected yes, present yes\n"
         "Southgate 24: brightness 100%, connected yes, present yes\n"
         "Eastlake 32U: brightness 70%, connected yes, present yes\n"},
    };
    for (const auto& [arguments, out] : cases) {
        SCOPED_TRACE(arguments.front() + " " + arguments.back());
        EXPECT_EQ(ctl(arguments), 0);
        EXPECT_EQ(ctl.out, out);
        EXPECT_EQ(ctl.err, "");
    }
}

TEST(ActionCommand, BrightnessAndSleepOfADisplayOffTheDesktopFailAndWriteNothing) {
    ActionCtl ctl;
    ASSERT_EQ(ctl({"toggle-connection", eastlake, "off"}), 0);
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"set-brightness", eastlake, "20"}, {"--json", "sleep", eastlake}}) {
        SCOPED_TRACE(arguments.front());
        EXPECT_EQ(ctl(arguments), 4);
        EXPECT_EQ(ctl.err, "lumadesk-ctl: Eastlake 32U is disconnected.\n");
        EXPECT_EQ(ctl.out, "");
    }
    // Back on the desktop, the monitor still has the level it had.
    ASSERT_EQ(ctl({"toggle-connection", eastlake, "on"}), 0);
    EXPECT_EQ(ctl({"get-brightness", eastlake}), 0);
    EXPECT_EQ(ctl.out, "Eastlake 32U brightness is 70%.\n");
}

TEST(ActionCommand, JsonCarriesTheDialogAndTheValue) {
    ActionCtl ctl;
    EXPECT_EQ(ctl({"--json", "get-brightness", eastlake}), 0);
    EXPECT_EQ(ctl.out, R"({"dialog":"Eastlake 32U brightness is 70%.","value":70})"
                       "\n");
    EXPECT_EQ(ctl({"--json", "set-brightness", eastlake, "0"}), 0);
    EXPECT_EQ(ctl.out, R"({"dialog":"Set Eastlake 32U brightness to 0%.","value":null})"
                       "\n");
    EXPECT_EQ(ctl({"--json", "display-info", eastlake}), 0);
    EXPECT_EQ(
        ctl.out,
        R"({"dialog":"Fetched display info.","value":"Eastlake 32U: brightness 0%, connected yes, present yes"})"
        "\n");
    EXPECT_EQ(ctl({"--json", "--simulated", "toggle-connection", left, "off"}), 0);
    EXPECT_EQ(ctl({"--json", "connected-displays"}), 0);
    EXPECT_EQ(
        ctl.out,
        R"({"dialog":"Found 3 connected displays.","value":[)"
        R"({"displayName":"Northwind 27Q","hardwareID":"4268-41234-1","modelName":"Northwind 27Q"},)"
        R"({"displayName":"Southgate 24","hardwareID":"7789-9010-SG24-0042","modelName":"Southgate 24"},)"
        R"({"displayName":"Eastlake 32U","hardwareID":"5156-12850-12345","modelName":"Eastlake 32U"}]})"
        "\n");
}

TEST(ActionCommand, BadInputIsRefusedWithItsStatusAndChangesNothing) {
    ActionCtl ctl;
    ASSERT_EQ(ctl({"rename", eastlake, "Twin"}), 0);
    ASSERT_EQ(ctl({"rename", left, "Twin"}), 0);
    const std::string stored = ctl.settings();
    const std::string hint = " Try \"lumadesk-ctl --help\".\n";
    const std::string controlCharacters =
        "lumadesk-ctl: The name must not hold control characters (line breaks, tabs, escape sequences or "
        "direction overrides).";
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string err;
    };
    const std::vector<Case> cases{
        {{"get-brightness", "10-9-9"}, 3, "lumadesk-ctl: Display 10-9-9 not found.\n"},
        {{"sleep", "Northwind 27Q (1)"}, 3, "lumadesk-ctl: Display Northwind 27Q (1) not found.\n"},
        {{"get-brightness", ""}, 2, "lumadesk-ctl: The display must not be empty." + hint},
        {{"get-brightness", "Twin"},
         2,
         "lumadesk-ctl: \"Twin\" names several displays (4268-41234-0, 5156-12850-12345); give a hardware "
         "ID." +
             hint},
        {{"rename", left, std::string(100000, 'n')},
         2,
         "lumadesk-ctl: The name is longer than 256 characters." + hint},
        {{"rename", left, "bad \xC3("}, 2, "lumadesk-ctl: The name is not valid UTF-8." + hint},
        {{"rename", left}, 2, "lumadesk-ctl: Usage: lumadesk-ctl rename DISPLAY NAME." + hint},
        {{"get-brightness", left, "extra"},
         2,
         "lumadesk-ctl: Usage: lumadesk-ctl get-brightness DISPLAY." + hint},
        {{"toggle-connection", left, "maybe"},
         2,
         "lumadesk-ctl: The state must be \"on\" or \"off\", not \"maybe\"." + hint},
        {{"connected-displays", "x"}, 2, "lumadesk-ctl: connected-displays takes no arguments." + hint},
        {{"get-brightnes", left}, 2, "lumadesk-ctl: Unknown command \"get-brightnes\"." + hint},
        // Names that would forge a line, move the cursor or turn text around are refused, and what the
        // user typed is quoted back escaped and short.
        {{"rename", left, "\x1b]0;PWNED\a"}, 2, controlCharacters + hint},
        {{"rename", left, "Left\n4268-41234-1\tForged"}, 2, controlCharacters + hint},
        {{"rename", left,
          "Left\xC2\x9B"
          "2J"},
         2,
         controlCharacters + hint},
        {{"rename", left,
          "\xE2\x80\xAE"
          "tfeL"},
         2,
         controlCharacters + hint},
        {{"rename", left,
          "\xE2\x81\xA6"
          "Left"},
         2,
         controlCharacters + hint},
        {{"set-brightness", left, "\x1b]0;PWNED\a"},
         2,
         "lumadesk-ctl: LEVEL must be a whole number from 0 to 100, not \"\\x1b]0;PWNED\\x07\"." + hint},
        {{"get-brightness", "\x1b[2J"}, 3, "lumadesk-ctl: Display \\x1b[2J not found.\n"},
        {{"get-brightness", std::string(1'000'000, 'E')},
         3,
         "lumadesk-ctl: Display " + std::string(200, 'E') + "\u2026 not found.\n"},
    };
    for (const auto& [arguments, status, err] : cases) {
        SCOPED_TRACE(arguments.front() + " " + arguments.back().substr(0, 40));
        EXPECT_EQ(ctl(arguments), status);
        EXPECT_EQ(ctl.err, err);
        EXPECT_EQ(ctl.out, "");
    }
    for (const std::string level : {"abc", "-1", "101", "1e3", "40.0", " 40", "+40", ""}) {
        EXPECT_EQ(ctl({"set-brightness", left, level}), 2);
        EXPECT_EQ(ctl.err,
                  "lumadesk-ctl: LEVEL must be a whole number from 0 to 100, not \"" + level + "\"." + hint);
    }
    EXPECT_EQ(ctl.settings(), stored);
}

TEST(ActionCommand, StepBrightnessMovesFromTheCurrentLevelWithinTheRangeForOneOrEveryDisplay) {
    ActionCtl ctl;
    const std::string hint = " Try \"lumadesk-ctl --help\".\n";
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string out;
        std::string err;
    };
    const std::vector<Case> cases{
        {{"step-brightness", eastlake, "+5"}, 0, "Set Eastlake 32U brightness to 75%.\n", ""},
        {{"step-brightness", "Eastlake 32U", "-10"}, 0, "Set Eastlake 32U brightness to 65%.\n", ""},
        {{"step-brightness", eastlake, "40"}, 0, "Set Eastlake 32U brightness to 100%.\n", ""},
        {{"--json", "step-brightness", left, "-100"},
         0,
         R"({"dialog":"Set Northwind 27Q (1) brightness to 0%.","value":0})"
         "\n",
         ""},
        // Every DDC display from its own level (0, 65, 100): Southgate speaks no DDC and stays.
        {{"step-brightness", "all", "+3"}, 0, "Set the brightness of 3 displays to 57% on average.\n", ""},
        {{"display-info"},
         0,
         "Fetched info for 4 displays.\n"
         "Northwind 27Q (1): brightness 3%, connected yes, present yes\n"
         "Northwind 27Q (2): brightness 68%, connected yes, present yes\n"
         "Southgate 24: brightness 100%, connected yes, present yes\n"
         "Eastlake 32U: brightness 100%, connected yes, present yes\n",
         ""},
        {{"step-brightness", "10-9-9", "+5"}, 3, "", "lumadesk-ctl: Display 10-9-9 not found.\n"},
        {{"step-brightness", eastlake},
         2,
         "",
         "lumadesk-ctl: Usage: lumadesk-ctl step-brightness DISPLAY|all +N|-N." + hint},
    };
    for (const auto& [arguments, status, out, err] : cases) {
        SCOPED_TRACE(arguments.front() + " " + arguments.back());
        EXPECT_EQ(ctl(arguments), status);
        EXPECT_EQ(ctl.out, out);
        EXPECT_EQ(ctl.err, err);
    }
    for (const std::string step : {"+101", "-101", "++5", "+-5", "5%", " 5", "", "+", "-2147483648"}) {
        EXPECT_EQ(ctl({"step-brightness", left, step}), 2);
        EXPECT_EQ(ctl.err, "lumadesk-ctl: STEP must be a whole number from -100 to +100, not \"" + step +
                               "\"." + hint);
    }
}

TEST(ActionCommand, WithoutARunningAppTheBusIsLeftAlone) {
    ActionCtl ctl;
    // A bus that cannot be reached counts as no application on it.
    ctl.environment["DBUS_SESSION_BUS_ADDRESS"] = "unix:path=" + (ctl.home.path() / "no-bus").string();
    EXPECT_EQ(ctl({"get-brightness", eastlake}), 0);
    EXPECT_EQ(ctl.out, "Eastlake 32U brightness is 70%.\n");
    EXPECT_EQ(sessionBusAddress([](const std::string& name) -> std::optional<std::string> {
                  if (name == "XDG_RUNTIME_DIR") return "/run/user/7";
                  return std::nullopt;
              }),
              "unix:path=/run/user/7/bus");
}

// Names stored before control characters were refused still reach the terminal escaped, each display on
// a line of its own; the JSON form carries them exactly.
TEST(ActionCommand, TextsGoToTheTerminalEscapedLineByLine) {
    const IntentResult info{"Renamed \x1b]0;PWNED\a.", std::string("Name: Left\n\x1b[2JNext: \xC2\x9B")};
    EXPECT_EQ(ActionCommand::format(info, false),
              "Renamed \\x1b]0;PWNED\\x07.\nName: Left\n\\x1b[2JNext: \\xc2\\x9b");
    const IntentResult list{"2 displays.", std::vector<DisplayEntity>{{"1-2-3", "Left\n4-5-6\tForged", "M"},
                                                                      {"4-5-6", "Right", "M"}}};
    EXPECT_EQ(ActionCommand::format(list, false),
              "2 displays.\n1-2-3\tLeft\\x0a4-5-6\\x09Forged\n4-5-6\tRight");
    EXPECT_NE(ActionCommand::format(list, true).find(R"("displayName":"Left\n4-5-6\tForged")"),
              std::string::npos);
}
