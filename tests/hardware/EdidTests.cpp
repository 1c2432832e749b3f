#include <gtest/gtest.h>

#include <numeric>

#include "edid/Edid.h"
#include "support/TestEDID.h"

namespace lumadesk {
namespace {

TestEDID::Bytes withChecksum(TestEDID::Bytes edid) {
    edid[127] = 0;
    edid[127] = static_cast<std::uint8_t>(256 - std::accumulate(edid.begin(), edid.begin() + 128, 0U) % 256);
    return edid;
}

TEST(Edid, ReadsTheIdentityOfBytesThatStartLikeAnEdid) {
    const auto block = TestEDID::block(0x10AC, 0xA112, 0x01020304);
    EXPECT_EQ(Edid(block).identity(), (EdidIdentity{0x10AC, 0xA112, 0x01020304}));
    // The first 16 bytes are all the identity needs; DDC reads of fewer bytes are still told apart.
    EXPECT_EQ(Edid(std::span(block).first(16)).identity(), (EdidIdentity{0x10AC, 0xA112, 0x01020304}));
    EXPECT_EQ(Edid(std::span(block).first(15)).identity(), std::nullopt);

    auto garbledHeader = block;
    garbledHeader[2] = 0x00;  // only the first two header bytes are judged here
    EXPECT_TRUE(Edid(garbledHeader).identity());
    auto notAnEdid = block;
    notAnEdid[1] = 0x00;  // starts 00 00
    EXPECT_EQ(Edid(notAnEdid).identity(), std::nullopt);
    EXPECT_FALSE(Edid(std::vector<std::uint8_t>{0x00}).startsLikeEdid());
}

TEST(Edid, AKernelConnectorFileMustHoldTheWholeHeaderAndChecksum) {
    auto file = withChecksum(TestEDID::block(0x10AC, 0x4242, 7));
    file.resize(256, 0xAB);  // an extension block follows and is dropped
    const Edid edid(file);
    ASSERT_TRUE(edid.isValidBaseBlock());
    EXPECT_EQ(edid.validBaseBlock(), TestEDID::Bytes(file.begin(), file.begin() + 128));

    struct Case {
        const char* what;
        std::size_t index;
    };
    for (const Case damage : {Case{"header byte 2", 2}, Case{"header byte 7", 7}, Case{"checksum", 60}}) {
        auto damaged = file;
        damaged[damage.index] ^= 0x01;
        EXPECT_FALSE(Edid(damaged).isValidBaseBlock()) << damage.what;
        EXPECT_TRUE(Edid(damaged).validBaseBlock().empty()) << damage.what;
    }
    EXPECT_FALSE(Edid(std::span(file).first(127)).isValidBaseBlock()) << "short";
}

TEST(Edid, TextDescriptorsByTag) {
    auto edid = TestEDID::block(1, 2, 0);
    TestEDID::setTextDescriptor(edid, 1, Edid::productNameTag, "Northwind 27\n");
    TestEDID::setTextDescriptor(edid, 2, Edid::serialNumberTag, " SN-42 ");
    EXPECT_EQ(Edid(edid).productName(), "Northwind 27");
    EXPECT_EQ(Edid(edid).serialText(), "SN-42");
    EXPECT_EQ(Edid(std::span(edid).first(127)).productName(), std::nullopt);
}

}  // namespace
}  // namespace lumadesk
