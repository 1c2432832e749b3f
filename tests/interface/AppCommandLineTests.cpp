#include <gtest/gtest.h>

#include "app/AppCommandLine.h"

using namespace lumadesk;

TEST(AppCommandLineTest, NoArgumentsRunTheBuiltInDeskOnThisProcessorsTransport) {
    const auto invocation = AppCommandLine::parse({}, std::nullopt);
    EXPECT_EQ(invocation.deskFile, std::nullopt);
    EXPECT_EQ(invocation.transport, builtTransportKind());
}

TEST(AppCommandLineTest, ASimulatedDeskFile) {
    EXPECT_EQ(AppCommandLine::parse({"--simulated=desk.json"}, std::nullopt).deskFile, "desk.json");
    EXPECT_EQ(AppCommandLine::parse({"--simulated=desk.json", "--simulated"}, std::nullopt).deskFile,
              std::nullopt);
    EXPECT_THROW(AppCommandLine::parse({"--simulated="}, std::nullopt), UsageError);
}

TEST(AppCommandLineTest, TheTransportFromTheOptionOverTheEnvironment) {
    EXPECT_EQ(AppCommandLine::parse({}, "arm64").transport, TransportKind::arm64);
    EXPECT_EQ(AppCommandLine::parse({"--transport=intel"}, "arm64").transport, TransportKind::intel);
    EXPECT_EQ(AppCommandLine::parse({}, "").transport, builtTransportKind());
    EXPECT_THROW(AppCommandLine::parse({}, "sparc"), UsageError);
    EXPECT_THROW(AppCommandLine::parse({"--transport=sparc"}, std::nullopt), UsageError);
}

TEST(AppCommandLineTest, HelpAndUnknownArguments) {
    EXPECT_TRUE(AppCommandLine::asksForHelp({"-platform", "offscreen", "-h"}));
    EXPECT_FALSE(AppCommandLine::asksForHelp({"--simulated"}));
    EXPECT_THROW(AppCommandLine::parse({"--bogus"}, std::nullopt), UsageError);
    EXPECT_NE(AppCommandLine::usage().find("--simulated[=FILE]"), std::string::npos);
}
