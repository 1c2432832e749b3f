#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "DisplayFixtures.h"
#include "interface/logic/DisplayPresentation.h"

using namespace lumadesk;
using namespace lumadesk::testing;

// Absent displays are not controllable either; the popover's content tests cover that.
TEST(DisplayPresentationTest, WhatARowSaysFollowsConnectionDDCAndName) {
    struct Case {
        bool connected, ddc;
        std::optional<std::string> customName;
        bool controllable, showsModelName;
        std::string helpText, switchLabel, icon;
    };
    const Case cases[] = {
        {true, true, std::nullopt, true, false, "Adjust brightness for Model a", "Disconnect Model a", "display"},
        {true, true, "Desk", true, true, "Adjust brightness for Desk", "Disconnect Desk", "display"},
        {true, true, "Model a", true, false, "Adjust brightness for Model a", "Disconnect Model a", "display"},
        {true, false, std::nullopt, false, false, "This display does not support DDC brightness control",
         "Disconnect Model a", "display"},
        {false, true, std::nullopt, false, false, "Reconnect this display to adjust brightness",
         "Connect Model a", "display.trianglebadge.exclamationmark"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.helpText + " / " + c.customName.value_or("no custom name"));
        auto display = controllableDisplay("a", 40);
        display.isConnected = c.connected;
        display.supportsDDC = c.ddc;
        display.customName = c.customName;
        const DisplayPresentation presentation(display);
        EXPECT_EQ(presentation.isControllable(), c.controllable);
        EXPECT_EQ(presentation.showsModelName(), c.showsModelName);
        EXPECT_EQ(presentation.brightnessHelpText(), c.helpText);
        EXPECT_EQ(presentation.connectionSwitchLabel(), c.switchLabel);
        EXPECT_EQ(presentation.iconSymbol(), c.icon);
    }
}
