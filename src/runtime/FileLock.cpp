#include "runtime/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>

#include "runtime/SystemError.h"

namespace lumadesk {

FileLock::FileLock(const std::filesystem::path& path)
    : m_file(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
    if (!m_file.isOpen()) throw systemError("cannot open the lock file " + path.string());
    while (::flock(m_file.get(), LOCK_EX) != 0) {
        if (errno != EINTR) throw systemError("cannot lock " + path.string());
    }
}

FileLock::~FileLock() {
    // Unlock explicitly: a forked child sharing the descriptor would otherwise keep the lock.
    ::flock(m_file.get(), LOCK_UN);
}

}  // namespace lumadesk
