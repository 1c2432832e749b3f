#pragma once

#include <chrono>

#include "runtime/Clock.h"

namespace lumadesk {

// A place on Earth in degrees: north and east positive.
struct GeoLocation {
    double latitude = 0;
    double longitude = 0;

    // Whether the latitude lies in -90...90 and the longitude in -180...180.
    bool isValid() const;

    friend bool operator==(const GeoLocation&, const GeoLocation&) = default;
};

// When the sun rises and sets on one day at one place, or that it does neither.
struct SunEvents {
    enum class Kind {
        risesAndSets,
        polarDay,    // above the horizon all day
        polarNight,  // below the horizon all day
    };
    Kind kind = Kind::risesAndSets;
    WallInstant sunrise{};  // only for risesAndSets
    WallInstant sunset{};   // only for risesAndSets
};

// Sunrise and sunset around the solar noon of the date at the location, from the standard sunrise
// equation (mean anomaly, equation of centre, ecliptic longitude, declination, hour angle for the sun's
// upper limb 0.833 degrees below the horizon). Good to a minute or two outside the polar circles.
SunEvents sunEvents(std::chrono::sys_days date, GeoLocation location);

}  // namespace lumadesk
