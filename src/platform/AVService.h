#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "platform/IOResult.h"

namespace lumadesk {

// One request and its reply on an AV service's I2C channel, taken as a whole: while the exchange is
// open, no other party on the bus can come between its write and its read (where the platform has
// such parties to keep out). Ends when destroyed.
class AVServiceExchange {
public:
    virtual ~AVServiceExchange() = default;
    AVServiceExchange() = default;
    AVServiceExchange(const AVServiceExchange&) = delete;
    AVServiceExchange& operator=(const AVServiceExchange&) = delete;

    // Writes the data address byte followed by the buffer to the exchange's chip, in one I2C write.
    virtual IOResult write(std::uint8_t dataAddress, std::span<const std::uint8_t> buffer) = 0;
    // Reads buffer.size() bytes from the exchange's chip, from its start.
    virtual IOResult read(std::span<std::uint8_t> buffer) = 0;
};

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
    // Opens an exchange with the device at the 7-bit chip address; the code of the failure when the
    // channel cannot be held. A channel that no other party shares makes its exchanges of plain reads
    // and writes.
    virtual std::unique_ptr<AVServiceExchange> openExchange(std::uint8_t chipAddress, IOResult& result);
};

}  // namespace lumadesk
