#include "registry/CustomName.h"

#include <array>
#include <string_view>

#include "runtime/TextLimits.h"

namespace lumadesk {

namespace {

// White space and line breaks in their UTF-8 form: ASCII, then the Unicode space separators,
// NEXT LINE and the line and paragraph separators.
constexpr std::array<std::string_view, 25> blanks{
    " ",
    "\t",
    "\n",
    "\v",
    "\f",
    "\r",
    "\xC2\x85",
    "\xC2\xA0",
    "\xE1\x9A\x80",
    "\xE2\x80\x80",
    "\xE2\x80\x81",
    "\xE2\x80\x82",
    "\xE2\x80\x83",
    "\xE2\x80\x84",
    "\xE2\x80\x85",
    "\xE2\x80\x86",
    "\xE2\x80\x87",
    "\xE2\x80\x88",
    "\xE2\x80\x89",
    "\xE2\x80\x8A",
    "\xE2\x80\xA8",
    "\xE2\x80\xA9",
    "\xE2\x80\xAF",
    "\xE2\x81\x9F",
    "\xE3\x80\x80",
};

// The length of the blank the text starts with, 0 when it starts with something else.
std::size_t leadingBlank(std::string_view text) {
    for (auto blank : blanks) {
        if (text.starts_with(blank)) return blank.size();
    }
    return 0;
}

std::size_t trailingBlank(std::string_view text) {
    for (auto blank : blanks) {
        if (text.ends_with(blank)) return blank.size();
    }
    return 0;
}

}  // namespace

std::string_view trimmedName(std::string_view text) {
    while (const auto length = leadingBlank(text)) text.remove_prefix(length);
    while (const auto length = trailingBlank(text)) text.remove_suffix(length);
    return text;
}

std::optional<std::string> normalizedCustomName(const std::optional<std::string>& typed) {
    if (!typed) return std::nullopt;
    const std::string_view text = trimmedName(*typed);
    if (text.empty()) return std::nullopt;
    return cutToCharacters(text, maximumNameLength);
}

}  // namespace lumadesk
