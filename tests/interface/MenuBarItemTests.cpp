#include <gtest/gtest.h>

#include "interface/MenuBarItem.h"
#include "interface/Updater.h"
#include "runtime/InMemoryDefaults.h"

#include <QSystemTrayIcon>
#include <QWidget>

using namespace lumadesk;

namespace {

struct MenuBarItemTest : ::testing::Test {
    InMemoryDefaults defaults;
    Updater updater;
    QWidget popover;
};

}  // namespace

TEST_F(MenuBarItemTest, PresentByDefault) {
    MenuBarItem item(defaults, updater, popover);
    EXPECT_TRUE(item.isPresent());
    EXPECT_EQ(item.trayIcon().toolTip(), "Lumadesk");
}

TEST_F(MenuBarItemTest, AbsentWhileTheSettingIsOffAndBackWithoutARestart) {
    defaults.setValue(MenuBarItem::showMenuBarIconKey, false);
    MenuBarItem item(defaults, updater, popover);
    EXPECT_FALSE(item.isPresent());
    defaults.setValue(MenuBarItem::showMenuBarIconKey, true);
    EXPECT_TRUE(item.isPresent());
    defaults.setValue(MenuBarItem::showMenuBarIconKey, false);
    EXPECT_FALSE(item.isPresent());
}

TEST_F(MenuBarItemTest, RemovingTheIconClosesThePopover) {
    MenuBarItem item(defaults, updater, popover);
    item.togglePopover();
    EXPECT_TRUE(popover.isVisible());
    defaults.setValue(MenuBarItem::showMenuBarIconKey, false);
    EXPECT_FALSE(popover.isVisible());
}

TEST_F(MenuBarItemTest, TheIconWarnsWhileAnUpdateWaits) {
    MenuBarItem item(defaults, updater, popover);
    EXPECT_EQ(item.iconSymbol(), "display");
    const auto plainKey = item.trayIcon().icon().cacheKey();
    updater.setUpdateAvailable(true);
    EXPECT_EQ(item.iconSymbol(), "display.badge.exclamationmark");
    EXPECT_NE(item.trayIcon().icon().cacheKey(), plainKey);
    updater.checkForUpdates();
    EXPECT_EQ(item.iconSymbol(), "display");
}

TEST_F(MenuBarItemTest, AClickOpensAndASecondClosesThePopover) {
    MenuBarItem item(defaults, updater, popover);
    item.togglePopover();
    EXPECT_TRUE(popover.isVisible());
    item.togglePopover();
    EXPECT_FALSE(popover.isVisible());
}
