#include "runtime/AtomicFile.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <system_error>
#include <vector>

#include "runtime/FileDescriptor.h"
#include "runtime/SystemError.h"

namespace lumadesk {

namespace {

// A uniquely named file that is removed again unless it was renamed into place.
class TemporaryFile {
public:
    TemporaryFile(const std::string& prefix, FileSync& sync) : m_path(prefix + "XXXXXX"), m_sync(sync) {
        std::vector<char> name(m_path.begin(), m_path.end());
        name.push_back('\0');
        m_file = FileDescriptor(::mkostemp(name.data(), O_CLOEXEC));
        if (!m_file.isOpen()) throw systemError("cannot create a temporary file " + m_path);
        m_path = name.data();
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (!m_renamed) ::unlink(m_path.c_str());
    }

    void write(std::string_view contents) const {
        while (!contents.empty()) {
            const auto written = ::write(m_file.get(), contents.data(), contents.size());
            if (written < 0) {
                if (errno == EINTR) continue;
                throw systemError("cannot write " + m_path);
            }
            contents.remove_prefix(static_cast<std::size_t>(written));
        }
        if (m_sync.fsync(m_file.get()) != 0) throw systemError("cannot flush " + m_path + " to disk");
    }

    void setMode(mode_t mode) const {
        if (::fchmod(m_file.get(), mode) != 0) throw systemError("cannot set the mode of " + m_path);
    }

    void renameTo(const std::filesystem::path& target) {
        if (::rename(m_path.c_str(), target.c_str()) != 0)
            throw systemError("cannot rename " + m_path + " to " + target.string());
        m_renamed = true;
    }

private:
    std::string m_path;
    FileSync& m_sync;
    FileDescriptor m_file;
    bool m_renamed = false;
};

// Makes a rename in the directory durable.
void syncDirectory(const std::filesystem::path& directory, FileSync& sync) {
    FileDescriptor handle(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!handle.isOpen()) throw systemError("cannot open the directory " + directory.string());
    // EINVAL: the file system offers no way to flush a directory, so there is nothing to wait for.
    if (sync.fsync(handle.get()) != 0 && errno != EINVAL)
        throw systemError("cannot flush the directory " + directory.string() + " to disk");
}

}  // namespace

AtomicFile::AtomicFile(std::filesystem::path target, FileSync& sync)
    : m_target(std::move(target)), m_sync(sync) {}

void AtomicFile::replace(std::string_view contents) const {
    TemporaryFile temporary((directory() / temporaryNamePrefix()).string(), m_sync);
    // The file keeps the mode its owner gave it; a new one stays private to its owner (0600).
    if (struct stat existing{}; ::stat(m_target.c_str(), &existing) == 0)
        temporary.setMode(existing.st_mode & 07777);
    temporary.write(contents);
    temporary.renameTo(m_target);
    syncDirectory(directory(), m_sync);
}

void AtomicFile::removeLeftoverTemporaries() const {
    const auto prefix = temporaryNamePrefix();
    // Best effort: a leftover that cannot be removed does no harm, readers never look at it.
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(directory(), error)) {
        if (entry.path().filename().string().starts_with(prefix))
            std::filesystem::remove(entry.path(), error);
    }
}

std::filesystem::path AtomicFile::directory() const {
    return m_target.has_parent_path() ? m_target.parent_path() : std::filesystem::path(".");
}

std::string AtomicFile::temporaryNamePrefix() const {
    return m_target.filename().string() + ".tmp-";
}

}  // namespace lumadesk
