#include "platform/linux/UdevMonitor.h"

#include <libudev.h>

namespace lumadesk {

void UdevMonitor::Deleter::operator()(udev* context) const {
    udev_unref(context);
}

void UdevMonitor::Deleter::operator()(udev_monitor* monitor) const {
    udev_monitor_unref(monitor);
}

UdevMonitor::UdevMonitor(Key, std::unique_ptr<udev, Deleter> context,
                         std::unique_ptr<udev_monitor, Deleter> monitor)
    : m_context(std::move(context)), m_monitor(std::move(monitor)) {}

std::unique_ptr<UdevMonitor> UdevMonitor::open(std::initializer_list<const char*> subsystems) {
    std::unique_ptr<udev, Deleter> context(udev_new());
    if (!context) return nullptr;
    std::unique_ptr<udev_monitor, Deleter> monitor(udev_monitor_new_from_netlink(context.get(), "udev"));
    if (!monitor) return nullptr;
    for (const char* subsystem : subsystems) {
        if (udev_monitor_filter_add_match_subsystem_devtype(monitor.get(), subsystem, nullptr) < 0)
            return nullptr;
    }
    if (udev_monitor_enable_receiving(monitor.get()) < 0) return nullptr;
    return std::make_unique<UdevMonitor>(Key{}, std::move(context), std::move(monitor));
}

int UdevMonitor::descriptor() const {
    return udev_monitor_get_fd(m_monitor.get());
}

int UdevMonitor::drain() {
    int events = 0;
    // The monitor's socket does not block: receiving ends when no event is left.
    while (udev_device* device = udev_monitor_receive_device(m_monitor.get())) {
        udev_device_unref(device);
        ++events;
    }
    return events;
}

}  // namespace lumadesk
