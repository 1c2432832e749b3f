#include "platform/simulated/SimulatedMonitor.h"

#include <algorithm>
#include <utility>

namespace lumadesk {

namespace {

constexpr std::uint8_t hostSourceAddress = 0x51;
// The monitor's 8-bit write address, which opens every reply and is covered by the host's checksum.
constexpr std::uint8_t monitorWriteAddress = SimulatedMonitor::ddcciAddress << 1;
// The host's virtual address, which seeds the checksum of the monitor's messages.
constexpr std::uint8_t hostVirtualAddress = 0x50;
constexpr std::uint8_t lengthFlag = 0x80;
constexpr std::uint8_t vcpGetOpcode = 0x01;
constexpr std::uint8_t vcpReplyOpcode = 0x02;
constexpr std::uint8_t vcpSetOpcode = 0x03;
constexpr std::uint8_t resultNoError = 0x00;
constexpr std::uint8_t resultUnsupportedFeature = 0x01;
constexpr std::uint8_t typeSetParameter = 0x00;
constexpr std::uint8_t luminance = 0x10;
constexpr std::uint8_t powerModeFeature = 0xD6;
constexpr std::uint8_t highestPowerMode = 5;
constexpr std::uint8_t idleBus = 0xFF;

std::uint8_t xorOf(std::span<const std::uint8_t> bytes, std::uint8_t seed) {
    for (const std::uint8_t byte : bytes) seed ^= byte;
    return seed;
}

// A message from the monitor: source, length, body, checksum. Built byte by byte: GCC 12 at -O3 takes
// a range insert of the (constant) empty body for an out-of-bounds copy and warns.
std::vector<std::uint8_t> monitorMessage(std::span<const std::uint8_t> body) {
    std::vector<std::uint8_t> message;
    message.reserve(body.size() + 3);
    message.push_back(monitorWriteAddress);
    message.push_back(static_cast<std::uint8_t>(lengthFlag | body.size()));
    for (const std::uint8_t byte : body) message.push_back(byte);
    message.push_back(xorOf(message, hostVirtualAddress));
    return message;
}

}  // namespace

SimulatedMonitor::SimulatedMonitor(const Clock& clock, SimulatedMonitorConfig config)
    : m_clock(clock),
      m_config(std::move(config)),
      m_edid(SimulatedEDID::image(m_config)),
      m_brightness(std::min(m_config.brightness, m_config.maximumBrightness)),
      m_powerMode(m_config.powerMode) {}

IOResult SimulatedMonitor::write(std::uint8_t address, std::span<const std::uint8_t> bytes) {
    std::lock_guard lock(m_mutex);
    ++m_transferCount;
    if (consumeNak()) return notAcknowledged;
    switch (address) {
        case ddcciAddress:
            if (!m_config.answersDDC) return notAcknowledged;
            receiveMessage(bytes);
            return ioSuccess;
        case edidAddress:  // a write-protected EEPROM acknowledges and keeps its contents
            return ioSuccess;
        default:
            return notAcknowledged;
    }
}

IOResult SimulatedMonitor::read(std::uint8_t address, std::uint8_t offset, std::span<std::uint8_t> buffer) {
    std::lock_guard lock(m_mutex);
    ++m_transferCount;
    if (consumeNak()) return notAcknowledged;
    switch (address) {
        case ddcciAddress:
            if (!m_config.answersDDC) return notAcknowledged;
            sendReply(buffer);
            return ioSuccess;
        case edidAddress:
            for (std::size_t i = 0; i < buffer.size(); ++i) buffer[i] = m_edid[(offset + i) % m_edid.size()];
            return ioSuccess;
        default:
            return notAcknowledged;
    }
}

std::uint16_t SimulatedMonitor::brightness() const {
    std::lock_guard lock(m_mutex);
    return m_brightness;
}

void SimulatedMonitor::setBrightness(std::uint16_t brightness) {
    std::lock_guard lock(m_mutex);
    m_brightness = std::min(brightness, m_config.maximumBrightness);
}

std::uint8_t SimulatedMonitor::powerMode() const {
    std::lock_guard lock(m_mutex);
    return m_powerMode;
}

std::size_t SimulatedMonitor::transferCount() const {
    std::lock_guard lock(m_mutex);
    return m_transferCount;
}

void SimulatedMonitor::nakNextTransfers(int count) {
    std::lock_guard lock(m_mutex);
    m_naksLeft = std::max(count, 0);
}

void SimulatedMonitor::corruptEveryNthReply(int n) {
    std::lock_guard lock(m_mutex);
    m_corruptEvery = std::max(n, 0);
    m_replyCount = 0;
}

void SimulatedMonitor::setErrorResultCode(std::optional<std::uint8_t> resultCode) {
    std::lock_guard lock(m_mutex);
    m_errorResultCode = resultCode;
}

void SimulatedMonitor::setExtraReplyDelay(Duration delay) {
    std::lock_guard lock(m_mutex);
    m_extraReplyDelay = delay;
}

bool SimulatedMonitor::consumeNak() {
    if (m_naksLeft == 0) return false;
    --m_naksLeft;
    return true;
}

void SimulatedMonitor::receiveMessage(std::span<const std::uint8_t> bytes) {
    // Any new message ends the previous exchange, whether or not this one is understood.
    m_pendingReply.reset();
    if (bytes.size() < 3 || bytes[0] != hostSourceAddress || !(bytes[1] & lengthFlag)) return;
    const std::size_t bodyLength = bytes[1] & ~lengthFlag;
    if (bytes.size() != bodyLength + 3) return;
    if (xorOf(bytes.first(bodyLength + 2), monitorWriteAddress) != bytes[bodyLength + 2]) return;
    const auto body = bytes.subspan(2, bodyLength);
    if (body.size() == 2 && body[0] == vcpGetOpcode) {
        answerVCPGet(body[1]);
    } else if (body.size() == 4 && body[0] == vcpSetOpcode) {
        applyVCPSet(body[1], static_cast<std::uint16_t>(body[2] << 8 | body[3]));
    }
}

void SimulatedMonitor::answerVCPGet(std::uint8_t feature) {
    std::uint8_t result = resultUnsupportedFeature;
    std::uint16_t maximum = 0;
    std::uint16_t current = 0;
    if (feature == luminance) {
        result = resultNoError;
        maximum = m_config.maximumBrightness;
        current = m_brightness;
    } else if (feature == powerModeFeature) {
        result = resultNoError;
        maximum = highestPowerMode;
        current = m_powerMode;
    }
    if (m_errorResultCode) result = *m_errorResultCode;
    if (result != resultNoError) maximum = current = 0;
    const std::array<std::uint8_t, 8> body{vcpReplyOpcode,
                                           result,
                                           feature,
                                           typeSetParameter,
                                           static_cast<std::uint8_t>(maximum >> 8),
                                           static_cast<std::uint8_t>(maximum & 0xFF),
                                           static_cast<std::uint8_t>(current >> 8),
                                           static_cast<std::uint8_t>(current & 0xFF)};
    m_pendingReply = PendingReply{monitorMessage(body),
                                  m_clock.monotonicNow() + m_config.minimumReplyDelay + m_extraReplyDelay};
}

void SimulatedMonitor::applyVCPSet(std::uint8_t feature, std::uint16_t value) {
    if (feature == luminance) m_brightness = std::min(value, m_config.maximumBrightness);
    if (feature == powerModeFeature && value >= 1 && value <= highestPowerMode) {
        m_powerMode = static_cast<std::uint8_t>(value);
    }
}

void SimulatedMonitor::sendReply(std::span<std::uint8_t> buffer) {
    std::vector<std::uint8_t> message;
    if (m_pendingReply && m_clock.monotonicNow() >= m_pendingReply->readyAt) {
        message = std::move(m_pendingReply->bytes);
        m_pendingReply.reset();
        if (m_corruptEvery > 0 && ++m_replyCount % m_corruptEvery == 0)
            message[9] ^= 0x01;  // current value, low byte
    } else {
        message = monitorMessage({});  // the null message: nothing to say yet
    }
    std::fill(buffer.begin(), buffer.end(), idleBus);
    std::copy_n(message.begin(), std::min(message.size(), buffer.size()), buffer.begin());
}

}  // namespace lumadesk
