#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "interface/logic/RenameFlow.h"

using namespace lumadesk;

TEST(RenameFlowTest, OnlyTheSettingsRowRenamesAndReturnStoresTheTrimmedNameUnlessItIsBlank) {
    EXPECT_FALSE(RenameFlow(DisplayRowContext::popover).begin("Desk"));
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
        {"  Left screen \n", "Left screen"},
        // Unicode spaces are trimmed at the ends too, and kept inside the name.
        {"\u00A0\u3000Left\u2009screen\u2028 ", "Left\u2009screen"},
        {" \t\n ", std::nullopt},
    };
    for (const auto& [typed, stored] : cases) {
        SCOPED_TRACE(typed);
        RenameFlow flow(DisplayRowContext::settings);
        EXPECT_TRUE(flow.begin("Desk"));
        flow.setDraftName(typed);
        EXPECT_EQ(flow.commit(), stored);
        EXPECT_FALSE(flow.isRenaming()) << "the field closes either way";
    }
}
