#include <gtest/gtest.h>

#include "interface/logic/BrightnessSliderState.h"

using namespace lumadesk;

TEST(BrightnessSliderStateTest, FollowsTheModelWhenNotDragged) {
    BrightnessSliderState slider(40);
    EXPECT_EQ(slider.position(), 40);
    slider.modelChanged(55);
    EXPECT_EQ(slider.position(), 55);
    EXPECT_EQ(slider.shownLevel(), 55);
}

TEST(BrightnessSliderStateTest, MovesWriteTheRoundedLevel) {
    BrightnessSliderState slider(40);
    EXPECT_EQ(slider.moved(49.5), 50);
    EXPECT_EQ(slider.moved(49.4), 49);
}

TEST(BrightnessSliderStateTest, ADragIgnoresTheModelThenJumpsBackToIt) {
    BrightnessSliderState slider(40);
    slider.setEditing(true);
    slider.moved(60);
    slider.modelChanged(50);  // an earlier write lands
    EXPECT_EQ(slider.position(), 60);
    EXPECT_EQ(slider.shownLevel(), 60);
    slider.setEditing(false);
    EXPECT_EQ(slider.position(), 50);
    EXPECT_EQ(slider.shownLevel(), 50);
}

TEST(BrightnessSliderStateTest, ShownLevelWhileDraggingIsRounded) {
    BrightnessSliderState slider(40);
    slider.setEditing(true);
    slider.moved(45.5);
    EXPECT_EQ(slider.shownLevel(), 46);
    EXPECT_DOUBLE_EQ(slider.position(), 45.5);
}
