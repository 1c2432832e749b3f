#include "schedule/SunEvents.h"

#include <cmath>
#include <numbers>

namespace lumadesk {

namespace {

constexpr double julianDayOf2000 = 2451545.0;       // 2000-01-01 12:00 UTC
constexpr double julianDayOfUnixEpoch = 2440587.5;  // 1970-01-01 00:00 UTC
constexpr double secondsPerDay = 86400.0;
constexpr double obliquity = 23.4397;       // of the ecliptic, degrees
constexpr double horizonAltitude = -0.833;  // refraction and the sun's radius, degrees

double radians(double degrees) {
    return degrees * std::numbers::pi / 180.0;
}

double degrees(double radians) {
    return radians * 180.0 / std::numbers::pi;
}

double normalizedDegrees(double degrees) {
    const double reduced = std::fmod(degrees, 360.0);
    return reduced < 0 ? reduced + 360.0 : reduced;
}

WallInstant instantOfJulianDay(double julianDay) {
    const std::chrono::duration<double> sinceEpoch((julianDay - julianDayOfUnixEpoch) * secondsPerDay);
    return WallInstant{std::chrono::round<WallInstant::duration>(sinceEpoch)};
}

}  // namespace

bool GeoLocation::isValid() const {
    return std::isfinite(latitude) && std::isfinite(longitude) && latitude >= -90 && latitude <= 90 &&
           longitude >= -180 && longitude <= 180;
}

SunEvents sunEvents(std::chrono::sys_days date, GeoLocation location) {
    const auto daysSince2000 = (date - std::chrono::sys_days{std::chrono::January / 1 / 2000}).count();
    // Mean solar noon at the location, in days since 2000-01-01 12:00 UTC.
    const double meanNoon = static_cast<double>(daysSince2000) - location.longitude / 360.0;
    const double meanAnomaly = normalizedDegrees(357.5291 + 0.98560028 * meanNoon);
    const double m = radians(meanAnomaly);
    const double centre = 1.9148 * std::sin(m) + 0.0200 * std::sin(2 * m) + 0.0003 * std::sin(3 * m);
    const double eclipticLongitude = radians(normalizedDegrees(meanAnomaly + centre + 180.0 + 102.9372));
    const double transit =
        julianDayOf2000 + meanNoon + 0.0053 * std::sin(m) - 0.0069 * std::sin(2 * eclipticLongitude);
    const double sinDeclination = std::sin(eclipticLongitude) * std::sin(radians(obliquity));
    const double cosDeclination = std::cos(std::asin(sinDeclination));
    const double latitude = radians(location.latitude);
    const double cosHourAngle = (std::sin(radians(horizonAltitude)) - std::sin(latitude) * sinDeclination) /
                                (std::cos(latitude) * cosDeclination);
    if (cosHourAngle < -1) return {.kind = SunEvents::Kind::polarDay};
    if (cosHourAngle > 1) return {.kind = SunEvents::Kind::polarNight};
    const double halfDay = degrees(std::acos(cosHourAngle)) / 360.0;
    return {.kind = SunEvents::Kind::risesAndSets,
            .sunrise = instantOfJulianDay(transit - halfDay),
            .sunset = instantOfJulianDay(transit + halfDay)};
}

}  // namespace lumadesk
