#pragma once

#include <cstdint>

namespace lumadesk {

// What changes about a simulated display while programs use it, and is kept between runs.
struct SimulatedDisplayState {
    std::uint16_t brightness = 0;
    std::uint8_t powerMode = 1;
    bool enabled = true;  // in the current session
    bool plugged = true;

    friend bool operator==(const SimulatedDisplayState&, const SimulatedDisplayState&) = default;
};

}  // namespace lumadesk
