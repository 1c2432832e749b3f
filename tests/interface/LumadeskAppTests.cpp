#include <gtest/gtest.h>

#include "interface/LumadeskApp.h"
#include "interface/MenuBarPopover.h"
#include "interface/SettingsView.h"
#include "keys/KeysFakes.h"
#include "platform/simulated/SimulatedKeyboardEvents.h"
#include "runtime/InMemoryDefaults.h"
#include "support/DisplayManagerHarness.h"

#include <QApplication>
#include <QSystemTrayIcon>

using namespace lumadesk;

TEST(LumadeskAppTest, StartQueuesTheFirstRefreshAndOffersThePopoverByTrayOrWindow) {
    const bool quitOnLastWindowClosed = QApplication::quitOnLastWindowClosed();
    DisplayManagerHarness desk;
    desk.ddc.plugIn(DisplayManagerHarness::snapshot(1, "a"), 40);
    desk.start();
    InMemoryDefaults defaults;
    SimulatedKeyboardEvents keyboard;
    SimulatedPermissionServices permissions;
    FakeScreenList screens;
    {
        LumadeskApp app(desk.manager, defaults, desk.queue, {keyboard, permissions, screens, true});
        app.start();
        const bool tray = QSystemTrayIcon::isSystemTrayAvailable();
        if (!tray) {
            // The window is on screen first, saying that it is finding displays, and only then does
            // the blocking first refresh start.
            desk.queue.runUntilIdle();
            EXPECT_EQ(desk.ddc.snapshotCalls, 0);
            QCoreApplication::processEvents();
            EXPECT_EQ(app.popover().contentState(), PopoverContentState::loading);
        }
        desk.queue.runUntilIdle();
        EXPECT_EQ(app.popover().contentState(), PopoverContentState::list);
        // With a tray, the popover is a popup under its icon and the program outlives its windows;
        // without one (as offscreen), it is an ordinary window, shown at once, and closing it quits.
        EXPECT_EQ(app.menuBarItem() != nullptr, tray);
        EXPECT_EQ(app.popover().windowFlags().testFlag(Qt::Popup), tray);
        EXPECT_EQ(app.popover().isVisible(), !tray);
        EXPECT_EQ(QApplication::quitOnLastWindowClosed(), !tray);

        // A second start of the program opens the settings window, even when the icon is switched off.
        app.bringForward();
        ASSERT_NE(app.settingsView(), nullptr);
        EXPECT_TRUE(app.settingsView()->isVisible());
    }
    desk.queue.runUntilIdle();
    QApplication::setQuitOnLastWindowClosed(quitOnLastWindowClosed);
}
