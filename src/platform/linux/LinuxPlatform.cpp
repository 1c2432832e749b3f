#include "platform/linux/LinuxPlatform.h"

namespace lumadesk {

LinuxPlatform::LinuxPlatform(LinuxSystem& system, Sleeper& sleeper, DDCProblems::Reporter reportProblem,
                             std::unique_ptr<OutputConfigurationBackend> outputConfiguration,
                             std::optional<DisabledOutputsRecord> disabledOutputs)
    : m_system(system),
      m_sleeper(sleeper),
      m_problems(std::move(reportProblem)),
      m_device(system, sleeper, m_problems),
      m_directory(system, m_device, m_problems),
      m_outputConfiguration(std::move(outputConfiguration)),
      m_disabledOutputs(std::move(disabledOutputs)),
      m_windowServer(m_directory, *m_outputConfiguration, m_disabledOutputs ? &*m_disabledOutputs : nullptr),
      m_registry(m_directory),
      m_buses(m_directory, m_device, m_problems) {}

std::vector<PlatformWatch> LinuxPlatform::watchForChanges(MainQueue& queue) {
    std::vector<PlatformWatch> watches;
    m_outputConfiguration->setChangeHandler([this] { m_windowServer.notifyReconfiguration(); });
    if (const int descriptor = m_outputConfiguration->eventDescriptor(); descriptor >= 0)
        watches.push_back({descriptor, [this] { m_outputConfiguration->processEvents(); }});
    m_deviceEvents = m_system.watchDevices();
    if (!m_deviceEvents) {
        m_problems.report(
            "udev cannot be reached, so monitors plugged in or out are noticed only when "
            "Lumadesk refreshes its list.");
        return watches;
    }
    m_debouncer = std::make_unique<ChangeDebouncer>(queue, hotplugSettleTime,
                                                    [this] { m_windowServer.notifyReconfiguration(); });
    watches.push_back({m_deviceEvents->descriptor(), [this] {
                           if (m_deviceEvents->drain() > 0) m_debouncer->eventArrived();
                       }});
    return watches;
}

}  // namespace lumadesk
