#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace lumadesk {

// Kernel device events, received on a descriptor the program's event loop watches.
class DeviceEvents {
public:
    virtual ~DeviceEvents() = default;
    DeviceEvents() = default;
    DeviceEvents(const DeviceEvents&) = delete;
    DeviceEvents& operator=(const DeviceEvents&) = delete;

    // The descriptor that becomes readable when events are waiting.
    virtual int descriptor() const = 0;
    // Takes every waiting event without blocking; how many there were.
    virtual int drain() = 0;
};

// The operating system as the Linux platform reaches it: the root under which sysfs ("sys") and the
// device nodes ("dev") are found, the few system calls made on device nodes, and the device events of
// connectors and buses. Failing calls return -1 and leave the reason in errno, as the system calls do.
// The real program uses the root "/", the C library and udev; tests point it at a temporary tree, a
// fake device and events they raise.
class LinuxSystem {
public:
    virtual ~LinuxSystem() = default;
    LinuxSystem() = default;
    LinuxSystem(const LinuxSystem&) = delete;
    LinuxSystem& operator=(const LinuxSystem&) = delete;

    // The directory that stands for "/".
    virtual const std::filesystem::path& root() const = 0;
    virtual int open(const std::filesystem::path& path, int flags) = 0;
    // An ioctl that takes an integer argument (I2C_SLAVE and its kin).
    virtual int ioctl(int descriptor, unsigned long request, unsigned long argument) = 0;
    virtual ssize_t read(int descriptor, std::span<std::uint8_t> buffer) = 0;
    virtual ssize_t write(int descriptor, std::span<const std::uint8_t> bytes) = 0;
    virtual int flock(int descriptor, int operation) = 0;
    virtual int close(int descriptor) = 0;
    // The events of DRM connectors and i2c-dev nodes that come, go or change, once udev has applied its
    // rules to them; none when they cannot be received.
    virtual std::unique_ptr<DeviceEvents> watchDevices() = 0;

    // Where sysfs is.
    std::filesystem::path sys() const { return root() / "sys"; }
    // Where the device nodes are.
    std::filesystem::path dev() const { return root() / "dev"; }
};

// The running machine itself.
class RealLinuxSystem final : public LinuxSystem {
public:
    const std::filesystem::path& root() const override { return m_root; }
    int open(const std::filesystem::path& path, int flags) override;
    int ioctl(int descriptor, unsigned long request, unsigned long argument) override;
    ssize_t read(int descriptor, std::span<std::uint8_t> buffer) override;
    ssize_t write(int descriptor, std::span<const std::uint8_t> bytes) override;
    int flock(int descriptor, int operation) override;
    int close(int descriptor) override;
    std::unique_ptr<DeviceEvents> watchDevices() override;

private:
    const std::filesystem::path m_root{"/"};
};

// A descriptor opened through a LinuxSystem, closed through it when destroyed.
class SystemDescriptor {
public:
    SystemDescriptor(LinuxSystem& system, int descriptor) : m_system(system), m_descriptor(descriptor) {}
    SystemDescriptor(const SystemDescriptor&) = delete;
    SystemDescriptor& operator=(const SystemDescriptor&) = delete;
    ~SystemDescriptor() {
        if (m_descriptor >= 0) m_system.close(m_descriptor);
    }

    int get() const { return m_descriptor; }
    bool isOpen() const { return m_descriptor >= 0; }

private:
    LinuxSystem& m_system;
    int m_descriptor;
};

// Small readers of sysfs attribute files; none when the file cannot be read.
namespace sysfs {

// The file's text without the trailing line break.
std::optional<std::string> readText(const std::filesystem::path& file);
// An attribute file's contents as readText gives them: trailing line breaks and spaces removed.
std::string attributeText(std::string contents);
// The file's bytes, at most `limit` of them.
std::optional<std::vector<std::uint8_t>> readBytes(const std::filesystem::path& file, std::size_t limit);
// The number N of a name "<prefix>N"; none for any other name.
std::optional<unsigned> numberAfter(const std::string& name, const std::string& prefix);

}  // namespace sysfs

}  // namespace lumadesk
