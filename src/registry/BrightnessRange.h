#pragma once

#include <optional>

namespace lumadesk {

// The part of a monitor's brightness scale that the level the user sees (0...100) spans: a monitor too
// bright at its own 0 can start higher, one too bright at its top can stop lower.
struct BrightnessRange {
    static constexpr int lowestLevel = 0;
    static constexpr int highestLevel = 100;

    int minimum = lowestLevel;
    int maximum = highestLevel;

    // Whether both ends lie in 0...100 with the minimum below the maximum.
    bool isValid() const;
    // The monitor's level for the user's level (clamped to 0...100): 0 is the minimum, 100 the maximum.
    int monitorLevel(int level) const;
    // The user's level for a level the monitor reports; levels outside the range count as its ends.
    int userLevel(int monitorLevel) const;

    friend bool operator==(const BrightnessRange&, const BrightnessRange&) = default;
};

// The monitor's level for the user's level; without a range the two are the same.
int monitorLevel(const std::optional<BrightnessRange>& range, int level);
// The user's level for the monitor's level; without a range the two are the same.
int userLevel(const std::optional<BrightnessRange>& range, int monitorLevel);

}  // namespace lumadesk
