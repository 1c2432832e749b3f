#pragma once

#include <cstdint>

namespace lumadesk {

// The MCCS VCP feature codes the program uses.
struct VCPFeature {
    static constexpr std::uint8_t luminance = 0x10;
    static constexpr std::uint8_t powerMode = 0xD6;
};

}  // namespace lumadesk
