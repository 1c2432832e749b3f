#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace lumadesk {

// The most characters a display name keeps, when the user sets it and when it is read back.
inline constexpr std::size_t maximumNameLength = 1'000;

// The text cut after `limit` characters (UTF-8 code points), never inside one; shorter texts unchanged.
// Bytes that do not start a character count with the character before them, so invalid UTF-8 is cut
// after a whole byte sequence too.
std::string cutToCharacters(std::string_view text, std::size_t limit);

}  // namespace lumadesk
