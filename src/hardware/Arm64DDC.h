#pragma once

#include <memory>
#include <optional>

#include "hardware/AVServiceLocating.h"
#include "hardware/DisplayDDCTransporting.h"
#include "hardware/MonitorReplyWaits.h"
#include "platform/WindowServer.h"
#include "runtime/Sleeper.h"

namespace lumadesk {

class DDCPacket;

// DDC/CI over the AV service of the display link: the transport of arm64 builds. Each request is written
// with a fixed pause before it, up to five attempts. A reply is read, in the same exchange as its
// request, after the wait its monitor has been seen to need (the protocol's 50 ms at first); a monitor
// that answers "not ready yet" is read again every 10 ms up to 200 ms after the request, and an attempt
// whose reply was missing or short gives the next one a longer wait. What a monitor needed is learned
// in the reply waits.
class Arm64DDC final : public DisplayDDCTransporting {
public:
    // The waits are learned for the run only unless given (they must then outlive the transport).
    Arm64DDC(WindowServer& windowServer, AVServiceLocating& serviceLocator, Sleeper& sleeper,
             MonitorReplyWaits* replyWaits = nullptr);

    bool supportsDDC(DisplayID displayID) override;
    std::uint16_t readVCP(std::uint8_t feature, DisplayID displayID) override;
    void writeVCP(std::uint8_t feature, std::uint16_t value, DisplayID displayID) override;

private:
    // The display's AV service; null for a built-in display or one without a service.
    std::shared_ptr<AVService> avService(DisplayID displayID);
    // Writes the packet; whether one of the attempts was accepted.
    bool send(AVService& service, const DDCPacket& packet);
    // Writes the get packet and reads its reply; the current value of the first valid reply.
    std::optional<std::uint16_t> request(AVService& service, std::uint8_t feature, DisplayID displayID);

    WindowServer& m_windowServer;
    AVServiceLocating& m_serviceLocator;
    Sleeper& m_sleeper;
    std::unique_ptr<MonitorReplyWaits> m_ownReplyWaits;  // when none were given
    MonitorReplyWaits& m_replyWaits;
};

}  // namespace lumadesk
