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

TEST(ConfigDirectory, TakesTheFirstUsableVariable) {
    const std::vector<std::pair<std::map<std::string, std::string>, std::filesystem::path>> cases = {
        {{{"LUMADESK_CONFIG_DIR", "/srv/desk"}, {"XDG_CONFIG_HOME", "/x"}, {"HOME", "/h"}}, "/srv/desk"},
        {{{"LUMADESK_CONFIG_DIR", "desk"}}, std::filesystem::current_path() / "desk"},
        // Empty variables count as unset; a relative XDG_CONFIG_HOME is ignored, as XDG requires.
        {{{"LUMADESK_CONFIG_DIR", ""}, {"XDG_CONFIG_HOME", "/x"}, {"HOME", "/h"}}, "/x/lumadesk"},
        {{{"XDG_CONFIG_HOME", ""}, {"HOME", "/h"}}, "/h/.config/lumadesk"},
        {{{"XDG_CONFIG_HOME", "config"}, {"HOME", "/h"}}, "/h/.config/lumadesk"}};
    for (const auto& [variables, expected] : cases) {
        SCOPED_TRACE(expected);
        EXPECT_EQ(directoryFor(variables), expected);
    }

    // Without any of them the error says which variable to set.
    try {
        directoryFor({{"HOME", ""}});
        ADD_FAILURE() << "a directory was found";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("LUMADESK_CONFIG_DIR"), std::string::npos);
    }
}

}  // namespace
}  // namespace lumadesk
