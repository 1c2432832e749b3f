#include <gtest/gtest.h>

#include <latch>
#include <thread>
#include <vector>

#include "hardware/ReplyTransactionTypeProbe.h"
#include "support/FakeDisplayRegistry.h"

using namespace lumadesk;

TEST(ReplyTransactionTypeProbe, TheFirstInterfaceAnnouncingAReplyTypeDecides) {
    using Sets = std::vector<std::uint64_t>;
    const auto choose = [](const Sets& sets) { return ReplyTransactionTypeProbe::choose(sets); };
    EXPECT_EQ(choose({}), std::nullopt);
    EXPECT_EQ(choose({0b0001, 0b1000}), std::nullopt);
    EXPECT_EQ(choose({0b0010}), I2CTransactionType::simple);
    EXPECT_EQ(choose({0b0100}), I2CTransactionType::ddcciReply);
    EXPECT_EQ(choose({0b0110}), I2CTransactionType::ddcciReply);
    EXPECT_EQ(choose({0, 0b0100}), I2CTransactionType::ddcciReply);
    EXPECT_EQ(choose({0b0011, 0b0100}), I2CTransactionType::simple);
    EXPECT_EQ(choose({~0ULL}), I2CTransactionType::ddcciReply);
}

TEST(ReplyTransactionTypeProbe, AsksTheRegistryOnceAndRemembersEvenNone) {
    FakeDisplayRegistry registry;
    registry.transactionTypes = {0b0100};
    ReplyTransactionTypeProbe probe(registry);
    EXPECT_EQ(probe.replyTransactionType(), I2CTransactionType::ddcciReply);
    registry.transactionTypes = {0b0010};
    EXPECT_EQ(probe.replyTransactionType(), I2CTransactionType::ddcciReply);
    EXPECT_EQ(registry.transactionTypeProbes, 1);

    FakeDisplayRegistry empty;
    empty.transactionTypes = {};
    ReplyTransactionTypeProbe none(empty);
    EXPECT_EQ(none.replyTransactionType(), std::nullopt);
    empty.transactionTypes = {0b0100};
    EXPECT_EQ(none.replyTransactionType(), std::nullopt);
    EXPECT_EQ(empty.transactionTypeProbes, 1);
}

TEST(ReplyTransactionTypeProbe, RacingFirstCallsProbeOnce) {
    for (int round = 0; round < 50; ++round) {
        FakeDisplayRegistry registry;
        std::latch secondCallerReady(1);
        // The probe in progress waits until the other caller is about to ask too.
        registry.duringProbe = [&] { secondCallerReady.wait(); };
        ReplyTransactionTypeProbe probe(registry);

        std::optional<I2CTransactionType> first;
        std::optional<I2CTransactionType> second;
        std::thread firstCaller([&] { first = probe.replyTransactionType(); });
        std::thread secondCaller([&] {
            secondCallerReady.count_down();
            second = probe.replyTransactionType();
        });
        firstCaller.join();
        secondCaller.join();

        EXPECT_EQ(registry.transactionTypeProbes, 1);
        EXPECT_EQ(first, I2CTransactionType::ddcciReply);
        EXPECT_EQ(second, I2CTransactionType::ddcciReply);
    }
}
