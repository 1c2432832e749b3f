#include <gtest/gtest.h>

#include "interface/logic/PopoverPlacement.h"

using namespace lumadesk;

TEST(PopoverPlacementTest, UnderOrAboveTheIconAndInsideTheScreen) {
    using Placement = PopoverPlacement;
    struct Case {
        const char* what;
        Placement::Rect icon;
        Placement::Point pointer;
        Placement::Point corner;
    };
    const Case cases[] = {
        {"centred under an icon at the top", {1000, 0, 24, 24}, {}, {1012 - 170, 24 + Placement::gap}},
        {"above an icon at the bottom", {1000, 1050, 24, 30}, {}, {1012 - 170, 1050 - Placement::gap - 400}},
        {"kept inside the screen", {1900, 0, 20, 24}, {}, {1920 - 340, 24 + Placement::gap}},
        {"the pointer for an icon without geometry", {0, 0, 0, 0}, {500, 10}, {330, 10 + Placement::gap}},
    };
    for (const auto& [what, icon, pointer, corner] : cases) {
        SCOPED_TRACE(what);
        const auto placed = Placement::place(340, 400, icon, pointer, {0, 0, 1920, 1080});
        EXPECT_EQ(placed.x, corner.x);
        EXPECT_EQ(placed.y, corner.y);
    }
}
