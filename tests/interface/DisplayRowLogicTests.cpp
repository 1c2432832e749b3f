#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "DisplayFixtures.h"
#include "interface/logic/BrightnessSliderState.h"
#include "interface/logic/ConnectionStatus.h"
#include "interface/logic/ConnectionSwitchState.h"
#include "interface/logic/DisplayPresentation.h"
#include "interface/logic/RenameFlow.h"
#include "runtime/ManualMainQueue.h"
#include "runtime/Sleep.h"

// What a display row decides, without Qt: its slider, its name, its texts and its connection switch.
// How the switch's states look is checked on the popover's rows.

using namespace lumadesk;
using namespace lumadesk::testing;
using namespace std::chrono_literals;

namespace {

// A connection change that takes a second and then yields the outcome.
Task<std::optional<std::string>> changeAfterASecond(bool connect, std::vector<bool>* requests,
                                                    std::optional<std::string> outcome) {
    requests->push_back(connect);
    co_await sleepFor(1s);
    co_return outcome;
}

Task<std::optional<std::string>> brokenChange(bool) {
    co_await sleepFor(1s);
    throw std::runtime_error("Lost the display");
}

}  // namespace

TEST(BrightnessSliderStateTest,
     DeliversEachNewWholeLevelAndHoldsTheUserValueWhileDraggedOrWritesAreOnTheirWay) {
    BrightnessSliderState slider(40);
    slider.modelChanged(55);
    EXPECT_EQ(slider.position(), 55) << "not dragged, the slider follows the display";

    // A move is delivered, rounded half away from zero, only when it changes the whole level. Until the
    // writes have settled, a level reported by an earlier one does not move the knob.
    EXPECT_EQ(slider.moved(55.3), std::nullopt) << "still the display's level";
    EXPECT_EQ(slider.moved(49.5), 50);
    EXPECT_EQ(slider.moved(49.6), std::nullopt);
    EXPECT_EQ(slider.moved(49.4), 49);
    slider.modelChanged(50);
    EXPECT_DOUBLE_EQ(slider.position(), 49.4);
    EXPECT_EQ(slider.shownLevel(), 49);
    slider.writeSettled();
    EXPECT_DOUBLE_EQ(slider.position(), 49.4) << "one write is still on its way";
    slider.modelChanged(49);
    slider.writeSettled();
    EXPECT_EQ(slider.position(), 49);
    EXPECT_FALSE(slider.holdsUserValue());

    // A slow drag from 49 to 51 in hundredths delivers 50 and 51, once each, in order. While dragged,
    // an earlier write landing does not pull the knob back, and the label shows the knob's level; when
    // the drag ends with its writes settled, both show the display's level.
    slider.setEditing(true);
    std::vector<int> delivered;
    for (int hundredths = 4900; hundredths <= 5100; ++hundredths) {
        if (const auto level = slider.moved(hundredths / 100.0)) delivered.push_back(*level);
        if (hundredths == 5000) slider.modelChanged(49);
    }
    EXPECT_EQ(delivered, (std::vector<int>{50, 51}));
    slider.moved(60.5);
    slider.modelChanged(50);
    EXPECT_DOUBLE_EQ(slider.position(), 60.5);
    EXPECT_EQ(slider.shownLevel(), 61);
    for (int write = 0; write < 3; ++write) slider.writeSettled();
    slider.setEditing(false);
    EXPECT_EQ(slider.position(), 50);
    EXPECT_EQ(slider.shownLevel(), 50);
    EXPECT_EQ(slider.moved(61), 61) << "the level last written is not the display's any more";
    EXPECT_EQ(slider.moved(50.2), 50);

    // A drag released while its writes are on their way keeps the knob where it was let go.
    slider.setEditing(true);
    EXPECT_EQ(slider.moved(91), 91);
    slider.setEditing(false);
    slider.modelChanged(61);
    EXPECT_EQ(slider.position(), 91);
    for (int write = 0; write < 3; ++write) slider.writeSettled();
    EXPECT_EQ(slider.position(), 61) << "settled, the slider shows what the display has";
}

TEST(RenameFlowTest, OnlyTheSettingsRowRenamesAndReturnStoresTheTrimmedNameUnlessItIsBlank) {
    EXPECT_FALSE(RenameFlow(DisplayRowContext::popover).begin("Desk"));
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
        {"  Left screen \n", "Left screen"},
        // Unicode spaces are trimmed at the ends too, and kept inside the name.
        {"\u00A0\u3000Left\u2009screen\u2028 ", "Left\u2009screen"},
        {" \t\n ", std::nullopt},
    };
    for (const auto& [typed, stored] : cases) {
        SCOPED_TRACE(typed);
        RenameFlow flow(DisplayRowContext::settings);
        EXPECT_TRUE(flow.begin("Desk"));
        flow.setDraftName(typed);
        EXPECT_EQ(flow.commit(), stored);
        EXPECT_FALSE(flow.isRenaming()) << "the field closes either way";
    }
}

// Which displays are controllable is checked with the popover's content; here what a row says of one.
TEST(DisplayPresentationTest, TheHelpTextGivesTheFirstReasonAndTheModelLineShowsUnderADifferentName) {
    struct Case {
        bool connected, ddc;
        std::optional<std::string> customName;
        std::string helpText;
        bool showsModelName;
    };
    const Case cases[] = {
        {true, true, std::nullopt, "Adjust brightness for Model a", false},
        {true, true, "Desk", "Adjust brightness for Desk", true},
        {true, true, "Model a", "Adjust brightness for Model a", false},
        {true, false, std::nullopt, "This display does not support DDC brightness control", false},
        {false, false, std::nullopt, "Reconnect this display to adjust brightness", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.helpText + " / " + c.customName.value_or("no custom name"));
        auto display = controllableDisplay("a", 40);
        display.isConnected = c.connected;
        display.supportsDDC = c.ddc;
        display.customName = c.customName;
        EXPECT_EQ(DisplayPresentation(display).brightnessHelpText(), c.helpText);
        EXPECT_EQ(DisplayPresentation(display).showsModelName(), c.showsModelName);
    }
}

TEST(ConnectionSwitchStateTest, OneChangeAtATimeWithItsMessageUntilSomethingElseChanges) {
    VirtualClock clock;
    ManualMainQueue queue{clock};
    std::vector<bool> requests;
    int changes = 0;
    const auto toggleWith = [&](std::optional<std::string> outcome) -> ConnectionSwitchState::Toggle {
        return [&, outcome](bool connect) { return changeAfterASecond(connect, &requests, outcome); };
    };
    auto state = std::make_unique<ConnectionSwitchState>(queue, [&] { ++changes; });

    // A flip shows the spinner at once; a second flip while the change runs starts nothing.
    EXPECT_TRUE(state->flip(false, toggleWith("Failed to disable display 2.")));
    EXPECT_TRUE(state->isTogglingConnection());
    EXPECT_EQ(state->requestedConnection(), false);
    EXPECT_FALSE(state->flip(true, toggleWith(std::nullopt)));
    queue.advanceBy(1s);
    EXPECT_EQ(requests, std::vector<bool>{false});
    EXPECT_FALSE(state->isTogglingConnection());
    EXPECT_EQ(state->requestedConnection(), std::nullopt);
    EXPECT_EQ(state->connectionError(), "Failed to disable display 2.");

    // A connection changed by other means clears the message and redraws the row.
    const int before = changes;
    state->connectionChanged();
    EXPECT_EQ(state->connectionError(), std::nullopt);
    EXPECT_EQ(changes, before + 1);

    // The next flip clears an old message at once; a change that breaks down reports why.
    state->flip(true, toggleWith("Failed"));
    queue.advanceBy(1s);
    state->flip(true, [](bool connect) { return brokenChange(connect); });
    EXPECT_EQ(state->connectionError(), std::nullopt);
    queue.advanceBy(1s);
    EXPECT_FALSE(state->isTogglingConnection());
    EXPECT_EQ(state->connectionError(), "Lost the display");

    // A result that arrives after its row is gone goes nowhere; the change itself runs to its end.
    state->flip(false, toggleWith("Failed"));
    const int beforeGone = changes;
    state.reset();
    queue.advanceBy(1s);
    EXPECT_EQ(requests, (std::vector<bool>{false, true, false}));
    EXPECT_EQ(changes, beforeGone);
}

TEST(ConnectionStatusTest, TheSpinnerIsNamedAfterTheRequestedChangeNotTheStoredState) {
    struct Case {
        bool isConnected;
        std::optional<bool> requested;
        std::optional<std::string> error;
        ConnectionStatus::Kind kind;
        const char* toolTip;
        const char* accessibilityLabel;
    };
    using Kind = ConnectionStatus::Kind;
    // During a disconnect the stored state already says disconnected, and during a connect it may
    // still say disconnected: the words follow the request either way.
    for (const auto& c : {
             Case{false, false, std::nullopt, Kind::changing, "Disconnecting", "Disconnecting"},
             Case{true, false, std::nullopt, Kind::changing, "Disconnecting", "Disconnecting"},
             Case{false, true, std::nullopt, Kind::changing, "Connecting", "Connecting"},
             Case{true, true, std::nullopt, Kind::changing, "Connecting", "Connecting"},
             Case{true, std::nullopt, "Refused", Kind::failed, "Refused", "Connection failed: Refused"},
             Case{true, std::nullopt, std::nullopt, Kind::connected, "Connected", "Connected"},
             Case{false, std::nullopt, std::nullopt, Kind::disconnected, "Disconnected", "Disconnected"},
         }) {
        const ConnectionStatus status(c.isConnected, c.requested, c.error);
        EXPECT_EQ(status.kind(), c.kind) << c.toolTip;
        EXPECT_EQ(status.toolTip(), c.toolTip);
        EXPECT_EQ(status.accessibilityLabel(), c.accessibilityLabel);
    }
}
