#pragma once

#include <filesystem>
#include <string_view>

#include "runtime/FileSync.h"

namespace lumadesk {

// A file whose content is replaced all at once: after a crash it holds the old or the new
// content, never a mix. Writers must be serialised by the caller (see FileLock).
class AtomicFile {
public:
    // Flushes through the given file sync; the real one unless a test watches the flushes.
    explicit AtomicFile(std::filesystem::path target, FileSync& sync = realFileSync());
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Writes a temporary file beside the target (with the target's mode, 0600 for a new file), flushes it
    // to disk, renames it over the target and flushes the directory. Throws std::system_error; before the
    // rename the target is untouched.
    void replace(std::string_view contents) const;
    // Removes temporary files that an interrupted replace left behind.
    void removeLeftoverTemporaries() const;

    const std::filesystem::path& target() const { return m_target; }

private:
    std::filesystem::path directory() const;
    std::string temporaryNamePrefix() const;

    std::filesystem::path m_target;
    FileSync& m_sync;
};

}  // namespace lumadesk
