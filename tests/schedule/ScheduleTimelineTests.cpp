#include "schedule/ScheduleTimeline.h"

#include <gtest/gtest.h>

#include "support/FakeTimeZone.h"

namespace lumadesk {
namespace {

using namespace std::chrono;

const FakeTimeZone berlin = FakeTimeZone::centralEurope2026();

// The instant of a local wall-clock reading in Berlin.
WallInstant local(local_days day, int hour, int minute = 0) {
    return instantOfLocalTime(berlin, day + hours(hour) + minutes(minute));
}

WallInstant local(year_month_day day, int hour, int minute = 0) {
    return local(local_days{day}, hour, minute);
}

TEST(ScheduleTimelineTest, LocalTimesFollowDaylightSavingTime) {
    // A winter and a summer noon, and the two changes: 02:30 does not exist on 29 March and occurs
    // twice on 25 October.
    EXPECT_EQ(local(2026y / January / 10, 12), sys_days{2026y / January / 10} + hours(11));
    EXPECT_EQ(local(2026y / July / 10, 12), sys_days{2026y / July / 10} + hours(10));
    EXPECT_EQ(local(2026y / March / 29, 2, 30), sys_days{2026y / March / 29} + hours(1) + minutes(30));
    EXPECT_EQ(local(2026y / March / 29, 12), sys_days{2026y / March / 29} + hours(10));
    EXPECT_EQ(local(2026y / October / 25, 2, 30), sys_days{2026y / October / 25} + minutes(30));
    EXPECT_EQ(local(2026y / October / 25, 12), sys_days{2026y / October / 25} + hours(11));
    EXPECT_EQ(localTime(berlin, sys_days{2026y / July / 10} + hours(10)),
              local_days{2026y / July / 10} + hours(12));
}

TEST(ScheduleTimelineTest, FindsOccurrencesAndTheLevelDue) {
    ScheduleSettings settings;
    settings.location = GeoLocation{52.52, 13.405};
    settings.entries = {
        {.anchor = ScheduleAnchor::timeOfDay, .minutes = 7 * 60, .level = 80},
        // Weekdays only (Monday to Friday), half an hour before sunset, over an hour; one display its own.
        {.anchor = ScheduleAnchor::sunset,
         .minutes = -30,
         .weekdays = 0b0111110,
         .level = 20,
         .displayLevels = {{"10-2-2", 50}},
         .transitionMinutes = 60},
        // Only for one display.
        {.anchor = ScheduleAnchor::timeOfDay, .minutes = 23 * 60, .displayLevels = {{"10-2-2", 5}}},
    };
    const ScheduleTimeline timeline(settings, berlin);

    // Friday 12 June 2026: sunset in Berlin at 21:30 CEST.
    const local_days friday{2026y / June / 12};
    const auto found = timeline.occurrences(local(friday, 0), local(friday + days(2), 0));
    ASSERT_EQ(found.size(), 5u);
    EXPECT_EQ(found[0], (ScheduleOccurrence{local(friday, 7), 0}));
    EXPECT_EQ(found[1].entryIndex, 1u);
    EXPECT_NEAR((duration<double, std::ratio<60>>(found[1].at - local(friday, 21)).count()), 0, 3);
    EXPECT_EQ(found[2], (ScheduleOccurrence{local(friday, 23), 2}));
    // Saturday: no sunset entry.
    EXPECT_EQ(found[3], (ScheduleOccurrence{local(friday + days(1), 7), 0}));
    EXPECT_EQ(found[4], (ScheduleOccurrence{local(friday + days(1), 23), 2}));
    EXPECT_EQ(timeline.nextOccurrence(local(friday, 7)), found[1]);

    const WallInstant dusk = found[1].at;
    struct Case {
        WallInstant at;
        const char* hardwareID;
        std::optional<int> level;
    };
    const Case cases[] = {
        {local(friday, 12), "10-1-1", 80},
        {dusk, "10-1-1", 80},                // the transition starts from the level before
        {dusk + minutes(15), "10-1-1", 65},  // a quarter of the way from 80 to 20
        {dusk + minutes(30), "10-1-1", 50},
        {dusk + minutes(30), "10-2-2", 65},  // its own target: from 80 to 50
        {dusk + minutes(60), "10-1-1", 20},
        {local(friday, 23, 30), "10-1-1", 20},  // the 23:00 entry has no level for it
        {local(friday, 23, 30), "10-2-2", 5},
        {local(friday + days(1), 8), "10-2-2", 80},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(timeline.levelDue(c.hardwareID, c.at), c.level) << c.hardwareID;
    }
    EXPECT_TRUE(timeline.isInTransition(dusk + minutes(59)));
    EXPECT_FALSE(timeline.isInTransition(dusk + minutes(60)));
    EXPECT_FALSE(timeline.isInTransition(local(friday, 12)));

    // Without a location, entries anchored to the sun never occur.
    settings.location.reset();
    EXPECT_EQ(timeline.occurrences(local(friday, 0), local(friday + days(1), 0)).size(), 2u);
    // No entries: nothing is due and nothing comes.
    settings.entries.clear();
    EXPECT_FALSE(timeline.levelDue("10-1-1", local(friday, 12)));
    EXPECT_FALSE(timeline.nextOccurrence(local(friday, 12)));
}

TEST(ScheduleTimelineTest, SunEntriesSkipPolarDaysAndNights) {
    ScheduleSettings settings;
    settings.location = GeoLocation{69.6492, 18.9553};  // Tromsø
    settings.entries = {{.anchor = ScheduleAnchor::sunrise, .level = 70},
                        {.anchor = ScheduleAnchor::sunset, .level = 30}};
    const ScheduleTimeline timeline(settings, berlin);
    EXPECT_TRUE(timeline.occurrences(local(2026y / June / 15, 0), local(2026y / June / 25, 0)).empty());
    EXPECT_TRUE(
        timeline.occurrences(local(2026y / December / 15, 0), local(2026y / December / 25, 0)).empty());
    EXPECT_EQ(timeline.occurrences(local(2026y / March / 20, 0), local(2026y / March / 21, 0)).size(), 2u);
}

}  // namespace
}  // namespace lumadesk
