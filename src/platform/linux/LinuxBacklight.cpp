#include "platform/linux/LinuxBacklight.h"

#include <array>
#include <charconv>
#include <string>
#include <system_error>
#include <vector>

#include "platform/linux/UdevMonitor.h"

namespace lumadesk {

namespace {

constexpr std::array preferredTypes{"firmware", "platform", "raw"};

std::optional<long> numberIn(const std::filesystem::path& file) {
    const auto text = sysfs::readText(file);
    if (!text) return std::nullopt;
    long value = 0;
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
    if (error != std::errc{} || end != text->data() + text->size()) return std::nullopt;
    return value;
}

}  // namespace

LinuxBacklight::LinuxBacklight(std::filesystem::path sys, std::unique_ptr<DeviceEvents> events)
    : m_sys(std::move(sys)), m_events(std::move(events)) {}

std::unique_ptr<DeviceEvents> LinuxBacklight::watchBacklightEvents() {
    return UdevMonitor::open({"backlight"});
}

std::optional<std::filesystem::path> LinuxBacklight::device() const {
    std::error_code error;
    std::vector<std::filesystem::path> devices;
    for (const auto& entry : std::filesystem::directory_iterator(m_sys / "class/backlight", error)) {
        devices.push_back(entry.path());
    }
    std::ranges::sort(devices);
    for (const char* type : preferredTypes) {
        for (const auto& candidate : devices) {
            if (sysfs::readText(candidate / "type") == type) return candidate;
        }
    }
    return std::nullopt;
}

std::optional<int> LinuxBacklight::level() const {
    const auto found = device();
    if (!found) return std::nullopt;
    const auto actual = numberIn(*found / "actual_brightness");
    const auto maximum = numberIn(*found / "max_brightness");
    if (!actual || !maximum || *maximum <= 0 || *actual < 0) return std::nullopt;
    const long clamped = std::min(*actual, *maximum);
    return static_cast<int>((clamped * 100 + *maximum / 2) / *maximum);
}

Subscription LinuxBacklight::subscribeToChanges(std::function<void()> callback) {
    return m_changed.subscribe([callback = std::move(callback)] { callback(); });
}

std::optional<PlatformWatch> LinuxBacklight::watch() {
    if (!m_events) return std::nullopt;
    return PlatformWatch{m_events->descriptor(), [this] {
                             if (m_events->drain() > 0) m_changed.emit();
                         }};
}

}  // namespace lumadesk
