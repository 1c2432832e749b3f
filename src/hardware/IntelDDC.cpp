#include "hardware/IntelDDC.h"

#include <chrono>

#include "hardware/DDCPacket.h"
#include "hardware/DDCReply.h"
#include "hardware/DisplayHardwareError.h"

namespace lumadesk {

namespace {

using namespace std::chrono_literals;

constexpr std::uint32_t monitorWriteAddress = DDCPacket::monitorAddress << 1;
constexpr std::uint32_t monitorReadAddress = monitorWriteAddress | 1;

// A VCP get: the packet sent plainly, the reply read back after at least 10 ms.
I2CRequest vcpGetRequest(std::uint8_t feature, I2CTransactionType replyTransactionType) {
    I2CRequest request;
    request.sendTransactionType = I2CTransactionType::simple;
    request.replyTransactionType = replyTransactionType;
    request.sendAddress = monitorWriteAddress;
    request.replyAddress = monitorReadAddress;
    request.replySubAddress = DDCPacket::hostAddress;
    request.minReplyDelay = 10ms;
    request.sendBuffer = DDCPacket::vcpGet(feature).withHostAddress();
    request.replyBuffer.assign(DDCReply::length, 0);
    return request;
}

// A VCP set: the packet sent plainly, nothing read back.
I2CRequest vcpSetRequest(std::uint8_t feature, std::uint16_t value) {
    I2CRequest request;
    request.sendTransactionType = I2CTransactionType::simple;
    request.sendAddress = monitorWriteAddress;
    request.sendBuffer = DDCPacket::vcpSet(feature, value).withHostAddress();
    return request;
}

}  // namespace

IntelDDC::IntelDDC(WindowServer& windowServer, DisplayRegistry& registry, FramebufferI2C& framebufferI2C,
                   ReplyTransactionTypeProbe& replyTypeProbe)
    : m_windowServer(windowServer),
      m_registry(registry),
      m_framebufferI2C(framebufferI2C),
      m_replyTypeProbe(replyTypeProbe) {}

bool IntelDDC::supportsDDC(DisplayID displayID) {
    return framebufferService(displayID).has_value();
}

std::uint16_t IntelDDC::readVCP(std::uint8_t feature, DisplayID displayID) {
    const auto framebuffer = framebufferService(displayID);
    if (!framebuffer) throw DisplayHardwareError::unsupportedDisplay(displayID);
    const auto replyType = m_replyTypeProbe.replyTransactionType();
    if (!replyType) throw DisplayHardwareError::failedToReadVCP(feature, displayID);
    const auto answered = sendOnFirstAnsweringBus(*framebuffer, vcpGetRequest(feature, *replyType));
    // The first bus that answers decides: a bad reply there is not retried on other buses.
    const auto value = answered ? DDCReply::currentValue(feature, answered->replyBuffer) : std::nullopt;
    if (!value) throw DisplayHardwareError::failedToReadVCP(feature, displayID);
    return *value;
}

void IntelDDC::writeVCP(std::uint8_t feature, std::uint16_t value, DisplayID displayID) {
    const auto framebuffer = framebufferService(displayID);
    if (!framebuffer) throw DisplayHardwareError::unsupportedDisplay(displayID);
    if (!sendOnFirstAnsweringBus(*framebuffer, vcpSetRequest(feature, value))) {
        throw DisplayHardwareError::failedToWriteVCP(feature, displayID, value);
    }
}

std::optional<IntelDDC::Framebuffer> IntelDDC::framebufferService(DisplayID displayID) {
    if (m_windowServer.isBuiltin(displayID)) return std::nullopt;
    RegistryService service = m_registry.serviceForUnitNumber(m_windowServer.unitNumber(displayID));
    if (!service) return std::nullopt;
    const I2CBusCount buses = m_framebufferI2C.busCount(service);
    if (buses.result != ioSuccess || buses.count == 0) return std::nullopt;
    return Framebuffer{std::move(service), buses.count};
}

std::optional<I2CRequest> IntelDDC::sendOnFirstAnsweringBus(const Framebuffer& framebuffer,
                                                            const I2CRequest& request) {
    for (std::uint32_t bus = 0; bus < framebuffer.busCount; ++bus) {
        const auto connection = m_framebufferI2C.openBus(framebuffer.service, bus);
        if (!connection) continue;
        I2CRequest attempt = request;
        if (connection->send(attempt) == ioSuccess && attempt.result == ioSuccess) return attempt;
    }
    return std::nullopt;
}

}  // namespace lumadesk
