#include "runtime/FileSnapshot.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <system_error>

#include "runtime/FileDescriptor.h"

namespace lumadesk {

namespace {

std::int64_t nanoseconds(const timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

FileIdentity identityOf(const struct stat& status) {
    return {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino),
            static_cast<std::int64_t>(status.st_size), nanoseconds(status.st_mtim),
            nanoseconds(status.st_ctim)};
}

// "16 MiB", "64 KiB": the limit as the user reads it.
std::string sizeText(std::size_t bytes) {
    constexpr std::size_t mebibyte = 1024 * 1024;
    if (bytes % mebibyte == 0) return std::to_string(bytes / mebibyte) + " MiB";
    return std::to_string(bytes / 1024) + " KiB";
}

}  // namespace

std::optional<FileIdentity> currentIdentity(const std::filesystem::path& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return std::nullopt;
    return identityOf(status);
}

std::optional<FileSnapshot> readFileSnapshot(const std::filesystem::path& path, std::size_t sizeLimit) {
    const auto failure = [&path](const std::string& what) {
        return FileReadError(path, what + " (" + std::generic_category().message(errno) + ")");
    };
    // Non-blocking, so that opening a FIFO does not wait for a writer; regular files ignore the flag.
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!file.isOpen()) {
        if (errno == ENOENT) return std::nullopt;
        throw failure("it cannot be opened");
    }
    // The identity comes from the open descriptor, so it belongs to exactly the content read.
    struct stat status {};
    if (::fstat(file.get(), &status) != 0) throw failure("it cannot be examined");
    constexpr auto notAFile = FileReadError::Kind::notAFileToRead;
    if (S_ISDIR(status.st_mode)) throw FileReadError(path, "it is a directory", notAFile);
    if (!S_ISREG(status.st_mode)) throw FileReadError(path, "it is not a regular file", notAFile);
    const auto tooLarge = [&] {
        return FileReadError(path, "it is larger than " + sizeText(sizeLimit), notAFile);
    };
    if (static_cast<std::uint64_t>(status.st_size) > sizeLimit) throw tooLarge();
    FileSnapshot snapshot{identityOf(status), {}};
    snapshot.contents.reserve(static_cast<std::size_t>(status.st_size));
    std::array<char, 64 * 1024> buffer{};
    for (;;) {
        const auto count = ::read(file.get(), buffer.data(), buffer.size());
        if (count == 0) return snapshot;
        if (count < 0) {
            if (errno == EINTR) continue;
            throw failure("it cannot be read");
        }
        snapshot.contents.append(buffer.data(), static_cast<std::size_t>(count));
        // A file that grows while it is read is still held to the limit.
        if (snapshot.contents.size() > sizeLimit) throw tooLarge();
    }
}

}  // namespace lumadesk
