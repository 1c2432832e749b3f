#include "edid/Edid.h"

#include <algorithm>
#include <array>
#include <numeric>

namespace lumadesk {

namespace {

constexpr std::array<std::uint8_t, 8> header{0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
constexpr std::size_t identityEnd = 16;
constexpr std::array<std::size_t, 4> descriptorOffsets{54, 72, 90, 108};
constexpr std::size_t descriptorTextStart = 5;
constexpr std::size_t descriptorSize = 18;

// The descriptor's 13 text bytes trimmed at both ends and without line feeds; none when a byte is not
// ASCII.
std::optional<std::string> descriptorText(std::span<const std::uint8_t> descriptor) {
    std::string text;
    for (std::size_t i = descriptorTextStart; i < descriptorSize; ++i) {
        if (descriptor[i] >= 0x80) return std::nullopt;
        text.push_back(static_cast<char>(descriptor[i]));
    }
    constexpr const char* whitespace = " \t\n\r\v\f";
    const auto first = text.find_first_not_of(whitespace);
    if (first == std::string::npos) return std::string{};
    text = text.substr(first, text.find_last_not_of(whitespace) - first + 1);
    std::erase(text, '\n');
    return text;
}

}  // namespace

bool Edid::startsLikeEdid() const {
    return m_bytes.size() >= 2 && m_bytes[0] == header[0] && m_bytes[1] == header[1];
}

bool Edid::isValidBaseBlock() const {
    if (m_bytes.size() < blockSize || !std::equal(header.begin(), header.end(), m_bytes.begin())) return false;
    const unsigned sum = std::accumulate(m_bytes.begin(), m_bytes.begin() + blockSize, 0U);
    return sum % 256 == 0;
}

std::vector<std::uint8_t> Edid::validBaseBlock() const {
    if (!isValidBaseBlock()) return {};
    return {m_bytes.begin(), m_bytes.begin() + blockSize};
}

std::optional<EdidIdentity> Edid::identity() const {
    if (m_bytes.size() < identityEnd || !startsLikeEdid()) return std::nullopt;
    const auto& b = m_bytes;
    return EdidIdentity{
        .vendor = static_cast<std::uint32_t>(b[8]) << 8 | b[9],
        .product = b[10] | static_cast<std::uint32_t>(b[11]) << 8,
        .serial = b[12] | static_cast<std::uint32_t>(b[13]) << 8 | static_cast<std::uint32_t>(b[14]) << 16 |
                  static_cast<std::uint32_t>(b[15]) << 24,
    };
}

std::optional<std::string> Edid::textDescriptor(std::uint8_t tag) const {
    if (m_bytes.size() < blockSize) return std::nullopt;
    const std::span<const std::uint8_t> block = m_bytes;
    for (const std::size_t offset : descriptorOffsets) {
        const auto descriptor = block.subspan(offset, descriptorSize);
        const bool hasTag =
            descriptor[0] == 0x00 && descriptor[1] == 0x00 && descriptor[2] == 0x00 && descriptor[3] == tag;
        if (!hasTag) continue;
        if (auto text = descriptorText(descriptor); text && !text->empty()) return text;
    }
    return std::nullopt;
}

}  // namespace lumadesk
