#include "app/TrayProgram.h"

#include "app/AppCommandLine.h"
#include "assembly/DisplayStack.h"
#include "assembly/PlatformFactory.h"
#include "assembly/ProgramFailures.h"
#include "interface/LumadeskApp.h"
#include "interface/QtMainQueue.h"
#include "runtime/ConfigDirectory.h"
#include "runtime/Sleeper.h"
#include "runtime/SystemClock.h"

#include <QApplication>

#include <chrono>
#include <cstdlib>
#include <optional>

namespace lumadesk {

namespace {

constexpr const char* programName = "lumadesk";
// How long the program waits at quit for work the manager left queued (a refresh after a change).
constexpr auto drainLimit = std::chrono::seconds(2);

std::optional<std::string> transportVariable() {
    const char* value = std::getenv("LUMADESK_TRANSPORT");
    if (!value) return std::nullopt;
    return std::string(value);
}

// Lets queued work end before the stack goes, within a limit: a poll that never ends must not keep the
// program from quitting.
void drain(MainQueue& queue) {
    const auto deadline = queue.clock().monotonicNow() + drainLimit;
    while (queue.clock().monotonicNow() < deadline && queue.pumpOnce()) {
    }
}

}  // namespace

int TrayProgram::run(const std::vector<std::string>& arguments, std::ostream& err) {
    return runReportingFailures(programName, err, {usageStatus, failureStatus}, [&] {
        const auto invocation = AppCommandLine::parse(arguments, transportVariable());
        SystemClock clock;
        SystemSleeper sleeper;
        QtMainQueue queue(clock);
        const auto configDirectory = defaultConfigDirectory();
        createConfigDirectory(configDirectory);
        const auto platform = makePlatform(
            {invocation.deskFile}, configDirectory, clock, sleeper,
            [&err](const std::string& problem) { err << programName << ": " << problem << "\n"; });
        int status = 0;
        {
            DisplayStack stack(*platform, queue, {configDirectory, invocation.transport});
            {
                LumadeskApp app(stack.sharedDisplayManager(), stack.defaults(), queue);
                app.start();
                // A damaged settings file is moved aside as the stack starts; later problems are told as
                // they come.
                const auto showSettingsProblem = [&app](const std::string& problem) {
                    app.showNotice(problem);
                };
                if (const auto& problem = stack.defaults().lastProblem()) showSettingsProblem(*problem);
                const Subscription settingsProblems = stack.defaults().observeProblems(showSettingsProblem);
                status = QApplication::exec();
            }
            drain(queue);
        }
        platform->persistState();
        return status;
    });
}

}  // namespace lumadesk
