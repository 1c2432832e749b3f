#include <gtest/gtest.h>

#include "hardware/DisplayHardwareError.h"

using namespace lumadesk;

TEST(DisplayHardwareError, MessagesReadExactlyAsShownToTheUser) {
    EXPECT_EQ(DisplayHardwareError::unsupportedDisplay(7).description(), "Display 7 does not support DDC.");
    EXPECT_EQ(DisplayHardwareError::failedToReadVCP(0x10, 5).description(),
              "Failed to read VCP 0x10 for display 5.");
    EXPECT_EQ(DisplayHardwareError::failedToReadVCP(0xD6, 5).description(),
              "Failed to read VCP 0xd6 for display 5.");
    EXPECT_EQ(DisplayHardwareError::failedToReadVCP(0x05, 4294967295U).description(),
              "Failed to read VCP 0x5 for display 4294967295.");
    EXPECT_EQ(DisplayHardwareError::failedToWriteVCP(0x10, 2, 55).description(),
              "Failed to write VCP 0x10=55 for display 2.");
    EXPECT_EQ(DisplayHardwareError::failedToWriteVCP(0xD6, 9, 65535).description(),
              "Failed to write VCP 0xd6=65535 for display 9.");
    EXPECT_EQ(DisplayHardwareError::failedToWriteVCP(0x00, 1, 0).description(),
              "Failed to write VCP 0x0=0 for display 1.");
    EXPECT_EQ(DisplayHardwareError::failedToBeginConfiguration(1001).description(),
              "Failed to begin display configuration (CGError 1001).");
    EXPECT_EQ(DisplayHardwareError::failedToBeginConfiguration(-1).description(),
              "Failed to begin display configuration (CGError -1).");
    EXPECT_EQ(DisplayHardwareError::failedToConfigureDisplayEnabled(1001, 3, false).description(),
              "Failed to set display 3 enabled=false (CGError 1001).");
    EXPECT_EQ(DisplayHardwareError::failedToConfigureDisplayEnabled(1001, 3, true).description(),
              "Failed to set display 3 enabled=true (CGError 1001).");
    EXPECT_EQ(DisplayHardwareError::failedToCompleteConfiguration(1004).description(),
              "Failed to complete display configuration (CGError 1004).");
    EXPECT_EQ(DisplayHardwareError::failedToCompleteConfiguration(-2147483647 - 1).description(),
              "Failed to complete display configuration (CGError -2147483648).");
}

TEST(DisplayHardwareError, CarriesItsCaseAndPayloadAndServesAsAnException) {
    const auto error = DisplayHardwareError::failedToWriteVCP(0x10, 2, 55);
    EXPECT_EQ(error.kind(), DisplayHardwareError::Kind::failedToWriteVCP);
    EXPECT_EQ(error.feature(), 0x10);
    EXPECT_EQ(error.displayID(), 2U);
    EXPECT_EQ(error.value(), 55);
    EXPECT_STREQ(error.what(), "Failed to write VCP 0x10=55 for display 2.");

    const auto configure = DisplayHardwareError::failedToConfigureDisplayEnabled(-3, 8, true);
    EXPECT_EQ(configure.kind(), DisplayHardwareError::Kind::failedToConfigureDisplayEnabled);
    EXPECT_EQ(configure.code(), -3);
    EXPECT_EQ(configure.displayID(), 8U);
    EXPECT_TRUE(configure.isEnabled());

    EXPECT_EQ(error, DisplayHardwareError::failedToWriteVCP(0x10, 2, 55));
    EXPECT_NE(error, DisplayHardwareError::failedToWriteVCP(0x10, 2, 56));
    EXPECT_NE(DisplayHardwareError::failedToBeginConfiguration(4),
              DisplayHardwareError::failedToCompleteConfiguration(4));

    try {
        throw DisplayHardwareError::unsupportedDisplay(3);
    } catch (const std::exception& caught) {
        EXPECT_STREQ(caught.what(), "Display 3 does not support DDC.");
    }
}
