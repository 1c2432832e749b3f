#include "platform/linux/I2CDevice.h"

#include <fcntl.h>
#include <linux/i2c-dev.h>
#include <sys/file.h>

#include <cerrno>

#include "platform/linux/KernelDriverAtAddress.h"

namespace lumadesk {

IOResult I2CDevice::Exchange::write(std::span<const std::uint8_t> bytes) {
    const ssize_t written = m_system.write(m_device.get(), bytes);
    if (written < 0) return errno;
    return static_cast<std::size_t>(written) == bytes.size() ? ioSuccess : EIO;
}

IOResult I2CDevice::Exchange::read(std::span<std::uint8_t> buffer) {
    const ssize_t received = m_system.read(m_device.get(), buffer);
    if (received < 0) return errno;
    return static_cast<std::size_t>(received) == buffer.size() ? ioSuccess : EIO;
}

std::filesystem::path I2CDevice::node(unsigned bus) const {
    return m_system.dev() / ("i2c-" + std::to_string(bus));
}

std::unique_ptr<I2CDevice::Exchange> I2CDevice::openExchange(unsigned bus, std::uint8_t chipAddress,
                                                             IOResult& result) {
    const auto path = node(bus);
    auto exchange = std::make_unique<Exchange>(m_system, m_system.open(path, O_RDWR));
    const int descriptor = exchange->descriptor();
    if (descriptor < 0) {
        result = errno;
        if (result == EACCES || result == EPERM) m_problems.report(DDCProblems::permissionDenied(path));
        if (result == ENOENT) m_problems.report(DDCProblems::noDeviceNode(path));
        return nullptr;
    }
    m_problems.resolve(DDCProblems::permissionDenied(path));
    m_problems.resolve(DDCProblems::noDeviceNode(path));
    result = lock(descriptor, path);
    if (result == ioSuccess) result = select(descriptor, bus, chipAddress);
    return result == ioSuccess ? std::move(exchange) : nullptr;
}

IOResult I2CDevice::transfer(unsigned bus, std::uint8_t chipAddress, std::span<const std::uint8_t> bytes,
                             Duration waitBeforeRead, std::span<std::uint8_t> reply) {
    IOResult result = ioSuccess;
    const auto exchange = openExchange(bus, chipAddress, result);
    if (!exchange) return result;
    if (!bytes.empty()) {
        if (const IOResult written = exchange->write(bytes); written != ioSuccess) return written;
    }
    if (reply.empty()) return ioSuccess;
    if (!bytes.empty()) m_sleeper.sleep(waitBeforeRead);
    return exchange->read(reply);
}

IOResult I2CDevice::lock(int descriptor, const std::filesystem::path& node) {
    bool patient = false;
    {
        std::lock_guard guard(m_mutex);
        patient = !m_heldTooLong.contains(node);
    }
    for (Duration waited{0};; waited += lockRetryInterval) {
        if (m_system.flock(descriptor, LOCK_EX | LOCK_NB) == 0) {
            m_problems.resolve(DDCProblems::lockedByAnotherProgram(node));
            std::lock_guard guard(m_mutex);
            m_heldTooLong.erase(node);
            return ioSuccess;
        }
        const int error = errno;
        if (error == EINTR) continue;
        if (error != EWOULDBLOCK) return error;
        if (!patient || waited >= lockPatience) {
            m_problems.report(DDCProblems::lockedByAnotherProgram(node));
            std::lock_guard guard(m_mutex);
            m_heldTooLong.insert(node);
            return EBUSY;
        }
        m_sleeper.sleep(lockRetryInterval);
    }
}

IOResult I2CDevice::select(int descriptor, unsigned bus, std::uint8_t chipAddress) {
    if (m_system.ioctl(descriptor, I2C_SLAVE, chipAddress) == 0) return ioSuccess;
    const int error = errno;
    // i2c-dev refuses an address a kernel driver has claimed; I2C_SLAVE_FORCE would talk over it.
    if (error == EBUSY) {
        m_problems.report(DDCProblems::heldByKernelDriver(
            node(bus), KernelDriverAtAddress::find(m_system.sys(), bus, chipAddress)));
    }
    return error;
}

}  // namespace lumadesk
