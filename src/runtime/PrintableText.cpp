#include "runtime/PrintableText.h"

#include <cstdint>
#include <optional>

#include "runtime/TextLimits.h"

namespace lumadesk {

namespace {

// The length of the well-formed UTF-8 sequence at the start of `text`, if there is one.
std::optional<std::size_t> sequenceLength(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
    const std::uint8_t lead = byte(0);
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    std::uint8_t low = 0x80;
    std::uint8_t high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;   // overlong
        if (lead == 0xED) high = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;   // overlong
        if (lead == 0xF4) high = 0x8F;  // past U+10FFFF
    } else {
        return std::nullopt;
    }
    if (text.size() < length) return std::nullopt;
    if (byte(1) < low || byte(1) > high) return std::nullopt;
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF) return std::nullopt;
    }
    return length;
}

bool isControl(std::string_view sequence) {
    const auto lead = static_cast<std::uint8_t>(sequence[0]);
    if (sequence.size() == 1) return lead < 0x20 || lead == 0x7F;
    // C1 controls, U+0080...U+009F: some terminals act on them as on ESC sequences.
    return sequence.size() == 2 && lead == 0xC2 && static_cast<std::uint8_t>(sequence[1]) <= 0x9F;
}

// U+061C, U+200E, U+200F, U+202A...U+202E and U+2066...U+2069 in their UTF-8 form.
bool isBidiControl(std::string_view sequence) {
    if (sequence == "\xD8\x9C") return true;
    if (sequence.size() != 3 || sequence[0] != '\xE2') return false;
    const auto second = static_cast<std::uint8_t>(sequence[1]);
    const auto third = static_cast<std::uint8_t>(sequence[2]);
    if (second == 0x80) return third == 0x8E || third == 0x8F || (third >= 0xAA && third <= 0xAE);
    return second == 0x81 && third >= 0xA6 && third <= 0xA9;
}

void appendEscaped(std::string& out, std::string_view bytes) {
    static constexpr char digits[] = "0123456789abcdef";
    for (const char c : bytes) {
        const auto value = static_cast<std::uint8_t>(c);
        out += "\\x";
        out += digits[value >> 4];
        out += digits[value & 0xF];
    }
}

}  // namespace

bool isValidUTF8(std::string_view text) {
    while (!text.empty()) {
        const auto length = sequenceLength(text);
        if (!length) return false;
        text.remove_prefix(*length);
    }
    return true;
}

bool hasControlCharacters(std::string_view text) {
    while (!text.empty()) {
        const std::string_view sequence = text.substr(0, sequenceLength(text).value_or(1));
        if (isControl(sequence) || isBidiControl(sequence)) return true;
        text.remove_prefix(sequence.size());
    }
    return false;
}

std::string printableText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const auto length = sequenceLength(text);
        const std::string_view sequence = text.substr(0, length.value_or(1));
        if (!length || isControl(sequence)) {
            appendEscaped(out, sequence);
        } else {
            out += sequence;
        }
        text.remove_prefix(sequence.size());
    }
    return out;
}

std::size_t printedWidth(std::string_view printable) {
    std::size_t width = 0;
    for (const char c : printable) {
        if ((static_cast<std::uint8_t>(c) & 0xC0) != 0x80) ++width;
    }
    return width;
}

std::string printableLines(std::string_view text) {
    std::string lines;
    for (std::size_t start = 0;;) {
        const auto end = text.find('\n', start);
        lines += printableText(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) return lines;
        lines += '\n';
        start = end + 1;
    }
}

std::string echoedText(std::string_view typed) {
    constexpr std::size_t echoLimit = 200;
    std::string echoed = cutToCharacters(typed, echoLimit);
    if (echoed.size() < typed.size()) echoed += "\u2026";
    return printableText(echoed);
}

}  // namespace lumadesk
