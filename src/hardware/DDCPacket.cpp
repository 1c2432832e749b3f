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

// Bytes are placed by index: GCC 12 at -O3 warns falsely (-Warray-bounds) about inserting a span
// into a vector here.
DDCPacket DDCPacket::message(std::uint8_t opcode, std::span<const std::uint8_t> arguments) {
    std::vector<std::uint8_t> bytes(arguments.size() + 3);
    bytes[0] = static_cast<std::uint8_t>(lengthFlag | (arguments.size() + 1));
    bytes[1] = opcode;
    for (std::size_t i = 0; i < arguments.size(); ++i) bytes[i + 2] = arguments[i];
    // The checksum covers the destination and source addresses too, though neither is in this buffer.
    std::uint8_t checksum = monitorWriteAddress ^ hostAddress;
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i) checksum ^= bytes[i];
    bytes.back() = checksum;
    return DDCPacket(std::move(bytes));
}

std::vector<std::uint8_t> DDCPacket::withHostAddress() const {
    std::vector<std::uint8_t> bytes(m_bytes.size() + 1);
    bytes[0] = hostAddress;
    for (std::size_t i = 0; i < m_bytes.size(); ++i) bytes[i + 1] = m_bytes[i];
    return bytes;
}

}  // namespace lumadesk
