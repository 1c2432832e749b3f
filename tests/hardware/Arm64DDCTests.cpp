#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "hardware/Arm64DDC.h"
#include "runtime/VirtualSleeper.h"
#include "support/FakeAVService.h"
#include "support/FakeWindowServer.h"
#include "support/HardwareErrorText.h"

using namespace lumadesk;
using namespace std::chrono_literals;

namespace {

using Bytes = std::vector<std::uint8_t>;
using Writes = std::vector<FakeAVService::Write>;
using Reads = std::vector<FakeAVService::Read>;
using Sleeps = std::vector<Duration>;

const Bytes validReply{0x6E, 0x88, 0x02, 0x00, 0x10, 0x00, 0x00, 0x64, 0x00, 0x32, 0xF2};
const Bytes badChecksum{0x6E, 0x88, 0x02, 0x00, 0x10, 0x00, 0x00, 0x64, 0x00, 0x32, 0xF3};
constexpr IOResult notResponding = static_cast<IOResult>(0xE00002ED);

Sleeps repeated(const Sleeps& pattern, int times) {
    Sleeps sleeps;
    for (int i = 0; i < times; ++i) sleeps.insert(sleeps.end(), pattern.begin(), pattern.end());
    return sleeps;
}

// An external display (2) whose AV service answers with a valid reply, and the built-in panel (1).
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

TEST(Arm64DDC, SendsTheVCPPacketsToTheMonitorAddressAtTheProtocolsPace) {
    Arm64Harness h;
    // A read writes the get packet after 10 ms and reads the 11-byte reply 50 ms after that.
    EXPECT_EQ(h.ddc.readVCP(0x10, h.external), 50);
    EXPECT_EQ(h.service->writes, (Writes{{0x37, 0x51, {0x82, 0x01, 0x10, 0xAC}, 10ms}}));
    EXPECT_EQ(h.service->reads, (Reads{{0x37, 0, 11, 60ms}}));

    // A write sends the set packet once, 10 ms on, and reads nothing back.
    h.ddc.writeVCP(0x10, 50, h.external);
    h.ddc.writeVCP(0xD6, 4, h.external);
    EXPECT_EQ(h.service->writes, (Writes{{0x37, 0x51, {0x82, 0x01, 0x10, 0xAC}, 10ms},
                                         {0x37, 0x51, {0x84, 0x03, 0x10, 0x00, 0x32, 0x9A}, 70ms},
                                         {0x37, 0x51, {0x84, 0x03, 0xD6, 0x00, 0x04, 0x6A}, 80ms}}));
    EXPECT_EQ(h.service->reads.size(), 1U);
    EXPECT_EQ(h.sleeper.sleeps(), (Sleeps{10ms, 50ms, 10ms, 10ms}));
}

TEST(Arm64DDC, MakesFiveAttemptsWithATwentyMillisecondPauseAfterEachFailure) {
    // Five bad replies: five whole exchanges, each one followed by the pause.
    Arm64Harness bad;
    bad.service->reply = {ioSuccess, badChecksum};
    EXPECT_EQ(hardwareErrorText([&] { bad.ddc.readVCP(0x10, bad.external); }),
              "Failed to read VCP 0x10 for display 2.");
    EXPECT_EQ(bad.service->writes.size(), 5U);
    EXPECT_EQ(bad.service->reads.size(), 5U);
    EXPECT_EQ(bad.sleeper.sleeps(), repeated({10ms, 50ms, 20ms}, 5));
    EXPECT_EQ(bad.clock.monotonicNow().time_since_epoch(), 400ms);

    // Five refused writes of a set packet likewise.
    Arm64Harness refused;
    refused.service->writeResult = notResponding;
    EXPECT_EQ(hardwareErrorText([&] { refused.ddc.writeVCP(0x10, 55, refused.external); }),
              "Failed to write VCP 0x10=55 for display 2.");
    EXPECT_EQ(refused.service->writes.size(), 5U);
    EXPECT_EQ(refused.sleeper.sleeps(), repeated({10ms, 20ms}, 5));

    // A later good reply is taken; each failed attempt before it (a bad reply, a failed read) pauses.
    Arm64Harness recovering;
    recovering.service->replies = {{ioSuccess, badChecksum}, {notResponding, {}}};
    EXPECT_EQ(recovering.ddc.readVCP(0x10, recovering.external), 50);
    EXPECT_EQ(recovering.service->reads.size(), 3U);
    EXPECT_EQ(recovering.sleeper.sleeps(), (Sleeps{10ms, 50ms, 20ms, 10ms, 50ms, 20ms, 10ms, 50ms}));

    // An attempt whose get packet was refused reads no reply; a refused set packet is sent again.
    Arm64Harness skipping;
    skipping.service->writeResults = {notResponding, ioSuccess, notResponding};
    EXPECT_EQ(skipping.ddc.readVCP(0x10, skipping.external), 50);
    EXPECT_EQ(skipping.service->reads, (Reads{{0x37, 0, 11, 10ms + 20ms + 10ms + 50ms}}));
    skipping.ddc.writeVCP(0x10, 55, skipping.external);
    EXPECT_EQ(skipping.service->writes.size(), 4U);
    EXPECT_EQ(skipping.sleeper.sleeps(), (Sleeps{10ms, 20ms, 10ms, 50ms, 10ms, 20ms, 10ms}));
}

TEST(Arm64DDC, NeverTalksToABuiltInDisplayOrOneWithoutAService) {
    Arm64Harness h;
    h.locator.services[h.builtin] = h.service;  // even a service found for the panel is not used
    EXPECT_FALSE(h.ddc.supportsDDC(h.builtin));
    EXPECT_EQ(hardwareErrorText([&] { h.ddc.readVCP(0x10, h.builtin); }), "Display 1 does not support DDC.");
    EXPECT_EQ(hardwareErrorText([&] { h.ddc.writeVCP(0x10, 20, h.builtin); }),
              "Display 1 does not support DDC.");
    EXPECT_EQ(h.locator.lookups, 0);
    EXPECT_EQ(hardwareErrorText([&] { h.ddc.readVCP(0x10, 9); }), "Display 9 does not support DDC.");
    EXPECT_TRUE(h.service->writes.empty() && h.service->reads.empty());
    EXPECT_TRUE(h.sleeper.sleeps().empty());
}
