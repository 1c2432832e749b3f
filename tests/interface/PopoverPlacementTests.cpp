#include <gtest/gtest.h>

#include "interface/logic/PopoverPlacement.h"

using namespace lumadesk;

namespace {
const PopoverPlacement::Rect screen{0, 0, 1920, 1080};
}

TEST(PopoverPlacementTest, CentredUnderAnIconAtTheTop) {
    const auto corner =
        PopoverPlacement::place(340, 400, PopoverPlacement::Rect{1000, 0, 24, 24}, {}, screen);
    EXPECT_EQ(corner, (PopoverPlacement::Point{1012 - 170, 24 + PopoverPlacement::gap}));
}

TEST(PopoverPlacementTest, AboveAnIconAtTheBottom) {
    const auto corner =
        PopoverPlacement::place(340, 400, PopoverPlacement::Rect{1000, 1050, 24, 30}, {}, screen);
    EXPECT_EQ(corner.y, 1050 - PopoverPlacement::gap - 400);
}

TEST(PopoverPlacementTest, KeptInsideTheScreen) {
    const auto corner =
        PopoverPlacement::place(340, 400, PopoverPlacement::Rect{1900, 0, 20, 24}, {}, screen);
    EXPECT_EQ(corner.x, 1920 - 340);
}

TEST(PopoverPlacementTest, ThePointerStandsInForAnIconWithoutGeometry) {
    const auto corner =
        PopoverPlacement::place(340, 400, PopoverPlacement::Rect{0, 0, 0, 0}, {500, 10}, screen);
    EXPECT_EQ(corner, (PopoverPlacement::Point{330, 10 + PopoverPlacement::gap}));
}
