#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace lumadesk {

// EDID base blocks for tests: the identity fields and, optionally, raw display descriptors.
struct TestEDID {
    using Bytes = std::vector<std::uint8_t>;

    // A block with the full header, vendor big-endian in bytes 8-9, product and serial little-endian.
    static Bytes block(std::uint32_t vendor, std::uint32_t product, std::uint32_t serial) {
        Bytes edid(128, 0);
        const std::array<std::uint8_t, 8> header{0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
        std::copy(header.begin(), header.end(), edid.begin());
        edid[8] = static_cast<std::uint8_t>(vendor >> 8);
        edid[9] = static_cast<std::uint8_t>(vendor);
        edid[10] = static_cast<std::uint8_t>(product);
        edid[11] = static_cast<std::uint8_t>(product >> 8);
        for (int i = 0; i < 4; ++i) edid[12 + i] = static_cast<std::uint8_t>(serial >> (8 * i));
        return edid;
    }

    // Writes a text descriptor with the tag into slot 0...3; the text is taken as given and padded with
    // spaces to 13 bytes.
    static void setTextDescriptor(Bytes& edid, int slot, std::uint8_t tag, const std::string& text) {
        const std::size_t offset = 54 + 18 * static_cast<std::size_t>(slot);
        std::fill(edid.begin() + offset, edid.begin() + offset + 18, 0);
        edid[offset + 3] = tag;
        for (std::size_t i = 0; i < 13; ++i)
            edid[offset + 5 + i] = i < text.size() ? static_cast<std::uint8_t>(text[i]) : ' ';
    }

    // A block whose first descriptor is a serial-number descriptor holding the text.
    static Bytes withSerialText(std::uint32_t vendor, std::uint32_t product, const std::string& text) {
        Bytes edid = block(vendor, product, 0);
        setTextDescriptor(edid, 0, 0xFF, text);
        return edid;
    }
};

}  // namespace lumadesk
