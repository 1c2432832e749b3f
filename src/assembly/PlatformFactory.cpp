#include "assembly/PlatformFactory.h"

#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/configuration/OutputConfigurationSelector.h"
#include "platform/simulated/SimulatedPlatform.h"

namespace lumadesk {

std::unique_ptr<Platform> makePlatform(const PlatformChoice& choice,
                                       const std::filesystem::path& configDirectory, const Clock& clock,
                                       Sleeper& sleeper,
                                       std::function<void(const std::string&)> reportProblem) {
    if (choice.simulated) {
        SimulatedPlatformOptions options{choice.deskFile, configDirectory / SimulatedPlatform::stateFileName,
                                         std::move(reportProblem)};
        return SimulatedPlatform::create(options, clock, sleeper);
    }
    static RealLinuxSystem realSystem;
    LinuxSystem& system = choice.system ? *choice.system : realSystem;
    if (choice.system && !choice.usesSessionService)
        return std::make_unique<LinuxPlatform>(system, sleeper, std::move(reportProblem));
    auto outputConfiguration = makeSessionOutputConfiguration();
    const ProcessTable processes;
    // The tray puts back at its quit what it took off; a command's changes last until logout.
    DisabledOutputsRecord disabledOutputs(
        configDirectory / DisabledOutputsRecord::fileName,
        processes.self(choice.restoresLeftOverOutputs ? OutputHolder::Role::tray
                                                      : OutputHolder::Role::command),
        reportProblem);
    if (choice.restoresLeftOverOutputs)
        restoreLeftOverOutputs(*outputConfiguration, disabledOutputs, processes);
    return std::make_unique<LinuxPlatform>(system, sleeper, std::move(reportProblem),
                                           std::move(outputConfiguration), std::move(disabledOutputs));
}

}  // namespace lumadesk
