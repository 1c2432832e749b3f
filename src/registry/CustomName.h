#pragma once

#include <optional>
#include <string>

namespace lumadesk {

// The custom name to store for what the user typed: without the white space and line breaks around it
// (Unicode ones included), and absent when nothing else is left, so a stored name is never blank.
std::optional<std::string> normalizedCustomName(const std::optional<std::string>& typed);

}  // namespace lumadesk
