#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
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

// The most a settings or desk file may hold: more is refused before anything is read.
inline constexpr std::size_t maximumFileSize = 16 * 1024 * 1024;

// A file that cannot be read, or is not one a program should read: reason() says why in words for
// the user ("it is a directory"), what() adds the file's path in front. isNotAFileToRead() tells a
// directory, FIFO, device or oversized file in the file's place (best moved aside) from a failure of the
// system (permissions, I/O; worth trying again).
class FileReadError : public std::runtime_error {
public:
    enum class Kind { notAFileToRead, systemFailure };

    FileReadError(const std::filesystem::path& path, std::string reason, Kind kind = Kind::systemFailure)
        : std::runtime_error(path.string() + ": " + reason), m_reason(std::move(reason)), m_kind(kind) {}
    const std::string& reason() const { return m_reason; }
    bool isNotAFileToRead() const { return m_kind == Kind::notAFileToRead; }

private:
    std::string m_reason;
    Kind m_kind;
};

// Reads the whole file; absent when it does not exist. Only regular files are read, and at most
// `sizeLimit` bytes (a whole number of KiB): a FIFO, a device or a directory in the file's place is
// refused without waiting on it. Throws FileReadError.
std::optional<FileSnapshot> readFileSnapshot(const std::filesystem::path& path,
                                             std::size_t sizeLimit = maximumFileSize);

}  // namespace lumadesk
