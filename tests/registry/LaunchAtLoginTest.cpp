#include <gtest/gtest.h>

#include <functional>

#include "registry/LaunchAtLoginChoice.h"
#include "registry/LaunchAtLoginController.h"
#include "support/DisplayManagerHarness.h"

namespace lumadesk {
namespace {

using namespace std::chrono_literals;

class LaunchAtLoginTest : public ::testing::Test, protected DisplayManagerHarness {
protected:
    // Starts with the item in the given status.
    void startWith(LoginItemStatus status) {
        loginItems.currentStatus = status;
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

TEST_F(LaunchAtLoginTest, StartUpRegistersAnItemThatIsNotOnAndThenFollowsItsStatus) {
    struct Case {
        LoginItemStatus status;
        std::optional<std::string> registerFailure;
        int registerCalls;
        bool enabled;
        bool needsApproval;  // and so polls
    };
    const std::vector<Case> cases = {
        {LoginItemStatus::notRegistered, std::nullopt, 1, true, false},
        {LoginItemStatus::enabled, std::nullopt, 0, true, false},
        {LoginItemStatus::requiresApproval, std::nullopt, 0, true, true},
        // A refused registration at start-up is no error; the switch shows where the item is.
        {LoginItemStatus::notFound, "The program to start was not found.", 1, false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.status));
        const int registerCallsBefore = loginItems.registerCalls;
        loginItems.registerFailure = c.registerFailure;
        defaults.removeValue(LaunchAtLoginChoice::key);  // each a first start
        startWith(c.status);
        EXPECT_EQ(loginItems.registerCalls - registerCallsBefore, c.registerCalls);
        EXPECT_EQ(manager->launchAtLoginEnabled(), c.enabled);
        EXPECT_EQ(manager->launchAtLoginNeedsApproval(), c.needsApproval);
        EXPECT_EQ(pollIsRunning(), c.needsApproval);
        EXPECT_FALSE(manager->lastErrorMessage());
    }
}

TEST_F(LaunchAtLoginTest, OnlyTheFirstStartRegistersAndTheUsersChoiceIsKeptAcrossStarts) {
    const auto choice = [&] { return defaults.boolValue(LaunchAtLoginChoice::key); };
    // A first start whose registration is refused decides nothing: the next start tries again.
    loginItems.registerFailure = "refused";
    startWith(LoginItemStatus::notRegistered);
    EXPECT_EQ(choice(), std::nullopt);
    loginItems.registerFailure.reset();
    start();
    EXPECT_EQ(loginItems.registerCalls, 2);
    EXPECT_TRUE(manager->launchAtLoginEnabled());
    EXPECT_EQ(choice(), true);

    struct Step {
        const char* what;
        std::function<void()> userDoes;
        bool enabledAfterRestart;
        bool choiceAfterRestart;
        int registerCalls;
    };
    const std::vector<Step> steps{
        {"removes the entry with the desktop's tool",
         [&] { loginItems.currentStatus = LoginItemStatus::notRegistered; }, false, false, 2},
        {"starts once more", [] {}, false, false, 2},
        {"turns it on in Settings", [&] { manager->setLaunchAtLoginEnabled(true); }, true, true, 3},
        {"turns it off in Settings", [&] { manager->setLaunchAtLoginEnabled(false); }, false, false, 3},
        {"puts the entry back with the desktop's tool",
         [&] { loginItems.currentStatus = LoginItemStatus::enabled; }, true, true, 3},
        {"hides the entry (Hidden=true reads as not registered)",
         [&] { loginItems.currentStatus = LoginItemStatus::notRegistered; }, false, false, 3},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        step.userDoes();
        start();
        EXPECT_EQ(manager->launchAtLoginEnabled(), step.enabledAfterRestart);
        EXPECT_EQ(choice(), step.choiceAfterRestart);
        EXPECT_EQ(loginItems.registerCalls, step.registerCalls);
        EXPECT_FALSE(manager->lastErrorMessage());
    }

    // Settings that cannot be written change nothing at the item; the next start judges again.
    defaults.failWrites("The disk is full.");
    manager->setLaunchAtLoginEnabled(true);
    EXPECT_EQ(loginItems.registerCalls, 4);
    EXPECT_FALSE(manager->lastErrorMessage());
    defaults.failWrites(std::nullopt);
    start();
    EXPECT_EQ(choice(), true);
}

TEST_F(LaunchAtLoginTest, PollChecksEveryThreeSecondsUntilTheItemIsApproved) {
    startWith(LoginItemStatus::requiresApproval);
    const TaskHandle poll = *manager->approvalPollTask();
    const int readsAtStart = loginItems.statusReads;
    queue.advanceBy(4s);
    EXPECT_EQ(loginItems.statusReads, readsAtStart + 1) << "one check so far, at 3 s";
    EXPECT_TRUE(manager->launchAtLoginNeedsApproval());
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

    // The poll holds the manager only weakly, and ends when it is gone.
    startWith(LoginItemStatus::requiresApproval);
    const TaskHandle orphan = *manager->approvalPollTask();
    const std::weak_ptr<DisplayManager> weakManager = manager;
    manager.reset();
    EXPECT_TRUE(weakManager.expired());
    queue.advanceBy(3s);
    EXPECT_TRUE(orphan.isDone());
    EXPECT_EQ(queue.pendingJobCount(), 0u);
}

TEST_F(LaunchAtLoginTest, TheSwitchRegistersOrUnregistersOnlyWhenItMoves) {
    startOff();  // one refused registration at start-up
    int approvalChanges = 0;
    auto subscription = manager->subscribeToLaunchAtLoginNeedsApproval([&](bool) { ++approvalChanges; });
    manager->setLaunchAtLoginEnabled(false);
    EXPECT_EQ(loginItems.unregisterCalls, 0);

    // Turning on registers; an item that then waits for approval starts the poll.
    loginItems.statusAfterRegister = LoginItemStatus::requiresApproval;
    manager->setLaunchAtLoginEnabled(true);
    manager->setLaunchAtLoginEnabled(true);
    EXPECT_EQ(loginItems.registerCalls, 2);
    EXPECT_TRUE(manager->launchAtLoginNeedsApproval());
    ASSERT_TRUE(pollIsRunning());
    const TaskHandle poll = *manager->approvalPollTask();

    // Turning off unregisters and stops the poll.
    manager->setLaunchAtLoginEnabled(false);
    EXPECT_EQ(loginItems.unregisterCalls, 1);
    EXPECT_FALSE(manager->launchAtLoginNeedsApproval());
    EXPECT_FALSE(manager->approvalPollTask());
    queue.runUntilIdle();
    EXPECT_TRUE(poll.isDone());
    EXPECT_EQ(approvalChanges, 2);

    // Turning on while the item already waits for approval registers nothing, but polls.
    loginItems.currentStatus = LoginItemStatus::requiresApproval;
    manager->setLaunchAtLoginEnabled(true);
    EXPECT_EQ(loginItems.registerCalls, 2);
    EXPECT_TRUE(pollIsRunning());
}

TEST_F(LaunchAtLoginTest, ARefusedChangeReturnsTheSwitchAndShowsTheReason) {
    startWith(LoginItemStatus::requiresApproval);
    loginItems.unregisterFailure =
        "Cannot remove the autostart entry /x/lumadesk.desktop: Read-only file system.";
    std::vector<bool> switchPositions;
    auto subscription =
        manager->subscribeToLaunchAtLoginEnabled([&](bool on) { switchPositions.push_back(on); });
    manager->setLaunchAtLoginEnabled(false);
    EXPECT_EQ(switchPositions, (std::vector<bool>{false, true}));
    EXPECT_EQ(manager->lastErrorMessage(), loginItems.unregisterFailure);
    EXPECT_FALSE(manager->launchAtLoginNeedsApproval());
    EXPECT_FALSE(manager->approvalPollTask());

    // A refused registration likewise; rolling it back unregisters nothing.
    loginItems.unregisterFailure.reset();
    manager->setLaunchAtLoginEnabled(false);
    loginItems.registerFailure =
        "Cannot write the autostart entry /x/lumadesk.desktop: No space left on device.";
    manager->setLaunchAtLoginEnabled(true);
    EXPECT_FALSE(manager->launchAtLoginEnabled());
    EXPECT_EQ(manager->lastErrorMessage(), loginItems.registerFailure);
    EXPECT_EQ(loginItems.unregisterCalls, 2);
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
    EXPECT_EQ(loginItems.statusReads, 0) << "the given controller replaces the default one";

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
