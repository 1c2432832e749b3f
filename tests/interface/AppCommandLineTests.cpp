#include <gtest/gtest.h>

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
    EXPECT_THROW(AppCommandLine::parse({"--bogus"}, std::nullopt), UsageError);
    EXPECT_TRUE(AppCommandLine::asksForHelp({"-platform", "offscreen", "-h"}));
    EXPECT_FALSE(AppCommandLine::asksForHelp({"--simulated"}));
}
