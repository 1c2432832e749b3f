#pragma once

#include <cstdint>
#include <span>

#include "platform/IOResult.h"

namespace lumadesk {

// An opened AV service: the I2C side channel of one display link.
class AVService {
public:
    virtual ~AVService() = default;
    AVService() = default;
    AVService(const AVService&) = delete;
    AVService& operator=(const AVService&) = delete;

    // Reads buffer.size() bytes from the device at the 7-bit chip address, starting at the offset.
    virtual IOResult readI2C(std::uint8_t chipAddress, std::uint8_t offset,
                             std::span<std::uint8_t> buffer) = 0;
    // Writes the data address byte followed by the buffer to the device, in one I2C write.
    virtual IOResult writeI2C(std::uint8_t chipAddress, std::uint8_t dataAddress,
                              std::span<const std::uint8_t> buffer) = 0;
};

}  // namespace lumadesk
