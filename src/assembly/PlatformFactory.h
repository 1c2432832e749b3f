#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/Platform.h"
#include "runtime/Clock.h"

namespace lumadesk {

// Which platform to run on. The simulated desk is the only one so far; real Linux hardware comes later.
struct PlatformChoice {
    // The desk file of the simulated platform; none: the compiled-in default desk.
    std::optional<std::filesystem::path> deskFile{};
};

// Makes the chosen platform. Its state (the simulated desk's) is kept in the configuration directory;
// problems that do not stop it are reported. Throws SimulatedDeskError for a desk that cannot be used.
// The clock and the sleeper must outlive the platform.
std::unique_ptr<Platform> makePlatform(const PlatformChoice& choice, const std::filesystem::path& configDirectory,
                                       const Clock& clock, Sleeper& sleeper,
                                       std::function<void(const std::string&)> reportProblem);

}  // namespace lumadesk
