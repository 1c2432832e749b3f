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
constexpr Duration pauseAfterFailure = 20ms;

// How one attempt at reading a reply ended.
struct ReplyAttempt {
    std::optional<std::uint16_t> value;
    Duration waited{0};       // from the request to the read that gave the value
    bool polled = false;      // the monitor said "not ready" first
    bool late = false;        // the reply was missing or short: a longer wait may help
    bool neverReady = false;  // "not ready" until the longest wait: asking again is all that helps
};

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

Arm64DDC::Arm64DDC(WindowServer& windowServer, AVServiceLocating& serviceLocator, Sleeper& sleeper,
                   MonitorReplyWaits* replyWaits)
    : m_windowServer(windowServer),
      m_serviceLocator(serviceLocator),
      m_sleeper(sleeper),
      m_ownReplyWaits(replyWaits ? nullptr : std::make_unique<MonitorReplyWaits>()),
      m_replyWaits(replyWaits ? *replyWaits : *m_ownReplyWaits) {}

bool Arm64DDC::supportsDDC(DisplayID displayID) {
    return avService(displayID) != nullptr;
}

std::uint16_t Arm64DDC::readVCP(std::uint8_t feature, DisplayID displayID) {
    const auto service = avService(displayID);
    if (!service) throw DisplayHardwareError::unsupportedDisplay(displayID);
    const auto value = request(*service, feature, displayID);
    if (!value) {
        m_replyWaits.readFailed(displayID);
        throw DisplayHardwareError::failedToReadVCP(feature, displayID);
    }
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

std::optional<std::uint16_t> Arm64DDC::request(AVService& service, std::uint8_t feature,
                                               DisplayID displayID) {
    const auto packet = DDCPacket::vcpGet(feature);
    Duration wait = m_replyWaits.firstWait(displayID);
    bool polls = true;
    // The request and every read of its reply are one exchange: no other program on the bus can take
    // the reply, nor slip its own request in between.
    const auto attempt = [&]() -> ReplyAttempt {
        m_sleeper.sleep(pauseBeforeWrite);
        IOResult opened = ioSuccess;
        const auto exchange = service.openExchange(DDCPacket::monitorAddress, opened);
        if (!exchange || exchange->write(DDCPacket::hostAddress, packet.bytes()) != ioSuccess) return {};
        ReplyAttempt outcome;
        outcome.waited = wait;
        m_sleeper.sleep(wait);
        std::array<std::uint8_t, DDCReply::length> reply{};
        for (;;) {
            reply.fill(0);
            if (exchange->read(reply) != ioSuccess) {
                outcome.late = true;
                return outcome;
            }
            if (!DDCReply::isNullMessage(reply)) break;
            if (!polls) return outcome;
            if (outcome.waited + MonitorReplyWaits::pollStep > MonitorReplyWaits::longestWait) {
                outcome.neverReady = true;
                return outcome;
            }
            m_sleeper.sleep(MonitorReplyWaits::pollStep);
            outcome.waited += MonitorReplyWaits::pollStep;
            outcome.polled = true;
        }
        outcome.value = DDCReply::currentValue(feature, reply);
        return outcome;
    };
    for (int count = 0; count < maximumAttempts; ++count) {
        const ReplyAttempt outcome = attempt();
        if (outcome.value) {
            m_replyWaits.readSucceeded(displayID, outcome.waited, outcome.polled);
            return outcome.value;
        }
        m_sleeper.sleep(pauseAfterFailure);
        if (outcome.late) wait = MonitorReplyWaits::lengthened(wait);
        // A monitor that kept saying "not ready" for the longest wait is not polled again this read:
        // the rest of the attempts only ask again.
        if (outcome.neverReady) polls = false;
    }
    return std::nullopt;
}

}  // namespace lumadesk
