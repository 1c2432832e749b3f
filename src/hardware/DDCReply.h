#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace lumadesk {

// The monitor's answer to a VCP get: source 0x6E, length 0x88, opcode 0x02, result, feature, type,
// maximum (high, low), current (high, low), checksum.
class DDCReply {
public:
    static constexpr std::size_t length = 11;

    // The current value when the bytes are a complete, successful VCP feature reply for this feature with
    // a correct checksum; none otherwise (a short read, the null message of a monitor not ready, an error
    // result, the answer to another request).
    static std::optional<std::uint16_t> currentValue(std::uint8_t feature,
                                                     std::span<const std::uint8_t> reply);
    // Whether the bytes start with the null message (0x6E 0x80 0xBE), by which a monitor says it has no
    // reply ready yet.
    static bool isNullMessage(std::span<const std::uint8_t> reply);
};

}  // namespace lumadesk
