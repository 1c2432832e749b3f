#include "platform/linux/LinuxPlatform.h"

namespace lumadesk {

LinuxPlatform::LinuxPlatform(LinuxSystem& system, Sleeper& sleeper, DDCProblems::Reporter reportProblem)
    : m_sleeper(sleeper),
      m_problems(std::move(reportProblem)),
      m_device(system, sleeper, m_problems),
      m_directory(system, m_device, m_problems),
      m_windowServer(m_directory),
      m_registry(m_directory),
      m_buses(m_directory, m_device, m_problems) {}

std::vector<PlatformWatch> LinuxPlatform::watchForChanges(MainQueue& queue) {
    m_udev = UdevMonitor::open();
    if (!m_udev) {
        m_problems.report(
            "udev cannot be reached, so monitors plugged in or out are noticed only when "
            "Lumadesk refreshes its list.");
        return {};
    }
    m_debouncer = std::make_unique<ChangeDebouncer>(queue, hotplugSettleTime,
                                                    [this] { m_windowServer.notifyReconfiguration(); });
    return {{m_udev->descriptor(), [this] {
                 if (m_udev->drain() > 0) m_debouncer->eventArrived();
             }}};
}

}  // namespace lumadesk
