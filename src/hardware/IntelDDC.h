#pragma once

#include <cstdint>
#include <optional>

#include "hardware/DisplayDDCTransporting.h"
#include "hardware/ReplyTransactionTypeProbe.h"
#include "platform/DisplayRegistry.h"
#include "platform/FramebufferI2C.h"
#include "platform/WindowServer.h"

namespace lumadesk {

// DDC/CI over the framebuffer's I2C interfaces: the transport of x86-64 builds. Each request is handed
// to the platform as one record, tried on the framebuffer's buses in turn, without retries.
class IntelDDC final : public DisplayDDCTransporting {
public:
    IntelDDC(WindowServer& windowServer, DisplayRegistry& registry, FramebufferI2C& framebufferI2C,
             ReplyTransactionTypeProbe& replyTypeProbe);

    bool supportsDDC(DisplayID displayID) override;
    std::uint16_t readVCP(std::uint8_t feature, DisplayID displayID) override;
    void writeVCP(std::uint8_t feature, std::uint16_t value, DisplayID displayID) override;

private:
    // A display's framebuffer service with at least one I2C bus; released when this goes away.
    struct Framebuffer {
        RegistryService service;
        std::uint32_t busCount = 0;
    };

    // The framebuffer of an external display that has I2C buses; none otherwise.
    std::optional<Framebuffer> framebufferService(DisplayID displayID);
    // Sends the request on bus 0, 1, ... until a bus answers; that bus's copy of the request, or none.
    std::optional<I2CRequest> sendOnFirstAnsweringBus(const Framebuffer& framebuffer,
                                                      const I2CRequest& request);

    WindowServer& m_windowServer;
    DisplayRegistry& m_registry;
    FramebufferI2C& m_framebufferI2C;
    ReplyTransactionTypeProbe& m_replyTypeProbe;
};

}  // namespace lumadesk
