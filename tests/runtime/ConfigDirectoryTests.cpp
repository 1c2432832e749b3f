#include "runtime/ConfigDirectory.h"

#include <gtest/gtest.h>

#include <map>

namespace lumadesk {
namespace {

std::filesystem::path directoryFor(std::map<std::string, std::string> variables) {
    return defaultConfigDirectory([variables](const std::string& name) -> std::optional<std::string> {
        auto it = variables.find(name);
        if (it == variables.end()) return std::nullopt;
        return it->second;
    });
}

TEST(ConfigDirectory, ExplicitDirectoryWins) {
    EXPECT_EQ(directoryFor({{"LUMADESK_CONFIG_DIR", "/srv/desk"}, {"XDG_CONFIG_HOME", "/x"}, {"HOME", "/h"}}),
              "/srv/desk");
}

TEST(ConfigDirectory, ExplicitRelativeDirectoryIsFixedAgainstTheWorkingDirectory) {
    EXPECT_EQ(directoryFor({{"LUMADESK_CONFIG_DIR", "desk"}}), std::filesystem::current_path() / "desk");
}

TEST(ConfigDirectory, FallsBackToXdgConfigHomeThenHome) {
    EXPECT_EQ(directoryFor({{"LUMADESK_CONFIG_DIR", ""}, {"XDG_CONFIG_HOME", "/x"}, {"HOME", "/h"}}),
              "/x/lumadesk");
    EXPECT_EQ(directoryFor({{"XDG_CONFIG_HOME", ""}, {"HOME", "/h"}}), "/h/.config/lumadesk");
}

TEST(ConfigDirectory, IgnoresARelativeXdgConfigHome) {
    EXPECT_EQ(directoryFor({{"XDG_CONFIG_HOME", "config"}, {"HOME", "/h"}}), "/h/.config/lumadesk");
}

TEST(ConfigDirectory, WithoutAnyVariableSaysWhichOnesToSet) {
    try {
        directoryFor({{"HOME", ""}});
        ADD_FAILURE() << "a directory was found";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("LUMADESK_CONFIG_DIR"), std::string::npos);
    }
}

}  // namespace
}  // namespace lumadesk
