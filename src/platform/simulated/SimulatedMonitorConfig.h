#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "runtime/Clock.h"

namespace lumadesk {

// What a simulated monitor is and how it starts out.
struct SimulatedMonitorConfig {
    // EDID manufacturer ID as a number (the two EDID bytes taken big-endian); 0x10AC spells "DEL".
    std::uint16_t vendor = 0x10AC;
    std::uint16_t product = 41234;
    std::uint32_t serial = 0;
    // Text of the EDID serial-number descriptor (up to 13 bytes, written as given); none leaves it out.
    std::optional<std::string> serialText{};
    // Text of the EDID product-name descriptor (up to 13 bytes); none leaves it out.
    std::optional<std::string> productName{};
    std::uint16_t brightness = 50;
    std::uint16_t maximumBrightness = 100;
    // MCCS power mode: 1 on, 2 standby, 3 suspend, 4 off, 5 off by the power button.
    std::uint8_t powerMode = 1;
    // Whether the DDC/CI channel at 0x37 exists; a monitor without it acknowledges nothing there (its EDID
    // can still be read).
    bool answersDDC = true;
    // How long after a VCP get the reply is ready.
    Duration minimumReplyDelay = std::chrono::milliseconds(10);
};

}  // namespace lumadesk
