#include "app/TrayProgram.h"

#include "app/AppCommandLine.h"
#include "app/SingleInstance.h"
#include "assembly/DisplayStack.h"
#include "assembly/PlatformFactory.h"
#include "assembly/ProgramFailures.h"
#include "interface/LumadeskApp.h"
#include "interface/QtMainQueue.h"
#include "runtime/ConfigDirectory.h"
#include "runtime/Sleeper.h"
#include "runtime/SystemClock.h"

#include <QApplication>
#include <QSocketNotifier>

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

// Lets Qt's event loop watch the platform's descriptors (udev's, for plugged monitors).
std::vector<std::unique_ptr<QSocketNotifier>> notifiersFor(std::vector<PlatformWatch> watches) {
    std::vector<std::unique_ptr<QSocketNotifier>> notifiers;
    for (auto& watch : watches) {
        auto notifier = std::make_unique<QSocketNotifier>(watch.descriptor, QSocketNotifier::Read);
        QObject::connect(notifier.get(), &QSocketNotifier::activated,
                         [readable = std::move(watch.readable)] { readable(); });
        notifiers.push_back(std::move(notifier));
    }
    return notifiers;
}

}  // namespace

int TrayProgram::run(const std::vector<std::string>& arguments, std::ostream& err) {
    return runReportingFailures(programName, err, {usageStatus, failureStatus}, [&] {
        const auto invocation = AppCommandLine::parse(arguments, transportVariable());
        SingleInstance instance(QDBusConnection::sessionBus());
        switch (instance.claim(err)) {
            case SingleInstance::Claim::broughtForward:
                return 0;
            case SingleInstance::Claim::unanswered:
                return failureStatus;
            case SingleInstance::Claim::first:
            case SingleInstance::Claim::withoutBus:
                break;
        }
        SystemClock clock;
        SystemSleeper sleeper;
        QtMainQueue queue(clock);
        const auto configDirectory = defaultConfigDirectory();
        createConfigDirectory(configDirectory);
        const auto platform = makePlatform(
            {invocation.simulated, invocation.deskFile}, configDirectory, clock, sleeper,
            [&err](const std::string& problem) { err << programName << ": " << problem << "\n"; });
        int status = 0;
        {
            DisplayStack stack(*platform, queue, {configDirectory, invocation.chosenTransport()});
            const auto notifiers = notifiersFor(platform->watchForChanges(queue));
            {
                LumadeskApp app(stack.sharedDisplayManager(), stack.defaults(), queue);
                instance.onBringForward([&app] { app.bringForward(); });
                app.start();
                status = QApplication::exec();
                instance.release();
            }
            drain(queue);
        }
        platform->persistState();
        return status;
    });
}

}  // namespace lumadesk
