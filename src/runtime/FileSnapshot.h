#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace lumadesk {

// What tells one version of a file from another without reading it: a replaced file has a new
// inode, a rewritten one a new size or modification time.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedNanoseconds = 0;
    std::int64_t changedNanoseconds = 0;

    bool operator==(const FileIdentity&) const = default;
};

// A file's content together with the identity of the version that was read.
struct FileSnapshot {
    FileIdentity identity;
    std::string contents;
};

// The identity of the file now; absent when it does not exist or cannot be examined.
std::optional<FileIdentity> currentIdentity(const std::filesystem::path& path);

// Reads the whole file; absent when it does not exist. Throws std::system_error when it cannot be read.
std::optional<FileSnapshot> readFileSnapshot(const std::filesystem::path& path);

}  // namespace lumadesk
