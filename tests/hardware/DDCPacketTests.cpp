#include <gtest/gtest.h>

#include <vector>

#include "hardware/DDCPacket.h"
#include "hardware/DDCReply.h"

using namespace lumadesk;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bytesOf(const DDCPacket& packet) {
    return {packet.bytes().begin(), packet.bytes().end()};
}

// The reply of a monitor reporting luminance 50 of 100.
const Bytes validReply{0x6E, 0x88, 0x02, 0x00, 0x10, 0x00, 0x00, 0x64, 0x00, 0x32, 0xF2};

// The reply with one byte changed and its checksum made right again.
Bytes withByte(std::size_t index, std::uint8_t value) {
    Bytes reply = validReply;
    reply[10] ^= reply[index] ^ value;
    reply[index] = value;
    return reply;
}

}  // namespace

TEST(DDCPacket, BuildsTheVCPRequestsByteForByte) {
    EXPECT_EQ(bytesOf(DDCPacket::vcpGet(0x10)), (Bytes{0x82, 0x01, 0x10, 0xAC}));
    EXPECT_EQ(bytesOf(DDCPacket::vcpGet(0xD6)), (Bytes{0x82, 0x01, 0xD6, 0x6A}));
    EXPECT_EQ(bytesOf(DDCPacket::vcpSet(0x10, 50)), (Bytes{0x84, 0x03, 0x10, 0x00, 0x32, 0x9A}));
    EXPECT_EQ(bytesOf(DDCPacket::vcpSet(0xD6, 4)), (Bytes{0x84, 0x03, 0xD6, 0x00, 0x04, 0x6A}));
    EXPECT_EQ(bytesOf(DDCPacket::vcpSet(0x10, 0x1234)),
              (Bytes{0x84, 0x03, 0x10, 0x12, 0x34, 0xB8 ^ 0x10 ^ 0x12 ^ 0x34}));

    EXPECT_EQ(DDCPacket::vcpGet(0x10).withHostAddress(), (Bytes{0x51, 0x82, 0x01, 0x10, 0xAC}));
    EXPECT_EQ(DDCPacket::vcpSet(0x10, 50).withHostAddress(),
              (Bytes{0x51, 0x84, 0x03, 0x10, 0x00, 0x32, 0x9A}));
}

TEST(DDCReply, AcceptsOnlyCompleteSuccessfulRepliesWithACorrectChecksum) {
    EXPECT_EQ(DDCReply::currentValue(0x10, validReply), 50);  // the maximum (100) is not the answer
    EXPECT_EQ(DDCReply::currentValue(0x10, withByte(8, 0x01)), 0x0132);

    Bytes offByOne = validReply;
    offByOne[10] += 1;
    EXPECT_EQ(DDCReply::currentValue(0x10, offByOne), std::nullopt);
    Bytes flippedValue = validReply;
    flippedValue[9] ^= 0x01;
    EXPECT_EQ(DDCReply::currentValue(0x10, flippedValue), std::nullopt);

    EXPECT_EQ(DDCReply::currentValue(0x10, withByte(3, 0x01)), std::nullopt) << "unsupported feature";
    EXPECT_EQ(DDCReply::currentValue(0x10, withByte(2, 0x03)), std::nullopt) << "not a VCP reply";
    EXPECT_EQ(DDCReply::currentValue(0x10, withByte(4, 0x12)), std::nullopt) << "the answer for another code";
    EXPECT_EQ(DDCReply::currentValue(0x12, validReply), std::nullopt) << "the answer for another code";
    EXPECT_EQ(DDCReply::currentValue(0x10, std::span(validReply).first(10)), std::nullopt) << "short read";
    EXPECT_EQ(DDCReply::currentValue(0x10, {}), std::nullopt);
    EXPECT_FALSE(DDCReply::isNullMessage(validReply));
    EXPECT_FALSE(DDCReply::isNullMessage(std::span(validReply).first(2)));

    // The null message a monitor sends when it has nothing to say has a valid checksum whatever constant
    // fills the rest of the read, so the checksum alone would turn it into a value.
    for (const std::uint8_t fill : {0x00, 0xFF}) {
        Bytes nullMessage(11, fill);
        nullMessage[0] = 0x6E;
        nullMessage[1] = 0x80;
        nullMessage[2] = 0xBE;
        EXPECT_EQ(DDCReply::currentValue(0x10, nullMessage), std::nullopt) << int(fill);
        EXPECT_TRUE(DDCReply::isNullMessage(nullMessage)) << int(fill);
    }
}
