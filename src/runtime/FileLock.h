#pragma once

#include <filesystem>

#include "runtime/FileDescriptor.h"

namespace lumadesk {

// Holds an exclusive advisory lock (flock) on a file, created if needed, for as long as it lives.
class FileLock {
public:
    // Waits until the lock is free; throws std::system_error when the file cannot be opened or locked.
    explicit FileLock(const std::filesystem::path& path);
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock();

private:
    FileDescriptor m_file;
};

}  // namespace lumadesk
