#pragma once

#include "platform/I2CRequest.h"

namespace lumadesk {

// An open framebuffer I2C bus; closed (and its interface released) when destroyed.
class I2CConnection {
public:
    virtual ~I2CConnection() = default;
    I2CConnection() = default;
    I2CConnection(const I2CConnection&) = delete;
    I2CConnection& operator=(const I2CConnection&) = delete;

    // Carries out the request; 0 when it was sent, the transfer's status is left in request.result.
    virtual IOResult send(I2CRequest& request) = 0;
};

}  // namespace lumadesk
