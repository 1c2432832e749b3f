#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "cli/CtlCommandLine.h"
#include "cli/DisplayListFormatter.h"

using namespace lumadesk;

namespace {

using Command = CtlInvocation::Command;

EnvironmentLookup environment(std::map<std::string, std::string> variables = {}) {
    return [variables](const std::string& name) -> std::optional<std::string> {
        const auto found = variables.find(name);
        if (found == variables.end()) return std::nullopt;
        return found->second;
    };
}

CtlInvocation parse(std::vector<std::string> arguments, std::map<std::string, std::string> variables = {}) {
    return CtlCommandLine::parse(arguments, environment(std::move(variables)));
}

std::string refusal(std::vector<std::string> arguments, std::map<std::string, std::string> variables = {}) {
    try {
        parse(std::move(arguments), std::move(variables));
    } catch (const UsageError& error) {
        return error.what();
    }
    return {};
}

}  // namespace

TEST(CtlCommandLine, ReadsCommandsAndOptions) {
    const auto list = parse({"list"});
    EXPECT_EQ(list.command, Command::list);
    EXPECT_FALSE(list.json);
    EXPECT_FALSE(list.simulated) << "real monitors unless a simulated desk is asked for";
    EXPECT_EQ(list.deskFile, std::nullopt);
    EXPECT_EQ(list.transport, std::nullopt);
    EXPECT_EQ(list.chosenTransport(), TransportKind::arm64) << "the AV-service algorithm suits real monitors";

    const auto json = parse({"--simulated=desk.json", "list", "--json", "--transport=arm64"});
    EXPECT_TRUE(json.json);
    EXPECT_EQ(json.deskFile, std::filesystem::path("desk.json"));
    EXPECT_EQ(json.transport, TransportKind::arm64);

    EXPECT_TRUE(json.simulated);
    EXPECT_EQ(json.chosenTransport(), TransportKind::arm64);
    const auto simulated = parse({"--simulated", "refresh"});
    EXPECT_EQ(simulated.command, Command::refresh);
    EXPECT_TRUE(simulated.simulated);
    EXPECT_EQ(simulated.chosenTransport(), builtTransportKind()) << "a simulated desk keeps the processor's";
    const auto disconnect = parse({"disconnect", "4268-41234-0"});
    EXPECT_EQ(disconnect.command, Command::disconnect);
    EXPECT_EQ(disconnect.display, "4268-41234-0");
    EXPECT_EQ(parse({"list", "--help"}).command, Command::help);
    // "--" ends the options: what follows is a display, even when it starts with "-".
    EXPECT_EQ(parse({"connect", "--", "-5"}).display, "-5");
    EXPECT_EQ(parse({"--json", "list", "--"}).command, Command::list);
    EXPECT_EQ(parse({"disconnect", "--", "--help"}).display, "--help");
}

// The desk a command asks for, named as the running tray program names its own.
TEST(CtlCommandLine, NamesTheDeskItAsksFor) {
    EXPECT_EQ(parse({"list"}).deskName(), "real");
    EXPECT_EQ(parse({"--simulated", "list"}).deskName(), "simulated");
    const auto here = std::filesystem::current_path();
    EXPECT_EQ(parse({"--simulated=desks/../desk.json", "list"}).deskName(), "simulated:" + (here / "desk.json").string());
    EXPECT_EQ(parse({"--simulated=/a/desk.json", "--simulated", "list"}).deskName(), "simulated")
        << "the last option counts";
}

TEST(CtlCommandLine, HelpAlwaysWorksAndTheOptionBeatsTheEnvironment) {
    EXPECT_EQ(parse({"list"}, {{"LUMADESK_TRANSPORT", "arm64"}}).transport, TransportKind::arm64);
    EXPECT_EQ(parse({"list", "--transport=intel"}, {{"LUMADESK_TRANSPORT", "arm64"}}).transport,
              TransportKind::intel);
    EXPECT_EQ(parse({"--transport=arm64", "list"}, {{"LUMADESK_TRANSPORT", "ppc"}}).transport,
              TransportKind::arm64);
    EXPECT_EQ(parse({"--help"}, {{"LUMADESK_TRANSPORT", "ppc"}}).command, Command::help);
    EXPECT_EQ(parse({"frob", "-h", "--transport=x"}, {{"LUMADESK_TRANSPORT", "ppc"}}).command, Command::help);
    EXPECT_EQ(
        refusal({"list"}, {{"LUMADESK_TRANSPORT", "ppc"}}),
        "Unknown transport \"ppc\" in the environment variable LUMADESK_TRANSPORT (use arm64 or intel).");
}

TEST(CtlCommandLine, RefusesWhatItCannotDo) {
    EXPECT_EQ(refusal({}), "No command given.");
    EXPECT_EQ(refusal({"frob"}), "Unknown command \"frob\".");
    EXPECT_EQ(refusal({"--loud", "list"}), "Unknown option \"--loud\".");
    EXPECT_EQ(refusal({"list", "extra"}), "Unexpected argument \"extra\".");
    EXPECT_EQ(refusal({"refresh", "--json"}), "--json goes with the list command only.");
    EXPECT_EQ(refusal({"connect"}), "The command needs exactly one display (hardware ID or name).");
    EXPECT_EQ(refusal({"list", "--", "--json"}), "Unexpected argument \"--json\".");
    EXPECT_EQ(refusal({"\x1b]0;owned\x07"}), "Unknown command \"\\x1b]0;owned\\x07\".");
    // Checked before anything is done: the desk's saved state is keyed by its path in a JSON file.
    EXPECT_EQ(refusal({"--simulated=/tmp/d\xe9sk.json", "disconnect", "1-2-3"}),
              "The desk file's path \"/tmp/d\\xe9sk.json\" is not valid UTF-8 (in this or a parent folder's "
              "name); rename it.");
    EXPECT_EQ(refusal({"--simulated=", "list"}), "--simulated= needs a desk file.");
    EXPECT_EQ(refusal({"--transport=x86", "list"}),
              "Unknown transport \"x86\" in --transport (use arm64 or intel).");
}

TEST(DisplayListFormatter, EscapesControlCharactersInTheTableButKeepsJSONExact) {
    const std::vector<Display> displays{
        {1, "1-2", "Evil\x1b[2J\x9b", "Bl\xc3\xa5\xc2\x9b", 5, true, true, true, 0}};
    EXPECT_EQ(DisplayListFormatter::table(displays),
              "HARDWARE ID  NAME         BRIGHTNESS  CONNECTED  PRESENT  DDC  ORDER\n"
              "1-2          Bl\xc3\xa5\\xc2\\x9b  5           yes        yes      yes  0\n");
    const auto json = DisplayListFormatter::json(displays);
    EXPECT_NE(json.find("\"modelName\": \"Evil\\u001b[2J\xef\xbf\xbd\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"customName\": \"Bl\xc3\xa5\xc2\x9b\""), std::string::npos) << json;
}

TEST(DisplayListFormatter, AlignsTheTableAndWritesEveryFieldUnderItsOwnNameInJSON) {
    const std::vector<Display> displays{{2, "4268-41234-0", "Model", "Desk", 40, true, true, true, 0},
                                        {9, "1-2", "Other Model", std::nullopt, 0, false, false, false, 1}};
    EXPECT_EQ(DisplayListFormatter::table(displays),
              "HARDWARE ID   NAME         BRIGHTNESS  CONNECTED  PRESENT  DDC  ORDER\n"
              "4268-41234-0  Desk         40          yes        yes      yes  0\n"
              "1-2           Other Model  0           no         no       no   1\n");

    EXPECT_EQ(DisplayListFormatter::json({{9, "1-2", "Other", std::nullopt, 0, true, false, true, 3}}),
              R"([
  {
    "id": 9,
    "hardwareID": "1-2",
    "modelName": "Other",
    "customName": null,
    "brightness": 0,
    "isConnected": true,
    "isPresent": false,
    "supportsDDC": true,
    "sortOrder": 3
  }
]
)");
    EXPECT_EQ(DisplayListFormatter::json({}), "[]\n");
}
