#include "registry/SyntheticDisplayID.h"

#include <cstdint>

namespace lumadesk {

DisplayID syntheticDisplayID(std::string_view hardwareID) {
    constexpr std::uint32_t offsetBasis = 0x811C9DC5u;
    constexpr std::uint32_t prime = 16777619u;
    std::uint32_t hash = offsetBasis;
    for (char byte : hardwareID) {
        hash ^= static_cast<std::uint8_t>(byte);
        hash *= prime;  // unsigned arithmetic wraps modulo 2^32
    }
    return hash == 0 ? 1 : hash;
}

}  // namespace lumadesk
