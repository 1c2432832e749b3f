#include <gtest/gtest.h>

#include <vector>

#include "hardware/IntelDDC.h"
#include "platform/FramebufferI2C.h"
#include "support/FakeDisplayRegistry.h"
#include "support/FakeWindowServer.h"
#include "support/HardwareErrorText.h"

using namespace lumadesk;
using namespace std::chrono_literals;

namespace {

// Framebuffer I2C buses with scripted behaviour; records the buses opened, the requests sent and how many
// connections are open.
struct FakeFramebufferI2C final : FramebufferI2C {
    struct Bus {
        bool opens = true;
        IOResult sendResult = ioSuccess;      // what the send call returns
        IOResult transferResult = ioSuccess;  // what it leaves in the request's result
        std::vector<std::uint8_t> reply{};    // the reply buffer it hands back, when given
    };
    struct Connection final : I2CConnection {
        Connection(FakeFramebufferI2C& owner, std::uint32_t bus) : owner(owner), bus(bus) {
            ++owner.openConnections;
        }
        ~Connection() override { --owner.openConnections; }
        IOResult send(I2CRequest& request) override {
            owner.sent.push_back({bus, request});
            request.result = owner.buses[bus].transferResult;
            if (!owner.buses[bus].reply.empty()) request.replyBuffer = owner.buses[bus].reply;
            return owner.buses[bus].sendResult;
        }
        FakeFramebufferI2C& owner;
        std::uint32_t bus;
    };

    I2CBusCount busCount(const RegistryService&) override {
        return {busCountResult, static_cast<std::uint32_t>(buses.size())};
    }
    std::unique_ptr<I2CConnection> openBus(const RegistryService&, std::uint32_t bus) override {
        opened.push_back(bus);
        return buses[bus].opens ? std::make_unique<Connection>(*this, bus) : nullptr;
    }

    IOResult busCountResult = ioSuccess;
    std::vector<Bus> buses{Bus{}};
    std::vector<std::uint32_t> opened;
    std::vector<std::pair<std::uint32_t, I2CRequest>> sent;  // bus, request as handed over
    int openConnections = 0;
};

using Bytes = std::vector<std::uint8_t>;
using Buses = std::vector<std::uint32_t>;

const Bytes validReply{0x6E, 0x88, 0x02, 0x00, 0x10, 0x00, 0x00, 0x64, 0x00, 0x32, 0xF2};
constexpr IOResult notResponding = static_cast<IOResult>(0xE00002ED);

// An external display (7) on unit 3, whose framebuffer has one bus that answers, and the built-in panel.
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
        registry.serviceEntries[unit] = 1;
        framebufferI2C.buses[0].reply = validReply;
    }

    std::string readFailure(std::uint8_t feature = 0x10) {
        return hardwareErrorText([&] { ddc.readVCP(feature, external); });
    }
    // Everything obtained from the platform has been given back.
    bool releasedEverything() const {
        return registry.outstandingServices == 0 && framebufferI2C.openConnections == 0;
    }
};

}  // namespace

TEST(IntelDDC, HandsOverOneRequestRecordPerReadAndPerWrite) {
    IntelHarness h;
    EXPECT_EQ(h.ddc.readVCP(0x10, h.external), 50);
    h.ddc.writeVCP(0x10, 50, h.external);
    ASSERT_EQ(h.framebufferI2C.sent.size(), 2U);

    // The get goes out with the host address in front; the reply is read from 0x6F after 10 ms.
    const I2CRequest& get = h.framebufferI2C.sent[0].second;
    EXPECT_EQ(get.sendTransactionType, I2CTransactionType::simple);
    EXPECT_EQ(get.replyTransactionType, I2CTransactionType::ddcciReply);
    EXPECT_EQ(get.sendAddress, 0x6EU);
    EXPECT_EQ(get.replyAddress, 0x6FU);
    EXPECT_EQ(get.sendSubAddress, 0);
    EXPECT_EQ(get.replySubAddress, 0x51);
    EXPECT_EQ(get.minReplyDelay, 10ms);
    EXPECT_EQ(get.sendBuffer, (Bytes{0x51, 0x82, 0x01, 0x10, 0xAC}));
    EXPECT_EQ(get.replyBuffer, Bytes(11, 0x00));

    // The set asks for no reply at all.
    const I2CRequest& set = h.framebufferI2C.sent[1].second;
    EXPECT_EQ(set.sendTransactionType, I2CTransactionType::simple);
    EXPECT_EQ(set.replyTransactionType, I2CTransactionType::none);
    EXPECT_EQ(set.sendAddress, 0x6EU);
    EXPECT_EQ(set.minReplyDelay, 0ms);
    EXPECT_EQ(set.sendBuffer, (Bytes{0x51, 0x84, 0x03, 0x10, 0x00, 0x32, 0x9A}));
    EXPECT_TRUE(set.replyBuffer.empty());

    EXPECT_EQ(h.registry.unitNumbersAsked, (Buses{h.unit, h.unit}));
    EXPECT_TRUE(h.releasedEverything());
}

TEST(IntelDDC, WalksTheBusesUntilOneAnswersAndThatBusDecides) {
    // Bus 0 cannot be opened and bus 1 answers: only bus 1 is sent to, for reads and writes alike.
    IntelHarness h;
    h.framebufferI2C.buses = {{.opens = false}, {.reply = validReply}, {.reply = validReply}};
    EXPECT_EQ(h.ddc.readVCP(0x10, h.external), 50);
    h.ddc.writeVCP(0x10, 30, h.external);
    ASSERT_EQ(h.framebufferI2C.sent.size(), 2U);
    EXPECT_EQ(h.framebufferI2C.sent[0].first, 1U);
    EXPECT_EQ(h.framebufferI2C.sent[1].first, 1U);
    EXPECT_EQ(h.framebufferI2C.opened, (Buses{0, 1, 0, 1}));

    // A bus where the send call or the transfer fails has not answered.
    IntelHarness failing;
    failing.framebufferI2C.buses = {
        {.sendResult = notResponding}, {.transferResult = notResponding}, {.reply = validReply}};
    EXPECT_EQ(failing.ddc.readVCP(0x10, failing.external), 50);
    EXPECT_EQ(failing.framebufferI2C.sent.size(), 3U);

    // A bad reply from the bus that answered fails the read; the next bus is not tried.
    IntelHarness bad;
    bad.framebufferI2C.buses = {{.reply = Bytes(validReply.begin(), validReply.end() - 1)},
                                {.reply = validReply}};
    EXPECT_EQ(bad.readFailure(), "Failed to read VCP 0x10 for display 7.");
    EXPECT_EQ(bad.framebufferI2C.opened, (Buses{0}));

    // When no bus answers, both requests fail after trying every bus once.
    IntelHarness deaf;
    deaf.framebufferI2C.buses = {{.opens = false}, {.transferResult = notResponding}};
    EXPECT_EQ(hardwareErrorText([&] { deaf.ddc.writeVCP(0x10, 55, deaf.external); }),
              "Failed to write VCP 0x10=55 for display 7.");
    EXPECT_EQ(deaf.readFailure(0xD6), "Failed to read VCP 0xd6 for display 7.");
    EXPECT_EQ(deaf.framebufferI2C.opened, (Buses{0, 1, 0, 1}));

    for (const IntelHarness* harness : {&h, &failing, &bad, &deaf})
        EXPECT_TRUE(harness->releasedEverything());
}

TEST(IntelDDC, SupportsOnlyExternalDisplaysWhoseFramebufferHasBuses) {
    IntelHarness h;
    EXPECT_TRUE(h.ddc.supportsDDC(h.external));
    EXPECT_FALSE(h.ddc.supportsDDC(h.builtin));
    EXPECT_EQ(h.registry.unitNumbersAsked, (Buses{h.unit})) << "a built-in display is not looked up";
    EXPECT_EQ(hardwareErrorText([&] { h.ddc.readVCP(0x10, 42); }), "Display 42 does not support DDC.");

    // No framebuffer for the unit, a failing bus count, no buses at all.
    IntelHarness noService;
    noService.registry.serviceEntries.erase(noService.unit);
    IntelHarness noCount;
    noCount.framebufferI2C.busCountResult = notResponding;
    IntelHarness noBuses;
    noBuses.framebufferI2C.buses.clear();
    for (IntelHarness* harness : {&noService, &noCount, &noBuses}) {
        EXPECT_FALSE(harness->ddc.supportsDDC(harness->external));
        EXPECT_EQ(hardwareErrorText([&] { harness->ddc.writeVCP(0x10, 1, harness->external); }),
                  "Display 7 does not support DDC.");
        EXPECT_TRUE(harness->framebufferI2C.sent.empty());
        EXPECT_TRUE(harness->releasedEverything());
    }
}

TEST(IntelDDC, ReadsAskForTheReplyTypeTheInterfacesAnnounce) {
    // With no interface announcing a reply type, reads fail without traffic; writes need none.
    IntelHarness h;
    h.registry.transactionTypes = {0b0001, 0b1000, 0};
    EXPECT_EQ(h.readFailure(), "Failed to read VCP 0x10 for display 7.");
    EXPECT_TRUE(h.framebufferI2C.opened.empty());
    h.ddc.writeVCP(0x10, 40, h.external);
    EXPECT_EQ(h.framebufferI2C.sent.size(), 1U);

    IntelHarness simpleOnly;
    simpleOnly.registry.transactionTypes = {0b0010};
    EXPECT_EQ(simpleOnly.ddc.readVCP(0x10, simpleOnly.external), 50);
    EXPECT_EQ(simpleOnly.framebufferI2C.sent[0].second.replyTransactionType, I2CTransactionType::simple);
}
