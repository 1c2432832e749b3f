#include "cli/CtlProgram.h"

#include <algorithm>
#include <cerrno>
#include <system_error>

#include "assembly/DisplayStack.h"
#include "assembly/PlatformFactory.h"
#include "assembly/ProgramFailures.h"
#include "cli/ActionCommand.h"
#include "cli/ActionCommandLine.h"
#include "cli/DisplayListFormatter.h"
#include "platform/linux/configuration/OutputConfigurationSelector.h"
#include "runtime/PrintableText.h"

namespace lumadesk {

namespace {

constexpr const char* programName = "lumadesk-ctl";

// The display the user named among every display the manager knows (also one that is unplugged), by
// the rule every command uses.
const Display& namedDisplay(const DisplayManager& manager, const std::string& named) {
    const auto& displays = manager.displays();
    const std::string hardwareID = resolveDisplayArgument(makeDisplayEntities(displays), named);
    const auto found = std::find_if(displays.begin(), displays.end(),
                                    [&](const Display& display) { return display.hardwareID == hardwareID; });
    if (found == displays.end()) {
        throw NoSuchDisplayError("No display has the hardware ID or name \"" + printableText(named) + "\".");
    }
    return *found;
}

std::string foundDisplaysLine(const std::vector<Display>& displays) {
    const auto online = std::count_if(displays.begin(), displays.end(),
                                      [](const Display& display) { return display.isPresent; });
    if (online == 0) return "Found no displays.\n";
    return "Found " + std::to_string(online) + (online == 1 ? " display.\n" : " displays.\n");
}

}  // namespace

CtlProgram::CtlProgram(MainQueue& queue, Sleeper& sleeper, EnvironmentLookup environment, LinuxSystem* system,
                       bool usesSessionService)
    : m_queue(queue),
      m_sleeper(sleeper),
      m_environment(std::move(environment)),
      m_system(system),
      m_usesSessionService(usesSessionService) {}

int CtlProgram::run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    const int status = runCommand(arguments, out, err);
    // Output that never arrived (a full disk, a closed pipe) is a failure, not a done command.
    errno = 0;
    out.flush();
    if (out) return status;
    err << programName << ": The output could not be written"
        << (errno != 0 ? " (" + std::generic_category().message(errno) + ")" : std::string()) << ".\n";
    return exitFailed;
}

int CtlProgram::runCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    return runReportingFailures(programName, err, [&] {
        const CtlInvocation invocation = CtlCommandLine::parse(arguments, m_environment);
        if (invocation.command == CtlInvocation::Command::help) {
            out << CtlCommandLine::usage();
            return int{exitDone};
        }
        if (invocation.command == CtlInvocation::Command::action) {
            return ActionCommand(m_queue, m_sleeper, m_environment).run(invocation, out, err);
        }
        return execute(invocation, out, err);
    });
}

void CtlProgram::interrupt(std::string reason) {
    if (m_interruption) return;
    m_interruption = std::move(reason);
    if (m_command) m_command->cancel();
}

bool CtlProgram::perform(Task<void> task) {
    m_command = spawn(m_queue, std::move(task));
    while (!m_command->isDone()) {
        if (!m_queue.pumpOnce())
            throw std::logic_error("The command waits for something that can never happen.");
    }
    const auto error = m_command->error();
    m_command.reset();
    if (m_interruption) return false;
    if (error) std::rethrow_exception(error);
    return true;
}

int CtlProgram::execute(const CtlInvocation& invocation, std::ostream& out, std::ostream& err) {
    using Command = CtlInvocation::Command;
    const auto configDirectory = defaultConfigDirectory(m_environment);
    const auto platform =
        makePlatform({invocation.simulated, invocation.deskFile, m_system, m_usesSessionService},
                     configDirectory, m_queue.clock(), m_sleeper,
                     [&err](const std::string& problem) { err << programName << ": " << problem << "\n"; });
    int status = exitDone;
    {
        DisplayStack stack(*platform, m_queue, {configDirectory, invocation.chosenTransport()});
        // A damaged settings file is moved aside as the stack starts; later problems are told as they come.
        const auto reportSettingsProblem = [&err](const std::string& problem) {
            err << programName << ": " << problem << "\n";
        };
        if (const auto& problem = stack.defaults().lastProblem()) reportSettingsProblem(*problem);
        const Subscription settingsProblems = stack.defaults().observeProblems(reportSettingsProblem);
        DisplayManager& manager = stack.displayManager();
        std::string done;
        if (perform(manager.refresh())) {
            switch (invocation.command) {
                case Command::list:
                    // The JSON stays exact: the line goes to standard error beside it.
                    if (invocation.verbose) {
                        std::ostream& notes = invocation.json ? err : out;
                        notes << "Display configuration: " << platform->displayConfigurationService() << "\n";
                        // What the choice rests on, where it was made from this session.
                        if (!invocation.simulated && (!m_system || m_usesSessionService))
                            notes << "Session: " << describeSession(thisSession()) << "\n";
                    }
                    out << (invocation.json ? DisplayListFormatter::json(manager.displays())
                                            : DisplayListFormatter::table(manager.displays()));
                    break;
                case Command::connect:
                case Command::disconnect: {
                    const Display& display = namedDisplay(manager, invocation.display);
                    const bool connect = invocation.command == Command::connect;
                    const std::string name = printableText(display.displayName());
                    if (perform(manager.setConnected(connect, display.hardwareID)))
                        done = (connect ? "Connected " : "Disconnected ") + name + ".\n";
                    break;
                }
                case Command::refresh:
                    done = foundDisplaysLine(manager.displays());
                    break;
                case Command::help:
                case Command::action:
                    break;
            }
        }
        // What the command's work left queued (refreshes after display changes) runs before the stack
        // goes, unless the program was asked to stop.
        while (!m_interruption && m_queue.pumpOnce()) {
        }
        if (m_interruption) {
            err << programName << ": Stopped by " << *m_interruption
                << " before the command finished; what was done so far is kept.\n";
            status = exitFailed;
        } else if (const auto& message = manager.lastErrorMessage()) {
            err << programName << ": " << printableText(*message) << "\n";
            status = exitFailed;
        } else {
            out << done;
        }
    }
    // Only a change of connection changes the desk; a list or a refresh must not put back an older state
    // over what a running tray saved meanwhile.
    if (invocation.command == Command::connect || invocation.command == Command::disconnect)
        platform->persistState();
    return status;
}

}  // namespace lumadesk
