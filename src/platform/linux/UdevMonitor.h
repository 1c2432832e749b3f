#pragma once

#include <initializer_list>
#include <memory>

#include "platform/linux/LinuxSystem.h"

struct udev;
struct udev_monitor;

namespace lumadesk {

// A libudev monitor of the kernel's device events on the "drm" (connectors) and "i2c-dev" (bus nodes)
// subsystems, received after udev has applied its rules (so a node's permissions are set). Its
// descriptor is watched by the program's event loop; nothing polls.
class UdevMonitor final : public DeviceEvents {
    // Only open() makes monitors.
    struct Key {
        explicit Key() = default;
    };
    struct Deleter {
        void operator()(udev* context) const;
        void operator()(udev_monitor* monitor) const;
    };

public:
    // A running monitor; none when udev cannot be reached (no netlink in a container, for instance).
    // Other subsystems may be asked for instead (the built-in screen's "backlight").
    static std::unique_ptr<UdevMonitor> open(std::initializer_list<const char*> subsystems = {"drm",
                                                                                              "i2c-dev"});

    UdevMonitor(Key, std::unique_ptr<udev, Deleter> context, std::unique_ptr<udev_monitor, Deleter> monitor);

    int descriptor() const override;
    int drain() override;

private:
    std::unique_ptr<udev, Deleter> m_context;
    std::unique_ptr<udev_monitor, Deleter> m_monitor;
};

}  // namespace lumadesk
