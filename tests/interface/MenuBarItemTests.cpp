#include <gtest/gtest.h>

#include "interface/MenuBarItem.h"
#include "interface/Updater.h"
#include "interface/logic/PopoverPlacement.h"
#include "runtime/InMemoryDefaults.h"

#include <QApplication>
#include <QCursor>
#include <QImage>
#include <QScreen>
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
    // Brought forward as a window by a second start, it is a popup again when the icon opens it.
    popover.setWindowFlags(Qt::Window);
    item.togglePopover();
    EXPECT_TRUE(popover.windowFlags().testFlag(Qt::Popup));
    item.togglePopover();

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

TEST(MenuBarItemTest, TheIconIsLightUnderADarkSchemeAndDarkUnderALightOneInAnOutlineOfTheOtherShade) {
    const QPalette original = QApplication::palette();
    const QByteArray desktop = qgetenv("XDG_CURRENT_DESKTOP");
    qputenv("XDG_CURRENT_DESKTOP", "KDE");  // a desktop whose panel follows the scheme
    InMemoryDefaults defaults;
    Updater updater;
    QWidget popover;
    MenuBarItem item(defaults, updater, popover);
    for (const bool dark : {true, false}) {
        QPalette scheme;
        scheme.setColor(QPalette::Window, dark ? QColor(40, 40, 42) : QColor(240, 240, 240));
        scheme.setColor(QPalette::WindowText, dark ? QColor(Qt::white) : QColor(Qt::black));
        QApplication::setPalette(scheme);
        const QImage image =
            item.trayIcon().icon().pixmap(32).toImage().convertToFormat(QImage::Format_ARGB32);
        // Opaque pixels are the symbol's own; the faint ones round it are its outline.
        int symbol = 0;
        int symbolInTheOtherShade = 0;
        int outline = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb pixel = image.pixel(x, y);
                const bool light = qGray(pixel) > 128;
                if (qAlpha(pixel) == 255) {
                    ++symbol;
                    if (light != dark) ++symbolInTheOtherShade;
                } else if (qAlpha(pixel) > 60 && qAlpha(pixel) < 200 && light != dark) {
                    ++outline;
                }
            }
        }
        EXPECT_GT(symbol, 20) << (dark ? "dark" : "light");
        EXPECT_EQ(symbolInTheOtherShade, 0) << (dark ? "dark" : "light");
        EXPECT_GT(outline, 20) << (dark ? "dark" : "light");
    }
    QApplication::setPalette(original);
    qputenv("XDG_CURRENT_DESKTOP", desktop);
}

TEST(MenuBarItemTest, ThePopoverIsPlacedAgainWhenItsHeightChangesAndStaysOnTheScreen) {
    InMemoryDefaults defaults;
    Updater updater;
    QWidget popover;
    popover.setFixedSize(340, 200);
    MenuBarItem item(defaults, updater, popover);
    // The offscreen tray does not tell the icon's place, so the pointer stands in for it: at the foot
    // of the screen, as on a bottom panel.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QPoint pointer(screen.center().x(), screen.bottom() - 10);
    QCursor::setPos(pointer);
    ASSERT_EQ(QCursor::pos(), pointer);
    item.togglePopover();
    EXPECT_EQ(popover.geometry().bottom() + 1, pointer.y() - PopoverPlacement::gap);

    // A display comes: the popover grows upwards and stays above the pointer; one taller than the
    // screen is kept at its top.
    for (const int height : {320, 260, screen.height() + 100}) {
        popover.setFixedHeight(height);
        const QRect placed = popover.geometry();
        EXPECT_GE(placed.top(), screen.top()) << height;
        if (height < screen.height()) {
            EXPECT_EQ(placed.bottom() + 1, pointer.y() - PopoverPlacement::gap) << height;
        }
    }
    item.togglePopover();
}
