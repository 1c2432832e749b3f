#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DisplayFixtures.h"
#include "interface/logic/PopoverContent.h"

using namespace lumadesk;
using namespace lumadesk::testing;

TEST(PopoverContentTest, SubtitleBodyCardAndListHeightFollowTheDisplays) {
    auto absent = controllableDisplay("gone", 50, 1);
    absent.isPresent = false;
    auto disconnected = controllableDisplay("off", 50, 1);
    disconnected.isConnected = false;
    std::vector<Display> five;
    for (int i = 0; i < 5; ++i) five.push_back(controllableDisplay("d" + std::to_string(i), 50, i));

    struct Case {
        const char* what;
        bool loaded;
        std::vector<Display> displays;
        std::string subtitle;
        PopoverContentState body;
        bool card;
        int listHeight;  // 70 per row with a slider, 46 without, kept within 46...280
    };
    const Case cases[] = {
        {"before the first load", false, {controllableDisplay("a", 40)}, "Finding displays",
         PopoverContentState::loading, false, 70},
        {"no displays", true, {}, "0 displays", PopoverContentState::empty, false, 46},
        {"one", true, {controllableDisplay("a", 40)}, "1 display", PopoverContentState::list, false, 70},
        {"one with DDC, one without", true, {controllableDisplay("a", 40), displayWithoutDDC("b", 1)},
         "2 displays", PopoverContentState::list, false, 70 + 46},
        {"one connected, one not", true, {controllableDisplay("a", 40), disconnected}, "2 displays",
         PopoverContentState::list, false, 70 + 46},
        {"one present, one not", true, {controllableDisplay("a", 40), absent}, "2 displays",
         PopoverContentState::list, false, 70 + 46},
        {"two controllable", true, {controllableDisplay("a", 40), controllableDisplay("b", 60, 1)},
         "2 displays", PopoverContentState::list, true, 140},
        {"five controllable", true, five, "5 displays", PopoverContentState::list, true, 280},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const PopoverContent content(c.loaded, c.displays);
        EXPECT_EQ(content.subtitle(), c.subtitle);
        EXPECT_EQ(content.state(), c.body);
        EXPECT_EQ(content.showsAllDisplaysCard(), c.card);
        EXPECT_EQ(content.listHeight(), c.listHeight);
    }
}

TEST(PopoverContentTest, ShownDisplaysFollowSortOrderAndKeepTheManagersOrderOnTies) {
    const PopoverContent content(true, {controllableDisplay("c", 1, 2), controllableDisplay("a", 1, 0),
                                        controllableDisplay("b1", 1, 1), controllableDisplay("b2", 1, 1)});
    std::vector<std::string> order;
    for (const auto& display : content.shownDisplays()) order.push_back(display.hardwareID);
    EXPECT_EQ(order, (std::vector<std::string>{"a", "b1", "b2", "c"}));
}
