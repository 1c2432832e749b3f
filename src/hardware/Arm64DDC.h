#pragma once

#include <memory>
#include <optional>

#include "hardware/AVServiceLocating.h"
#include "hardware/DisplayDDCTransporting.h"
#include "platform/WindowServer.h"
#include "runtime/Sleeper.h"

namespace lumadesk {

class DDCPacket;

// DDC/CI over the AV service of the display link: the transport of arm64 builds. Each request is written
// (and its reply read) with fixed pauses, up to five attempts.
class Arm64DDC final : public DisplayDDCTransporting {
public:
    Arm64DDC(WindowServer& windowServer, AVServiceLocating& serviceLocator, Sleeper& sleeper);

    bool supportsDDC(DisplayID displayID) override;
    std::uint16_t readVCP(std::uint8_t feature, DisplayID displayID) override;
    void writeVCP(std::uint8_t feature, std::uint16_t value, DisplayID displayID) override;

private:
    // The display's AV service; null for a built-in display or one without a service.
    std::shared_ptr<AVService> avService(DisplayID displayID);
    // Writes the packet; whether one of the attempts was accepted.
    bool send(AVService& service, const DDCPacket& packet);
    // Writes the packet and reads its reply; the current value of the first valid reply.
    std::optional<std::uint16_t> request(AVService& service, const DDCPacket& packet);

    WindowServer& m_windowServer;
    AVServiceLocating& m_serviceLocator;
    Sleeper& m_sleeper;
};

}  // namespace lumadesk
