#pragma once

#include <cmath>
#include <string>

namespace lumadesk {

// A slider position turned into the level a display takes: the nearest integer, halves away from zero.
inline int roundedLevel(double value) {
    return static_cast<int>(std::lround(value));
}

// "45%": how levels read next to sliders.
inline std::string percentText(int level) {
    return std::to_string(level) + "%";
}

// "45 percent": how assistive technology reads a slider's level.
inline std::string percentSpoken(int level) {
    return std::to_string(level) + " percent";
}

}  // namespace lumadesk
