#include "platform/linux/configuration/OutputIdentity.h"

#include <gtest/gtest.h>

#include "platform/linux/configuration/OutputConfigurationError.h"

namespace lumadesk {
namespace {

TEST(OutputIdentityTest, MatchesByEDIDFirstThenByTheDriversSpellingOfTheName) {
    const std::vector<std::uint8_t> dell{0, 0xFF, 1}, lg{0, 0xFF, 2}, twin{0, 0xFF, 3};
    struct Case {
        OutputIdentity identity;
        std::vector<OutputCandidate> candidates;
        std::optional<std::size_t> expected;
    };
    const Case cases[] = {
        // The EDID decides even when the names disagree.
        {{"DP-1", dell}, {{"DP-1", lg}, {"DP-2", dell}}, 1},
        // Without EDIDs the X11 spellings of the connector match.
        {{"HDMI-A-1", {}}, {{"DP1", {}}, {"HDMI1", {}}}, 1},
        {{"HDMI-A-2", {}}, {{"HDMI-1", {}}, {"HDMI-2", {}}}, 1},
        {{"DP-3", {}}, {{"DP-1", {}}, {"DP3", {}}}, 1},
        {{"DVI-I-1", {}}, {{"DVI-I-1", {}}, {"DVI-D-1", {}}}, 0},
        // The exact spelling beats a variant of it that another output has.
        {{"HDMI-1", {}}, {{"HDMI-A-1", {}}, {"HDMI-1", {}}}, 1},
        // Two monitors of one model: the name tells them apart.
        {{"DP-2", twin}, {{"DP-1", twin}, {"DP-2", twin}}, 1},
        // Another monitor on the same port is not the display asked for.
        {{"DP-1", dell}, {{"DP-1", lg}}, std::nullopt},
        {{"DP-1", dell}, {{"DP-1", {}}}, 0},
        {{"DP-9", {}}, {{"DP-1", {}}}, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(findOutput(c.identity, c.candidates), c.expected) << c.identity.connector;

    EXPECT_THROW(findOutput({"DP-3", twin}, {{"DP-1", twin}, {"DP-2", twin}}), OutputConfigurationError);
}

}  // namespace
}  // namespace lumadesk
