#pragma once

#include <memory>
#include <optional>

struct udev;
struct udev_monitor;

namespace lumadesk {

// A libudev monitor of the kernel's device events on the "drm" (connectors) and "i2c-dev" (bus nodes)
// subsystems, received after udev has applied its rules (so a node's permissions are set). Its
// descriptor is watched by the program's event loop; nothing polls.
class UdevMonitor {
public:
    // A running monitor; none when udev cannot be reached (no netlink in a container, for instance).
    static std::optional<UdevMonitor> open();

    // The descriptor that becomes readable when events are waiting.
    int descriptor() const;
    // Takes every waiting event; how many there were.
    int drain();

private:
    struct Deleter {
        void operator()(udev* context) const;
        void operator()(udev_monitor* monitor) const;
    };

    UdevMonitor(std::unique_ptr<udev, Deleter> context, std::unique_ptr<udev_monitor, Deleter> monitor);

    std::unique_ptr<udev, Deleter> m_context;
    std::unique_ptr<udev_monitor, Deleter> m_monitor;
};

}  // namespace lumadesk
