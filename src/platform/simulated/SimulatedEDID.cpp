#include "platform/simulated/SimulatedEDID.h"

#include <algorithm>
#include <numeric>
#include <optional>
#include <string>
#include <vector>

namespace lumadesk {

namespace {

constexpr std::size_t descriptorSize = 18;
constexpr std::size_t firstDescriptor = 54;
constexpr std::size_t descriptorCount = 4;
constexpr std::size_t descriptorTextSize = 13;
constexpr std::uint8_t serialNumberTag = 0xFF;
constexpr std::uint8_t productNameTag = 0xFC;
constexpr std::uint8_t dummyTag = 0x10;

using Descriptor = std::array<std::uint8_t, descriptorSize>;

// A display descriptor holding text: 0x00 0x00 0x00 tag 0x00, then the text, ended by a line feed and
// padded with spaces when shorter than 13 bytes.
Descriptor textDescriptor(std::uint8_t tag, const std::string& text) {
    Descriptor descriptor{0x00, 0x00, 0x00, tag, 0x00};
    const std::size_t length = std::min(text.size(), descriptorTextSize);
    std::copy_n(text.begin(), length, descriptor.begin() + 5);
    for (std::size_t i = length; i < descriptorTextSize; ++i) descriptor[5 + i] = i == length ? 0x0A : 0x20;
    return descriptor;
}

// The detailed timing of 1920x1080 at 60 Hz (148.5 MHz), the preferred mode.
constexpr Descriptor preferredTiming{0x02, 0x3A, 0x80, 0x18, 0x71, 0x38, 0x2D, 0x40, 0x58,
                                     0x2C, 0x45, 0x00, 0x56, 0x50, 0x21, 0x00, 0x00, 0x1E};

constexpr Descriptor dummyDescriptor{0x00, 0x00, 0x00, dummyTag};

}  // namespace

std::array<std::uint8_t, SimulatedEDID::size> SimulatedEDID::image(const SimulatedMonitorConfig& config) {
    std::array<std::uint8_t, size> edid{};
    constexpr std::array<std::uint8_t, 8> header{0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
    std::copy(header.begin(), header.end(), edid.begin());
    edid[8] = static_cast<std::uint8_t>(config.vendor >> 8);
    edid[9] = static_cast<std::uint8_t>(config.vendor & 0xFF);
    edid[10] = static_cast<std::uint8_t>(config.product & 0xFF);
    edid[11] = static_cast<std::uint8_t>(config.product >> 8);
    for (int i = 0; i < 4; ++i) edid[12 + i] = static_cast<std::uint8_t>(config.serial >> (8 * i));
    edid[16] = 1;            // week of manufacture
    edid[17] = 2024 - 1990;  // year of manufacture
    edid[18] = 1;            // EDID version 1.4
    edid[19] = 4;
    edid[20] = 0xA5;  // digital input, 8 bits per colour, DisplayPort
    edid[21] = 60;    // image size in cm
    edid[22] = 34;
    edid[23] = 120;   // gamma 2.2
    edid[24] = 0x3A;  // RGB 4:4:4, sRGB default, preferred timing is native
    constexpr std::array<std::uint8_t, 10> chromaticity{0xEE, 0x91, 0xA3, 0x54, 0x4C,
                                                        0x99, 0x26, 0x0F, 0x50, 0x54};
    std::copy(chromaticity.begin(), chromaticity.end(), edid.begin() + 25);
    std::fill(edid.begin() + 38, edid.begin() + 54, 0x01);  // no standard timings

    std::vector<Descriptor> descriptors{preferredTiming};
    if (config.serialText) descriptors.push_back(textDescriptor(serialNumberTag, *config.serialText));
    if (config.productName) descriptors.push_back(textDescriptor(productNameTag, *config.productName));
    descriptors.resize(descriptorCount, dummyDescriptor);
    for (std::size_t i = 0; i < descriptorCount; ++i) {
        std::copy(descriptors[i].begin(), descriptors[i].end(),
                  edid.begin() + firstDescriptor + i * descriptorSize);
    }

    edid[126] = 0;  // no extension blocks
    const unsigned sum = std::accumulate(edid.begin(), edid.end() - 1, 0U);
    edid[127] = static_cast<std::uint8_t>(0x100 - sum % 0x100);  // all 128 bytes sum to 0 mod 256
    return edid;
}

}  // namespace lumadesk
