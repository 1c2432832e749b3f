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

}  // namespace lumadesk
