#include "schedule/LocalTimeZone.h"

namespace lumadesk {

std::chrono::local_seconds localTime(const LocalTimeZone& zone, WallInstant instant) {
    const auto seconds = std::chrono::floor<std::chrono::seconds>(instant);
    return std::chrono::local_seconds{(seconds + zone.offsetAt(instant)).time_since_epoch()};
}

WallInstant instantOfLocalTime(const LocalTimeZone& zone, std::chrono::local_seconds time) {
    const WallInstant asIfUTC{time.time_since_epoch()};
    // First with the offset in force a day earlier, which takes the first of a repeated hour.
    const auto earlierOffset = zone.offsetAt(asIfUTC - std::chrono::hours(24));
    const WallInstant early = asIfUTC - earlierOffset;
    if (zone.offsetAt(early) == earlierOffset) return early;
    const WallInstant late = asIfUTC - zone.offsetAt(early);
    if (zone.offsetAt(late) == zone.offsetAt(early)) return late;
    // The time does not exist (clocks went forward over it): it reads as much later after the change.
    return early;
}

}  // namespace lumadesk
