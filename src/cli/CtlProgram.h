#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/CtlCommandLine.h"
#include "platform/linux/LinuxSystem.h"
#include "runtime/MainQueue.h"
#include "runtime/Sleeper.h"
#include "runtime/Spawn.h"

namespace lumadesk {

// lumadesk-ctl: reads its command line, assembles the display stack on the platform, runs the command
// on the manager and writes the answer. Results go to `out`, errors to `err`; the exit statuses are
// those of ExitStatus.
class CtlProgram {
public:
    // The queue (its clock included), the sleeper, the environment and the system must outlive the
    // program. Without a system the real monitors are this machine's; with one, the session's own
    // display-configuration service is used only when asked for.
    CtlProgram(MainQueue& queue, Sleeper& sleeper, EnvironmentLookup environment,
               LinuxSystem* system = nullptr, bool usesSessionService = false);

    // Runs one command line (the arguments after the program name); the exit status. Output that
    // cannot be written makes it exitFailed, with a line on `err`.
    int run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

    // Asks the command at work to stop (a quit signal, named by `reason`): its waits end at once, what
    // was done is kept and saved, and run returns exitFailed. Call it on the main queue.
    void interrupt(std::string reason);

private:
    int runCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
    int execute(const CtlInvocation& invocation, std::ostream& out, std::ostream& err);
    // Runs the task on the queue until it ends or the program is interrupted; false when interrupted.
    bool perform(Task<void> task);

    MainQueue& m_queue;
    Sleeper& m_sleeper;
    EnvironmentLookup m_environment;
    LinuxSystem* m_system;
    bool m_usesSessionService;
    std::optional<std::string> m_interruption;
    // The command task at work, so that an interruption can cancel it.
    std::optional<TaskHandle> m_command;
};

}  // namespace lumadesk
