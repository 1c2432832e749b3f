#include "schedule/BuiltInScreenFollower.h"

#include <gtest/gtest.h>

#include "support/DisplayManagerHarness.h"

namespace lumadesk {
namespace {

using Writes = std::vector<std::pair<DisplayID, int>>;

// A backlight whose level the test sets, telling of each change as udev would.
struct FakeBacklight final : BuiltInBacklight {
    std::optional<int> level() const override { return current; }
    Subscription subscribeToChanges(std::function<void()> callback) override {
        return changed.subscribe([callback = std::move(callback)] { callback(); });
    }
    void set(std::optional<int> level) {
        current = level;
        changed.emit();
    }
    std::optional<int> current;
    Signal<> changed;
};

TEST(BuiltInScreenFollowerTest, FollowingDisplaysTakeEachNewLevelThroughTheirRange) {
    DisplayManagerHarness desk;
    desk.ddc.plugIn(DisplayManagerHarness::snapshot(11, "10-1-1"), 50);
    desk.ddc.plugIn(DisplayManagerHarness::snapshot(12, "10-2-2"), 50);
    desk.ddc.plugIn(DisplayManagerHarness::snapshot(13, "10-3-3"), 50);
    desk.start();
    desk.refresh();
    desk.manager->setFollowsBuiltInScreen(true, "10-1-1");
    desk.manager->setFollowsBuiltInScreen(true, "10-2-2");
    desk.manager->setBrightnessRange(BrightnessRange{30, 90}, "10-2-2");

    FakeBacklight backlight;
    backlight.current = 40;
    const BuiltInScreenFollower follower(*desk.manager, desk.queue, backlight);
    desk.queue.runUntilIdle();
    EXPECT_TRUE(desk.ddc.writes.empty()) << "the level at start is not a change";

    backlight.set(100);
    desk.queue.runUntilIdle();
    backlight.set(0);
    desk.queue.runUntilIdle();
    // An event without a new level, and one while the backlight cannot be read, write nothing.
    backlight.set(0);
    backlight.set(std::nullopt);
    desk.queue.runUntilIdle();
    EXPECT_EQ(desk.ddc.writes, (Writes{{11, 100}, {12, 90}, {11, 0}, {12, 30}}));
    EXPECT_EQ(desk.display("10-3-3").brightness, 50);

    // Off again: no longer follows.
    desk.manager->setFollowsBuiltInScreen(false, "10-1-1");
    desk.ddc.writes.clear();
    backlight.set(50);
    desk.queue.runUntilIdle();
    EXPECT_EQ(desk.ddc.writes, (Writes{{12, 60}}));
}

}  // namespace
}  // namespace lumadesk
