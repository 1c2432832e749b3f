#include <gtest/gtest.h>

#include "registry/LaunchAtLoginController.h"
#include "support/DisplayManagerHarness.h"

namespace lumadesk {
namespace {

using namespace std::chrono_literals;

class LaunchAtLoginTest : public ::testing::Test, protected DisplayManagerHarness {
protected:
    // Starts with the item in the given status and, from then on, registering leading to `afterRegister`.
    void startWith(LoginItemStatus status, LoginItemStatus afterRegister = LoginItemStatus::enabled) {
        loginItems.currentStatus = status;
        loginItems.statusAfterRegister = afterRegister;
        start();
    }
    // Starts with the switch off: the item is not registered and the start-up registration is refused.
    void startOff() {
        loginItems.registerFailure = "refused";
        startWith(LoginItemStatus::notRegistered);
        loginItems.registerFailure.reset();
    }
    bool pollIsRunning() const {
        const auto& poll = manager->approvalPollTask();
        return poll && !poll->isDone();
    }
};

// --- Start-up: the state table ---

TEST_F(LaunchAtLoginTest, StartUpRegistersAnItemThatIsNotOn) {
    startWith(LoginItemStatus::notRegistered);
    EXPECT_EQ(loginItems.registerCalls, 1);
    EXPECT_TRUE(manager->launchAtLoginEnabled());
    EXPECT_FALSE(manager->launchAtLoginNeedsApproval());
    EXPECT_FALSE(manager->approvalPollTask());
}

TEST_F(LaunchAtLoginTest, StartUpLeavesAnItemThatIsOnAlone) {
    startWith(LoginItemStatus::enabled);
    EXPECT_EQ(loginItems.registerCalls, 0);
    EXPECT_TRUE(manager->launchAtLoginEnabled());
    EXPECT_FALSE(manager->launchAtLoginNeedsApproval());
    EXPECT_FALSE(manager->approvalPollTask());
}

TEST_F(LaunchAtLoginTest, StartUpWaitingForApprovalPollsAndNeverRegisters) {
    startWith(LoginItemStatus::requiresApproval);
    EXPECT_EQ(loginItems.registerCalls, 0);
    EXPECT_TRUE(manager->launchAtLoginEnabled());
    EXPECT_TRUE(manager->launchAtLoginNeedsApproval());
    EXPECT_TRUE(pollIsRunning());
}

TEST_F(LaunchAtLoginTest, StartUpIgnoresARefusedRegistrationAndFollowsTheStatus) {
    loginItems.registerFailure = "The program to start was not found.";
    startWith(LoginItemStatus::notFound);
    EXPECT_EQ(loginItems.registerCalls, 1);
    EXPECT_FALSE(manager->launchAtLoginEnabled());
    EXPECT_FALSE(manager->launchAtLoginNeedsApproval());
    EXPECT_FALSE(manager->approvalPollTask());
    EXPECT_FALSE(manager->lastErrorMessage());
}

TEST_F(LaunchAtLoginTest, AGivenControllerReplacesTheDefaultOne) {
    FakeLoginItemService otherService;
    otherService.currentStatus = LoginItemStatus::requiresApproval;
    start(std::make_unique<LaunchAtLoginController>(otherService));
    EXPECT_EQ(loginItems.statusReads, 0);
    EXPECT_GT(otherService.statusReads, 0);
    EXPECT_TRUE(manager->launchAtLoginNeedsApproval());
}

// --- The approval poll ---

TEST_F(LaunchAtLoginTest, PollSeeingTheItemEnabledClearsTheApprovalAndStops) {
    startWith(LoginItemStatus::requiresApproval);
    const TaskHandle poll = *manager->approvalPollTask();
    queue.advanceBy(3s);
    EXPECT_TRUE(manager->launchAtLoginNeedsApproval());
    EXPECT_TRUE(pollIsRunning());

    queue.advanceBy(1s);
    loginItems.currentStatus = LoginItemStatus::enabled;  // the user approves in the system settings
    const int readsBefore = loginItems.statusReads;
    queue.advanceBy(1999ms);
    EXPECT_EQ(loginItems.statusReads, readsBefore);
    queue.advanceBy(1ms);  // 6 s after start

    EXPECT_FALSE(manager->launchAtLoginNeedsApproval());
    EXPECT_FALSE(manager->approvalPollTask());
    EXPECT_TRUE(poll.isDone());
    EXPECT_TRUE(manager->launchAtLoginEnabled());
    EXPECT_EQ(queue.pendingJobCount(), 0u);
}

TEST_F(LaunchAtLoginTest, PollHoldsTheManagerOnlyWeakly) {
    startWith(LoginItemStatus::requiresApproval);
    const TaskHandle poll = *manager->approvalPollTask();
    const std::weak_ptr<DisplayManager> weakManager = manager;
    manager.reset();
    EXPECT_TRUE(weakManager.expired());
    queue.advanceBy(3s);
    EXPECT_TRUE(poll.isDone());
    EXPECT_EQ(queue.pendingJobCount(), 0u);
}

// --- The switch ---

TEST_F(LaunchAtLoginTest, WritingTheSameValueCallsNothing) {
    startWith(LoginItemStatus::enabled);
    manager->setLaunchAtLoginEnabled(true);
    startOff();
    manager->setLaunchAtLoginEnabled(false);
    EXPECT_EQ(loginItems.registerCalls, 1);  // the refused one at start-up
    EXPECT_EQ(loginItems.unregisterCalls, 0);
}

TEST_F(LaunchAtLoginTest, TurningOnWhileApprovalIsPendingCallsNothingAndStartsThePoll) {
    startOff();
    loginItems.currentStatus = LoginItemStatus::requiresApproval;
    manager->setLaunchAtLoginEnabled(true);
    EXPECT_EQ(loginItems.registerCalls, 1);
    EXPECT_TRUE(manager->launchAtLoginNeedsApproval());
    EXPECT_TRUE(pollIsRunning());
}

TEST_F(LaunchAtLoginTest, TurningOnRegistersAndTurningOffUnregistersAndStopsThePoll) {
    startOff();
    loginItems.statusAfterRegister = LoginItemStatus::requiresApproval;
    int approvalChanges = 0;
    auto subscription = manager->subscribeToLaunchAtLoginNeedsApproval([&](bool) { ++approvalChanges; });

    manager->setLaunchAtLoginEnabled(true);
    EXPECT_EQ(loginItems.registerCalls, 2);
    EXPECT_TRUE(manager->launchAtLoginNeedsApproval());
    ASSERT_TRUE(pollIsRunning());
    const TaskHandle poll = *manager->approvalPollTask();

    manager->setLaunchAtLoginEnabled(false);
    EXPECT_EQ(loginItems.unregisterCalls, 1);
    EXPECT_FALSE(manager->launchAtLoginNeedsApproval());
    EXPECT_FALSE(manager->approvalPollTask());
    queue.runUntilIdle();
    EXPECT_TRUE(poll.isDone());
    EXPECT_EQ(approvalChanges, 2);
}

TEST_F(LaunchAtLoginTest, RefusedUnregisterReturnsTheSwitchAndShowsTheReason) {
    startWith(LoginItemStatus::requiresApproval);
    loginItems.unregisterFailure =
        "Cannot remove the autostart entry /x/lumadesk.desktop: Read-only file system.";
    std::vector<bool> switchPositions;
    auto subscription =
        manager->subscribeToLaunchAtLoginEnabled([&](bool on) { switchPositions.push_back(on); });

    manager->setLaunchAtLoginEnabled(false);
    EXPECT_EQ(switchPositions, (std::vector<bool>{false, true}));
    EXPECT_TRUE(manager->launchAtLoginEnabled());
    EXPECT_EQ(manager->lastErrorMessage(), loginItems.unregisterFailure);
    EXPECT_EQ(loginItems.unregisterCalls, 1);
    EXPECT_FALSE(manager->launchAtLoginNeedsApproval());
    EXPECT_FALSE(manager->approvalPollTask());
}

TEST_F(LaunchAtLoginTest, RefusedRegisterReturnsTheSwitchAndShowsTheReason) {
    startOff();
    loginItems.registerFailure =
        "Cannot write the autostart entry /x/lumadesk.desktop: No space left on device.";
    manager->setLaunchAtLoginEnabled(true);
    EXPECT_FALSE(manager->launchAtLoginEnabled());
    EXPECT_EQ(manager->lastErrorMessage(), loginItems.registerFailure);
    EXPECT_EQ(loginItems.registerCalls, 2);
    EXPECT_EQ(loginItems.unregisterCalls, 0);
    EXPECT_FALSE(manager->approvalPollTask());
}

TEST_F(LaunchAtLoginTest, ARollbackThatFailsTooShowsWhereTheItemReallyIs) {
    // A platform whose refused registration still turns the item on, and which cannot remove it.
    struct StubbornLoginItem final : LaunchAtLoginControlling {
        LoginItemStatus loginItemStatus() const override { return status; }
        void registerLoginItem() override {
            ++registerCalls;
            if (registerLeavesItOn) status = LoginItemStatus::enabled;
            throw LoginItemError("half registered");
        }
        void unregisterLoginItem() override {
            ++unregisterCalls;
            throw LoginItemError("cannot remove");
        }
        LoginItemStatus status = LoginItemStatus::notRegistered;
        bool registerLeavesItOn = false;
        int registerCalls = 0;
        int unregisterCalls = 0;
    };
    auto owned = std::make_unique<StubbornLoginItem>();
    StubbornLoginItem& item = *owned;
    start(std::move(owned));
    ASSERT_FALSE(manager->launchAtLoginEnabled());

    item.registerLeavesItOn = true;
    manager->setLaunchAtLoginEnabled(true);
    EXPECT_TRUE(manager->launchAtLoginEnabled());
    EXPECT_EQ(manager->lastErrorMessage(), "half registered");
    EXPECT_EQ(item.registerCalls, 2);
    EXPECT_EQ(item.unregisterCalls, 1);
    EXPECT_FALSE(manager->approvalPollTask());
}

}  // namespace
}  // namespace lumadesk
