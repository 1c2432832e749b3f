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

struct ConnectionSwitchStateTest : ::testing::Test {
    VirtualClock clock;
    ManualMainQueue queue{clock};
    std::vector<bool> requests;
    int changes = 0;
    ConnectionSwitchState state{queue, [this] { ++changes; }};

    ConnectionSwitchState::Toggle toggleWith(std::optional<std::string> outcome) {
        return [this, outcome](bool connect) { return changeAfterASecond(connect, &requests, outcome); };
    }
};

}  // namespace

TEST_F(ConnectionSwitchStateTest, AFlipRunsOneChangeAtATime) {
    EXPECT_TRUE(state.flip(false, toggleWith(std::nullopt)));
    EXPECT_TRUE(state.isTogglingConnection());
    EXPECT_FALSE(state.flip(true, toggleWith(std::nullopt)));
    queue.advanceBy(1s);
    EXPECT_EQ(requests, std::vector<bool>{false});
    EXPECT_FALSE(state.isTogglingConnection());
    EXPECT_EQ(state.connectionError(), std::nullopt);
}

TEST_F(ConnectionSwitchStateTest, AFailedChangeKeepsItsMessage) {
    state.flip(false, toggleWith("Failed to disable display 2."));
    queue.advanceBy(1s);
    EXPECT_EQ(state.connectionError(), "Failed to disable display 2.");
}

TEST_F(ConnectionSwitchStateTest, TheNextFlipClearsTheMessageAtOnce) {
    state.flip(false, toggleWith("Failed"));
    queue.advanceBy(1s);
    state.flip(false, toggleWith(std::nullopt));
    EXPECT_EQ(state.connectionError(), std::nullopt);
}

TEST_F(ConnectionSwitchStateTest, AConnectionChangedElsewhereClearsTheMessage) {
    state.flip(false, toggleWith("Failed"));
    queue.advanceBy(1s);
    const int before = changes;
    state.connectionChanged();
    EXPECT_EQ(state.connectionError(), std::nullopt);
    EXPECT_EQ(changes, before + 1);
}

TEST_F(ConnectionSwitchStateTest, ConnectionChangesDuringItsOwnChangeAreIgnored) {
    state.flip(false, toggleWith("Failed"));
    queue.runUntilIdle();
    state.connectionChanged();  // the manager moves the switch at once, then rolls back
    queue.advanceBy(1s);
    EXPECT_EQ(state.connectionError(), "Failed");
}

TEST_F(ConnectionSwitchStateTest, AResultForARowThatIsGoneIsDropped) {
    auto shortLived = std::make_unique<ConnectionSwitchState>(queue, [this] { ++changes; });
    shortLived->flip(true, toggleWith("Failed"));
    shortLived.reset();
    queue.advanceBy(1s);
    EXPECT_EQ(requests, std::vector<bool>{true});
    EXPECT_EQ(changes, 1);
}

TEST_F(ConnectionSwitchStateTest, AChangeThatBreaksDownReportsItsMessage) {
    state.flip(true, [](bool connect) { return brokenChange(connect); });
    queue.advanceBy(1s);
    EXPECT_FALSE(state.isTogglingConnection());
    EXPECT_EQ(state.connectionError(), "Lost the display");
}

TEST(ConnectionStatusTest, ASpinnerWhileChanging) {
    ConnectionStatus disconnecting(true, true, std::nullopt);
    EXPECT_EQ(disconnecting.kind(), ConnectionStatus::Kind::changing);
    EXPECT_EQ(disconnecting.toolTip(), "Disconnecting");
    EXPECT_EQ(ConnectionStatus(false, true, "old").accessibilityLabel(), "Connecting");
}

TEST(ConnectionStatusTest, AWarningWithTheMessageAfterAFailure) {
    ConnectionStatus failed(true, false, "Failed to disable display 2.");
    EXPECT_EQ(failed.kind(), ConnectionStatus::Kind::failed);
    EXPECT_EQ(failed.toolTip(), "Failed to disable display 2.");
    EXPECT_EQ(failed.accessibilityLabel(), "Connection failed: Failed to disable display 2.");
}

TEST(ConnectionStatusTest, ADotForTheConnectionState) {
    EXPECT_EQ(ConnectionStatus(true, false, std::nullopt).kind(), ConnectionStatus::Kind::connected);
    EXPECT_EQ(ConnectionStatus(true, false, std::nullopt).toolTip(), "Connected");
    EXPECT_EQ(ConnectionStatus(false, false, std::nullopt).kind(), ConnectionStatus::Kind::disconnected);
    EXPECT_EQ(ConnectionStatus(false, false, std::nullopt).accessibilityLabel(), "Disconnected");
}
