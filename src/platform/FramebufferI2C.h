#pragma once

#include <cstdint>
#include <memory>

#include "platform/I2CConnection.h"
#include "platform/IOResult.h"
#include "platform/RegistryService.h"

namespace lumadesk {

// How many I2C buses a framebuffer has, with the code of the call that counted them.
struct I2CBusCount {
    IOResult result = ioSuccess;
    std::uint32_t count = 0;
};

// The I2C interfaces of a framebuffer service, one per bus of the display link.
class FramebufferI2C {
public:
    virtual ~FramebufferI2C() = default;
    FramebufferI2C() = default;
    FramebufferI2C(const FramebufferI2C&) = delete;
    FramebufferI2C& operator=(const FramebufferI2C&) = delete;

    // The number of I2C buses of the framebuffer.
    virtual I2CBusCount busCount(const RegistryService& framebuffer) = 0;
    // Copies the interface of the bus and opens it; null when either step fails.
    virtual std::unique_ptr<I2CConnection> openBus(const RegistryService& framebuffer, std::uint32_t bus) = 0;
};

}  // namespace lumadesk
