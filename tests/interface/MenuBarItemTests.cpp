#include <gtest/gtest.h>

#include "interface/MenuBarItem.h"
#include "interface/Updater.h"
#include "runtime/InMemoryDefaults.h"

#include <QSystemTrayIcon>
#include <QWidget>

using namespace lumadesk;

TEST(MenuBarItemTest, FollowsTheSettingLiveOpensThePopoverAndWarnsOfAnUpdate) {
    InMemoryDefaults defaults;
    Updater updater;
    QWidget popover;
    MenuBarItem item(defaults, updater, popover);
    EXPECT_TRUE(item.isPresent()) << "present while the setting is unset";

    // A click opens the popover, a second one closes it.
    item.togglePopover();
    EXPECT_TRUE(popover.isVisible());
    item.togglePopover();
    EXPECT_FALSE(popover.isVisible());

    // Turning the setting off removes the icon at once and closes the popover, which could no longer be
    // reached; turning it on brings the icon back without a restart.
    item.togglePopover();
    defaults.setValue(MenuBarItem::showMenuBarIconKey, false);
    EXPECT_FALSE(item.isPresent());
    EXPECT_FALSE(popover.isVisible());
    MenuBarItem startedWithout(defaults, updater, popover);
    EXPECT_FALSE(startedWithout.isPresent());
    defaults.setValue(MenuBarItem::showMenuBarIconKey, true);
    EXPECT_TRUE(item.isPresent());
    EXPECT_TRUE(startedWithout.isPresent());

    // While an update waits the icon carries a badge, and loses it when the user checks.
    EXPECT_EQ(item.iconSymbol(), "display");
    const auto plainIcon = item.trayIcon().icon().cacheKey();
    updater.setUpdateAvailable(true);
    EXPECT_EQ(item.iconSymbol(), "display.badge.exclamationmark");
    EXPECT_NE(item.trayIcon().icon().cacheKey(), plainIcon) << "the drawn icon changes with the symbol";
    updater.checkForUpdates();
    EXPECT_EQ(item.iconSymbol(), "display");
}
