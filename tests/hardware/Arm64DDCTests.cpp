#include <gtest/gtest.h>

#include <deque>
#include <fstream>
#include <map>
#include <memory>
#include <vector>

#include "hardware/Arm64DDC.h"
#include "hardware/ReplyWaitFile.h"
#include "runtime/VirtualSleeper.h"
#include "support/FakeAVService.h"
#include "support/FakeWindowServer.h"
#include "support/HardwareErrorText.h"
#include "support/TemporaryDirectory.h"

using namespace lumadesk;
using namespace std::chrono_literals;

namespace {

using Bytes = std::vector<std::uint8_t>;
using Writes = std::vector<FakeAVService::Write>;
using Reads = std::vector<FakeAVService::Read>;
using Sleeps = std::vector<Duration>;

const Bytes validReply{0x6E, 0x88, 0x02, 0x00, 0x10, 0x00, 0x00, 0x64, 0x00, 0x32, 0xF2};
const Bytes badChecksum{0x6E, 0x88, 0x02, 0x00, 0x10, 0x00, 0x00, 0x64, 0x00, 0x32, 0xF3};
// The monitor's "nothing to say yet", followed by an idle bus.
const Bytes nullMessage{0x6E, 0x80, 0xBE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
// A valid reply for feature 0x12 (contrast), value 50.
const Bytes otherFeature{0x6E, 0x88, 0x02, 0x00, 0x12, 0x00, 0x00, 0x64, 0x00, 0x32, 0xF0};
constexpr IOResult shortRead = 5;  // EIO: fewer bytes than asked for
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
    MonitorReplyWaits replyWaits;
    Arm64DDC ddc{windowServer, locator, sleeper, &replyWaits};

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

    // A later good reply is taken; each failed attempt before it (a bad reply, a failed read) pauses, and
    // a missing reply gives the next attempt half as long again to wait.
    Arm64Harness recovering;
    recovering.service->replies = {{ioSuccess, badChecksum}, {notResponding, {}}};
    EXPECT_EQ(recovering.ddc.readVCP(0x10, recovering.external), 50);
    EXPECT_EQ(recovering.service->reads.size(), 3U);
    EXPECT_EQ(recovering.sleeper.sleeps(), (Sleeps{10ms, 50ms, 20ms, 10ms, 50ms, 20ms, 10ms, 75ms}));

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

TEST(Arm64DDC, ReadsASlowMonitorAgainEveryTenMillisecondsAndLearnsItsPace) {
    // Not ready at 50 and 60 ms: the same reply is read again 10 ms later each time, in the same
    // exchange, without asking again.
    Arm64Harness h;
    h.replyWaits.assign({{h.external, "4268-1-2"}});
    h.service->replies = {{ioSuccess, nullMessage}, {ioSuccess, nullMessage}};
    EXPECT_EQ(h.ddc.readVCP(0x10, h.external), 50);
    EXPECT_EQ(h.service->writes.size(), 1U);
    EXPECT_EQ(h.service->reads, (Reads{{0x37, 0, 11, 60ms}, {0x37, 0, 11, 70ms}, {0x37, 0, 11, 80ms}}));
    EXPECT_EQ(h.replyWaits.onlineWaits(), (std::map<std::string, ReplyWait>{{"4268-1-2", {70ms, false}}}));

    // Next time the monitor is asked one step sooner than it needed, so that its wait can come down
    // again; it answers then, and 60 ms is what it needs now.
    h.sleeper.clear();
    EXPECT_EQ(h.ddc.readVCP(0x10, h.external), 50);
    EXPECT_EQ(h.sleeper.sleeps(), (Sleeps{10ms, 60ms}));
    EXPECT_EQ(h.replyWaits.onlineWaits().at("4268-1-2").wait, 60ms);

    // A fast monitor keeps the protocol's wait and is never asked sooner.
    Arm64Harness fast;
    EXPECT_EQ(fast.ddc.readVCP(0x10, fast.external), 50);
    EXPECT_EQ(fast.ddc.readVCP(0x10, fast.external), 50);
    EXPECT_EQ(fast.sleeper.sleeps(), (Sleeps{10ms, 50ms, 10ms, 50ms}));
}

TEST(Arm64DDC, BadRepliesAreRetriedAndNeverTakenForALevel) {
    struct Case {
        const char* name;
        std::deque<FakeAVService::Reply> replies;
        Sleeps sleeps;  // until the good reply that follows
    };
    const std::vector<Case> cases{
        {"short read, then the wait is lengthened", {{shortRead, {}}}, {10ms, 50ms, 20ms, 10ms, 75ms}},
        {"monitor asleep mid-exchange (no acknowledge)",
         {{notResponding, {}}, {notResponding, {}}},
         {10ms, 50ms, 20ms, 10ms, 75ms, 20ms, 10ms, 112ms}},
        {"bad checksum: asked again at the same pace",
         {{ioSuccess, badChecksum}},
         {10ms, 50ms, 20ms, 10ms, 50ms}},
        {"the answer for another feature", {{ioSuccess, otherFeature}}, {10ms, 50ms, 20ms, 10ms, 50ms}},
        {"truncated to the null message's length",
         {{ioSuccess, Bytes(nullMessage.begin(), nullMessage.begin() + 2)}},
         {10ms, 50ms, 20ms, 10ms, 50ms}},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        Arm64Harness h;
        h.service->replies = testCase.replies;
        h.service->reply = {ioSuccess,
                            Bytes{0x6E, 0x88, 0x02, 0x00, 0x10, 0x00, 0x00, 0x64, 0x00, 0x4B, 0x8B}};
        EXPECT_EQ(h.ddc.readVCP(0x10, h.external), 75);
        EXPECT_EQ(h.sleeper.sleeps(), testCase.sleeps);
    }

    // A monitor that says "not ready" for ever is read every 10 ms up to 200 ms once; the other attempts
    // only ask again. The read fails, and that is remembered.
    Arm64Harness never;
    never.replyWaits.assign({{never.external, "4268-1-2"}});
    never.service->reply = {ioSuccess, nullMessage};
    EXPECT_EQ(hardwareErrorText([&] { never.ddc.readVCP(0x10, never.external); }),
              "Failed to read VCP 0x10 for display 2.");
    EXPECT_EQ(never.service->writes.size(), 5U);
    EXPECT_EQ(never.service->reads.size(), 16U + 4U);
    EXPECT_EQ(never.clock.monotonicNow().time_since_epoch(),
              (10ms + 200ms + 20ms) + 4 * (10ms + 50ms + 20ms));
    EXPECT_EQ(never.replyWaits.onlineWaits(), (std::map<std::string, ReplyWait>{{"4268-1-2", {50ms, true}}}));

    // The longest wait is 200 ms, however often the reply is missing.
    Arm64Harness missing;
    missing.service->reply = {notResponding, {}};
    EXPECT_THROW(missing.ddc.readVCP(0x10, missing.external), DisplayHardwareError);
    EXPECT_EQ(missing.sleeper.sleeps(), (Sleeps{10ms, 50ms, 20ms, 10ms, 75ms, 20ms, 10ms, 112ms, 20ms, 10ms,
                                                168ms, 20ms, 10ms, 200ms, 20ms}));
}

TEST(Arm64DDC, LearnedWaitsAreKeptByHardwareIDForTheNextRun) {
    TemporaryDirectory directory;
    {
        Arm64Harness first;
        MonitorReplyWaits waits(std::make_unique<ReplyWaitFile>(directory.path()));
        Arm64DDC ddc(first.windowServer, first.locator, first.sleeper, &waits);
        waits.assign({{first.external, "4268-1-2"}});
        first.service->replies = {
            {ioSuccess, nullMessage}, {ioSuccess, nullMessage}, {ioSuccess, nullMessage}};
        EXPECT_EQ(ddc.readVCP(0x10, first.external), 50);
    }
    EXPECT_EQ(ReplyWaitFile(directory.path()).load(),
              (std::map<std::string, ReplyWait>{{"4268-1-2", {80ms, false}}}));

    // The next run reads the same monitor, on whatever display ID it has now, after 80 ms at once.
    Arm64Harness next;
    MonitorReplyWaits waits(std::make_unique<ReplyWaitFile>(directory.path()));
    Arm64DDC ddc(next.windowServer, next.locator, next.sleeper, &waits);
    waits.assign({{next.external, "4268-1-2"}});
    EXPECT_EQ(ddc.readVCP(0x10, next.external), 50);
    EXPECT_EQ(next.sleeper.sleeps(), (Sleeps{10ms, 80ms}));

    // A damaged file counts as empty; entries of the wrong shape are skipped, waits out of range bounded.
    const auto write = [&](const std::string& text) {
        std::ofstream(directory.path() / ReplyWaitFile::fileName, std::ios::trunc) << text;
    };
    write("{\"4268-1-2\": {\"replyWait");
    EXPECT_TRUE(ReplyWaitFile(directory.path()).load().empty());
    write(
        R"({"a": {"replyWaitMs": 5000, "lastReadFailed": true}, "b": {"replyWaitMs": 1, "lastReadFailed": false},
             "c": {"replyWaitMs": -4, "lastReadFailed": false}, "d": 60, "e": {"replyWaitMs": 60}})");
    MonitorReplyWaits bounded(std::make_unique<ReplyWaitFile>(directory.path()));
    bounded.assign({{1, "a"}, {2, "b"}, {3, "c"}, {4, "d"}, {5, "e"}});
    EXPECT_EQ(bounded.onlineWaits(), (std::map<std::string, ReplyWait>{{"a", {200ms, true}},
                                                                       {"b", {50ms, false}},
                                                                       {"c", {50ms, false}},
                                                                       {"d", {50ms, false}},
                                                                       {"e", {50ms, false}}}));
}
