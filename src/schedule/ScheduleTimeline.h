#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "schedule/LocalTimeZone.h"
#include "schedule/ScheduleEntry.h"

namespace lumadesk {

// One entry on one day.
struct ScheduleOccurrence {
    WallInstant at{};
    std::size_t entryIndex = 0;

    friend bool operator==(const ScheduleOccurrence&, const ScheduleOccurrence&) = default;
};

// Where the schedule's entries fall in real time, in the user's time zone, and which level is due when.
class ScheduleTimeline {
public:
    // Both must outlive the timeline.
    ScheduleTimeline(const ScheduleSettings& settings, const LocalTimeZone& zone)
        : m_settings(settings), m_zone(zone) {}

    // The occurrences from (inclusive) to until (exclusive), in time order; entries anchored to the sun
    // have none without a location or on days the sun does not rise or set.
    std::vector<ScheduleOccurrence> occurrences(WallInstant from, WallInstant until) const;
    // The first occurrence after the instant, within the next eight days.
    std::optional<ScheduleOccurrence> nextOccurrence(WallInstant after) const;
    // The level the schedule wants the display at: that of the last entry for it, or, within that
    // entry's transition, the point between the level of the entry before and it. None when no entry
    // of the past eight days sets a level for it.
    std::optional<int> levelDue(const std::string& hardwareID, WallInstant now) const;
    // Whether an entry's transition is under way at the instant.
    bool isInTransition(WallInstant now) const;

private:
    std::optional<WallInstant> occurrenceOn(const ScheduleEntry& entry, std::chrono::local_days day) const;

    const ScheduleSettings& m_settings;
    const LocalTimeZone& m_zone;
};

}  // namespace lumadesk
