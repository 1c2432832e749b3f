#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "runtime/UserDefaults.h"

namespace lumadesk {

// The bytes as standard Base64 text (RFC 4648, with padding).
std::string encodeBase64(const Data& bytes);

// The bytes of canonical Base64 text; absent for anything else (wrong length, foreign
// characters, misplaced padding, stray bits), so that damaged text is noticed, not guessed at.
std::optional<Data> decodeBase64(std::string_view text);

}  // namespace lumadesk
