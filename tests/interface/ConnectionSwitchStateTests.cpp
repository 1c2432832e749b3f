#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "interface/logic/ConnectionStatus.h"
#include "interface/logic/ConnectionSwitchState.h"
#include "runtime/ManualMainQueue.h"
#include "runtime/Sleep.h"

using namespace lumadesk;
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
    EXPECT_FALSE(state->flip(true, toggleWith(std::nullopt)));
    queue.advanceBy(1s);
    EXPECT_EQ(requests, std::vector<bool>{false});
    EXPECT_FALSE(state->isTogglingConnection());
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

TEST(ConnectionStatusTest, ASpinnerThatSaysWhichWayThenAWarningWithTheMessageOrADot) {
    using Kind = ConnectionStatus::Kind;
    EXPECT_EQ(ConnectionStatus(true, true, std::nullopt).toolTip(), "Disconnecting");
    const ConnectionStatus connecting(false, true, "an old message");
    EXPECT_EQ(connecting.kind(), Kind::changing);
    EXPECT_EQ(connecting.toolTip(), "Connecting");
    const ConnectionStatus failed(true, false, "Failed to disable display 2.");
    EXPECT_EQ(failed.kind(), Kind::failed);
    EXPECT_EQ(failed.toolTip(), "Failed to disable display 2.");
    EXPECT_EQ(failed.accessibilityLabel(), "Connection failed: Failed to disable display 2.");
    EXPECT_EQ(ConnectionStatus(true, false, std::nullopt).kind(), Kind::connected);
    EXPECT_EQ(ConnectionStatus(false, false, std::nullopt).toolTip(), "Disconnected");
}
