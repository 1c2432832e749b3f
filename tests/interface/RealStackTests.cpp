#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>

#include "assembly/DisplayStack.h"
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

// The popover over the whole stack and the built-in simulated desk, in virtual time: a row's slider
// reaches its own monitor through the manager, the write scheduler and the DDC/CI transport.
TEST(RealStackTest, ARowSliderMoveReachesItsSimulatedMonitorOnly) {
    TemporaryDirectory configDirectory;
    VirtualClock clock;
    VirtualSleeper sleeper{clock};
    ManualMainQueue queue{clock};
    auto platform = SimulatedPlatform::create({}, clock, sleeper);
    auto stack =
        std::make_unique<DisplayStack>(*platform, queue, DisplayStackOptions{configDirectory.path()});
    runSync(queue, stack->displayManager().refresh());
    Updater updater;
    auto popover =
        std::make_unique<MenuBarPopover>(stack->displayManager(), updater, queue, PopoverActions{});
    popover->show();
    queue.runUntilIdle();

    // The twin monitors of the built-in desk, both at 40, are the second and third on the desk.
    const auto& rows = popover->rowList().rows();
    const auto rightTwin = std::find_if(rows.begin(), rows.end(), [](const DisplayRowView* row) {
        return row->display().hardwareID == "4268-41234-1";
    });
    ASSERT_NE(rightTwin, rows.end());
    (*rightTwin)->findChild<ContinuousSlider*>(QStringLiteral("brightnessSlider"))->setValue(3300);
    queue.advanceBy(1s);
    EXPECT_EQ(platform->desk().monitor(2).brightness(), 33);
    EXPECT_EQ(platform->desk().monitor(1).brightness(), 40) << "the other twin is left alone";

    popover.reset();
    queue.runUntilIdle();
    stack.reset();
}
