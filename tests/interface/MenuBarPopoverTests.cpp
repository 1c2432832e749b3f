#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "interface/AllDisplaysCard.h"
#include "interface/ContinuousSlider.h"
#include "interface/DisplayRowList.h"
#include "interface/DisplayRowView.h"
#include "interface/ErrorStrip.h"
#include "interface/MenuBarPopover.h"
#include "interface/PlainButton.h"
#include "interface/PopoverFooter.h"
#include "interface/PopoverHeader.h"
#include "interface/RefreshButton.h"
#include "interface/Spinner.h"
#include "interface/ToggleSwitch.h"
#include "interface/Updater.h"
#include "support/DisplayManagerHarness.h"

#include <QAccessible>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

using namespace lumadesk;
using namespace std::chrono_literals;

namespace {

struct MenuBarPopoverTest : ::testing::Test {
    DisplayManagerHarness desk;
    Updater updater;
    int quits = 0;
    std::unique_ptr<MenuBarPopover> popover;

    void plugIn(DisplayID id, const std::string& hardwareID, int brightness, bool supportsDDC = true) {
        desk.ddc.plugIn(DisplayManagerHarness::snapshot(id, hardwareID, supportsDDC), brightness);
    }
    // Builds the manager and the popover over it; refreshes first unless told not to.
    MenuBarPopover& open(bool refreshFirst = true) {
        desk.start();
        if (refreshFirst) desk.refresh();
        PopoverActions actions;
        actions.quit = [this] { ++quits; };
        popover = std::make_unique<MenuBarPopover>(*desk.manager, updater, desk.queue, std::move(actions));
        popover->show();
        return *popover;
    }
    const std::vector<DisplayRowView*>& rows() const { return popover->rowList().rows(); }
    static ContinuousSlider& sliderOf(const DisplayRowView& row) {
        return *row.findChild<ContinuousSlider*>(QStringLiteral("brightnessSlider"));
    }
    static ToggleSwitch& switchOf(const DisplayRowView& row) {
        return *row.findChild<ToggleSwitch*>(QStringLiteral("connectionSwitch"));
    }
    void TearDown() override {
        popover.reset();
        desk.queue.runUntilIdle();
    }
};

}  // namespace

TEST_F(MenuBarPopoverTest, BeforeTheFirstLoadItIsFindingDisplays) {
    auto& view = open(false);
    EXPECT_EQ(view.header().subtitle(), "Finding displays");
    EXPECT_EQ(view.contentState(), PopoverContentState::loading);
    EXPECT_TRUE(view.loadingView().isVisible());
    EXPECT_NE(view.loadingView().findChild<QLabel*>(), nullptr);
    EXPECT_EQ(view.loadingView().findChild<QLabel*>()->text(), "Finding your displays…");
    EXPECT_TRUE(view.header().refreshButton().isEnabled());
    EXPECT_EQ(view.header().refreshButton().toolTip(), "Refresh displays");
}

TEST_F(MenuBarPopoverTest, IsThreeHundredFortyWide) {
    auto& view = open();
    EXPECT_EQ(view.width(), MenuBarPopover::popoverWidth);
    EXPECT_EQ(view.width(), 340);
}

TEST_F(MenuBarPopoverTest, WithoutDisplaysItSaysSoAndOffersRefresh) {
    auto& view = open();
    EXPECT_EQ(view.header().subtitle(), "0 displays");
    EXPECT_TRUE(view.emptyView().isVisible());
    QStringList texts;
    for (auto* label : view.emptyView().findChildren<QLabel*>()) texts << label->text();
    EXPECT_TRUE(texts.contains("No external displays"));
    EXPECT_TRUE(texts.contains("Connect a display, then refresh to start controlling it."));
    EXPECT_EQ(view.emptyRefreshButton().text(), "Refresh");
}

TEST_F(MenuBarPopoverTest, OneDisplayHasNoCardEvenWhenControllable) {
    plugIn(1, "a", 40);
    auto& view = open();
    EXPECT_EQ(view.header().subtitle(), "1 display");
    EXPECT_FALSE(view.card().isVisible());
    EXPECT_EQ(rows().size(), 1u);
    EXPECT_EQ(view.listArea().height(), 70);
}

TEST_F(MenuBarPopoverTest, TwoDisplaysOfWhichOneSpeaksDDCHaveNoCardAndA116HighList) {
    plugIn(1, "a", 40);
    plugIn(2, "b", 0, false);
    auto& view = open();
    EXPECT_EQ(view.header().subtitle(), "2 displays");
    EXPECT_FALSE(view.card().isVisible());
    EXPECT_EQ(view.listArea().height(), 116);
    EXPECT_EQ(view.listArea().verticalScrollBar()->maximum(), 0) << "the rows fit without scrolling";
    const auto lines = view.rowList().dividerLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].x1(), 52);
    EXPECT_EQ(lines[0].y1(), 69) << "on the last pixel row of the first row";
}

TEST_F(MenuBarPopoverTest, FiveControllableDisplaysScrollInA280HighList) {
    for (DisplayID id = 1; id <= 5; ++id) plugIn(id, "d" + std::to_string(id), 50);
    auto& view = open();
    EXPECT_EQ(view.listArea().height(), 280);
    EXPECT_GT(view.listArea().verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(view.rowList().dividerLines().size(), 4u);
}

TEST_F(MenuBarPopoverTest, OpeningShowsTheMeanOnTheCardAndWritesNothing) {
    plugIn(1, "a", 30);
    plugIn(2, "b", 61);
    plugIn(3, "c", 0, false);
    auto& view = open();
    EXPECT_TRUE(view.card().isVisible());
    EXPECT_DOUBLE_EQ(view.card().slider().position(), 45.5);
    EXPECT_EQ(view.card().levelText(), "46%");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&view.card().slider())->text(QAccessible::Value),
              "46 percent");
    desk.queue.advanceBy(1s);
    EXPECT_TRUE(desk.ddc.writes.empty());
}

TEST_F(MenuBarPopoverTest, TheCardSliderWritesTheRoundedLevelToEveryControllableDisplay) {
    plugIn(1, "a", 30);
    plugIn(2, "b", 61);
    plugIn(3, "c", 0, false);
    auto& view = open();
    desk.queue.runUntilIdle();
    view.card().slider().setValue(7240);
    desk.queue.advanceBy(1s);
    EXPECT_EQ(desk.ddc.writes, (std::vector<std::pair<DisplayID, int>>{{1, 72}, {2, 72}}));
    EXPECT_EQ(view.card().levelText(), "72%");
}

TEST_F(MenuBarPopoverTest, ARowSliderWritesToItsOwnDisplayByHardwareID) {
    plugIn(1, "a", 30);
    plugIn(2, "b", 61);
    open();
    sliderOf(*rows()[1]).setValue(4950);
    desk.queue.advanceBy(1s);
    EXPECT_EQ(desk.ddc.writes, (std::vector<std::pair<DisplayID, int>>{{2, 50}}));
    EXPECT_EQ(desk.display("b").brightness, 50);
}

TEST_F(MenuBarPopoverTest, ADisplayThatVanishesDuringADragTakesItsRowAlong) {
    plugIn(1, "a", 30);
    plugIn(2, "b", 61);
    open();
    auto& dragged = sliderOf(*rows()[1]);
    dragged.setSliderDown(true);
    dragged.setValue(7000);
    desk.ddc.unplug(2);
    desk.refresh();
    desk.queue.advanceBy(1s);
    ASSERT_EQ(rows().size(), 1u);
    EXPECT_EQ(rows()[0]->display().hardwareID, "a");
    sliderOf(*rows()[0]).setValue(2000);
    desk.queue.advanceBy(1s);
    EXPECT_EQ(desk.ddc.writes, (std::vector<std::pair<DisplayID, int>>{{2, 70}, {1, 20}}));
}

TEST_F(MenuBarPopoverTest, AFailedDisconnectShowsOnTheRowAndInTheErrorStrip) {
    plugIn(1, "a", 30);
    desk.ddc.failingConnectionChanges.insert(1);
    auto& view = open();
    EXPECT_FALSE(view.errorStrip().isVisible());
    QTest::mouseClick(&switchOf(*rows()[0]), Qt::LeftButton);
    desk.queue.advanceBy(2s);
    const auto message = QString::fromStdString(desk.manager->lastErrorMessage().value());
    EXPECT_TRUE(view.errorStrip().isVisible());
    EXPECT_EQ(view.errorStrip().message(), message);
    EXPECT_EQ(view.errorStrip().messageRow().accessibleName(), "Display error: " + message);
    auto* status = rows()[0]->findChild<QWidget*>(QStringLiteral("connectionStatus"));
    EXPECT_EQ(status->toolTip(), message);
    EXPECT_TRUE(switchOf(*rows()[0]).isOn()) << "the switch goes back with the model";
}

TEST_F(MenuBarPopoverTest, ADisconnectKeepsTheRowWithItsSwitchOff) {
    plugIn(1, "a", 30);
    plugIn(2, "b", 61);
    auto& view = open();
    QTest::mouseClick(&switchOf(*rows()[0]), Qt::LeftButton);
    desk.queue.advanceBy(2s);
    EXPECT_FALSE(view.errorStrip().isVisible());
    ASSERT_EQ(rows().size(), 2u);
    EXPECT_FALSE(switchOf(*rows()[0]).isOn());
    EXPECT_FALSE(view.card().isVisible()) << "one controllable display is left";
    EXPECT_EQ(view.listArea().height(), 46 + 70);
}

TEST_F(MenuBarPopoverTest, AConnectionChangeOutlivingThePopoverFindsNobodyToReportTo) {
    plugIn(1, "a", 30);
    open();
    QTest::mouseClick(&switchOf(*rows()[0]), Qt::LeftButton);
    desk.queue.runUntilIdle();
    popover.reset();
    desk.queue.advanceBy(2s);
    EXPECT_FALSE(desk.display("a").isConnected);
}

TEST_F(MenuBarPopoverTest, RefreshIsGuardedWhileItsOwnRefreshRuns) {
    plugIn(1, "a", 30);
    auto& view = open();
    const int before = desk.ddc.snapshotCalls;
    auto& button = const_cast<RefreshButton&>(view.header().refreshButton());
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_TRUE(view.isRefreshing());
    EXPECT_TRUE(button.isBusy());
    EXPECT_FALSE(button.isEnabled());
    EXPECT_TRUE(button.spinner().isAnimating());
    view.refreshDisplays();
    desk.queue.runUntilIdle();
    EXPECT_EQ(desk.ddc.snapshotCalls, before + 1);
    EXPECT_FALSE(view.isRefreshing());
    EXPECT_TRUE(button.isEnabled());
    EXPECT_FALSE(button.spinner().isAnimating()) << "a hidden spinner does not animate";
}

TEST_F(MenuBarPopoverTest, TheUpdateRowShowsWhileAnUpdateWaitsAndGoesAtOnceWhenClicked) {
    auto& view = open();
    EXPECT_FALSE(view.footer().showsUpdate());
    updater.setUpdateAvailable(true);
    EXPECT_TRUE(view.footer().showsUpdate());
    EXPECT_EQ(view.footer().updateButton().text(), "Update Available…");
    QSignalSpy checks(&updater, &Updater::userCheckRequested);
    QTest::mouseClick(&view.footer().updateButton(), Qt::LeftButton);
    EXPECT_FALSE(updater.isUpdateAvailable());
    EXPECT_FALSE(view.footer().showsUpdate());
    EXPECT_EQ(checks.count(), 1);
}

TEST_F(MenuBarPopoverTest, FooterOffersSettingsOnlyWithASettingsWindowAndQuits) {
    auto& view = open();
    EXPECT_EQ(view.footer().settingsButton().text(), "Settings");
    EXPECT_EQ(view.footer().settingsButton().symbol(), "gearshape");
    EXPECT_FALSE(view.footer().settingsButton().isEnabled());
    QTest::mouseClick(&view.footer().quitButton(), Qt::LeftButton);
    EXPECT_EQ(quits, 1);
}

TEST_F(MenuBarPopoverTest, RowsKeepTheirIdentityAcrossRefreshes) {
    plugIn(1, "a", 30);
    plugIn(2, "b", 61);
    open();
    const auto before = rows();
    desk.ddc.brightnessByID[1] = 80;
    desk.refresh();
    EXPECT_EQ(rows(), before);
    EXPECT_EQ(sliderOf(*rows()[0]).position(), 80);
}
