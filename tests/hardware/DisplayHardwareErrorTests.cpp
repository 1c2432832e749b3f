#include <gtest/gtest.h>

#include "hardware/DisplayHardwareError.h"

using namespace lumadesk;

TEST(DisplayHardwareError, MessagesReadExactlyAsShownToTheUser) {
    const std::vector<std::pair<DisplayHardwareError, std::string>> cases = {
        {DisplayHardwareError::unsupportedDisplay(7), "Display 7 does not support DDC."},
        // Features in lower-case hexadecimal without padding; values and IDs in decimal.
        {DisplayHardwareError::failedToReadVCP(0x10, 5), "Failed to read VCP 0x10 for display 5."},
        {DisplayHardwareError::failedToReadVCP(0xD6, 5), "Failed to read VCP 0xd6 for display 5."},
        {DisplayHardwareError::failedToReadVCP(0x05, 4294967295U),
         "Failed to read VCP 0x5 for display 4294967295."},
        {DisplayHardwareError::failedToWriteVCP(0x10, 2, 55), "Failed to write VCP 0x10=55 for display 2."},
        {DisplayHardwareError::failedToWriteVCP(0xD6, 9, 65535),
         "Failed to write VCP 0xd6=65535 for display 9."},
        {DisplayHardwareError::failedToWriteVCP(0x00, 1, 0), "Failed to write VCP 0x0=0 for display 1."},
        {DisplayHardwareError::failedToBeginConfiguration(1001),
         "Failed to begin display configuration (CGError 1001)."},
        {DisplayHardwareError::failedToBeginConfiguration(-1),
         "Failed to begin display configuration (CGError -1)."},
        {DisplayHardwareError::failedToConfigureDisplayEnabled(1001, 3, false),
         "Failed to set display 3 enabled=false (CGError 1001)."},
        {DisplayHardwareError::failedToConfigureDisplayEnabled(1001, 3, true),
         "Failed to set display 3 enabled=true (CGError 1001)."},
        {DisplayHardwareError::failedToCompleteConfiguration(1004),
         "Failed to complete display configuration (CGError 1004)."},
        {DisplayHardwareError::failedToCompleteConfiguration(-2147483647 - 1),
         "Failed to complete display configuration (CGError -2147483648)."}};
    for (const auto& [error, message] : cases) {
        EXPECT_EQ(error.description(), message);
        EXPECT_STREQ(error.what(), message.c_str());
    }
    // Tests compare errors whole, so equality must look at every field.
    EXPECT_NE(DisplayHardwareError::failedToWriteVCP(0x10, 2, 55),
              DisplayHardwareError::failedToWriteVCP(0x10, 2, 56));
    EXPECT_NE(DisplayHardwareError::failedToBeginConfiguration(4),
              DisplayHardwareError::failedToCompleteConfiguration(4));
}
