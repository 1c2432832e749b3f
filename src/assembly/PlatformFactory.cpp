#include "assembly/PlatformFactory.h"

#include "platform/simulated/SimulatedPlatform.h"

namespace lumadesk {

std::unique_ptr<Platform> makePlatform(const PlatformChoice& choice, const std::filesystem::path& configDirectory,
                                       const Clock& clock, Sleeper& sleeper,
                                       std::function<void(const std::string&)> reportProblem) {
    SimulatedPlatformOptions options{choice.deskFile, configDirectory / SimulatedPlatform::stateFileName,
                                     std::move(reportProblem)};
    return SimulatedPlatform::create(options, clock, sleeper);
}

}  // namespace lumadesk
