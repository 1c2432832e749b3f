#include "platform/linux/DDCProblems.h"

#include <algorithm>

namespace lumadesk {

void DDCProblems::report(const std::string& message) {
    {
        std::lock_guard lock(m_mutex);
        if (std::find(m_current.begin(), m_current.end(), message) == m_current.end())
            m_current.push_back(message);
        if (!m_told.insert(message).second) return;
    }
    if (m_reporter) m_reporter(message);
}

void DDCProblems::resolve(const std::string& message) {
    std::lock_guard lock(m_mutex);
    std::erase(m_current, message);
}

std::vector<std::string> DDCProblems::current() const {
    std::lock_guard lock(m_mutex);
    return m_current;
}

std::string DDCProblems::moduleNotLoaded() {
    return "The kernel module i2c-dev is not loaded, so no monitor can be reached over DDC/CI. Load it with "
           "\"sudo modprobe i2c-dev\"; \"sudo cmake --install\" of Lumadesk installs "
           "/etc/modules-load.d/lumadesk.conf, which loads it at every start.";
}

std::string DDCProblems::noDeviceNode(const std::filesystem::path& node) {
    return "There is no " + node.string() +
           " device, so its monitor cannot be reached over DDC/CI. Check that the kernel module i2c-dev "
           "is loaded (\"sudo modprobe i2c-dev\") and that udev is running.";
}

std::string DDCProblems::permissionDenied(const std::filesystem::path& node) {
    return "Permission denied on " + node.string() +
           ", so its monitor cannot be controlled. Install Lumadesk's udev rule "
           "(\"sudo cmake --install\" puts it in /etc/udev/rules.d/60-lumadesk-i2c.rules), then run "
           "\"sudo udevadm control --reload && sudo udevadm trigger --subsystem-match=i2c-dev\".";
}

std::string DDCProblems::noAnswer(const std::filesystem::path& node) {
    return "The monitor on " + node.string() +
           " does not answer DDC/CI at address 0x37: switch DDC/CI on in its on-screen menu.";
}

std::string DDCProblems::lockedByAnotherProgram(const std::filesystem::path& node) {
    return node.string() +
           " was held by another program for more than a second, so Lumadesk gave up on it "
           "this time.";
}

std::string DDCProblems::heldByKernelDriver(const std::filesystem::path& node,
                                            const KernelDriverAtAddress& driver) {
    const std::string bus = node.filename().string().substr(std::string("i2c-").size());
    const std::string client = "/sys/bus/i2c/devices/" + bus + "-0037";
    std::string message = "The monitor on " + node.string() + " is held by a kernel driver" +
                          (driver.name.empty() ? "" : " (the module " + driver.name + ")") +
                          " bound at address 0x37, so Lumadesk cannot reach it over DDC/CI. ";
    message += driver.name.empty()
                   ? "See which one with \"ls -l " + client + "/driver\", then release the monitor with "
                   : "Release the monitor with \"sudo modprobe -r " + driver.name + "\" or ";
    message += "\"echo " + bus + "-0037 | sudo tee " + client + "/driver/unbind\".";
    for (std::size_t i = 0; i < driver.backlights.size(); ++i) {
        message += (i == 0 ? " Meanwhile its brightness can be set through " : " or ");
        message += "/sys/class/backlight/" + driver.backlights[i];
    }
    if (!driver.backlights.empty()) message += ", which that driver made.";
    return message;
}

std::string DDCProblems::ddcSwitchedOff(const std::filesystem::path& node) {
    return "The monitor on " + node.string() +
           " acknowledges nothing at the DDC/CI address 0x37 although its EDID reads fine: DDC/CI may be "
           "switched off in the monitor's own menu. Switch it on there.";
}

std::string DDCProblems::noExternalMonitor() {
    return "No external monitor is connected: the kernel's DRM connectors in /sys/class/drm list none.";
}

}  // namespace lumadesk
