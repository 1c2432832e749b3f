#include <gtest/gtest.h>

#include "DisplayFixtures.h"
#include "interface/logic/PopoverContent.h"

using namespace lumadesk;
using namespace lumadesk::testing;

TEST(PopoverContentTest, BeforeTheFirstLoadItIsFindingDisplays) {
    PopoverContent content(false, {controllableDisplay("a", 40)});
    EXPECT_EQ(content.state(), PopoverContentState::loading);
    EXPECT_EQ(content.subtitle(), "Finding displays");
}

TEST(PopoverContentTest, SubtitleCountsTheShownDisplays) {
    EXPECT_EQ(PopoverContent(true, {}).subtitle(), "0 displays");
    EXPECT_EQ(PopoverContent(true, {controllableDisplay("a", 40)}).subtitle(), "1 display");
    EXPECT_EQ(PopoverContent(true, {controllableDisplay("a", 40), displayWithoutDDC("b")}).subtitle(),
              "2 displays");
}

TEST(PopoverContentTest, StateIsEmptyWithoutDisplaysAndListWithSome) {
    EXPECT_EQ(PopoverContent(true, {}).state(), PopoverContentState::empty);
    EXPECT_EQ(PopoverContent(true, {displayWithoutDDC("a")}).state(), PopoverContentState::list);
}

TEST(PopoverContentTest, ShownDisplaysFollowSortOrderAndKeepTheManagersOrderOnTies) {
    PopoverContent content(true, {controllableDisplay("c", 1, 2), controllableDisplay("a", 1, 0),
                                  controllableDisplay("b1", 1, 1), controllableDisplay("b2", 1, 1)});
    std::vector<std::string> order;
    for (const auto& display : content.shownDisplays()) order.push_back(display.hardwareID);
    EXPECT_EQ(order, (std::vector<std::string>{"a", "b1", "b2", "c"}));
}

TEST(PopoverContentTest, ControllableDisplaysArePresentConnectedAndSpeakDDC) {
    auto disconnected = controllableDisplay("off", 0, 1);
    disconnected.isConnected = false;
    auto absent = controllableDisplay("gone", 0, 2);
    absent.isPresent = false;
    PopoverContent content(
        true, {controllableDisplay("on", 50, 0), disconnected, absent, displayWithoutDDC("x", 3)});
    ASSERT_EQ(content.controllableDisplays().size(), 1u);
    EXPECT_EQ(content.controllableDisplays()[0].hardwareID, "on");
}

TEST(PopoverContentTest, NoCardWithASingleControllableDisplay) {
    EXPECT_FALSE(PopoverContent(true, {controllableDisplay("a", 40)}).showsAllDisplaysCard());
    EXPECT_FALSE(PopoverContent(true, {controllableDisplay("a", 40, 0), displayWithoutDDC("b", 1)})
                     .showsAllDisplaysCard());
}

TEST(PopoverContentTest, CardWithTwoControllableDisplays) {
    EXPECT_TRUE(PopoverContent(true, {controllableDisplay("a", 40, 0), controllableDisplay("b", 60, 1)})
                    .showsAllDisplaysCard());
}

TEST(PopoverContentTest, ListHeightAddsRowsWithAndWithoutSliders) {
    PopoverContent content(true, {controllableDisplay("a", 40, 0), displayWithoutDDC("b", 1)});
    EXPECT_EQ(content.listHeight(), 70 + 46);
}

TEST(PopoverContentTest, ListHeightIsClampedBetweenOneShortRowAndFourRowsWithSliders) {
    std::vector<Display> five;
    for (int i = 0; i < 5; ++i) five.push_back(controllableDisplay("d" + std::to_string(i), 50, i));
    EXPECT_EQ(PopoverContent(true, five).listHeight(), 280);
    EXPECT_EQ(PopoverContent(true, {}).listHeight(), 46);
}
