#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/Platform.h"
#include "platform/linux/LinuxSystem.h"
#include "runtime/Clock.h"

namespace lumadesk {

// Which platform to run on: the real monitors of this Linux machine unless a simulated desk is asked for.
struct PlatformChoice {
    bool simulated = false;
    // The desk file of the simulated platform; none: the compiled-in default desk.
    std::optional<std::filesystem::path> deskFile{};
    // The machine the Linux platform reads; none: this one, through its real /sys and /dev, with the
    // session's own service for taking displays off the desktop (another machine has none).
    LinuxSystem* system = nullptr;
    // Takes displays off the desktop through the running session's own service (and keeps the record of
    // the outputs held off) on another machine too: a harness that shows a real window server's outputs
    // as that machine's connectors. This machine always does.
    bool usesSessionService = false;
    // Brings back, at start, the outputs an earlier run left off the desktop and could not restore (a
    // crash, a desktop that keeps every applied layout, an earlier session), and puts back at quit what
    // this run takes off. The tray program does; the command line does not, since its changes are meant
    // to last until logout (the start of a tray in the same session leaves them off).
    bool restoresLeftOverOutputs = false;
};

// Makes the chosen platform. The simulated desk's state is kept in the configuration directory;
// problems that do not stop the platform (an unreadable state file, a monitor out of reach) are
// reported. Throws SimulatedDeskError for a desk that cannot be used. The clock, the sleeper and the
// system must outlive the platform.
std::unique_ptr<Platform> makePlatform(const PlatformChoice& choice,
                                       const std::filesystem::path& configDirectory, const Clock& clock,
                                       Sleeper& sleeper,
                                       std::function<void(const std::string&)> reportProblem);

}  // namespace lumadesk
