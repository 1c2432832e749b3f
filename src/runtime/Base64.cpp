#include "runtime/Base64.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace lumadesk {

namespace {

constexpr std::string_view alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::uint8_t notInAlphabet = 0xFF;

constexpr std::array<std::uint8_t, 256> makeDecodingTable() {
    std::array<std::uint8_t, 256> table{};
    table.fill(notInAlphabet);
    for (std::size_t index = 0; index < alphabet.size(); ++index)
        table[static_cast<unsigned char>(alphabet[index])] = static_cast<std::uint8_t>(index);
    return table;
}

constexpr auto decodingTable = makeDecodingTable();

}  // namespace

std::string encodeBase64(const Data& bytes) {
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t index = 0; index < bytes.size(); index += 3) {
        const std::size_t count = std::min<std::size_t>(3, bytes.size() - index);
        std::uint32_t group = static_cast<std::uint32_t>(bytes[index]) << 16;
        if (count > 1) group |= static_cast<std::uint32_t>(bytes[index + 1]) << 8;
        if (count > 2) group |= bytes[index + 2];
        for (std::size_t sextet = 0; sextet < 4; ++sextet)
            text.push_back(sextet <= count ? alphabet[(group >> (18 - 6 * sextet)) & 0x3F] : '=');
    }
    return text;
}

std::optional<Data> decodeBase64(std::string_view text) {
    if (text.size() % 4 != 0) return std::nullopt;
    const std::size_t padding = text.ends_with("==") ? 2 : text.ends_with('=') ? 1 : 0;
    Data bytes;
    bytes.reserve(text.size() / 4 * 3);
    for (std::size_t index = 0; index < text.size(); index += 4) {
        const bool lastGroup = index + 4 == text.size();
        const std::size_t significant = lastGroup ? 4 - padding : 4;
        std::uint32_t group = 0;
        for (std::size_t sextet = 0; sextet < significant; ++sextet) {
            const auto value = decodingTable[static_cast<unsigned char>(text[index + sextet])];
            if (value == notInAlphabet) return std::nullopt;
            group |= static_cast<std::uint32_t>(value) << (18 - 6 * sextet);
        }
        const std::size_t byteCount = significant - 1;
        // Bits past the last whole byte must be zero, or two texts would mean the same bytes.
        if ((group & (0xFFFFFFu >> (8 * byteCount))) != 0) return std::nullopt;
        for (std::size_t byte = 0; byte < byteCount; ++byte)
            bytes.push_back(static_cast<std::uint8_t>(group >> (16 - 8 * byte)));
    }
    return bytes;
}

}  // namespace lumadesk
