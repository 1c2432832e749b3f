#include "hardware/DDCPacket.h"

#include <array>

namespace lumadesk {

namespace {

// The destination address byte (the monitor's 8-bit write address), covered by the checksum but not sent
// from the buffer.
constexpr std::uint8_t monitorWriteAddress = DDCPacket::monitorAddress << 1;
constexpr std::uint8_t lengthFlag = 0x80;
constexpr std::uint8_t vcpGetOpcode = 0x01;
constexpr std::uint8_t vcpSetOpcode = 0x03;

}  // namespace

DDCPacket DDCPacket::vcpGet(std::uint8_t feature) {
    const std::array<std::uint8_t, 1> arguments{feature};
    return message(vcpGetOpcode, arguments);
}

DDCPacket DDCPacket::vcpSet(std::uint8_t feature, std::uint16_t value) {
    const std::array<std::uint8_t, 3> arguments{feature, static_cast<std::uint8_t>(value >> 8),
                                                static_cast<std::uint8_t>(value & 0xFF)};
    return message(vcpSetOpcode, arguments);
}

DDCPacket DDCPacket::message(std::uint8_t opcode, std::span<const std::uint8_t> arguments) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(arguments.size() + 3);
    bytes.push_back(static_cast<std::uint8_t>(lengthFlag | (arguments.size() + 1)));
    bytes.push_back(opcode);
    bytes.insert(bytes.end(), arguments.begin(), arguments.end());
    // The checksum covers the destination and source addresses too, though neither is in this buffer.
    std::uint8_t checksum = monitorWriteAddress ^ hostAddress;
    for (const std::uint8_t byte : bytes) checksum ^= byte;
    bytes.push_back(checksum);
    return DDCPacket(std::move(bytes));
}

std::vector<std::uint8_t> DDCPacket::withHostAddress() const {
    std::vector<std::uint8_t> bytes{hostAddress};
    bytes.insert(bytes.end(), m_bytes.begin(), m_bytes.end());
    return bytes;
}

}  // namespace lumadesk
