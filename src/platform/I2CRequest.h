#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

#include "platform/IOResult.h"

namespace lumadesk {

// Transaction types of a framebuffer I2C request; bit n of an interface's type set announces type n.
enum class I2CTransactionType : std::uint32_t {
    none = 0,        // no transfer in this direction
    simple = 1,      // a plain write or read at the address
    ddcciReply = 2,  // a read of a DDC/CI reply, framed by its length byte
};

// One request record for a framebuffer I2C bus: an optional send followed by an optional reply read.
struct I2CRequest {
    I2CTransactionType sendTransactionType = I2CTransactionType::none;
    I2CTransactionType replyTransactionType = I2CTransactionType::none;
    std::uint32_t sendAddress = 0;   // 8-bit write address (7-bit address shifted left)
    std::uint32_t replyAddress = 0;  // 8-bit read address
    std::uint8_t sendSubAddress = 0;
    std::uint8_t replySubAddress = 0;
    // The least wait between the end of the send and the reply read; an implementation may wait
    // longer when its devices need it.
    std::chrono::milliseconds minReplyDelay{0};
    std::vector<std::uint8_t> sendBuffer;   // the bytes sent, all of them
    std::vector<std::uint8_t> replyBuffer;  // sized to the bytes wanted; shrunk to the bytes received
    IOResult result = ioSuccess;            // the transfer's own status, set by the bus
};

}  // namespace lumadesk
