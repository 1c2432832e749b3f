#include "cli/CtlProgram.h"

#include <cstdlib>

#include "assembly/DisplayStack.h"
#include "assembly/PlatformFactory.h"
#include "assembly/ProgramFailures.h"
#include "cli/DisplayListFormatter.h"
#include "runtime/RunSync.h"

namespace lumadesk {

namespace {

constexpr const char* programName = "lumadesk-ctl";

bool knowsDisplay(const DisplayManager& manager, const std::string& hardwareID) {
    const auto& displays = manager.displays();
    return std::any_of(displays.begin(), displays.end(),
                       [&](const Display& display) { return display.hardwareID == hardwareID; });
}

// Runs what the command's work left queued (refreshes after display changes), so that nothing of the
// manager's is still pending when the stack goes.
void drain(MainQueue& queue) {
    while (queue.pumpOnce()) {
    }
}

}  // namespace

CtlProgram::CtlProgram(MainQueue& queue, Sleeper& sleeper, EnvironmentLookup environment)
    : m_queue(queue), m_sleeper(sleeper), m_environment(std::move(environment)) {}

int CtlProgram::run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    return runReportingFailures(programName, err, {usageStatus, failureStatus}, [&] {
        const CtlInvocation invocation = CtlCommandLine::parse(arguments, m_environment);
        if (invocation.command == CtlInvocation::Command::help) {
            out << CtlCommandLine::usage();
            return 0;
        }
        return execute(invocation, out, err);
    });
}

int CtlProgram::execute(const CtlInvocation& invocation, std::ostream& out, std::ostream& err) {
    using Command = CtlInvocation::Command;
    const auto configDirectory = defaultConfigDirectory(m_environment);
    const auto platform =
        makePlatform({invocation.deskFile}, configDirectory, m_queue.clock(), m_sleeper,
                     [&err](const std::string& problem) { err << programName << ": " << problem << "\n"; });
    int status = 0;
    {
        DisplayStack stack(*platform, m_queue, {configDirectory, invocation.transport});
        // A damaged settings file is moved aside as the stack starts; later problems are told as they come.
        const auto reportSettingsProblem = [&err](const std::string& problem) {
            err << programName << ": " << problem << "\n";
        };
        if (const auto& problem = stack.defaults().lastProblem()) reportSettingsProblem(*problem);
        const Subscription settingsProblems = stack.defaults().observeProblems(reportSettingsProblem);
        DisplayManager& manager = stack.displayManager();
        runSync(m_queue, manager.refresh());
        switch (invocation.command) {
            case Command::list:
                out << (invocation.json ? DisplayListFormatter::json(manager.displays())
                                        : DisplayListFormatter::table(manager.displays()));
                break;
            case Command::connect:
            case Command::disconnect:
                if (!knowsDisplay(manager, invocation.hardwareID)) {
                    err << programName << ": No display has the hardware ID \"" << invocation.hardwareID
                        << "\".\n";
                    status = failureStatus;
                    break;
                }
                runSync(m_queue,
                        manager.setConnected(invocation.command == Command::connect, invocation.hardwareID));
                break;
            case Command::refresh:
            case Command::help:
                break;
        }
        drain(m_queue);
        if (const auto& message = manager.lastErrorMessage()) {
            err << programName << ": " << *message << "\n";
            status = failureStatus;
        }
    }
    platform->persistState();
    return status;
}

std::optional<std::string> processEnvironment(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    if (!value) return std::nullopt;
    return std::string(value);
}

}  // namespace lumadesk
