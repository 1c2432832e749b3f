#include "platform/linux/KernelDriverAtAddress.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace lumadesk {

namespace {

// How deep below the I2C client the backlight a driver registered can sit (client, its own device,
// "backlight", the entry).
constexpr int backlightDepth = 3;

std::string linkTargetName(const std::filesystem::path& link) {
    std::error_code error;
    const auto target = std::filesystem::read_symlink(link, error);
    return error ? std::string{} : target.filename().string();
}

}  // namespace

KernelDriverAtAddress KernelDriverAtAddress::find(const std::filesystem::path& sys, unsigned bus,
                                                  std::uint8_t address) {
    std::array<char, 8> suffix{};
    std::snprintf(suffix.data(), suffix.size(), "-%04x", address);
    const auto client = sys / "bus/i2c/devices" / (std::to_string(bus) + suffix.data());
    KernelDriverAtAddress driver;
    driver.name = linkTargetName(client / "driver/module");
    if (driver.name.empty()) driver.name = linkTargetName(client / "driver");
    std::error_code error;
    // Symbolic links ("subsystem", "driver", "device") are not followed: only what the client holds.
    for (std::filesystem::recursive_directory_iterator entry(client, error), end; !error && entry != end;
         entry.increment(error)) {
        if (entry.depth() >= backlightDepth) entry.disable_recursion_pending();
        if (entry.depth() > 0 && entry->path().parent_path().filename() == "backlight")
            driver.backlights.push_back(entry->path().filename().string());
    }
    std::sort(driver.backlights.begin(), driver.backlights.end());
    return driver;
}

}  // namespace lumadesk
