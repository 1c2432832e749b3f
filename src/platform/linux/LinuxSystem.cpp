#include "platform/linux/LinuxSystem.h"

#include "platform/linux/UdevMonitor.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <charconv>
#include <fstream>
#include <iterator>

namespace lumadesk {

int RealLinuxSystem::open(const std::filesystem::path& path, int flags) {
    return ::open(path.c_str(), flags | O_CLOEXEC);
}

int RealLinuxSystem::ioctl(int descriptor, unsigned long request, unsigned long argument) {
    return ::ioctl(descriptor, request, argument);
}

ssize_t RealLinuxSystem::read(int descriptor, std::span<std::uint8_t> buffer) {
    return ::read(descriptor, buffer.data(), buffer.size());
}

ssize_t RealLinuxSystem::write(int descriptor, std::span<const std::uint8_t> bytes) {
    return ::write(descriptor, bytes.data(), bytes.size());
}

std::unique_ptr<DeviceEvents> RealLinuxSystem::watchDevices() {
    return UdevMonitor::open();
}

int RealLinuxSystem::flock(int descriptor, int operation) {
    return ::flock(descriptor, operation);
}

int RealLinuxSystem::close(int descriptor) {
    return ::close(descriptor);
}

namespace sysfs {

std::optional<std::string> readText(const std::filesystem::path& file) {
    std::ifstream stream(file);
    if (!stream) return std::nullopt;
    std::string text((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    if (stream.bad()) return std::nullopt;
    return attributeText(std::move(text));
}

std::string attributeText(std::string contents) {
    while (!contents.empty() && (contents.back() == '\n' || contents.back() == ' ')) contents.pop_back();
    return contents;
}

std::optional<std::vector<std::uint8_t>> readBytes(const std::filesystem::path& file, std::size_t limit) {
    std::ifstream stream(file, std::ios::binary);
    if (!stream) return std::nullopt;
    std::vector<std::uint8_t> bytes(limit);
    stream.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(limit));
    if (stream.bad()) return std::nullopt;
    bytes.resize(static_cast<std::size_t>(stream.gcount()));
    return bytes;
}

std::optional<unsigned> numberAfter(const std::string& name, const std::string& prefix) {
    if (!name.starts_with(prefix) || name.size() == prefix.size()) return std::nullopt;
    unsigned number = 0;
    const char* first = name.data() + prefix.size();
    const char* last = name.data() + name.size();
    const auto [end, error] = std::from_chars(first, last, number);
    if (error != std::errc{} || end != last) return std::nullopt;
    return number;
}

}  // namespace sysfs

}  // namespace lumadesk
