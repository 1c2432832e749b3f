#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "assembly/DisplayStack.h"
#include "interface/AllDisplaysCard.h"
#include "interface/ContinuousSlider.h"
#include "interface/DisplayRowList.h"
#include "interface/DisplayRowView.h"
#include "interface/MenuBarPopover.h"
#include "interface/Updater.h"
#include "platform/simulated/SimulatedPlatform.h"
#include "runtime/ManualMainQueue.h"
#include "runtime/RunSync.h"
#include "runtime/VirtualSleeper.h"
#include "support/TemporaryDirectory.h"

using namespace lumadesk;
using namespace std::chrono_literals;

namespace {

// Positions of two monitors of the built-in desk that speak DDC/CI.
constexpr std::size_t leftTwin = 1;
constexpr std::size_t rightTwin = 2;

// The popover over the whole stack and the built-in simulated desk, in virtual time.
struct RealStackTest : ::testing::Test {
    TemporaryDirectory configDirectory;
    VirtualClock clock;
    VirtualSleeper sleeper{clock};
    ManualMainQueue queue{clock};
    std::unique_ptr<SimulatedPlatform> platform = SimulatedPlatform::create({}, clock, sleeper);
    std::unique_ptr<DisplayStack> stack =
        std::make_unique<DisplayStack>(*platform, queue, DisplayStackOptions{configDirectory.path()});
    Updater updater;
    std::unique_ptr<MenuBarPopover> popover;

    void SetUp() override {
        runSync(queue, stack->displayManager().refresh());
        popover = std::make_unique<MenuBarPopover>(stack->displayManager(), updater, queue, PopoverActions{});
        popover->show();
        queue.runUntilIdle();
    }
    void TearDown() override {
        popover.reset();
        queue.runUntilIdle();
        stack.reset();
    }
    ContinuousSlider& sliderOfDisplay(const std::string& hardwareID) {
        for (auto* row : popover->rowList().rows()) {
            if (row->display().hardwareID == hardwareID)
                return *row->findChild<ContinuousSlider*>(QStringLiteral("brightnessSlider"));
        }
        throw std::logic_error("no row for " + hardwareID);
    }
};

}  // namespace

TEST_F(RealStackTest, ARowSliderMoveReachesTheSimulatedMonitor) {
    SimulatedDesk& desk = platform->desk();
    sliderOfDisplay("4268-41234-1").setValue(3300);
    queue.advanceBy(1s);
    EXPECT_EQ(desk.monitor(rightTwin).brightness(), 33);
    EXPECT_EQ(desk.monitor(leftTwin).brightness(), 40) << "the other twin is left alone";
}

TEST_F(RealStackTest, TheCardReachesEveryControllableMonitor) {
    SimulatedDesk& desk = platform->desk();
    ASSERT_TRUE(popover->card().isVisible());
    popover->card().slider().setValue(2260);
    queue.advanceBy(1s);
    EXPECT_EQ(desk.monitor(leftTwin).brightness(), 23);
    EXPECT_EQ(desk.monitor(rightTwin).brightness(), 23);
    EXPECT_EQ(popover->card().levelText(), "23%");
}
