#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "edid/Edid.h"
#include "platform/linux/DisplayAdapterPolicy.h"
#include "platform/linux/DrmConnector.h"
#include "support/TestEDID.h"

using namespace lumadesk;

// The text of sysfs attribute files as drivers write it: trailing line breaks, odd names, numbers that
// are not numbers.
TEST(SysfsText, ConnectorNamesAttributesAndEDIDFilesAreReadStrictly) {
    EXPECT_EQ(sysfs::attributeText("connected\n"), "connected");
    EXPECT_EQ(sysfs::attributeText("0x030000 \n\n"), "0x030000");
    EXPECT_EQ(sysfs::attributeText(" enabled"), " enabled") << "only the end is trimmed";
    EXPECT_EQ(sysfs::attributeText("\n"), "");

    const auto dp = parseDrmConnectorName("card0-DP-1");
    ASSERT_TRUE(dp);
    EXPECT_EQ(dp->card, 0U);
    EXPECT_EQ(dp->type, "DP");
    const auto hdmi = parseDrmConnectorName("card12-HDMI-A-2");
    ASSERT_TRUE(hdmi);
    EXPECT_EQ(hdmi->card, 12U);
    EXPECT_EQ(hdmi->type, "HDMI-A");
    for (const char* name :
         {"card0", "renderD128", "card-DP-1", "card0-DP-", "card99999999999-DP-1", "version"})
        EXPECT_FALSE(parseDrmConnectorName(name)) << name;

    DrmConnector connector;
    applyConnectorAttributes(connector, "connected", "enabled", "77");
    EXPECT_TRUE(connector.isOnline());
    EXPECT_EQ(connector.connectorID, 77U);
    applyConnectorAttributes(connector, "unknown", "enabled", "-3");
    EXPECT_FALSE(connector.connected);
    EXPECT_FALSE(connector.isOnline());
    EXPECT_EQ(connector.connectorID, 0U) << "not a number: the id is made from the connector's place";
    applyConnectorAttributes(connector, "connected", std::nullopt, "12");
    EXPECT_TRUE(connector.isOnline()) << "no \"enabled\" file: a connected monitor is listed";
    applyConnectorAttributes(connector, "connected", "disabled", "99999999999");
    EXPECT_FALSE(connector.isOnline());
    EXPECT_EQ(connector.connectorID, 0U) << "out of range";

    auto edid = TestEDID::block(0x10AC, 0x4242, 7);
    edid[127] = static_cast<std::uint8_t>(256 - std::accumulate(edid.begin(), edid.end(), 0U) % 256);
    edid.resize(256, 0xAB);  // an extension block follows the base block
    const auto block = Edid(edid).validBaseBlock();
    EXPECT_EQ(block.size(), 128U);
    EXPECT_TRUE(std::equal(edid.begin(), edid.begin() + 128, block.begin()));
    edid[20] ^= 1;
    EXPECT_TRUE(Edid(edid).validBaseBlock().empty()) << "bad checksum";
    EXPECT_TRUE(Edid(std::vector<std::uint8_t>(edid.begin(), edid.begin() + 127)).validBaseBlock().empty());

    EXPECT_TRUE(DisplayAdapterPolicy::isDisplayClass("0x030000"));
    EXPECT_TRUE(DisplayAdapterPolicy::isDisplayClass("0x0a0000"));
    for (const char* deviceClass : {"0x0c0500", "0x0300", "0x03000000", "", "030000"})
        EXPECT_FALSE(DisplayAdapterPolicy::isDisplayClass(deviceClass)) << deviceClass;
}
