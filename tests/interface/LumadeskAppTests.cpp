#include <gtest/gtest.h>

#include "interface/LumadeskApp.h"
#include "interface/MenuBarItem.h"
#include "interface/MenuBarPopover.h"
#include "runtime/InMemoryDefaults.h"
#include "support/DisplayManagerHarness.h"

#include <QApplication>
#include <QSystemTrayIcon>

using namespace lumadesk;

namespace {

// Keeps the application-wide quit setting as the test found it.
struct QuitSettingGuard {
    bool saved = QApplication::quitOnLastWindowClosed();
    ~QuitSettingGuard() { QApplication::setQuitOnLastWindowClosed(saved); }
};

}  // namespace

TEST(LumadeskAppTest, StartQueuesTheFirstRefreshAndOffersThePopover) {
    QuitSettingGuard guard;
    DisplayManagerHarness desk;
    desk.ddc.plugIn(DisplayManagerHarness::snapshot(1, "a"), 40);
    desk.start();
    InMemoryDefaults defaults;
    {
        LumadeskApp app(desk.manager, defaults, desk.queue);
        app.start();
        EXPECT_EQ(app.popover().contentState(), PopoverContentState::loading);
        desk.queue.runUntilIdle();
        EXPECT_EQ(app.popover().contentState(), PopoverContentState::list);
        if (QSystemTrayIcon::isSystemTrayAvailable()) {
            ASSERT_NE(app.menuBarItem(), nullptr);
            EXPECT_TRUE(app.menuBarItem()->isPresent());
            EXPECT_TRUE(app.popover().windowFlags().testFlag(Qt::Popup));
            EXPECT_FALSE(QApplication::quitOnLastWindowClosed());
        } else {
            // No tray here: the popover is an ordinary window, shown at once, and closing it quits.
            EXPECT_EQ(app.menuBarItem(), nullptr);
            EXPECT_TRUE(app.popover().isVisible());
            EXPECT_FALSE(app.popover().windowFlags().testFlag(Qt::Popup));
            EXPECT_TRUE(QApplication::quitOnLastWindowClosed());
        }
        EXPECT_FALSE(app.updater().canCheckForUpdates());
        EXPECT_FALSE(app.updater().isUpdateAvailable());
    }
    desk.queue.runUntilIdle();
}
