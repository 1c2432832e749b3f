#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "interface/AfterPaint.h"
#include "interface/AllDisplaysCard.h"
#include "interface/ConnectionStatusView.h"
#include "interface/ContinuousSlider.h"
#include "interface/DisplayRowList.h"
#include "interface/DisplayRowView.h"
#include "interface/ElidedLabel.h"
#include "interface/ErrorStrip.h"
#include "interface/MenuBarPopover.h"
#include "interface/OverlayScrollBar.h"
#include "interface/PlainButton.h"
#include "interface/PopoverFooter.h"
#include "interface/PopoverHeader.h"
#include "interface/RefreshButton.h"
#include "interface/Spinner.h"
#include "interface/SymbolView.h"
#include "interface/ToggleSwitch.h"
#include "interface/Updater.h"
#include "interface/logic/WheelLatch.h"
#include "support/DisplayManagerHarness.h"

#include <QtTest/qtestspontaneevent.h>
#include <QAccessible>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

using namespace lumadesk;
using namespace std::chrono_literals;

namespace {

using Writes = std::vector<std::pair<DisplayID, int>>;

// The popover over a display manager on fake hardware, in virtual time.
struct MenuBarPopoverTest : ::testing::Test {
    DisplayManagerHarness desk;
    Updater updater;
    std::unique_ptr<MenuBarPopover> popover;

    void plugIn(DisplayID id, const std::string& hardwareID, int brightness, bool supportsDDC = true) {
        desk.ddc.plugIn(DisplayManagerHarness::snapshot(id, hardwareID, supportsDDC), brightness);
    }
    // Builds the manager and the popover over it; refreshes first unless told not to.
    MenuBarPopover& open(bool refreshFirst = true) {
        desk.start();
        if (refreshFirst) desk.refresh();
        popover = std::make_unique<MenuBarPopover>(*desk.manager, updater, desk.queue, PopoverActions{});
        popover->show();
        return *popover;
    }
    const std::vector<DisplayRowView*>& rows() const { return popover->rowList().rows(); }
    ContinuousSlider& sliderOf(std::size_t row) const {
        return *rows().at(row)->findChild<ContinuousSlider*>(QStringLiteral("brightnessSlider"));
    }
    ToggleSwitch& switchOf(std::size_t row) const {
        return *rows().at(row)->findChild<ToggleSwitch*>(QStringLiteral("connectionSwitch"));
    }
    ConnectionStatusView& statusOf(std::size_t row) const {
        return *rows().at(row)->findChild<ConnectionStatusView*>(QStringLiteral("connectionStatus"));
    }
    void TearDown() override {
        popover.reset();
        desk.queue.runUntilIdle();
    }
};

}  // namespace

TEST_F(MenuBarPopoverTest, FromFirstLoadToAScrollingListRefreshedByItsOwnButtons) {
    auto& view = open(false);
    EXPECT_EQ(view.width(), 340);
    EXPECT_EQ(view.header().subtitle(), "Finding displays");
    EXPECT_TRUE(view.loadingView().isVisible());

    // Loaded without displays: the empty body, whose own button refreshes.
    desk.refresh();
    EXPECT_TRUE(view.emptyView().isVisible());
    EXPECT_FALSE(view.loadingView().isVisible());
    plugIn(1, "a", 40);
    plugIn(2, "b", 0, false);
    QTest::mouseClick(const_cast<QPushButton*>(&view.emptyRefreshButton()), Qt::LeftButton);
    QCoreApplication::processEvents();  // the refresh waits until the popover has painted
    desk.queue.runUntilIdle();
    // Rows added to a shown list show from the event loop; the scroll area measures them a turn later.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();

    // Two displays of which one is controllable: no card, and a list exactly as high as its rows, with
    // the divider drawn on the first row's last pixel line, inset from the leading edge.
    EXPECT_EQ(view.header().subtitle(), "2 displays");
    EXPECT_FALSE(view.emptyView().isVisible());
    EXPECT_FALSE(view.card().isVisible());
    EXPECT_EQ(view.listArea().height(), 70 + 46);
    EXPECT_EQ(view.listArea().verticalScrollBar()->maximum(), 0);
    const auto lines = view.rowList().dividerLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(std::tuple(lines[0].x1(), lines[0].x2(), lines[0].y1(), lines[0].y2()),
              std::tuple(52, 339, 69, 69));

    // The header's refresh button spins and stays off while its refresh runs, which starts no second one.
    for (DisplayID id = 3; id <= 5; ++id) plugIn(id, "d" + std::to_string(id), 50);
    const int snapshots = desk.ddc.snapshotCalls;
    auto& button = view.header().refreshButton();
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_TRUE(button.isBusy());
    EXPECT_TRUE(button.spinner().isAnimating());
    view.refreshDisplays();
    QTest::mouseClick(&button, Qt::LeftButton);
    // The blocking refresh starts only once the spinner is on screen.
    desk.queue.runUntilIdle();
    EXPECT_EQ(desk.ddc.snapshotCalls, snapshots);
    QCoreApplication::processEvents();
    desk.queue.runUntilIdle();
    EXPECT_EQ(desk.ddc.snapshotCalls, snapshots + 1);
    EXPECT_FALSE(button.isBusy());
    EXPECT_FALSE(button.spinner().isAnimating()) << "a hidden spinner does not animate";

    // Five rows, four with sliders: the card, and a list of 280 with the rest to scroll.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_TRUE(view.card().isVisible());
    EXPECT_EQ(view.listArea().height(), 280);
    EXPECT_EQ(view.listArea().verticalScrollBar()->maximum(), 4 * 70 + 46 - 280);

    // The scroll indicator lies over the rows' right padding instead of narrowing them, so the
    // switches stay in line with the refresh button above.
    EXPECT_TRUE(view.scrollIndicator().isVisible());
    EXPECT_EQ(view.rowList().rows()[0]->width(), 340);
    const auto rightEdge = [&](const QWidget& widget) {
        return widget.mapTo(&view, widget.rect().topRight()).x();
    };
    EXPECT_EQ(
        rightEdge(*view.rowList().rows()[0]->findChild<ToggleSwitch*>(QStringLiteral("connectionSwitch"))),
        rightEdge(button));
    EXPECT_EQ(view.rowList().dividerLines().size(), 4u);
}

TEST_F(MenuBarPopoverTest, OpeningShowsTheMeanOnTheCardWritingNothingAndAMoveWritesTheRoundedLevel) {
    plugIn(1, "a", 30);
    plugIn(2, "b", 61);
    plugIn(3, "c", 0, false);
    auto& view = open();
    EXPECT_TRUE(view.card().isVisible());
    EXPECT_DOUBLE_EQ(view.card().slider().position(), 45.5);
    EXPECT_EQ(view.card().levelText(), "46%");
    EXPECT_EQ(view.card().slider().accessibleValue(), "46 percent");
    desk.queue.advanceBy(1s);
    EXPECT_TRUE(desk.ddc.writes.empty());

    // 72.4 goes to every controllable display as 72, and to no other.
    view.card().slider().setValue(7240);
    desk.queue.advanceBy(1s);
    EXPECT_EQ(desk.ddc.writes, (Writes{{1, 72}, {2, 72}}));
    EXPECT_EQ(view.card().levelText(), "72%");
}

TEST_F(MenuBarPopoverTest, ARowWritesEveryMoveToItsOwnDisplayAndADragIgnoresTheDisplayUntilItEnds) {
    plugIn(1, "a", 30);
    plugIn(2, "b", 61);
    open();
    const auto before = rows();
    auto& dragged = sliderOf(1);

    // The second display is dragged to 70, which lands, and then set to 55 elsewhere: a refresh keeps the
    // rows, and the knob stays where the user holds it until the drag ends.
    dragged.setSliderDown(true);
    dragged.setValue(7000);
    desk.queue.advanceBy(1s);
    desk.ddc.brightnessByID[2] = 55;
    desk.refresh();
    EXPECT_EQ(rows(), before);
    EXPECT_EQ(dragged.position(), 70);
    dragged.setSliderDown(false);
    EXPECT_EQ(dragged.position(), 55);

    // The first display leaves while its slider is dragged and a disconnect of it fails. The second
    // moves up into the first place with its own row, and nothing of the first one's shows on it.
    desk.ddc.failingConnectionChanges.insert(1);
    sliderOf(0).setSliderDown(true);
    sliderOf(0).setValue(4950);
    QTest::mouseClick(&switchOf(0), Qt::LeftButton);
    desk.ddc.unplug(1);
    desk.refresh();
    desk.queue.advanceBy(2s);
    ASSERT_EQ(rows().size(), 1u);
    EXPECT_EQ(rows()[0], before[1]);
    EXPECT_EQ(statusOf(0).kind(), ConnectionStatus::Kind::connected);
    sliderOf(0).setValue(4940);
    desk.queue.advanceBy(1s);
    EXPECT_EQ(desk.ddc.writes, (Writes{{2, 70}, {1, 50}, {2, 49}})) << "rounded half away from zero";
    EXPECT_EQ(desk.ddc.connectionRequests, (std::vector<std::pair<DisplayID, bool>>{{1, false}}));
}

TEST_F(MenuBarPopoverTest, KeyStepsFasterThanTheWritesAllCountOnARowAndOnTheCardAndADragNeverSnapsBack) {
    plugIn(1, "a", 60);
    plugIn(2, "b", 60);
    desk.ddc.writeDuration = 100ms;  // a monitor answers after the pacing of its writes
    auto& view = open();
    desk.queue.advanceBy(1s);
    const auto levelsOf = [&](DisplayID id) {
        std::vector<int> levels;
        for (const auto& [display, level] : desk.ddc.writes)
            if (display == id) levels.push_back(level);
        return levels;
    };

    // Ten Left presses 30 ms apart, on the first row's slider and then on the card: every press is one
    // level, written in order, and the knob never goes back to a level an earlier write reported.
    struct Case {
        const char* name;
        ContinuousSlider* slider;
    };
    for (const auto& [name, slider] : {Case{"row", &sliderOf(0)}, Case{"card", &view.card().slider()}}) {
        desk.ddc.writes.clear();
        const int start = static_cast<int>(std::lround(slider->position()));
        slider->setFocus(Qt::TabFocusReason);
        for (int press = 1; press <= 10; ++press) {
            QTest::keyClick(slider, Qt::Key_Left);
            EXPECT_EQ(std::lround(slider->position()), start - press) << name << " press " << press;
            desk.queue.advanceBy(30ms);
        }
        desk.queue.advanceBy(2s);
        std::vector<int> expected;
        for (int level = start - 1; level >= start - 10; --level) expected.push_back(level);
        EXPECT_EQ(levelsOf(1), expected) << name;
        EXPECT_EQ(desk.manager->displays()[0].brightness, start - 10) << name;
        EXPECT_EQ(std::lround(slider->position()), start - 10) << name;
    }

    // A quick drag released at 91: the knob stays at 91 while the writes land, and 91 is the last one.
    desk.ddc.writes.clear();
    auto& dragged = sliderOf(1);
    dragged.setSliderDown(true);
    for (int value : {6500, 7800, 8600, 9100}) {
        dragged.setValue(value);
        desk.queue.advanceBy(10ms);
    }
    dragged.setSliderDown(false);
    for (int step = 0; step < 5; ++step) {
        EXPECT_EQ(dragged.position(), 91) << step;
        desk.queue.advanceBy(50ms);
    }
    desk.queue.advanceBy(1s);
    EXPECT_EQ(levelsOf(2), (std::vector<int>{65, 78, 86, 91}));
    EXPECT_EQ(dragged.position(), 91);

    // A failed last write lets the knob go back to the level the display really has.
    desk.ddc.failingWrites.insert(2);
    dragged.setFocus(Qt::TabFocusReason);
    QTest::keyClick(&dragged, Qt::Key_Right);
    EXPECT_EQ(dragged.position(), 92);
    desk.queue.advanceBy(1s);
    EXPECT_EQ(dragged.position(), 91);
}

TEST_F(MenuBarPopoverTest, AConnectionChangeSpinsThenAFailureShowsOnTheRowAndInTheErrorStrip) {
    plugIn(1, "a", 30);
    desk.ddc.failingConnectionChanges.insert(1);
    auto& view = open();
    EXPECT_FALSE(view.errorStrip().isVisible());

    // While the change runs: a spinner, and a busy switch that shows what the user asked for.
    QTest::mouseClick(&switchOf(0), Qt::LeftButton);
    EXPECT_EQ(statusOf(0).kind(), ConnectionStatus::Kind::changing);
    EXPECT_TRUE(switchOf(0).isBusy());
    EXPECT_FALSE(switchOf(0).isOn());

    // The failure: the manager's message in the strip, and a warning on the row with it as tooltip.
    desk.queue.advanceBy(2s);
    const auto message = QString::fromStdString(desk.manager->lastErrorMessage().value());
    EXPECT_TRUE(view.errorStrip().isVisible());
    EXPECT_EQ(view.errorStrip().message(), message);
    EXPECT_EQ(statusOf(0).kind(), ConnectionStatus::Kind::failed);
    EXPECT_EQ(statusOf(0).toolTip(), message);
    EXPECT_FALSE(switchOf(0).isBusy());
    EXPECT_TRUE(switchOf(0).isOn()) << "the display stayed on";

    // The display is disconnected by other means: the row drops the message and shows the new state.
    desk.ddc.failingConnectionChanges.clear();
    runSync(desk.queue, desk.manager->setConnected(false, "a"));
    EXPECT_EQ(statusOf(0).kind(), ConnectionStatus::Kind::disconnected);
    EXPECT_FALSE(switchOf(0).isOn());
}

TEST_F(MenuBarPopoverTest, FocusStaysOnTheControlTheUserActedOnWhichIgnoresKeysWhileItsChangeRuns) {
    plugIn(1, "a", 30);
    plugIn(2, "b", 61);
    auto& view = open();
    const auto press = [&](Qt::Key key) { QTest::keyClick(view.focusWidget(), key); };

    // Space disconnects the first display; the focus stays on its switch, so Space again (the natural
    // undo) reaches the busy switch, which ignores it, and never the second display's switch.
    switchOf(0).setFocus(Qt::TabFocusReason);
    press(Qt::Key_Space);
    EXPECT_EQ(view.focusWidget(), &switchOf(0));
    press(Qt::Key_Space);
    desk.queue.advanceBy(2s);
    EXPECT_EQ(desk.ddc.connectionRequests, (std::vector<std::pair<DisplayID, bool>>{{1, false}}));
    EXPECT_EQ(view.focusWidget(), &switchOf(0)) << "the row is kept across the refresh that follows";
    press(Qt::Key_Space);
    desk.queue.advanceBy(2s);
    EXPECT_EQ(desk.ddc.connectionRequests, (std::vector<std::pair<DisplayID, bool>>{{1, false}, {1, true}}));

    // The refresh button keeps the focus through its refresh, and Tab still leaves it.
    auto& button = view.header().refreshButton();
    button.setFocus(Qt::TabFocusReason);
    press(Qt::Key_Space);
    EXPECT_TRUE(button.isBusy());
    EXPECT_EQ(view.focusWidget(), &button);
    desk.queue.advanceBy(AfterPaint::limit);  // a window kept off screen does not hold the refresh back
    EXPECT_FALSE(button.isBusy());
    EXPECT_EQ(view.focusWidget(), &button);
    press(Qt::Key_Tab);
    EXPECT_NE(view.focusWidget(), &button);
}

TEST_F(MenuBarPopoverTest, AConnectionChangeShowsTheRequestAndTheRowOutlivesRefreshesAndANewDisplayID) {
    plugIn(1, "a", 30);
    plugIn(2, "b", 61);
    open();
    const auto before = rows();

    // During a disconnect the spinner is named after it, though the stored state already says off.
    QTest::mouseClick(&switchOf(0), Qt::LeftButton);
    EXPECT_EQ(statusOf(0).toolTip(), "Disconnecting");
    EXPECT_FALSE(switchOf(0).isOn());
    desk.queue.advanceBy(2s);
    EXPECT_EQ(statusOf(0).kind(), ConnectionStatus::Kind::disconnected);

    // A reconnect: the refreshes raised by the display coming back run inside its waits; the row keeps
    // showing what the user asked for, and stays the same row.
    QTest::mouseClick(&switchOf(0), Qt::LeftButton);
    for (int step = 0; step < 7; ++step) {
        desk.refresh();
        EXPECT_TRUE(switchOf(0).isOn()) << step;
        EXPECT_EQ(statusOf(0).toolTip(), "Connecting") << step;
        desk.queue.advanceBy(100ms);
    }
    desk.queue.advanceBy(2s);
    EXPECT_TRUE(switchOf(0).isOn());
    EXPECT_EQ(statusOf(0).kind(), ConnectionStatus::Kind::connected);
    EXPECT_EQ(rows(), before);

    // The display comes back under another display ID, as after a replug: still the same row.
    desk.ddc.unplug(1);
    plugIn(9, "a", 30);
    desk.refresh();
    EXPECT_EQ(rows(), before);
    EXPECT_EQ(rows()[0]->display().id, 9u);
}

// Notches of a mouse wheel with the window system's timestamps, sent to the widget under the pointer;
// Qt passes a notch on to the parents (at last the list) unless a widget accepts it.
TEST_F(MenuBarPopoverTest, TheWheelScrollsTheListAndMovesASliderOnlyAtRestOrWithTheFocus) {
    for (DisplayID id = 1; id <= 9; ++id) plugIn(id, "d" + std::to_string(id), 50);
    desk.ddc.writeDuration = 100ms;
    auto& view = open();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    QWidget& viewport = *view.listArea().viewport();
    const QScrollBar& scroll = *view.listArea().verticalScrollBar();
    ASSERT_GT(scroll.maximum(), 0) << "the list scrolls";
    // A notch at a point of the list, delivered as the window system delivers it: to the window, which
    // hands it to the widget under the pointer and on up until one takes it. Yields that widget.
    const auto notchAt = [&](QPoint point, ulong timestamp) {
        QWidget& window = *viewport.window();
        const QPointF local = viewport.mapTo(&window, QPointF(point));
        QWheelEvent wheel(local, window.mapToGlobal(local), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        wheel.setTimestamp(timestamp);
        QSpontaneKeyEvent::setSpontaneous(&wheel);  // kept by notify(), which sendEvent() would reset
        QWidget* under = viewport.childAt(point);
        QCoreApplication::instance()->notify(window.windowHandle(), &wheel);
        return under;
    };
    const auto notch = [&](QWidget& target, ulong timestamp) {
        notchAt(target.mapTo(&viewport, target.rect().center()), timestamp);
    };
    const auto levelsOf = [&](DisplayID id) {
        std::vector<int> levels;
        for (const auto& [display, level] : desk.ddc.writes)
            if (display == id) levels.push_back(level);
        return levels;
    };

    // The wheel rests over the first slider: the notch is the slider's, and the list stays.
    notch(sliderOf(0), 1000);
    desk.queue.advanceBy(1s);
    EXPECT_EQ(scroll.value(), 0);
    EXPECT_EQ(levelsOf(1), (std::vector<int>{47}));

    // Notches 80 ms apart meant for the list, the first over a name: the list scrolls on under the
    // pointer, and the sliders that pass under it take nothing.
    const QPoint pointer = rows()[1]->mapTo(&viewport, QPoint(154, 15));
    ASSERT_EQ(viewport.childAt(pointer), rows()[1]->findChild<QWidget*>(QStringLiteral("name")));
    bool sliderPassedUnder = false;
    ulong timestamp = 3000;
    for (int notches = 0; notches < 4 || (!sliderPassedUnder && scroll.value() < scroll.maximum());
         ++notches, timestamp += 80) {
        const int before = scroll.value();
        sliderPassedUnder |= qobject_cast<ContinuousSlider*>(notchAt(pointer, timestamp)) != nullptr;
        EXPECT_TRUE(scroll.value() > before || scroll.value() == scroll.maximum()) << timestamp;
    }
    EXPECT_TRUE(sliderPassedUnder) << "the test needs a slider to pass under the pointer";
    desk.queue.advanceBy(1s);
    EXPECT_EQ(desk.ddc.writes.size(), 1u);

    // At rest again (half a second after the list's last notch) a slider under the pointer takes it.
    ContinuousSlider& lastSlider = sliderOf(8);
    const_cast<QScrollBar&>(scroll).setValue(scroll.maximum());
    const int scrolled = scroll.value();
    notch(lastSlider, timestamp - 80 + WheelLatch::holdMilliseconds);
    desk.queue.advanceBy(1s);
    EXPECT_EQ(levelsOf(9), (std::vector<int>{47}));
    EXPECT_EQ(scroll.value(), scrolled);

    // A focused slider takes the wheel even right after the list scrolled, and five notches 30 ms
    // apart are five steps of three levels, the last one written last.
    lastSlider.setFocus(Qt::TabFocusReason);
    const_cast<QScrollBar&>(scroll).setValue(0);
    QCoreApplication::processEvents();
    notchAt(rows()[0]->mapTo(&viewport, QPoint(154, 15)), 5000);
    EXPECT_GT(scroll.value(), 0);
    const_cast<QScrollBar&>(scroll).setValue(scroll.maximum());
    for (ulong step = 0; step < 5; ++step) {
        notch(lastSlider, 5030 + 30 * step);
        desk.queue.advanceBy(30ms);
    }
    desk.queue.advanceBy(1s);
    EXPECT_EQ(levelsOf(9), (std::vector<int>{47, 44, 41, 38, 35, 32}));
    EXPECT_EQ(lastSlider.position(), 32);
}

TEST_F(MenuBarPopoverTest, TheLastVisibleRowsDividerShowsOnlyOnceTheListScrolls) {
    plugIn(1, "a", 30);
    plugIn(2, "b", 0);
    for (DisplayID id = 3; id <= 5; ++id) plugIn(id, "d" + std::to_string(id), 50);
    auto& view = open();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    // Unscrolled, the fourth row ends the visible part exactly: its divider would double the one under
    // the list, so it is left out until the list scrolls.
    EXPECT_EQ(view.rowList().dividerLines().size(), 3u);
    view.listArea().verticalScrollBar()->setValue(10);
    EXPECT_EQ(view.rowList().dividerLines().size(), 4u);
}

TEST_F(MenuBarPopoverTest, TabFollowsTheLayoutAndAFocusedSliderShowsItWhileAClickDoesNotFocusIt) {
    plugIn(1, "a", 30);
    plugIn(2, "b", 61);
    auto& view = open();
    QCoreApplication::processEvents();
    auto& refresh = view.header().refreshButton();
    refresh.setFocus(Qt::TabFocusReason);
    std::vector<QWidget*> visited;
    for (int step = 0; step < 7; ++step) {
        visited.push_back(view.focusWidget());
        QTest::keyClick(view.focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(visited, (std::vector<QWidget*>{&refresh, &view.card().slider(), &switchOf(0), &sliderOf(0),
                                              &switchOf(1), &sliderOf(1), &view.footer().quitButton()}));

    // A slider reached by Tab draws a ring round its knob; a click moves it without taking the focus,
    // so no focus mark is left behind.
    refresh.setFocus(Qt::TabFocusReason);
    const QImage unfocused = sliderOf(0).grab().toImage();
    sliderOf(0).setFocus(Qt::TabFocusReason);
    EXPECT_NE(sliderOf(0).grab().toImage(), unfocused);
    QTest::mouseClick(&sliderOf(1), Qt::LeftButton, {}, QPoint(4, 8));
    EXPECT_NE(view.focusWidget(), &sliderOf(1));
}

TEST_F(MenuBarPopoverTest, ALongNameEndsInAnEllipsisWithTheWholeNameAsItsTooltip) {
    plugIn(1, "a-display-whose-name-goes-on-and-on-far-beyond-the-width-of-any-popover", 30);
    plugIn(2, "b", 61);
    open();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    const auto& longName = *rows()[0]->findChild<ElidedLabel*>(QStringLiteral("name"));
    EXPECT_EQ(longName.text(),
              "Model a-display-whose-name-goes-on-and-on-far-beyond-the-width-of-any-popover");
    EXPECT_TRUE(longName.shownText().endsWith(QChar(0x2026))) << longName.shownText().toStdString();
    EXPECT_LE(longName.fontMetrics().horizontalAdvance(longName.shownText()), longName.width());
    EXPECT_EQ(longName.toolTip(), longName.text());
    const auto& shortName = *rows()[1]->findChild<ElidedLabel*>(QStringLiteral("name"));
    EXPECT_EQ(shortName.shownText(), "Model b");
    EXPECT_TRUE(shortName.toolTip().isEmpty());
}

TEST_F(MenuBarPopoverTest, AssistiveTechnologyReadsTheCardTitleAsTextTheErrorAsOneElementAndNoSymbols) {
    plugIn(1, "a", 30);
    plugIn(2, "b", 61);
    desk.ddc.failingConnectionChanges.insert(1);
    auto& view = open();
    QTest::mouseClick(&switchOf(0), Qt::LeftButton);
    desk.queue.advanceBy(2s);

    auto* title =
        QAccessible::queryAccessibleInterface(view.card().findChild<QWidget*>(QStringLiteral("title")));
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->role(), QAccessible::StaticText) << title->role();
    EXPECT_EQ(title->text(QAccessible::Name).toStdString(), "All displays");

    auto* strip =
        QAccessible::queryAccessibleInterface(const_cast<QWidget*>(&view.errorStrip().messageRow()));
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(strip->childCount(), 0);
    EXPECT_EQ(strip->text(QAccessible::Name).toStdString(),
              "Display error: " + desk.manager->lastErrorMessage().value());

    const auto symbols = view.findChildren<SymbolView*>();
    EXPECT_GT(symbols.size(), 5);
    for (auto* symbol : symbols) {
        EXPECT_TRUE(QAccessible::queryAccessibleInterface(symbol)->state().invisible)
            << symbol->symbol().toStdString();
    }
}

TEST_F(MenuBarPopoverTest, TheFooterOffersAWaitingUpdateButNoSettingsWithoutASettingsWindow) {
    auto& view = open();
    auto& footer = view.footer();
    EXPECT_FALSE(footer.showsUpdate());
    updater.setUpdateAvailable(true);
    EXPECT_TRUE(footer.showsUpdate());
    EXPECT_EQ(footer.updateButton().text(), "Update Available…");

    // A click clears the flag first, so the row is gone before the update mechanism is asked.
    std::vector<bool> flagWhenAsked;
    QObject::connect(&updater, &Updater::userCheckRequested,
                     [&] { flagWhenAsked.push_back(updater.isUpdateAvailable()); });
    QTest::mouseClick(&footer.updateButton(), Qt::LeftButton);
    EXPECT_EQ(flagWhenAsked, std::vector<bool>{false});
    EXPECT_FALSE(footer.showsUpdate());

    EXPECT_FALSE(footer.settingsButton().isEnabled());
}
