#include <gtest/gtest.h>

#include "interface/LumadeskApp.h"
#include "interface/MenuBarPopover.h"
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
        EXPECT_EQ(app.popover().contentState(), PopoverContentState::loading) << "the refresh is queued";
        desk.queue.runUntilIdle();
        EXPECT_EQ(app.popover().contentState(), PopoverContentState::list);
        // With a tray, the popover is a popup under its icon and the program outlives its windows;
        // without one (as offscreen), it is an ordinary window, shown at once, and closing it quits.
        const bool tray = QSystemTrayIcon::isSystemTrayAvailable();
        EXPECT_EQ(app.menuBarItem() != nullptr, tray);
        EXPECT_EQ(app.popover().windowFlags().testFlag(Qt::Popup), tray);
        EXPECT_EQ(app.popover().isVisible(), !tray);
        EXPECT_EQ(QApplication::quitOnLastWindowClosed(), !tray);
    }
    desk.queue.runUntilIdle();
    QApplication::setQuitOnLastWindowClosed(quitOnLastWindowClosed);
}
