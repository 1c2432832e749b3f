#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "DisplayFixtures.h"
#include "interface/ConnectionStatusView.h"
#include "interface/ContinuousSlider.h"
#include "interface/DisplayRowView.h"
#include "interface/PlainButton.h"
#include "interface/SymbolView.h"
#include "interface/ToggleSwitch.h"
#include "runtime/ManualMainQueue.h"
#include "runtime/Sleep.h"

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

using namespace lumadesk;
using namespace lumadesk::testing;
using namespace std::chrono_literals;

namespace {

Task<std::optional<std::string>> connectionChange(bool connect, std::vector<bool>* requests,
                                                  std::optional<std::string> outcome) {
    requests->push_back(connect);
    co_await sleepFor(1s);
    co_return outcome;
}

struct DisplayRowViewTest : ::testing::Test {
    VirtualClock clock;
    ManualMainQueue queue{clock};
    std::vector<int> levels;
    std::vector<std::optional<std::string>> renames;
    std::vector<bool> connectionRequests;
    std::optional<std::string> connectionOutcome;

    DisplayRowCallbacks callbacks() {
        return {
            [this](std::optional<std::string> name) { renames.push_back(std::move(name)); },
            [this](bool connect) {
                return connectionChange(connect, &connectionRequests, connectionOutcome);
            },
            [this](int level) { levels.push_back(level); },
        };
    }

    std::unique_ptr<DisplayRowView> row(const lumadesk::Display& display, DisplayRowContext context) {
        auto made = std::make_unique<DisplayRowView>(display, context, callbacks(), queue);
        made->resize(context == DisplayRowContext::popover ? 340 : 700, made->sizeHint().height());
        return made;
    }

    template <typename Part>
    static Part& part(const DisplayRowView& row, const char* name) {
        auto* found = row.findChild<Part*>(QString::fromLatin1(name));
        if (!found) throw std::logic_error(std::string("no part ") + name);
        return *found;
    }
    static QString accessibleValue(QWidget& widget) {
        return QAccessible::queryAccessibleInterface(&widget)->text(QAccessible::Value);
    }
};

}  // namespace

TEST_F(DisplayRowViewTest, PopoverRowOfAControllableDisplay) {
    auto display = controllableDisplay("a", 40);
    display.customName = "Desk";
    auto view = row(display, DisplayRowContext::popover);
    EXPECT_EQ(part<QLabel>(*view, "name").text(), "Desk");
    EXPECT_FALSE(part<QWidget>(*view, "sliderLine").isHidden());
    EXPECT_EQ(part<QLabel>(*view, "level").text(), "40%");
    auto& slider = part<ContinuousSlider>(*view, "brightnessSlider");
    EXPECT_EQ(slider.position(), 40);
    EXPECT_EQ(slider.accessibleName(), "Brightness for Desk");
    EXPECT_EQ(accessibleValue(slider), "40 percent");
    auto& toggle = part<ToggleSwitch>(*view, "connectionSwitch");
    EXPECT_TRUE(toggle.isOn());
    EXPECT_EQ(toggle.toolTip(), "Disconnect Desk");
    EXPECT_EQ(toggle.accessibleName(), "Disconnect Desk");
    EXPECT_EQ(part<ConnectionStatusView>(*view, "connectionStatus").toolTip(), "Connected");
    EXPECT_EQ(part<SymbolView>(*view, "icon").symbol(), "display");
    EXPECT_EQ(view->findChild<QLineEdit*>(), nullptr) << "the popover row has no name field";
}

TEST_F(DisplayRowViewTest, PopoverRowHeightsAreSeventyWithASliderAndFortySixWithout) {
    auto withSlider = row(controllableDisplay("a", 40), DisplayRowContext::popover);
    auto without = row(displayWithoutDDC("b"), DisplayRowContext::popover);
    EXPECT_EQ(withSlider->sizeHint().height(), 70);
    EXPECT_EQ(without->sizeHint().height(), 46);
    EXPECT_TRUE(part<QWidget>(*without, "sliderLine").isHidden());
}

TEST_F(DisplayRowViewTest, PopoverRowOfADisconnectedDisplay) {
    auto display = controllableDisplay("a", 40);
    display.isConnected = false;
    auto view = row(display, DisplayRowContext::popover);
    EXPECT_EQ(part<SymbolView>(*view, "icon").symbol(), "display.trianglebadge.exclamationmark");
    EXPECT_EQ(part<ConnectionStatusView>(*view, "connectionStatus").toolTip(), "Disconnected");
    EXPECT_EQ(part<ConnectionStatusView>(*view, "connectionStatus").kind(),
              ConnectionStatus::Kind::disconnected);
    EXPECT_FALSE(part<ToggleSwitch>(*view, "connectionSwitch").isOn());
    EXPECT_EQ(part<ToggleSwitch>(*view, "connectionSwitch").toolTip(), "Connect Model a");
}

TEST_F(DisplayRowViewTest, EveryDeliveredSliderValueIsWrittenRounded) {
    auto view = row(controllableDisplay("a", 40), DisplayRowContext::popover);
    auto& slider = part<ContinuousSlider>(*view, "brightnessSlider");
    slider.setValue(4950);
    slider.setValue(4940);
    slider.setValue(4940 + 1);
    EXPECT_EQ(levels, (std::vector<int>{50, 49, 49}));
}

TEST_F(DisplayRowViewTest, ADragIgnoresTheModelThenJumpsBackToIt) {
    auto display = controllableDisplay("a", 40);
    auto view = row(display, DisplayRowContext::popover);
    auto& slider = part<ContinuousSlider>(*view, "brightnessSlider");
    slider.setSliderDown(true);
    slider.setValue(6000);
    display.brightness = 50;
    view->setDisplay(display, callbacks());
    EXPECT_EQ(slider.position(), 60);
    EXPECT_EQ(part<QLabel>(*view, "level").text(), "60%");
    slider.setSliderDown(false);
    EXPECT_EQ(slider.position(), 50);
    EXPECT_EQ(part<QLabel>(*view, "level").text(), "50%");
    EXPECT_EQ(levels, std::vector<int>{60});
}

TEST_F(DisplayRowViewTest, TheSliderFollowsTheModelWhenNotDragged) {
    auto display = controllableDisplay("a", 40);
    auto view = row(display, DisplayRowContext::popover);
    display.brightness = 75;
    view->setDisplay(display, callbacks());
    EXPECT_EQ(part<ContinuousSlider>(*view, "brightnessSlider").position(), 75);
    EXPECT_TRUE(levels.empty()) << "following the model writes nothing";
}

TEST_F(DisplayRowViewTest, AFailedConnectionChangeShowsItsMessageUntilTheConnectionChangesElsewhere) {
    auto display = controllableDisplay("a", 40);
    auto view = row(display, DisplayRowContext::popover);
    connectionOutcome = "Failed to disable display 100.";
    auto& toggle = part<ToggleSwitch>(*view, "connectionSwitch");
    auto& status = part<ConnectionStatusView>(*view, "connectionStatus");
    QTest::mouseClick(&toggle, Qt::LeftButton);
    EXPECT_EQ(connectionRequests, std::vector<bool>{});  // the change starts on the queue
    queue.runUntilIdle();
    EXPECT_EQ(connectionRequests, std::vector<bool>{false});
    EXPECT_TRUE(toggle.isOn()) << "the switch shows the model, not the click";
    EXPECT_FALSE(toggle.isEnabled());
    EXPECT_EQ(status.kind(), ConnectionStatus::Kind::changing);
    EXPECT_EQ(status.toolTip(), "Disconnecting");

    queue.advanceBy(1s);
    EXPECT_TRUE(toggle.isEnabled());
    EXPECT_EQ(status.kind(), ConnectionStatus::Kind::failed);
    EXPECT_EQ(status.toolTip(), "Failed to disable display 100.");
    EXPECT_EQ(status.accessibleName(), "Connection failed: Failed to disable display 100.");

    display.isConnected = false;  // unplugged elsewhere
    view->setDisplay(display, callbacks());
    EXPECT_EQ(status.kind(), ConnectionStatus::Kind::disconnected);
}

TEST_F(DisplayRowViewTest, ASecondClickWhileAChangeRunsStartsNothing) {
    auto view = row(controllableDisplay("a", 40), DisplayRowContext::popover);
    auto& toggle = part<ToggleSwitch>(*view, "connectionSwitch");
    QTest::mouseClick(&toggle, Qt::LeftButton);
    QTest::mouseClick(&toggle, Qt::LeftButton);
    queue.advanceBy(2s);
    EXPECT_EQ(connectionRequests, std::vector<bool>{false});
}

TEST_F(DisplayRowViewTest, AConnectionResultForARowThatIsGoneIsDropped) {
    auto view = row(controllableDisplay("a", 40), DisplayRowContext::popover);
    connectionOutcome = "Failed";
    QTest::mouseClick(&part<ToggleSwitch>(*view, "connectionSwitch"), Qt::LeftButton);
    queue.runUntilIdle();
    view.reset();
    queue.advanceBy(1s);
    EXPECT_EQ(connectionRequests, std::vector<bool>{false});
}

TEST_F(DisplayRowViewTest, SettingsRowOfADisplayWithoutDDC) {
    auto view = row(displayWithoutDDC("a"), DisplayRowContext::settings);
    auto& slider = part<ContinuousSlider>(*view, "brightnessSlider");
    EXPECT_FALSE(slider.isEnabled());
    EXPECT_EQ(slider.toolTip(), "This display does not support DDC brightness control");
    EXPECT_EQ(accessibleValue(slider), "This display does not support DDC brightness control");
    EXPECT_EQ(part<QLabel>(*view, "level").text(), "—");
}

TEST_F(DisplayRowViewTest, SettingsRowOfADisconnectedDisplay) {
    auto display = controllableDisplay("a", 40);
    display.isConnected = false;
    auto view = row(display, DisplayRowContext::settings);
    EXPECT_EQ(part<ContinuousSlider>(*view, "brightnessSlider").toolTip(),
              "Reconnect this display to adjust brightness");
    EXPECT_EQ(part<ConnectionStatusView>(*view, "connectionStatus").toolTip(), "Disconnected");
}

TEST_F(DisplayRowViewTest, SettingsRowOfAControllableDisplay) {
    auto display = controllableDisplay("a", 40);
    display.customName = "Desk";
    auto view = row(display, DisplayRowContext::settings);
    auto& slider = part<ContinuousSlider>(*view, "brightnessSlider");
    EXPECT_TRUE(slider.isEnabled());
    EXPECT_EQ(slider.toolTip(), "Adjust brightness for Desk");
    EXPECT_EQ(part<QLabel>(*view, "level").text(), "40%");
    EXPECT_FALSE(part<QLabel>(*view, "modelName").isHidden());
    EXPECT_EQ(part<QLabel>(*view, "modelName").text(), "Model a");
    auto& pencil = part<PlainButton>(*view, "renameButton");
    EXPECT_EQ(pencil.toolTip(), "Rename display");
    EXPECT_EQ(pencil.accessibleName(), "Rename Desk");
}

TEST_F(DisplayRowViewTest, ACustomNameEqualToTheModelNameShowsNoSecondLine) {
    auto display = controllableDisplay("a", 40);
    display.customName = display.modelName;
    auto view = row(display, DisplayRowContext::settings);
    EXPECT_TRUE(part<QLabel>(*view, "modelName").isHidden());
}

TEST_F(DisplayRowViewTest, RenamingCommitsTheTrimmedNameOnReturn) {
    auto view = row(controllableDisplay("a", 40), DisplayRowContext::settings);
    QTest::mouseClick(&part<PlainButton>(*view, "renameButton"), Qt::LeftButton);
    auto& field = part<QLineEdit>(*view, "nameField");
    EXPECT_FALSE(field.isHidden());
    EXPECT_TRUE(part<QWidget>(*view, "nameBlock").isHidden());
    EXPECT_EQ(field.text(), "Model a");
    EXPECT_EQ(field.placeholderText(), "Display name");
    field.clear();
    QTest::keyClicks(&field, "  Left screen  ");
    QTest::keyClick(&field, Qt::Key_Return);
    EXPECT_EQ(renames, (std::vector<std::optional<std::string>>{"Left screen"}));
    EXPECT_TRUE(field.isHidden());
}

TEST_F(DisplayRowViewTest, RenamingToBlanksStoresNothingAndClosesTheField) {
    auto view = row(controllableDisplay("a", 40), DisplayRowContext::settings);
    view->beginRename();
    auto& field = part<QLineEdit>(*view, "nameField");
    field.clear();
    QTest::keyClicks(&field, "   ");
    QTest::keyClick(&field, Qt::Key_Return);
    EXPECT_TRUE(renames.empty());
    EXPECT_TRUE(field.isHidden());
}

TEST_F(DisplayRowViewTest, EscapeRestoresTheNameWithoutRenaming) {
    auto view = row(controllableDisplay("a", 40), DisplayRowContext::settings);
    view->beginRename();
    auto& field = part<QLineEdit>(*view, "nameField");
    QTest::keyClicks(&field, "Other");
    QTest::keyClick(&field, Qt::Key_Escape);
    EXPECT_TRUE(renames.empty());
    EXPECT_TRUE(field.isHidden());
    EXPECT_EQ(part<QLabel>(*view, "name").text(), "Model a");
}

TEST_F(DisplayRowViewTest, LosingFocusKeepsTheFieldOpen) {
    auto view = row(controllableDisplay("a", 40), DisplayRowContext::settings);
    view->beginRename();
    auto& field = part<QLineEdit>(*view, "nameField");
    QFocusEvent focusOut(QEvent::FocusOut, Qt::MouseFocusReason);
    QCoreApplication::sendEvent(&field, &focusOut);
    EXPECT_FALSE(field.isHidden());
    EXPECT_TRUE(view->renameFlow().isRenaming());
    EXPECT_TRUE(renames.empty());
}

TEST_F(DisplayRowViewTest, ADoubleClickOnTheNameStartsRenamingInSettingsOnly) {
    auto settings = row(controllableDisplay("a", 40), DisplayRowContext::settings);
    QTest::mouseDClick(&part<QWidget>(*settings, "nameBlock"), Qt::LeftButton);
    EXPECT_TRUE(settings->renameFlow().isRenaming());

    auto popover = row(controllableDisplay("b", 40), DisplayRowContext::popover);
    QTest::mouseDClick(&part<QLabel>(*popover, "name"), Qt::LeftButton);
    popover->beginRename();
    EXPECT_FALSE(popover->renameFlow().isRenaming());
}
