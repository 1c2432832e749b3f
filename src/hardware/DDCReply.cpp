#include "hardware/DDCReply.h"

#include <algorithm>
#include <array>

namespace lumadesk {

namespace {

constexpr std::uint8_t vcpReplyOpcode = 0x02;
constexpr std::uint8_t noError = 0x00;
// The checksum of a monitor's message starts from the host's virtual address 0x50.
constexpr std::uint8_t checksumSeed = 0x50;
// Source 0x6E, length 0 with the length flag, checksum.
constexpr std::array<std::uint8_t, 3> nullMessage{0x6E, 0x80, 0xBE};

bool hasValidChecksum(std::span<const std::uint8_t> reply) {
    std::uint8_t checksum = checksumSeed;
    for (const std::uint8_t byte : reply.first(DDCReply::length - 1)) checksum ^= byte;
    return checksum == reply[DDCReply::length - 1];
}

}  // namespace

std::optional<std::uint16_t> DDCReply::currentValue(std::uint8_t feature,
                                                    std::span<const std::uint8_t> reply) {
    if (reply.size() < length || !hasValidChecksum(reply)) return std::nullopt;
    if (reply[2] != vcpReplyOpcode || reply[3] != noError || reply[4] != feature) return std::nullopt;
    return static_cast<std::uint16_t>(reply[8] << 8 | reply[9]);
}

bool DDCReply::isNullMessage(std::span<const std::uint8_t> reply) {
    return reply.size() >= nullMessage.size() &&
           std::equal(nullMessage.begin(), nullMessage.end(), reply.begin());
}

}  // namespace lumadesk
