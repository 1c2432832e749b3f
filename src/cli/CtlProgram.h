#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/CtlCommandLine.h"
#include "platform/linux/LinuxSystem.h"
#include "runtime/MainQueue.h"
#include "runtime/Sleeper.h"

namespace lumadesk {

// lumadesk-ctl: reads its command line, assembles the display stack on the platform, runs the command
// on the manager and writes the answer. Results go to `out`, errors to `err` with a non-zero status.
class CtlProgram {
public:
    // Exit statuses besides 0.
    static constexpr int failureStatus = 1;
    static constexpr int usageStatus = 2;

    // The queue (its clock included), the sleeper, the environment and the system must outlive the
    // program. Without a system the real monitors are this machine's.
    CtlProgram(MainQueue& queue, Sleeper& sleeper, EnvironmentLookup environment,
               LinuxSystem* system = nullptr);

    // Runs one command line (the arguments after the program name); the exit status.
    int run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

private:
    int execute(const CtlInvocation& invocation, std::ostream& out, std::ostream& err);

    MainQueue& m_queue;
    Sleeper& m_sleeper;
    EnvironmentLookup m_environment;
    LinuxSystem* m_system;
};

// Looks variables up in this process's environment.
std::optional<std::string> processEnvironment(const std::string& name);

}  // namespace lumadesk
