#include <gtest/gtest.h>

#include "DisplayFixtures.h"
#include "interface/logic/BrightnessLevel.h"
#include "interface/logic/DisplayPresentation.h"

using namespace lumadesk;
using namespace lumadesk::testing;

TEST(BrightnessLevelTest, RoundsHalvesAwayFromZero) {
    EXPECT_EQ(roundedLevel(45.5), 46);
    EXPECT_EQ(roundedLevel(49.5), 50);
    EXPECT_EQ(roundedLevel(49.4), 49);
    EXPECT_EQ(roundedLevel(72.4), 72);
    EXPECT_EQ(roundedLevel(0.5), 1);
}

TEST(BrightnessLevelTest, FormatsPercentages) {
    EXPECT_EQ(percentText(46), "46%");
    EXPECT_EQ(percentSpoken(46), "46 percent");
}

TEST(DisplayPresentationTest, NameIsTheCustomNameEvenWhenEmpty) {
    auto display = controllableDisplay("a", 40);
    EXPECT_EQ(DisplayPresentation(display).name(), "Model a");
    display.customName = "Desk";
    EXPECT_EQ(DisplayPresentation(display).name(), "Desk");
    display.customName = "";
    EXPECT_EQ(DisplayPresentation(display).name(), "");
}

TEST(DisplayPresentationTest, ModelNameLineOnlyUnderADifferentCustomName) {
    auto display = controllableDisplay("a", 40);
    EXPECT_FALSE(DisplayPresentation(display).showsModelName());
    display.customName = display.modelName;
    EXPECT_FALSE(DisplayPresentation(display).showsModelName());
    display.customName = "Desk";
    EXPECT_TRUE(DisplayPresentation(display).showsModelName());
}

TEST(DisplayPresentationTest, HelpTextExplainsWhyTheSliderActsOrNot) {
    auto display = controllableDisplay("a", 40);
    display.customName = "Desk";
    EXPECT_EQ(DisplayPresentation(display).brightnessHelpText(), "Adjust brightness for Desk");
    display.supportsDDC = false;
    EXPECT_EQ(DisplayPresentation(display).brightnessHelpText(),
              "This display does not support DDC brightness control");
    display.isConnected = false;
    EXPECT_EQ(DisplayPresentation(display).brightnessHelpText(),
              "Reconnect this display to adjust brightness");
}

TEST(DisplayPresentationTest, SwitchLabelSaysWhatFlippingDoes) {
    auto display = controllableDisplay("a", 40);
    EXPECT_EQ(DisplayPresentation(display).connectionSwitchLabel(), "Disconnect Model a");
    display.isConnected = false;
    EXPECT_EQ(DisplayPresentation(display).connectionSwitchLabel(), "Connect Model a");
}

TEST(DisplayPresentationTest, IconWarnsForADisconnectedDisplay) {
    auto display = controllableDisplay("a", 40);
    EXPECT_STREQ(DisplayPresentation(display).iconSymbol(), "display");
    display.isConnected = false;
    EXPECT_STREQ(DisplayPresentation(display).iconSymbol(), "display.trianglebadge.exclamationmark");
}

TEST(DisplayPresentationTest, AccessibilityLabelsNameTheDisplay) {
    auto display = controllableDisplay("a", 40);
    EXPECT_EQ(DisplayPresentation(display).sliderLabel(), "Brightness for Model a");
    EXPECT_EQ(DisplayPresentation(display).renameLabel(), "Rename Model a");
}

TEST(DisplayPresentationTest, ControllableNeedsPresenceConnectionAndDDC) {
    auto display = controllableDisplay("a", 40);
    EXPECT_TRUE(DisplayPresentation(display).isControllable());
    display.isPresent = false;
    EXPECT_FALSE(DisplayPresentation(display).isControllable());
    const auto withoutDDC = displayWithoutDDC("b");
    EXPECT_FALSE(DisplayPresentation(withoutDDC).isControllable());
}
