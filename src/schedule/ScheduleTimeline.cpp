#include "schedule/ScheduleTimeline.h"

#include <algorithm>
#include <cmath>

namespace lumadesk {

namespace {

using namespace std::chrono;

// As far as the schedule looks back and ahead: a week, and a day for entries of other time zones'
// days and offsets from the sun.
constexpr auto horizon = days(8);

minutes transitionOf(const ScheduleEntry& entry) {
    return minutes(std::clamp(entry.transitionMinutes, 0, ScheduleEntry::maximumTransitionMinutes));
}

}  // namespace

std::optional<WallInstant> ScheduleTimeline::occurrenceOn(const ScheduleEntry& entry, local_days day) const {
    if (!entry.appliesOn(weekday(day).c_encoding())) return std::nullopt;
    if (entry.anchor == ScheduleAnchor::timeOfDay) {
        const int clamped = std::clamp(entry.minutes, 0, ScheduleEntry::minutesPerDay - 1);
        return instantOfLocalTime(m_zone, local_seconds{day} + minutes(clamped));
    }
    if (!m_settings.location) return std::nullopt;
    // The sun of the local day: its solar noon is near local noon.
    const SunEvents sun = sunEvents(sys_days{day.time_since_epoch()}, *m_settings.location);
    if (sun.kind != SunEvents::Kind::risesAndSets) return std::nullopt;
    const int offset =
        std::clamp(entry.minutes, -ScheduleEntry::maximumOffsetMinutes, ScheduleEntry::maximumOffsetMinutes);
    return (entry.anchor == ScheduleAnchor::sunrise ? sun.sunrise : sun.sunset) + minutes(offset);
}

std::vector<ScheduleOccurrence> ScheduleTimeline::occurrences(WallInstant from, WallInstant until) const {
    std::vector<ScheduleOccurrence> found;
    if (until <= from) return found;
    // Offsets from the sun reach half a day either way: look at a day more on each side.
    const local_days first = floor<days>(localTime(m_zone, from)) - days(1);
    const local_days last = floor<days>(localTime(m_zone, until)) + days(1);
    for (local_days day = first; day <= last; day += days(1)) {
        for (std::size_t index = 0; index < m_settings.entries.size(); ++index) {
            const auto at = occurrenceOn(m_settings.entries[index], day);
            if (at && *at >= from && *at < until) found.push_back({*at, index});
        }
    }
    std::ranges::stable_sort(found, {}, &ScheduleOccurrence::at);
    return found;
}

std::optional<ScheduleOccurrence> ScheduleTimeline::nextOccurrence(WallInstant after) const {
    const auto ahead = occurrences(after + nanoseconds(1), after + horizon);
    if (ahead.empty()) return std::nullopt;
    return ahead.front();
}

std::optional<int> ScheduleTimeline::levelDue(const std::string& hardwareID, WallInstant now) const {
    auto past = occurrences(now - horizon, now + nanoseconds(1));
    std::erase_if(past, [&](const ScheduleOccurrence& occurrence) {
        return !m_settings.entries[occurrence.entryIndex].levelFor(hardwareID);
    });
    if (past.empty()) return std::nullopt;
    const ScheduleOccurrence& latest = past.back();
    const ScheduleEntry& entry = m_settings.entries[latest.entryIndex];
    const int target = *entry.levelFor(hardwareID);
    const auto transition = transitionOf(entry);
    const auto elapsed = now - latest.at;
    if (past.size() < 2 || elapsed >= transition) return target;
    const int start = *m_settings.entries[past[past.size() - 2].entryIndex].levelFor(hardwareID);
    const double progress = duration<double>(elapsed) / duration<double>(transition);
    return static_cast<int>(std::lround(start + (target - start) * progress));
}

bool ScheduleTimeline::isInTransition(WallInstant now) const {
    return std::ranges::any_of(occurrences(now - horizon, now + nanoseconds(1)),
                               [&](const ScheduleOccurrence& o) {
                                   return now < o.at + transitionOf(m_settings.entries[o.entryIndex]);
                               });
}

}  // namespace lumadesk
