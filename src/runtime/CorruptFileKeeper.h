#pragma once

#include <filesystem>
#include <string_view>

#include "runtime/Clock.h"

namespace lumadesk {

// Moves an unreadable file out of the way to "<file>.corrupt-<UTC time>", adding "-1", "-2", ...
// when that name is taken, so that no earlier copy is ever replaced. Returns the new path.
// Throws std::system_error. The caller holds the lock that serialises writers of the directory.
std::filesystem::path keepCorruptFile(const std::filesystem::path& file, WallInstant now);

// Writes a copy of the file's content under the same kind of name, leaving the file in place; for a
// file that is readable but holds a value about to be replaced. Returns the copy's path.
std::filesystem::path keepCopyOfFile(const std::filesystem::path& file, std::string_view contents,
                                     WallInstant now);

}  // namespace lumadesk
