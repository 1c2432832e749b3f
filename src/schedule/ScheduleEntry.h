#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "schedule/SunEvents.h"

namespace lumadesk {

// What an entry's time is measured from.
enum class ScheduleAnchor {
    timeOfDay,  // minutes after local midnight
    sunrise,    // minutes after (negative: before) sunrise
    sunset,     // minutes after (negative: before) sunset
};

// One point of the day at which brightness moves to a level.
struct ScheduleEntry {
    static constexpr int minutesPerDay = 24 * 60;
    // The longest offset from sunrise or sunset and the longest transition.
    static constexpr int maximumOffsetMinutes = 12 * 60;
    static constexpr int maximumTransitionMinutes = 12 * 60;

    ScheduleAnchor anchor = ScheduleAnchor::timeOfDay;
    int minutes = 0;
    // Bit n set: the entry applies on weekday n (0 Sunday ... 6 Saturday); none set: every day.
    std::uint8_t weekdays = 0;
    std::optional<int> level{};                  // for every display without a level of its own
    std::map<std::string, int> displayLevels{};  // by hardware ID
    // How long the move from the level before takes, starting at the entry's time; 0: at once.
    int transitionMinutes = 0;

    // The level this entry sets for the display, if it sets one.
    std::optional<int> levelFor(const std::string& hardwareID) const;
    // Whether the entry applies on the weekday (0 Sunday ... 6 Saturday).
    bool appliesOn(unsigned weekday) const { return weekdays == 0 || (weekdays >> weekday) & 1u; }

    friend bool operator==(const ScheduleEntry&, const ScheduleEntry&) = default;
};

// The user's schedule as stored.
struct ScheduleSettings {
    std::vector<ScheduleEntry> entries{};
    // Where sunrise and sunset are computed for; entries anchored to them do nothing without it.
    std::optional<GeoLocation> location{};
    // Whether the level due is applied when the program starts and when the computer wakes up.
    bool applyAtStart = true;

    friend bool operator==(const ScheduleSettings&, const ScheduleSettings&) = default;
};

}  // namespace lumadesk
