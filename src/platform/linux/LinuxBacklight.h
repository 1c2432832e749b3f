#pragma once

#include <filesystem>
#include <memory>
#include <optional>

#include "platform/BuiltInBacklight.h"
#include "platform/Platform.h"
#include "platform/linux/LinuxSystem.h"

namespace lumadesk {

// The built-in screen's backlight in sysfs (/sys/class/backlight/*): of several devices the firmware's
// is taken before a platform driver's and a raw one (the order the kernel documents for user space).
// Changes are seen through udev's "backlight" events, whether the brightness keys, the desktop's slider
// or another program made them; nothing polls.
class LinuxBacklight final : public BuiltInBacklight {
public:
    // sys is where sysfs is; events are the backlight's udev events (none: changes go unnoticed).
    LinuxBacklight(std::filesystem::path sys, std::unique_ptr<DeviceEvents> events);

    // The backlight's udev events, as the real program receives them.
    static std::unique_ptr<DeviceEvents> watchBacklightEvents();

    std::optional<int> level() const override;
    Subscription subscribeToChanges(std::function<void()> callback) override;
    // The descriptor for the event loop to watch and what to do when it is readable; none without events.
    std::optional<PlatformWatch> watch();

private:
    std::optional<std::filesystem::path> device() const;

    std::filesystem::path m_sys;
    std::unique_ptr<DeviceEvents> m_events;
    Signal<> m_changed;
};

}  // namespace lumadesk
