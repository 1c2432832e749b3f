#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace lumadesk {

// Vendor, product and serial numbers as an EDID base block holds them.
struct EdidIdentity {
    std::uint32_t vendor = 0;
    std::uint32_t product = 0;
    std::uint32_t serial = 0;

    bool operator==(const EdidIdentity&) const = default;
};

// A monitor's EDID as raw bytes, and the one place that knows the base block's layout: its identity
// numbers, its text descriptors, and the two ways bytes are judged to be an EDID at all. Bytes read
// over DDC are taken when they start like an EDID, as monitors with a garbled rest of the header are
// still told apart by them; a connector file from the kernel must hold the whole header and checksum.
class Edid {
public:
    static constexpr std::size_t blockSize = 128;
    static constexpr std::uint8_t serialNumberTag = 0xFF;
    static constexpr std::uint8_t productNameTag = 0xFC;

    explicit Edid(std::span<const std::uint8_t> bytes) : m_bytes(bytes.begin(), bytes.end()) {}

    // The first two header bytes (00 FF) are there.
    bool startsLikeEdid() const;
    // The whole 8-byte header is there and the base block's bytes sum to 0 modulo 256.
    bool isValidBaseBlock() const;
    // The first 128 bytes when the base block is valid; empty otherwise.
    std::vector<std::uint8_t> validBaseBlock() const;

    // Vendor (the manufacturer ID taken big-endian), product and serial, when the bytes start like an
    // EDID and reach past the serial.
    std::optional<EdidIdentity> identity() const;
    // The first non-blank serial-number descriptor, trimmed; none for fewer than 128 bytes.
    std::optional<std::string> serialText() const { return textDescriptor(serialNumberTag); }
    // The first non-blank product-name descriptor, trimmed; none for fewer than 128 bytes.
    std::optional<std::string> productName() const { return textDescriptor(productNameTag); }
    // The first non-blank text descriptor with the tag: its 13 ASCII bytes trimmed at both ends and
    // without line feeds; a descriptor with a byte of 0x80 or more is skipped.
    std::optional<std::string> textDescriptor(std::uint8_t tag) const;

    std::span<const std::uint8_t> bytes() const { return m_bytes; }

private:
    std::vector<std::uint8_t> m_bytes;
};

}  // namespace lumadesk
