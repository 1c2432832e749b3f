#pragma once

#include <map>
#include <optional>
#include <string>

namespace lumadesk {

// Where an output was on the desktop before it was taken off, as the window server told it: its
// position in the layout, its mode, scale and transform, and whether it was the primary display.
struct OutputPlace {
    int x = 0;
    int y = 0;
    int width = 0;  // of the mode, in pixels
    int height = 0;
    double refresh = 0;  // of the mode, in Hz; 0 when the server did not tell
    double scale = 1;
    int transform = 0;  // as wl_output's: 0 normal, 1-3 turned by 90° steps, 4-7 the same flipped
    bool primary = false;

    friend bool operator==(const OutputPlace&, const OutputPlace&) = default;
};

// Places kept by connector name, as the backends that bring outputs back where they were keep them.
using OutputPlacesByConnector = std::map<std::string, OutputPlace>;

// The place kept for the connector; none when there is none.
inline std::optional<OutputPlace> placeFor(const OutputPlacesByConnector& places,
                                           const std::string& connector) {
    const auto place = places.find(connector);
    if (place == places.end()) return std::nullopt;
    return place->second;
}

}  // namespace lumadesk
