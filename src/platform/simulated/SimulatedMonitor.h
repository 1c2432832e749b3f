#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

#include "platform/IOResult.h"
#include "platform/simulated/SimulatedEDID.h"
#include "platform/simulated/SimulatedMonitorConfig.h"
#include "runtime/Clock.h"

namespace lumadesk {

// A monitor on an I2C bus, at the byte level: its EDID EEPROM at 0x50 and its DDC/CI channel at 0x37,
// which answers VCP get and set of luminance (0x10) and power mode (0xD6). Safe to use from any thread.
//
// Like a real monitor it ignores a host message with a bad frame or checksum, answers an unsupported
// feature with result code 0x01, and answers a read that comes with no request pending, or before the
// reply is ready, with the DDC/CI null message (0x6E 0x80 0xBE) followed by idle-bus bytes (0xFF).
// A reply is handed out once. Faults can be switched on at any time.
class SimulatedMonitor {
public:
    static constexpr std::uint8_t edidAddress = 0x50;
    static constexpr std::uint8_t ddcciAddress = 0x37;
    // The code of a transfer that no device acknowledged ("not responding").
    static constexpr IOResult notAcknowledged = static_cast<IOResult>(0xE00002ED);

    SimulatedMonitor(const Clock& clock, SimulatedMonitorConfig config);
    SimulatedMonitor(const SimulatedMonitor&) = delete;
    SimulatedMonitor& operator=(const SimulatedMonitor&) = delete;

    // A write transfer to the 7-bit address; the bytes are those that follow the address on the wire.
    IOResult write(std::uint8_t address, std::span<const std::uint8_t> bytes);
    // A read transfer from the 7-bit address. The EEPROM starts at the offset; the DDC/CI channel has no
    // registers and ignores it.
    IOResult read(std::uint8_t address, std::uint8_t offset, std::span<std::uint8_t> buffer);

    const SimulatedMonitorConfig& config() const { return m_config; }
    const std::array<std::uint8_t, SimulatedEDID::size>& edid() const { return m_edid; }
    std::uint16_t brightness() const;
    // Changes the brightness as the monitor's own buttons would.
    void setBrightness(std::uint16_t brightness);
    std::uint8_t powerMode() const;
    // Read and write transfers addressed to the monitor so far, acknowledged or not.
    std::size_t transferCount() const;

    // Leaves the next transfers unacknowledged.
    void nakNextTransfers(int count);
    // Corrupts every nth VCP reply (a value byte flipped, the checksum left as it was); 0 stops it.
    void corruptEveryNthReply(int n);
    // Makes every VCP reply carry this result code and no values; none returns to normal.
    void setErrorResultCode(std::optional<std::uint8_t> resultCode);
    // Makes replies take this much longer than the minimum reply delay.
    void setExtraReplyDelay(Duration delay);

private:
    // A reply waiting to be read, and when it is ready.
    struct PendingReply {
        std::vector<std::uint8_t> bytes;
        MonotonicInstant readyAt;
    };

    bool consumeNak();
    void receiveMessage(std::span<const std::uint8_t> bytes);
    void answerVCPGet(std::uint8_t feature);
    void applyVCPSet(std::uint8_t feature, std::uint16_t value);
    void sendReply(std::span<std::uint8_t> buffer);

    const Clock& m_clock;
    const SimulatedMonitorConfig m_config;
    const std::array<std::uint8_t, SimulatedEDID::size> m_edid;

    mutable std::mutex m_mutex;
    std::uint16_t m_brightness;
    std::uint8_t m_powerMode;
    std::optional<PendingReply> m_pendingReply;
    std::size_t m_transferCount = 0;
    std::size_t m_replyCount = 0;
    int m_naksLeft = 0;
    int m_corruptEvery = 0;
    std::optional<std::uint8_t> m_errorResultCode;
    Duration m_extraReplyDelay{0};
};

}  // namespace lumadesk
