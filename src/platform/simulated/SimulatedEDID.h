#pragma once

#include <array>
#include <cstdint>

#include "platform/simulated/SimulatedMonitorConfig.h"

namespace lumadesk {

// The 128-byte EDID base block a simulated monitor serves at I2C address 0x50.
class SimulatedEDID {
public:
    static constexpr std::size_t size = 128;

    // A valid EDID 1.4 block: header, identity, a 1920x1080 preferred timing, the serial-number and
    // product-name descriptors the configuration asks for, and a correct checksum.
    static std::array<std::uint8_t, size> image(const SimulatedMonitorConfig& config);
};

}  // namespace lumadesk
