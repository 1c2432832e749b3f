#include "registry/BrightnessRange.h"

#include <algorithm>

namespace lumadesk {

namespace {

// a * b / c rounded to the nearest whole number, for non-negative a, b and positive c.
int scaledRounded(int a, int b, int c) {
    return (a * b + c / 2) / c;
}

}  // namespace

bool BrightnessRange::isValid() const {
    return lowestLevel <= minimum && minimum < maximum && maximum <= highestLevel;
}

int BrightnessRange::monitorLevel(int level) const {
    const int clamped = std::clamp(level, lowestLevel, highestLevel);
    return minimum + scaledRounded(clamped, maximum - minimum, highestLevel);
}

int BrightnessRange::userLevel(int monitorLevel) const {
    const int clamped = std::clamp(monitorLevel, minimum, maximum);
    return scaledRounded(clamped - minimum, highestLevel, maximum - minimum);
}

int monitorLevel(const std::optional<BrightnessRange>& range, int level) {
    return range ? range->monitorLevel(level) : level;
}

int userLevel(const std::optional<BrightnessRange>& range, int monitorLevel) {
    return range ? range->userLevel(monitorLevel) : monitorLevel;
}

}  // namespace lumadesk
