#include "hardware/Arm64DDC.h"

#include <array>
#include <chrono>

#include "hardware/DDCPacket.h"
#include "hardware/DDCReply.h"
#include "hardware/DisplayHardwareError.h"

namespace lumadesk {

namespace {

using namespace std::chrono_literals;

constexpr int maximumAttempts = 5;
constexpr Duration pauseBeforeWrite = 10ms;
// Monitors need this long to prepare a reply.
constexpr Duration pauseBeforeRead = 50ms;
constexpr Duration pauseAfterFailure = 20ms;
// Replies are read from the start of the channel.
constexpr std::uint8_t replyOffset = 0;

// Makes up to five attempts, pausing after every failed one (the last included); the first success.
template <typename Attempt>
auto withRetries(Sleeper& sleeper, Attempt attempt) -> decltype(attempt()) {
    for (int count = 0; count < maximumAttempts; ++count) {
        if (auto outcome = attempt()) return outcome;
        sleeper.sleep(pauseAfterFailure);
    }
    return {};
}

}  // namespace

Arm64DDC::Arm64DDC(WindowServer& windowServer, AVServiceLocating& serviceLocator, Sleeper& sleeper)
    : m_windowServer(windowServer), m_serviceLocator(serviceLocator), m_sleeper(sleeper) {}

bool Arm64DDC::supportsDDC(DisplayID displayID) {
    return avService(displayID) != nullptr;
}

std::uint16_t Arm64DDC::readVCP(std::uint8_t feature, DisplayID displayID) {
    const auto service = avService(displayID);
    if (!service) throw DisplayHardwareError::unsupportedDisplay(displayID);
    const auto value = request(*service, DDCPacket::vcpGet(feature));
    if (!value) throw DisplayHardwareError::failedToReadVCP(feature, displayID);
    return *value;
}

void Arm64DDC::writeVCP(std::uint8_t feature, std::uint16_t value, DisplayID displayID) {
    const auto service = avService(displayID);
    if (!service) throw DisplayHardwareError::unsupportedDisplay(displayID);
    if (!send(*service, DDCPacket::vcpSet(feature, value))) {
        throw DisplayHardwareError::failedToWriteVCP(feature, displayID, value);
    }
}

std::shared_ptr<AVService> Arm64DDC::avService(DisplayID displayID) {
    if (m_windowServer.isBuiltin(displayID)) return nullptr;
    return m_serviceLocator.avService(displayID);
}

bool Arm64DDC::send(AVService& service, const DDCPacket& packet) {
    return withRetries(m_sleeper, [&] {
        m_sleeper.sleep(pauseBeforeWrite);
        return service.writeI2C(DDCPacket::monitorAddress, DDCPacket::hostAddress, packet.bytes()) ==
               ioSuccess;
    });
}

std::optional<std::uint16_t> Arm64DDC::request(AVService& service, const DDCPacket& packet) {
    std::array<std::uint8_t, DDCReply::length> reply{};
    return withRetries(m_sleeper, [&]() -> std::optional<std::uint16_t> {
        m_sleeper.sleep(pauseBeforeWrite);
        if (service.writeI2C(DDCPacket::monitorAddress, DDCPacket::hostAddress, packet.bytes()) !=
            ioSuccess) {
            return std::nullopt;
        }
        m_sleeper.sleep(pauseBeforeRead);
        if (service.readI2C(DDCPacket::monitorAddress, replyOffset, reply) != ioSuccess) return std::nullopt;
        return DDCReply::currentValue(reply);
    });
}

}  // namespace lumadesk
