#include "platform/linux/I2CDevice.h"

#include <fcntl.h>
#include <linux/i2c-dev.h>
#include <sys/file.h>

#include <cerrno>

namespace lumadesk {

std::filesystem::path I2CDevice::node(unsigned bus) const {
    return m_system.dev() / ("i2c-" + std::to_string(bus));
}

IOResult I2CDevice::transfer(unsigned bus, std::uint8_t chipAddress, std::span<const std::uint8_t> bytes,
                             Duration waitBeforeRead, std::span<std::uint8_t> reply) {
    const auto path = node(bus);
    SystemDescriptor device(m_system, m_system.open(path, O_RDWR));
    if (!device.isOpen()) {
        const int error = errno;
        if (error == EACCES || error == EPERM) m_problems.report(DDCProblems::permissionDenied(path));
        if (error == ENOENT) m_problems.report(DDCProblems::noDeviceNode(path));
        return error;
    }
    m_problems.resolve(DDCProblems::permissionDenied(path));
    m_problems.resolve(DDCProblems::noDeviceNode(path));
    if (const IOResult locked = lock(device.get(), path); locked != ioSuccess) return locked;
    // The lock goes with the descriptor when it is closed.
    if (m_system.ioctl(device.get(), I2C_SLAVE, chipAddress) < 0) return errno;
    if (!bytes.empty()) {
        const ssize_t written = m_system.write(device.get(), bytes);
        if (written < 0) return errno;
        if (static_cast<std::size_t>(written) != bytes.size()) return EIO;
    }
    if (reply.empty()) return ioSuccess;
    if (!bytes.empty()) m_sleeper.sleep(waitBeforeRead);
    const ssize_t received = m_system.read(device.get(), reply);
    if (received < 0) return errno;
    return static_cast<std::size_t>(received) == reply.size() ? ioSuccess : EIO;
}

IOResult I2CDevice::lock(int descriptor, const std::filesystem::path& node) {
    for (Duration waited{0};; waited += lockRetryInterval) {
        if (m_system.flock(descriptor, LOCK_EX | LOCK_NB) == 0) {
            m_problems.resolve(DDCProblems::lockedByAnotherProgram(node));
            return ioSuccess;
        }
        const int error = errno;
        if (error == EINTR) continue;
        if (error != EWOULDBLOCK) return error;
        if (waited >= lockPatience) {
            m_problems.report(DDCProblems::lockedByAnotherProgram(node));
            return EBUSY;
        }
        m_sleeper.sleep(lockRetryInterval);
    }
}

}  // namespace lumadesk
