#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lumadesk {

// The custom name to store for what the user typed: without the white space and line breaks around it
// (Unicode ones included), and absent when nothing else is left, so a stored name is never blank.
std::optional<std::string> normalizedCustomName(const std::optional<std::string>& typed);

// The text without the white space and line breaks around it, by the same rule (Unicode ones included),
// for every place that shows a name trimmed.
std::string_view trimmedName(std::string_view text);

}  // namespace lumadesk
