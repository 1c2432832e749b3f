#include <gtest/gtest.h>

#include <map>

#include "app/AppCommandLine.h"

using namespace lumadesk;

// The shared options are tested in full with the ctl program's command line; here, that the tray
// program takes them, refuses anything else, and finds --help among Qt's options before Qt starts.
TEST(AppCommandLineTest, TakesTheSharedOptionsRefusesTheRestAndFindsHelp) {
    const auto invocation = AppCommandLine::parse({"--simulated=desk.json", "--transport=intel"}, "arm64");
    EXPECT_EQ(invocation.deskFile, "desk.json");
    EXPECT_EQ(invocation.transport, TransportKind::intel) << "the option wins over the variable";
    EXPECT_EQ(AppCommandLine::parse({}, "arm64").transport, TransportKind::arm64);
    EXPECT_EQ(AppCommandLine::parse({}, std::nullopt).chosenTransport(), TransportKind::arm64);
    EXPECT_FALSE(AppCommandLine::parse({}, std::nullopt).simulated);
    EXPECT_EQ(AppCommandLine::parse({"--transport=arm64"}, "ppc").transport, TransportKind::arm64)
        << "a bad variable does not matter when the option chooses";
    EXPECT_THROW(AppCommandLine::parse({"--bogus"}, std::nullopt), UsageError);
    EXPECT_TRUE(AppCommandLine::asksForHelp({"-platform", "offscreen", "-h"}));
    EXPECT_FALSE(AppCommandLine::asksForHelp({"--simulated"}));
}

// Outside a desktop session the program says so itself before Qt gives its own misleading message;
// a platform named for Qt (offscreen, vnc, ...) counts as a place to run.
TEST(AppCommandLineTest, NeedsADesktopSessionOrAPlatformNamedForQt) {
    struct Case {
        std::vector<std::string> arguments;
        std::map<std::string, std::string> environment;
        bool hasSession;
    };
    const Case cases[] = {
        {{}, {}, false},
        {{}, {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}}, false},
        {{}, {{"DISPLAY", ":0"}}, true},
        {{}, {{"WAYLAND_DISPLAY", "wayland-0"}}, true},
        {{}, {{"QT_QPA_PLATFORM", "offscreen"}}, true},
        {{"-platform", "offscreen"}, {}, true},
        {{"--simulated"}, {{"HOME", "/home/u"}}, false},
    };
    for (const Case& c : cases) {
        const auto environment = [&c](const std::string& name) -> std::optional<std::string> {
            const auto found = c.environment.find(name);
            if (found == c.environment.end()) return std::nullopt;
            return found->second;
        };
        EXPECT_EQ(AppCommandLine::hasDesktopSession(c.arguments, environment), c.hasSession)
            << ::testing::PrintToString(c.arguments) << " " << ::testing::PrintToString(c.environment);
    }
    EXPECT_EQ(
        std::string(AppCommandLine::noDesktopSessionMessage),
        "lumadesk: needs a desktop session (Wayland or X11), but neither WAYLAND_DISPLAY nor DISPLAY is set; "
        "lumadesk-ctl works without one.\n");
}
