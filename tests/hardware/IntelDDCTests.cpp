#include <gtest/gtest.h>

#include <vector>

#include "hardware/DisplayHardwareError.h"
#include "hardware/IntelDDC.h"
#include "support/FakeDisplayRegistry.h"
#include "support/FakeFramebufferI2C.h"
#include "support/FakeWindowServer.h"

using namespace lumadesk;
using namespace std::chrono_literals;

namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes validReply{0x6E, 0x88, 0x02, 0x00, 0x10, 0x00, 0x00, 0x64, 0x00, 0x32, 0xF2};
constexpr IOResult notResponding = static_cast<IOResult>(0xE00002ED);

struct IntelHarness {
    static constexpr DisplayID external = 7;
    static constexpr std::uint32_t unit = 3;
    static constexpr DisplayID builtin = 1;

    FakeWindowServer windowServer;
    FakeDisplayRegistry registry;
    FakeFramebufferI2C framebufferI2C;
    ReplyTransactionTypeProbe probe{registry};
    IntelDDC ddc{windowServer, registry, framebufferI2C, probe};

    IntelHarness() {
        windowServer.addDisplay({.displayID = builtin, .isBuiltin = true, .unit = 0});
        windowServer.addDisplay({.displayID = external, .unit = unit});
        registry.serviceEntries[unit] = framebufferI2C.entryID;
        registry.serviceEntries[0] = 99;
        framebufferI2C.buses[0].reply = validReply;
    }

    // Everything obtained from the platform has been given back.
    bool releasedEverything() const {
        return registry.outstandingServices == 0 && framebufferI2C.openConnections == 0;
    }
};

}  // namespace

TEST(IntelDDC, ReadHandsOverOneGetRequestRecord) {
    IntelHarness h;
    EXPECT_EQ(h.ddc.readVCP(0x10, h.external), 50);

    ASSERT_EQ(h.framebufferI2C.sent.size(), 1U);
    const I2CRequest& request = h.framebufferI2C.sent[0].request;
    EXPECT_EQ(request.sendTransactionType, I2CTransactionType::simple);
    EXPECT_EQ(request.replyTransactionType, I2CTransactionType::ddcciReply);
    EXPECT_EQ(request.sendAddress, 0x6EU);
    EXPECT_EQ(request.replyAddress, 0x6FU);
    EXPECT_EQ(request.sendSubAddress, 0);
    EXPECT_EQ(request.replySubAddress, 0x51);
    EXPECT_EQ(request.minReplyDelay, 10ms);
    EXPECT_EQ(request.sendBuffer, (Bytes{0x51, 0x82, 0x01, 0x10, 0xAC}));
    EXPECT_EQ(request.replyBuffer, Bytes(11, 0x00));
    EXPECT_EQ(h.registry.unitNumbersAsked, (std::vector<std::uint32_t>{h.unit}));
    EXPECT_TRUE(h.releasedEverything());
}

TEST(IntelDDC, WriteHandsOverOneSetRequestRecordWithoutReply) {
    IntelHarness h;
    h.ddc.writeVCP(0x10, 50, h.external);

    ASSERT_EQ(h.framebufferI2C.sent.size(), 1U);
    const I2CRequest& request = h.framebufferI2C.sent[0].request;
    EXPECT_EQ(request.sendTransactionType, I2CTransactionType::simple);
    EXPECT_EQ(request.replyTransactionType, I2CTransactionType::none);
    EXPECT_EQ(request.sendAddress, 0x6EU);
    EXPECT_EQ(request.replyAddress, 0U);
    EXPECT_EQ(request.replySubAddress, 0);
    EXPECT_EQ(request.minReplyDelay, 0ms);
    EXPECT_EQ(request.sendBuffer, (Bytes{0x51, 0x84, 0x03, 0x10, 0x00, 0x32, 0x9A}));
    EXPECT_TRUE(request.replyBuffer.empty());
    EXPECT_TRUE(h.releasedEverything());
}

TEST(IntelDDC, ReadFailsOnAnyReplyThatIsNotASuccessfulVCPReply) {
    Bytes errorResult = validReply;
    errorResult[3] = 0x01;
    errorResult[10] ^= 0x01;
    Bytes badChecksum = validReply;
    badChecksum[10] += 1;
    Bytes wrongOpcode = validReply;
    wrongOpcode[2] = 0x03;
    wrongOpcode[10] ^= 0x02 ^ 0x03;
    const Bytes shortReply(validReply.begin(), validReply.begin() + 7);
    for (const Bytes& reply : {errorResult, badChecksum, wrongOpcode, shortReply}) {
        IntelHarness h;
        h.framebufferI2C.buses = {{.reply = reply}, {.reply = validReply}};
        try {
            h.ddc.readVCP(0x10, h.external);
            FAIL() << "a bad reply must not yield a value";
        } catch (const DisplayHardwareError& error) {
            EXPECT_EQ(error.description(), "Failed to read VCP 0x10 for display 7.");
        }
        // The bus that answered decides; the next bus is not tried.
        EXPECT_EQ(h.framebufferI2C.opened, (std::vector<std::uint32_t>{0}));
        EXPECT_TRUE(h.releasedEverything());
    }
}

TEST(IntelDDC, WalksTheBusesUntilOneAnswers) {
    IntelHarness h;
    h.framebufferI2C.buses = {{.opens = false}, {.reply = validReply}, {.reply = validReply}};
    EXPECT_EQ(h.ddc.readVCP(0x10, h.external), 50);
    h.ddc.writeVCP(0x10, 30, h.external);
    ASSERT_EQ(h.framebufferI2C.sent.size(), 2U);
    EXPECT_EQ(h.framebufferI2C.sent[0].bus, 1U);
    EXPECT_EQ(h.framebufferI2C.sent[1].bus, 1U);
    EXPECT_EQ(h.framebufferI2C.opened, (std::vector<std::uint32_t>{0, 1, 0, 1}));
    EXPECT_TRUE(h.releasedEverything());

    // A bus where the send call or the transfer fails has not answered.
    IntelHarness failing;
    failing.framebufferI2C.buses = {
        {.sendResult = notResponding}, {.transferResult = notResponding}, {.reply = validReply}};
    EXPECT_EQ(failing.ddc.readVCP(0x10, failing.external), 50);
    EXPECT_EQ(failing.framebufferI2C.sent.size(), 3U);
    EXPECT_TRUE(failing.releasedEverything());
}

TEST(IntelDDC, FailsWhenNoBusAnswers) {
    IntelHarness h;
    h.framebufferI2C.buses = {{.opens = false}, {.transferResult = notResponding}};
    try {
        h.ddc.writeVCP(0x10, 55, h.external);
        FAIL();
    } catch (const DisplayHardwareError& error) {
        EXPECT_EQ(error.description(), "Failed to write VCP 0x10=55 for display 7.");
    }
    try {
        h.ddc.readVCP(0xD6, h.external);
        FAIL();
    } catch (const DisplayHardwareError& error) {
        EXPECT_EQ(error.description(), "Failed to read VCP 0xd6 for display 7.");
    }
    EXPECT_EQ(h.framebufferI2C.opened, (std::vector<std::uint32_t>{0, 1, 0, 1}));
    EXPECT_TRUE(h.releasedEverything());
}

TEST(IntelDDC, FindsTheFramebufferByUnitNumberAndOnlyForExternalDisplaysWithBuses) {
    IntelHarness h;
    EXPECT_TRUE(h.ddc.supportsDDC(h.external));
    EXPECT_EQ(h.registry.unitNumbersAsked, (std::vector<std::uint32_t>{h.unit}));

    EXPECT_FALSE(h.ddc.supportsDDC(h.builtin));
    EXPECT_THROW(h.ddc.readVCP(0x10, h.builtin), DisplayHardwareError);
    EXPECT_EQ(h.registry.unitNumbersAsked.size(), 1U) << "a built-in display is not looked up";

    try {
        h.ddc.readVCP(0x10, 42);  // not a display the window server knows
        FAIL();
    } catch (const DisplayHardwareError& error) {
        EXPECT_EQ(error.description(), "Display 42 does not support DDC.");
    }

    h.registry.serviceEntries.erase(h.unit);
    EXPECT_FALSE(h.ddc.supportsDDC(h.external));

    IntelHarness noCount;
    noCount.framebufferI2C.busCountResult = notResponding;
    EXPECT_FALSE(noCount.ddc.supportsDDC(noCount.external));

    IntelHarness noBuses;
    noBuses.framebufferI2C.buses.clear();
    EXPECT_FALSE(noBuses.ddc.supportsDDC(noBuses.external));
    try {
        noBuses.ddc.writeVCP(0x10, 1, noBuses.external);
        FAIL();
    } catch (const DisplayHardwareError& error) {
        EXPECT_EQ(error, DisplayHardwareError::unsupportedDisplay(noBuses.external));
        EXPECT_EQ(error.description(), "Display 7 does not support DDC.");
    }

    for (const IntelHarness* harness : {&h, &noCount, &noBuses}) {
        EXPECT_TRUE(harness->framebufferI2C.sent.empty());
        EXPECT_TRUE(harness->releasedEverything());
    }
}

TEST(IntelDDC, ReadsFailWithoutTrafficWhenNoInterfaceAnnouncesAReplyType) {
    IntelHarness h;
    h.registry.transactionTypes = {0b0001, 0b1000, 0};
    EXPECT_THROW(h.ddc.readVCP(0x10, h.external), DisplayHardwareError);
    EXPECT_TRUE(h.framebufferI2C.opened.empty());
    h.ddc.writeVCP(0x10, 40, h.external);
    EXPECT_EQ(h.framebufferI2C.sent.size(), 1U);

    IntelHarness simpleOnly;
    simpleOnly.registry.transactionTypes = {0b0010};
    EXPECT_EQ(simpleOnly.ddc.readVCP(0x10, simpleOnly.external), 50);
    EXPECT_EQ(simpleOnly.framebufferI2C.sent[0].request.replyTransactionType, I2CTransactionType::simple);
}
