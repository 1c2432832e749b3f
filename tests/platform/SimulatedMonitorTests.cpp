#include <gtest/gtest.h>

#include <numeric>
#include <thread>
#include <vector>

#include "platform/simulated/SimulatedMonitor.h"
#include "runtime/VirtualClock.h"

using namespace lumadesk;
using namespace std::chrono_literals;

namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes getLuminance{0x51, 0x82, 0x01, 0x10, 0xAC};
const Bytes luminanceReply{0x6E, 0x88, 0x02, 0x00, 0x10, 0x00, 0x00, 0x64, 0x00, 0x32, 0xF2};

// A host message with its checksum (over 0x6E, the source byte and the rest).
// (The body goes in front of its header rather than after it: GCC 12 at -O2 warns falsely about
// inserting a range at the end of the two-byte header.)
Bytes hostMessage(Bytes body) {
    Bytes message = std::move(body);
    const std::uint8_t header[] = {0x51, static_cast<std::uint8_t>(0x80 | message.size())};
    message.insert(message.begin(), std::begin(header), std::end(header));
    message.push_back(std::accumulate(message.begin(), message.end(), std::uint8_t{0x6E},
                                      [](std::uint8_t sum, std::uint8_t byte) { return sum ^ byte; }));
    return message;
}

struct MonitorHarness {
    VirtualClock clock;
    SimulatedMonitor monitor;

    explicit MonitorHarness(SimulatedMonitorConfig config = {}) : monitor(clock, std::move(config)) {}

    Bytes read(std::size_t length = 11, std::uint8_t address = 0x37, std::uint8_t offset = 0) {
        Bytes buffer(length, 0x00);
        EXPECT_EQ(monitor.read(address, offset, buffer), ioSuccess);
        return buffer;
    }

    // A VCP get of the feature, answered after the monitor's minimum delay.
    Bytes get(std::uint8_t feature) {
        EXPECT_EQ(monitor.write(0x37, hostMessage({0x01, feature})), ioSuccess);
        clock.advance(10ms);
        return read();
    }

    void set(std::uint8_t feature, std::uint16_t value) {
        EXPECT_EQ(monitor.write(0x37, hostMessage({0x03, feature, static_cast<std::uint8_t>(value >> 8),
                                                   static_cast<std::uint8_t>(value & 0xFF)})),
                  ioSuccess);
    }
};

// The null message followed by idle-bus bytes, as an 11-byte read sees it.
const Bytes nullReply{0x6E, 0x80, 0xBE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

bool hasValidReplyChecksum(const Bytes& reply) {
    return std::accumulate(reply.begin(), reply.end() - 1, std::uint8_t{0x50},
                           [](std::uint8_t sum, std::uint8_t byte) { return sum ^ byte; }) == reply.back();
}

}  // namespace

TEST(SimulatedMonitor, ServesAnEDIDWithItsIdentityAndSerialText) {
    MonitorHarness h({.vendor = 0x10AC, .product = 41234, .serial = 0x01020304, .serialText = "ABC123"});
    const auto& edid = h.monitor.edid();
    // The header; the vendor big-endian, product and serial little-endian; the serial text padded.
    EXPECT_EQ(Bytes(edid.begin(), edid.begin() + 16),
              (Bytes{0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x10, 0xAC, 0x12, 0xA1, 0x04, 0x03, 0x02,
                     0x01}));
    EXPECT_EQ(Bytes(edid.begin() + 72, edid.begin() + 90),
              (Bytes{0x00, 0x00, 0x00, 0xFF, 0x00, 'A', 'B', 'C', '1', '2', '3', 0x0A, 0x20, 0x20, 0x20, 0x20,
                     0x20, 0x20}));
    EXPECT_EQ(std::accumulate(edid.begin(), edid.end(), 0U) % 256, 0U);

    // Read over I2C from any offset, wrapping at the end of the block.
    EXPECT_EQ(h.read(128, 0x50), Bytes(edid.begin(), edid.end()));
    EXPECT_EQ(h.read(3, 0x50, 127), (Bytes{edid[127], 0x00, 0xFF}));

    // Without a serial text there is no serial-number descriptor at all.
    MonitorHarness plain;
    for (std::size_t offset = 54; offset < 126; offset += 18)
        EXPECT_NE(plain.monitor.edid()[offset + 3], 0xFF);
}

TEST(SimulatedMonitor, AnswersVCPGetAndAppliesVCPSet) {
    MonitorHarness h;
    EXPECT_EQ(h.get(0x10), luminanceReply);

    h.set(0x10, 80);
    EXPECT_EQ(h.monitor.brightness(), 80);
    const Bytes reply = h.get(0x10);
    EXPECT_EQ(reply[9], 80);
    EXPECT_TRUE(hasValidReplyChecksum(reply));

    h.set(0x10, 400);  // beyond the maximum
    EXPECT_EQ(h.monitor.brightness(), 100);

    h.set(0xD6, 4);
    EXPECT_EQ(h.monitor.powerMode(), 4);
    h.set(0xD6, 9);  // not a power mode
    EXPECT_EQ(h.monitor.powerMode(), 4);
    EXPECT_EQ(h.get(0xD6), (Bytes{0x6E, 0x88, 0x02, 0x00, 0xD6, 0x00, 0x00, 0x05, 0x00, 0x04,
                                  0x50 ^ 0x6E ^ 0x88 ^ 0x02 ^ 0xD6 ^ 0x05 ^ 0x04}));

    const Bytes unsupported = h.get(0x12);
    EXPECT_EQ(Bytes(unsupported.begin(), unsupported.end() - 1),
              (Bytes{0x6E, 0x88, 0x02, 0x01, 0x12, 0x00, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_TRUE(hasValidReplyChecksum(unsupported));
}

TEST(SimulatedMonitor, IgnoresMalformedHostMessages) {
    MonitorHarness h;
    Bytes badChecksum = hostMessage({0x03, 0x10, 0x00, 0x14});
    badChecksum.back() ^= 0x01;
    const Bytes wrongSource{0x50, 0x84, 0x03, 0x10, 0x00, 0x14, 0x6E ^ 0x50 ^ 0x84 ^ 0x03 ^ 0x10 ^ 0x14};
    Bytes wrongLength = hostMessage({0x03, 0x10, 0x00, 0x14});
    wrongLength.pop_back();
    for (const Bytes& message : {badChecksum, wrongSource, wrongLength, Bytes{}}) {
        EXPECT_EQ(h.monitor.write(0x37, message), ioSuccess);
        EXPECT_EQ(h.monitor.brightness(), 50);
    }

    // A broken message also ends the exchange a get had started.
    EXPECT_EQ(h.monitor.write(0x37, getLuminance), ioSuccess);
    EXPECT_EQ(h.monitor.write(0x37, badChecksum), ioSuccess);
    h.clock.advance(10ms);
    EXPECT_EQ(h.read(), nullReply);
}

TEST(SimulatedMonitor, AnswersReadsWithoutAReadyReplyWithTheNullMessage) {
    MonitorHarness h;
    EXPECT_EQ(h.read(), nullReply) << "nothing asked";

    EXPECT_EQ(h.monitor.write(0x37, getLuminance), ioSuccess);
    h.clock.advance(9ms);
    EXPECT_EQ(h.read(), nullReply) << "asked too early";
    h.clock.advance(1ms);
    EXPECT_EQ(h.read(), luminanceReply) << "the reply waited";
    EXPECT_EQ(h.read(), nullReply) << "a reply is handed out once";
    EXPECT_EQ(h.read(3), (Bytes{0x6E, 0x80, 0xBE}));
}

TEST(SimulatedMonitor, InjectsFaultsOnDemand) {
    MonitorHarness h;
    h.monitor.nakNextTransfers(2);
    Bytes buffer(11);
    EXPECT_EQ(h.monitor.write(0x37, hostMessage({0x03, 0x10, 0x00, 0x14})),
              SimulatedMonitor::notAcknowledged);
    EXPECT_EQ(h.monitor.read(0x50, 0, buffer), SimulatedMonitor::notAcknowledged);
    EXPECT_EQ(h.monitor.brightness(), 50) << "a refused write changes nothing";
    EXPECT_EQ(h.get(0x10), luminanceReply);
    EXPECT_EQ(h.monitor.transferCount(), 4U);

    h.monitor.corruptEveryNthReply(2);
    EXPECT_TRUE(hasValidReplyChecksum(h.get(0x10)));
    const Bytes corrupted = h.get(0x10);
    EXPECT_FALSE(hasValidReplyChecksum(corrupted));
    EXPECT_EQ(corrupted[2], 0x02);
    EXPECT_TRUE(hasValidReplyChecksum(h.get(0x10)));
    h.monitor.corruptEveryNthReply(0);

    h.monitor.setErrorResultCode(0x03);
    const Bytes failed = h.get(0x10);
    EXPECT_EQ(failed[3], 0x03);
    EXPECT_EQ(failed[9], 0x00);
    EXPECT_TRUE(hasValidReplyChecksum(failed));
    h.monitor.setErrorResultCode(std::nullopt);

    h.monitor.setExtraReplyDelay(40ms);
    EXPECT_EQ(h.get(0x10), nullReply);  // ready only 50 ms after the request
    EXPECT_EQ(h.monitor.write(0x37, getLuminance), ioSuccess);
    h.clock.advance(50ms);
    EXPECT_EQ(h.read(), luminanceReply);

    EXPECT_EQ(h.monitor.write(0x3A, getLuminance), SimulatedMonitor::notAcknowledged) << "no device there";
}

TEST(SimulatedMonitor, TakesWritesFromAnotherThread) {
    MonitorHarness h;
    std::thread writer([&] {
        for (std::uint16_t level = 0; level <= 100; ++level) h.set(0x10, level);
    });
    for (int i = 0; i < 200; ++i) EXPECT_LE(h.monitor.brightness(), 100);
    writer.join();
    EXPECT_EQ(h.monitor.brightness(), 100);
}
