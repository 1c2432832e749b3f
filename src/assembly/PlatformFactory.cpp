#include "assembly/PlatformFactory.h"

#include "platform/linux/LinuxPlatform.h"
#include "platform/simulated/SimulatedPlatform.h"

namespace lumadesk {

std::unique_ptr<Platform> makePlatform(const PlatformChoice& choice,
                                       const std::filesystem::path& configDirectory, const Clock& clock,
                                       Sleeper& sleeper,
                                       std::function<void(const std::string&)> reportProblem) {
    if (!choice.simulated) {
        static RealLinuxSystem realSystem;
        return std::make_unique<LinuxPlatform>(choice.system ? *choice.system : realSystem, sleeper,
                                               std::move(reportProblem));
    }
    SimulatedPlatformOptions options{choice.deskFile, configDirectory / SimulatedPlatform::stateFileName,
                                     std::move(reportProblem)};
    return SimulatedPlatform::create(options, clock, sleeper);
}

}  // namespace lumadesk
