#include <gtest/gtest.h>

#include "interface/logic/BrightnessSliderState.h"

using namespace lumadesk;

TEST(BrightnessSliderStateTest, WritesEveryMoveRoundedAndIgnoresTheDisplayOnlyWhileDragged) {
    BrightnessSliderState slider(40);
    slider.modelChanged(55);
    EXPECT_EQ(slider.position(), 55) << "not dragged, the slider follows the display";

    // Every delivered value is written, rounded half away from zero.
    EXPECT_EQ(slider.moved(49.5), 50);
    EXPECT_EQ(slider.moved(49.4), 49);

    // While dragged, an earlier write landing does not pull the knob back, and the label shows the
    // knob's rounded level; when the drag ends both jump to the display's level.
    slider.setEditing(true);
    slider.moved(60.5);
    slider.modelChanged(50);
    EXPECT_DOUBLE_EQ(slider.position(), 60.5);
    EXPECT_EQ(slider.shownLevel(), 61);
    slider.setEditing(false);
    EXPECT_EQ(slider.position(), 50);
    EXPECT_EQ(slider.shownLevel(), 50);
}
