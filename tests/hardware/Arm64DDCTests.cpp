#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "hardware/Arm64DDC.h"
#include "hardware/DisplayHardwareError.h"
#include "runtime/VirtualSleeper.h"
#include "support/FakeAVService.h"
#include "support/FakeAVServiceLocator.h"
#include "support/FakeWindowServer.h"

using namespace lumadesk;
using namespace std::chrono_literals;

namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes validReply{0x6E, 0x88, 0x02, 0x00, 0x10, 0x00, 0x00, 0x64, 0x00, 0x32, 0xF2};

Bytes offByOne(Bytes reply) {
    reply.back() += 1;
    return reply;
}

std::vector<Duration> repeated(std::vector<Duration> pattern, int times) {
    std::vector<Duration> sleeps;
    for (int i = 0; i < times; ++i) sleeps.insert(sleeps.end(), pattern.begin(), pattern.end());
    return sleeps;
}

struct Arm64Harness {
    static constexpr DisplayID external = 2;
    static constexpr DisplayID builtin = 1;

    VirtualClock clock;
    VirtualSleeper sleeper{clock};
    FakeWindowServer windowServer;
    FakeAVServiceLocator locator;
    std::shared_ptr<FakeAVService> service = std::make_shared<FakeAVService>(&clock);
    Arm64DDC ddc{windowServer, locator, sleeper};

    Arm64Harness() {
        windowServer.addDisplay({.displayID = builtin, .isBuiltin = true});
        windowServer.addDisplay({.displayID = external});
        locator.services[external] = service;
        service->reply = {ioSuccess, validReply};
    }
};

}  // namespace

TEST(Arm64DDC, ReadSendsTheGetPacketWaitsAndTakesTheCurrentValue) {
    Arm64Harness h;
    EXPECT_EQ(h.ddc.readVCP(0x10, h.external), 50);

    ASSERT_EQ(h.service->writes.size(), 1U);
    EXPECT_EQ(h.service->writes[0].chipAddress, 0x37);
    EXPECT_EQ(h.service->writes[0].dataAddress, 0x51);
    EXPECT_EQ(h.service->writes[0].bytes, (Bytes{0x82, 0x01, 0x10, 0xAC}));
    EXPECT_EQ(h.service->writes[0].at, 10ms);
    ASSERT_EQ(h.service->reads.size(), 1U);
    EXPECT_EQ(h.service->reads[0].chipAddress, 0x37);
    EXPECT_EQ(h.service->reads[0].offset, 0);
    EXPECT_EQ(h.service->reads[0].length, 11U);
    EXPECT_EQ(h.service->reads[0].at, 60ms);
    EXPECT_EQ(h.sleeper.sleeps(), (std::vector<Duration>{10ms, 50ms}));
}

TEST(Arm64DDC, WriteSendsTheSetPacketOnceAndReadsNothingBack) {
    Arm64Harness h;
    h.ddc.writeVCP(0x10, 50, h.external);
    h.ddc.writeVCP(0xD6, 4, h.external);

    ASSERT_EQ(h.service->writes.size(), 2U);
    EXPECT_EQ(h.service->writes[0].bytes, (Bytes{0x84, 0x03, 0x10, 0x00, 0x32, 0x9A}));
    EXPECT_EQ(h.service->writes[1].bytes, (Bytes{0x84, 0x03, 0xD6, 0x00, 0x04, 0x6A}));
    EXPECT_EQ(h.service->writes[1].dataAddress, 0x51);
    EXPECT_TRUE(h.service->reads.empty());
    EXPECT_EQ(h.sleeper.sleeps(), (std::vector<Duration>{10ms, 10ms}));
}

TEST(Arm64DDC, ReadRetriesBadRepliesFiveTimesWithAPauseAfterEachFailure) {
    Arm64Harness h;
    h.service->reply = {ioSuccess, offByOne(validReply)};
    try {
        h.ddc.readVCP(0x10, h.external);
        FAIL() << "a bad checksum must not yield a value";
    } catch (const DisplayHardwareError& error) {
        EXPECT_EQ(error.description(), "Failed to read VCP 0x10 for display 2.");
    }
    EXPECT_EQ(h.service->writes.size(), 5U);
    EXPECT_EQ(h.service->reads.size(), 5U);
    EXPECT_EQ(h.sleeper.sleeps(), repeated({10ms, 50ms, 20ms}, 5));
    EXPECT_EQ(h.clock.monotonicNow().time_since_epoch(), 400ms);

    // A later good reply is taken; the attempts before it each cost their pause.
    Arm64Harness recovering;
    recovering.service->replies = {{ioSuccess, offByOne(validReply)},
                                   {static_cast<IOResult>(0xE00002ED), {}}};
    EXPECT_EQ(recovering.ddc.readVCP(0x10, recovering.external), 50);
    EXPECT_EQ(recovering.service->reads.size(), 3U);
    EXPECT_EQ(recovering.sleeper.sleeps(),
              (std::vector<Duration>{10ms, 50ms, 20ms, 10ms, 50ms, 20ms, 10ms, 50ms}));
}

TEST(Arm64DDC, ReadSkipsTheReplyOfAnAttemptWhoseWriteFailed) {
    Arm64Harness h;
    h.service->writeResults = {static_cast<IOResult>(0xE00002ED)};
    EXPECT_EQ(h.ddc.readVCP(0x10, h.external), 50);
    EXPECT_EQ(h.service->writes.size(), 2U);
    EXPECT_EQ(h.service->reads.size(), 1U);
    EXPECT_EQ(h.service->reads[0].at, 10ms + 20ms + 10ms + 50ms);
    EXPECT_EQ(h.sleeper.sleeps(), (std::vector<Duration>{10ms, 20ms, 10ms, 50ms}));
}

TEST(Arm64DDC, RejectsRepliesThatCarryNoValue) {
    // An error result or the null message has a valid checksum but reports no value.
    Bytes errorResult = validReply;
    errorResult[3] = 0x01;
    errorResult[10] ^= 0x01;
    const Bytes nullMessage{0x6E, 0x80, 0xBE, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    for (const Bytes& reply : {errorResult, nullMessage}) {
        Arm64Harness h;
        h.service->reply = {ioSuccess, reply};
        EXPECT_THROW(h.ddc.readVCP(0x10, h.external), DisplayHardwareError);
        EXPECT_EQ(h.service->reads.size(), 5U);
    }
}

TEST(Arm64DDC, WriteGivesUpAfterFiveRefusedAttempts) {
    Arm64Harness h;
    h.service->writeResult = static_cast<IOResult>(0xE00002ED);
    try {
        h.ddc.writeVCP(0x10, 55, h.external);
        FAIL() << "a refused write must fail";
    } catch (const DisplayHardwareError& error) {
        EXPECT_EQ(error, DisplayHardwareError::failedToWriteVCP(0x10, h.external, 55));
        EXPECT_EQ(error.description(), "Failed to write VCP 0x10=55 for display 2.");
    }
    EXPECT_EQ(h.service->writes.size(), 5U);
    EXPECT_EQ(h.sleeper.sleeps(), repeated({10ms, 20ms}, 5));

    Arm64Harness recovering;
    recovering.service->writeResults = {static_cast<IOResult>(0xE00002ED)};
    recovering.ddc.writeVCP(0x10, 55, recovering.external);
    EXPECT_EQ(recovering.service->writes.size(), 2U);
}

TEST(Arm64DDC, BuiltInDisplaysAndDisplaysWithoutAServiceAreUnsupported) {
    Arm64Harness h;
    h.locator.services[h.builtin] = h.service;  // even a service found for the panel is not used

    EXPECT_FALSE(h.ddc.supportsDDC(h.builtin));
    EXPECT_THROW(h.ddc.readVCP(0x10, h.builtin), DisplayHardwareError);
    try {
        h.ddc.writeVCP(0x10, 20, h.builtin);
        FAIL();
    } catch (const DisplayHardwareError& error) {
        EXPECT_EQ(error.description(), "Display 1 does not support DDC.");
    }
    EXPECT_EQ(h.service->trafficCount(), 0U);
    EXPECT_EQ(h.locator.lookups, 0);
    EXPECT_TRUE(h.sleeper.sleeps().empty());

    EXPECT_TRUE(h.ddc.supportsDDC(h.external));
    EXPECT_FALSE(h.ddc.supportsDDC(9));
    try {
        h.ddc.readVCP(0x10, 9);
        FAIL();
    } catch (const DisplayHardwareError& error) {
        EXPECT_EQ(error, DisplayHardwareError::unsupportedDisplay(9));
    }
    EXPECT_EQ(h.service->trafficCount(), 0U);
}
