#include "schedule/SunEvents.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace lumadesk {
namespace {

using namespace std::chrono;

// Minutes after midnight UTC of the date, to compare with a table.
double minutesAfter(sys_days date, WallInstant instant) {
    return duration<double, std::ratio<60>>(instant - date).count();
}

TEST(SunEventsTest, MatchPublishedSunriseAndSunsetTablesWithinThreeMinutes) {
    struct Case {
        const char* place;
        GeoLocation location;
        year_month_day date;
        // Table times in UTC as minutes after midnight of the date (negative: the evening before; past
        // 1440: the next morning).
        int sunrise;
        int sunset;
    };
    const Case cases[] = {
        // London: 04:43 and 21:21 BST; 08:04 and 15:53 GMT.
        {"London, June", {51.5074, -0.1278}, 2026y / June / 21, 3 * 60 + 43, 20 * 60 + 21},
        {"London, December", {51.5074, -0.1278}, 2026y / December / 21, 8 * 60 + 4, 15 * 60 + 53},
        // New York: 05:25 and 20:31 EDT; 07:17 and 16:32 EST.
        {"New York, June", {40.7128, -74.0060}, 2026y / June / 21, 9 * 60 + 25, 24 * 60 + 31},
        {"New York, December", {40.7128, -74.0060}, 2026y / December / 21, 12 * 60 + 17, 21 * 60 + 32},
        // Sydney: 05:41 and 20:05 AEDT; 07:00 and 16:54 AEST.
        {"Sydney, December", {-33.8688, 151.2093}, 2026y / December / 21, -(5 * 60 + 19), 9 * 60 + 5},
        {"Sydney, June", {-33.8688, 151.2093}, 2026y / June / 21, -(3 * 60), 6 * 60 + 54},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.place);
        const sys_days date{c.date};
        const SunEvents sun = sunEvents(date, c.location);
        ASSERT_EQ(sun.kind, SunEvents::Kind::risesAndSets);
        EXPECT_NEAR(minutesAfter(date, sun.sunrise), c.sunrise, 3);
        EXPECT_NEAR(minutesAfter(date, sun.sunset), c.sunset, 3);
    }
}

TEST(SunEventsTest, ThePolarCirclesHaveDaysWithoutSunriseOrSunset) {
    struct Case {
        const char* place;
        GeoLocation location;
        year_month_day date;
        SunEvents::Kind kind;
    };
    const GeoLocation tromso{69.6492, 18.9553};
    const GeoLocation mcMurdo{-77.8419, 166.6863};
    const Case cases[] = {
        {"Tromsø, midsummer", tromso, 2026y / June / 21, SunEvents::Kind::polarDay},
        {"Tromsø, midwinter", tromso, 2026y / December / 21, SunEvents::Kind::polarNight},
        // The midnight sun lasts from about 20 May to 22 July, the polar night from about 27 November
        // to 15 January.
        {"Tromsø, early May", tromso, 2026y / May / 10, SunEvents::Kind::risesAndSets},
        {"Tromsø, early June", tromso, 2026y / June / 1, SunEvents::Kind::polarDay},
        {"Tromsø, mid January", tromso, 2026y / January / 5, SunEvents::Kind::polarNight},
        {"Tromsø, February", tromso, 2026y / February / 1, SunEvents::Kind::risesAndSets},
        {"McMurdo, December", mcMurdo, 2026y / December / 21, SunEvents::Kind::polarDay},
        {"McMurdo, June", mcMurdo, 2026y / June / 21, SunEvents::Kind::polarNight},
        {"North Pole, June", {90, 0}, 2026y / June / 21, SunEvents::Kind::polarDay},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.place);
        EXPECT_EQ(sunEvents(sys_days{c.date}, c.location).kind, c.kind);
    }
}

TEST(SunEventsTest, LocationsOutsideTheGlobeAreInvalid) {
    EXPECT_TRUE(GeoLocation(52.52, 13.405).isValid());
    EXPECT_TRUE(GeoLocation(-90, 180).isValid());
    EXPECT_FALSE(GeoLocation(90.5, 0).isValid());
    EXPECT_FALSE(GeoLocation(0, -181).isValid());
    EXPECT_FALSE(GeoLocation(std::nan(""), 0).isValid());
}

}  // namespace
}  // namespace lumadesk
