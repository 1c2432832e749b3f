#include "schedule/ScheduleRunner.h"

#include <gtest/gtest.h>

#include "support/CountingMainQueue.h"
#include "support/DisplayManagerHarness.h"
#include "support/FakeTimeZone.h"

namespace lumadesk {
namespace {

using namespace std::chrono;
using Writes = std::vector<std::pair<DisplayID, int>>;

// Tells of wake-ups when the test says so.
struct FakeWakeSignals final : WakeSignaling {
    Subscription subscribeToWake(std::function<void()> callback) override {
        return wake.subscribe([callback = std::move(callback)] { callback(); });
    }
    Signal<> wake;
};

const FakeTimeZone berlin = FakeTimeZone::centralEurope2026();

WallInstant local(local_days day, int hour, int minute = 0) {
    return instantOfLocalTime(berlin, day + hours(hour) + minutes(minute));
}

// Two DDC displays at 50 and 55 on a Berlin desk, with a morning entry, a half-hour sunset transition and
// a late entry.
class ScheduleRunnerTest : public ::testing::Test, protected DisplayManagerHarness {
protected:
    void SetUp() override {
        settings.location = GeoLocation{52.52, 13.405};
        settings.entries = {
            {.anchor = ScheduleAnchor::timeOfDay, .minutes = 7 * 60, .level = 80},
            {.anchor = ScheduleAnchor::sunset, .minutes = 0, .level = 30, .transitionMinutes = 30},
            {.anchor = ScheduleAnchor::timeOfDay, .minutes = 22 * 60, .level = 10},
        };
        ddc.plugIn(snapshot(11, "10-1-1"), 50);
        ddc.plugIn(snapshot(12, "10-2-2"), 55);
    }
    // Starts at the local time in Berlin.
    void startAt(WallInstant at) {
        clock.setWallNow(at);
        start();
        refresh();
        runner = std::make_unique<ScheduleRunner>(
            ScheduleRunner::Dependencies{*manager, counting, berlin, wakeSignals}, settings);
        runner->start();
        queue.runUntilIdle();
    }
    // Moves virtual time on to the instant.
    void advanceTo(WallInstant at) { queue.advanceBy(duration_cast<Duration>(at - clock.wallNow())); }
    Writes takeWrites() { return std::exchange(ddc.writes, {}); }
    // Today's sunset transition in Berlin.
    WallInstant sunset(local_days day) {
        return sunEvents(sys_days{day.time_since_epoch()}, *settings.location).sunset;
    }

    ScheduleSettings settings;
    FakeWakeSignals wakeSignals;
    CountingMainQueue counting{queue};
    std::unique_ptr<ScheduleRunner> runner;

    void TearDown() override {
        runner.reset();
        queue.runUntilIdle();
    }
};

TEST_F(ScheduleRunnerTest, AWholeDayOverTheSpringChangeWritesEachEntryOnTimeAndTransitionsInSteps) {
    // Midnight before clocks go forward: the 22:00 entry of the evening before is due.
    const local_days day{2026y / March / 29};
    startAt(local(day, 0));
    EXPECT_EQ(takeWrites(), (Writes{{11, 10}, {12, 10}}));

    // Between entries the schedule sleeps on one timer: none set, nothing written until 07:00 CEST, an
    // hour earlier in UTC than the day before.
    const int timersBefore = counting.timersSet;
    advanceTo(local(day, 7) - seconds(1));
    EXPECT_EQ(counting.timersSet, timersBefore);
    EXPECT_TRUE(takeWrites().empty());
    EXPECT_EQ(local(day, 7), sys_days{day.time_since_epoch()} + hours(5));
    advanceTo(local(day, 7));
    EXPECT_EQ(takeWrites(), (Writes{{11, 80}, {12, 80}}));

    // The sunset transition from 80 to 30: one step per display at most every 5 s, each level once.
    advanceTo(sunset(day) - seconds(1));
    EXPECT_TRUE(takeWrites().empty());
    Writes transition;
    while (clock.wallNow() < sunset(day) + minutes(31)) {
        queue.advanceBy(ScheduleRunner::stepInterval);
        const Writes step = takeWrites();
        EXPECT_LE(step.size(), 2u);
        if (step.size() == 2) {
            EXPECT_NE(step[0].first, step[1].first);
        }
        transition.insert(transition.end(), step.begin(), step.end());
    }
    EXPECT_EQ(transition.size(), 100u);  // 50 steps on each display
    EXPECT_EQ(transition.back().second, 30);
    EXPECT_EQ(display("10-1-1").brightness, 30);

    // After the transition the schedule sleeps again until 22:00.
    const int timersAfterTransition = counting.timersSet;
    advanceTo(local(day, 22) - seconds(1));
    EXPECT_EQ(counting.timersSet, timersAfterTransition);
    advanceTo(local(day, 22));
    EXPECT_EQ(takeWrites(), (Writes{{11, 10}, {12, 10}}));
    // And the next morning at 07:00 again.
    advanceTo(local(day + days(1), 7));
    EXPECT_EQ(takeWrites(), (Writes{{11, 80}, {12, 80}}));
    EXPECT_FALSE(runner->pausedUntil());
}

TEST_F(ScheduleRunnerTest, AfterASuspendOverAnEntryTheLevelDueIsAppliedOnWaking) {
    const local_days day{2026y / June / 10};
    // After the sunset transition (sunset is at 21:27).
    startAt(local(day, 21, 58));
    EXPECT_EQ(takeWrites(), (Writes{{11, 30}, {12, 30}}));
    // Asleep from 21:58 to 23:00: the monotonic timers stood still, the wall clock went on.
    clock.setWallNow(local(day, 23));
    wakeSignals.wake.emit();
    queue.runUntilIdle();
    EXPECT_EQ(takeWrites(), (Writes{{11, 10}, {12, 10}}));
    // The old timer does not fire again; the next one is for 07:00.
    advanceTo(local(day + days(1), 7) - seconds(1));
    EXPECT_TRUE(takeWrites().empty());
    advanceTo(local(day + days(1), 7));
    EXPECT_EQ(takeWrites(), (Writes{{11, 80}, {12, 80}}));

    // With applying at start and wake off, neither applies anything; entries still do.
    runner.reset();
    settings.applyAtStart = false;
    ddc.brightnessByID = {{11, 50}, {12, 55}};
    refresh();
    runner = std::make_unique<ScheduleRunner>(
        ScheduleRunner::Dependencies{*manager, counting, berlin, wakeSignals}, settings);
    runner->start();
    clock.setWallNow(local(day + days(1), 23));
    wakeSignals.wake.emit();
    queue.runUntilIdle();
    EXPECT_TRUE(takeWrites().empty());
    advanceTo(local(day + days(2), 7));
    EXPECT_EQ(takeWrites(), (Writes{{11, 80}, {12, 80}}));
}

TEST_F(ScheduleRunnerTest, AManualChangeDuringATransitionPausesTheScheduleUntilTheNextEntry) {
    const local_days day{2026y / June / 10};
    startAt(local(day, 12));
    takeWrites();
    advanceTo(sunset(day) + minutes(10));
    EXPECT_FALSE(takeWrites().empty());

    runSync(queue, manager->setBrightness(65, "10-1-1"));
    takeWrites();
    EXPECT_EQ(runner->pausedUntil(), local(day, 22));
    // The rest of the transition is dropped, on both displays.
    advanceTo(local(day, 22) - seconds(1));
    EXPECT_TRUE(takeWrites().empty());
    EXPECT_EQ(display("10-1-1").brightness, 65);
    advanceTo(local(day, 22));
    EXPECT_EQ(takeWrites(), (Writes{{11, 10}, {12, 10}}));
    EXPECT_FALSE(runner->pausedUntil());
}

TEST_F(ScheduleRunnerTest, AtStartTheLevelDueWaitsForTheFirstRefresh) {
    clock.setWallNow(local(local_days{2026y / June / 10}, 12));
    start();
    runner = std::make_unique<ScheduleRunner>(
        ScheduleRunner::Dependencies{*manager, counting, berlin, wakeSignals}, settings);
    runner->start();
    queue.runUntilIdle();
    EXPECT_TRUE(takeWrites().empty());
    refresh();
    queue.runUntilIdle();
    EXPECT_EQ(takeWrites(), (Writes{{11, 80}, {12, 80}}));
}

TEST_F(ScheduleRunnerTest, PausesForAnHourOrUntilTomorrowAndResumes) {
    const local_days day{2026y / June / 10};
    startAt(local(day, 6, 30));
    takeWrites();

    // An hour's pause skips the 07:00 entry; at its end the level due is applied.
    runner->pauseFor(hours(1));
    EXPECT_EQ(runner->pausedUntil(), local(day, 7, 30));
    advanceTo(local(day, 7, 29));
    EXPECT_TRUE(takeWrites().empty());
    advanceTo(local(day, 7, 30));
    EXPECT_EQ(takeWrites(), (Writes{{11, 80}, {12, 80}}));

    // Until tomorrow: nothing this evening, the level due at midnight then.
    runner->pauseUntilTomorrow();
    EXPECT_EQ(runner->pausedUntil(), local(day + days(1), 0));
    advanceTo(local(day, 23, 59));
    EXPECT_TRUE(takeWrites().empty());
    advanceTo(local(day + days(1), 0));
    EXPECT_EQ(takeWrites(), (Writes{{11, 10}, {12, 10}}));

    // Resuming applies at once.
    advanceTo(local(day + days(1), 6, 55));
    runner->pauseFor(hours(3));
    advanceTo(local(day + days(1), 7, 10));
    EXPECT_TRUE(takeWrites().empty());
    runner->resume();
    queue.runUntilIdle();
    EXPECT_EQ(takeWrites(), (Writes{{11, 80}, {12, 80}}));
    EXPECT_FALSE(runner->pausedUntil());
}

}  // namespace
}  // namespace lumadesk
