#pragma once

#include <filesystem>

#include "runtime/Clock.h"

namespace lumadesk {

// Moves an unreadable file out of the way to "<file>.corrupt-<UTC time>", adding "-1", "-2", ...
// when that name is taken, so that no earlier copy is ever replaced. Returns the new path.
// Throws std::system_error. The caller holds the lock that serialises writers of the directory.
std::filesystem::path keepCorruptFile(const std::filesystem::path& file, WallInstant now);

}  // namespace lumadesk
