#include <gtest/gtest.h>

#include "interface/logic/RenameFlow.h"

using namespace lumadesk;

TEST(RenameFlowTest, TheSettingsRowStartsWithTheCurrentName) {
    RenameFlow flow(DisplayRowContext::settings);
    EXPECT_TRUE(flow.begin("Desk"));
    EXPECT_TRUE(flow.isRenaming());
    EXPECT_EQ(flow.draftName(), "Desk");
}

TEST(RenameFlowTest, ThePopoverRowNeverRenames) {
    RenameFlow flow(DisplayRowContext::popover);
    EXPECT_FALSE(flow.begin("Desk"));
    EXPECT_FALSE(flow.isRenaming());
}

TEST(RenameFlowTest, ReturnCommitsTheTrimmedName) {
    RenameFlow flow(DisplayRowContext::settings);
    flow.begin("Desk");
    flow.setDraftName("  Left screen \n");
    EXPECT_EQ(flow.commit(), "Left screen");
    EXPECT_FALSE(flow.isRenaming());
}

TEST(RenameFlowTest, BlankTextClosesTheFieldAndStoresNothing) {
    RenameFlow flow(DisplayRowContext::settings);
    flow.begin("Desk");
    flow.setDraftName(" \t\n ");
    EXPECT_EQ(flow.commit(), std::nullopt);
    EXPECT_FALSE(flow.isRenaming());
}

TEST(RenameFlowTest, EscapeDropsTheText) {
    RenameFlow flow(DisplayRowContext::settings);
    flow.begin("Desk");
    flow.setDraftName("Other");
    flow.cancel();
    EXPECT_FALSE(flow.isRenaming());
    flow.begin("Desk");
    EXPECT_EQ(flow.draftName(), "Desk");
}

TEST(RenameFlowTest, UnicodeSpacesAroundTheNameAreTrimmed) {
    RenameFlow flow(DisplayRowContext::settings);
    flow.begin("Desk");
    flow.setDraftName("\u00A0\u3000Left\u2009screen\u2028 ");
    EXPECT_EQ(flow.commit(), "Left\u2009screen");
}
