#include <gtest/gtest.h>

#include "app/AppCommandLine.h"

using namespace lumadesk;

// The shared options are read by the code the ctl program's tests cover in full; here, that the tray
// program takes them, refuses the rest, and finds --help among Qt's options before Qt starts.
TEST(AppCommandLineTest, TakesTheSharedOptionsRefusesTheRestAndFindsHelp) {
    const auto invocation = AppCommandLine::parse({"--simulated=desk.json", "--transport=intel"}, "arm64");
    EXPECT_EQ(invocation.deskFile, "desk.json");
    EXPECT_EQ(invocation.transport, TransportKind::intel) << "the option wins over the variable";
    EXPECT_EQ(AppCommandLine::parse({}, "arm64").transport, TransportKind::arm64);
    EXPECT_EQ(AppCommandLine::parse({}, std::nullopt).transport, builtTransportKind());
    EXPECT_EQ(AppCommandLine::parse({}, std::nullopt).deskFile, std::nullopt);
    EXPECT_THROW(AppCommandLine::parse({"--bogus"}, std::nullopt), UsageError);
    EXPECT_THROW(AppCommandLine::parse({}, "sparc"), UsageError);

    EXPECT_TRUE(AppCommandLine::asksForHelp({"-platform", "offscreen", "-h"}));
    EXPECT_FALSE(AppCommandLine::asksForHelp({"--simulated"}));
    EXPECT_NE(AppCommandLine::usage().find("--simulated[=FILE]"), std::string::npos);
}
