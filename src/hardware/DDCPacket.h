#pragma once

#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace lumadesk {

// A DDC/CI request from the host to a monitor, as the bytes that follow the host's source address.
class DDCPacket {
public:
    // 7-bit I2C address of a monitor's DDC/CI channel (0x6E/0x6F as 8-bit write/read addresses).
    static constexpr std::uint8_t monitorAddress = 0x37;
    // The source address byte that opens every host message.
    static constexpr std::uint8_t hostAddress = 0x51;

    // VCP get request: 0x82, 0x01, feature, checksum.
    static DDCPacket vcpGet(std::uint8_t feature);
    // VCP set request: 0x84, 0x03, feature, value high, value low, checksum.
    static DDCPacket vcpSet(std::uint8_t feature, std::uint16_t value);

    // The packet: length byte, opcode, arguments, checksum.
    std::span<const std::uint8_t> bytes() const { return m_bytes; }
    // The packet behind the source address byte, for channels that send that byte from the buffer.
    std::vector<std::uint8_t> withHostAddress() const;

private:
    explicit DDCPacket(std::vector<std::uint8_t> bytes) : m_bytes(std::move(bytes)) {}
    static DDCPacket message(std::uint8_t opcode, std::span<const std::uint8_t> arguments);

    std::vector<std::uint8_t> m_bytes;
};

}  // namespace lumadesk
