#include "platform/linux/DisplayAdapterPolicy.h"

#include <array>
#include <string_view>
#include <system_error>

namespace lumadesk {

namespace {

constexpr std::array<std::string_view, 8> nonDisplayPrefixes{
    "SMBus", "Synopsys DesignWare", "soc:i2cdsi",           "smu", "mac-io",
    "u4",    "AMDGPU SMU",          "AMDGPU DM i2c OEM bus"};
constexpr int maxDeviceLinks = 3;

}  // namespace

bool DisplayAdapterPolicy::hasDisplayAdapterName(const std::string& name) {
    for (const auto prefix : nonDisplayPrefixes) {
        if (std::string_view(name).starts_with(prefix)) return false;
    }
    return true;
}

bool DisplayAdapterPolicy::isDisplayClass(const std::string& deviceClass) {
    const bool displayOrDocking = deviceClass.starts_with("0x03") || deviceClass.starts_with("0x0a");
    return displayOrDocking && deviceClass.size() == 8;
}

std::optional<std::filesystem::path> DisplayAdapterPolicy::pciDeviceOf(
    const std::filesystem::path& entry) const {
    std::error_code error;
    const auto sysRoot = std::filesystem::canonical(m_system.sys(), error);
    if (error) return std::nullopt;
    const auto resolved = std::filesystem::canonical(entry, error);
    if (error) return std::nullopt;
    for (auto directory = resolved.parent_path(); directory != sysRoot && directory.has_relative_path();
         directory = directory.parent_path()) {
        if (std::filesystem::exists(directory / "class", error)) return directory;
    }
    // Connector, card, PCI device: a few "device" links at most.
    auto linked = entry;
    for (int step = 0; step < maxDeviceLinks; ++step) {
        linked = std::filesystem::canonical(linked / "device", error);
        if (error) return std::nullopt;
        if (std::filesystem::exists(linked / "class", error)) return linked;
    }
    return std::nullopt;
}

bool DisplayAdapterPolicy::isDisplayBus(unsigned bus) const {
    const std::string name = "i2c-" + std::to_string(bus);
    const auto listed = m_system.sys() / "bus/i2c/devices" / name;
    std::error_code error;
    if (std::filesystem::exists(listed, error)) return isDisplayAdapter(listed);
    return isDisplayAdapter(m_system.sys() / "class/i2c-dev" / name / "device");
}

bool DisplayAdapterPolicy::isDisplayAdapter(const std::filesystem::path& adapter) const {
    const auto name = sysfs::readText(adapter / "name");
    if (!name || !hasDisplayAdapterName(*name)) return false;
    const auto device = pciDeviceOf(adapter);
    if (!device) return false;
    if (!isDisplayClass(sysfs::readText(*device / "class").value_or(""))) return false;
    std::error_code error;
    const auto driver = std::filesystem::read_symlink(*device / "driver", error).filename();
    return driver != "nouveau" || name->starts_with("nvkm-");
}

}  // namespace lumadesk
