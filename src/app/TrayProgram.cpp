#include "app/TrayProgram.h"

#include "app/AppCommandLine.h"
#include "app/KeyboardSession.h"
#include "app/ScheduleSession.h"
#include "app/ShortcutProgram.h"
#include "app/SingleInstance.h"
#include "app/TrayQuit.h"
#include "assembly/DisplayStack.h"
#include "assembly/PlatformFactory.h"
#include "assembly/ProgramFailures.h"
#include "bus/DisplayActionsService.h"
#include "interface/LumadeskApp.h"
#include "interface/QtMainQueue.h"
#include "interface/QtScreenList.h"
#include "interface/TrayMenu.h"
#include "platform/linux/LinuxBacklight.h"
#include "platform/linux/XdgAutostartLoginItemService.h"
#include "platform/linux/configuration/OutputConfigurationError.h"
#include "platform/linux/configuration/ShutdownDelay.h"
#include "runtime/ConfigDirectory.h"
#include "runtime/Deadline.h"
#include "runtime/QuitSignals.h"
#include "runtime/Sleeper.h"
#include "runtime/SystemClock.h"
#include "schedule/BuiltInScreenFollower.h"

#include <QApplication>
#include <QSessionManager>
#include <QSocketNotifier>

#include <chrono>
#include <cstdlib>

namespace lumadesk {

namespace {

constexpr const char* programName = "lumadesk";
// How long quitting waits for the displays to come back, and then for work still under way (a refresh
// after a change, a DDC transaction).
constexpr auto quitLimit = std::chrono::seconds(2);

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

// logind's shutdown delay on the system bus; none, told in a line, where there is no logind.
std::unique_ptr<ShutdownDelay> delayShutdown(std::function<void()> beforeShutdown, std::ostream& err) {
    try {
        return std::make_unique<ShutdownDelay>(SessionBus(BusKind::system), std::move(beforeShutdown));
    } catch (const OutputConfigurationError& error) {
        err << programName << ": " << error.what()
            << " Displays taken off the desktop come back at a shutdown only when the program is asked to "
               "quit first.\n";
        return nullptr;
    }
}

}  // namespace

int TrayProgram::run(const std::vector<std::string>& arguments, std::ostream& err) {
    return runReportingFailures(programName, err, [&] {
        const auto invocation = AppCommandLine::parse(arguments, processEnvironment("LUMADESK_TRANSPORT"));
        if (invocation.shortcut) {
            return ShortcutProgram::run(*findDisplayAction(*invocation.shortcut), invocation, err);
        }
        SingleInstance instance(QDBusConnection::sessionBus());
        switch (instance.claim(err)) {
            case SingleInstance::Claim::broughtForward:
                return int(exitDone);
            case SingleInstance::Claim::unanswered:
                return int(exitFailed);
            case SingleInstance::Claim::first:
            case SingleInstance::Claim::withoutBus:
                break;
        }
        SystemClock clock;
        SystemSleeper sleeper;
        QtMainQueue queue(clock);
        const auto configDirectory = defaultConfigDirectory();
        createConfigDirectory(configDirectory);
        // Qt's screens, named by their outputs; the real desk tells from them which monitor shows which.
        QtScreenList desktopScreens;
        const auto platform = makePlatform(
            {.simulated = invocation.simulated,
             .deskFile = invocation.deskFile,
             .restoresLeftOverOutputs = true},
            configDirectory, clock, sleeper,
            [&err](const std::string& problem) { err << programName << ": " << problem << "\n"; });
        platform->useDesktopScreens(desktopScreens);
        // Launch at login is the desktop's XDG autostart entry, whatever desk the displays come from.
        XdgAutostartLoginItemService loginItems;
        int status = exitDone;
        DisplayStack stack(*platform, queue,
                           {.configDirectory = configDirectory,
                            .transport = invocation.chosenTransport(),
                            .loginItemService = &loginItems,
                            .registerLoginItemAtStart = true});
        const auto notifiers = notifiersFor(platform->watchForChanges(queue));
        // Scripts and lumadesk-ctl reach the same manager over the session bus. Calls are taken only once
        // the event loop runs, and answered until the quit's last queued work is done.
        DisplayActionsService automation(QDBusConnection::sessionBus(), queue, stack.displayManager(),
                                         invocation.deskName());
        if (const auto& problem = automation.problem()) {
            err << programName << ": Display actions are not offered on the session bus: " << *problem
                << "\n";
        }
        // The desk is saved after every change as well as at quit, so that a kill loses nothing reported
        // done; a failure is told once until a save succeeds again.
        bool saveFailed = false;
        const auto saveDesk = [&platform, &err, &saveFailed] {
            try {
                platform->persistState();
                saveFailed = false;
            } catch (const std::exception& error) {
                if (!saveFailed)
                    err << programName << ": The desk's state could not be saved: " << error.what() << "\n";
                saveFailed = true;
            }
        };
        const Subscription savesEachChange = stack.displayManager().subscribeToDisplays(
            [&saveDesk](const std::vector<Display>&) { saveDesk(); });
        TrayQuit quit(
            clock, quitLimit,
            {.stopTakingCalls = [&automation] { automation.stopTakingCalls(); },
             .limitDisplayConfiguration =
                 [&platform](const Deadline& deadline) { platform->limitDisplayConfigurationTime(deadline); },
             .drainQueue = [&queue](Duration limit) { return queue.drain(limit); },
             .save = saveDesk,
             .releaseName = [&instance] { instance.release(); }});
        {
            // Connected before the application's own handler, which puts the displays back: every way
            // out ends in this quit, and its restore gives up on a window system that does not answer
            // instead of holding the program.
            QObject quitting;
            QObject::connect(qApp, &QCoreApplication::aboutToQuit, &quitting, [&quit] { quit.begin(); });
            KeyboardSession keyboard(err);
            LumadeskApp app(
                stack.sharedDisplayManager(), stack.defaults(), queue, keyboard.keys(platform->screenList()),
                nullptr, nullptr,
                {[&platform] { return platform->problems(); }, platform->displayConfigurationService(),
                 [&stack] { return stack.replyWaits().onlineWaits(); }});
            instance.onBringForward([&app] { app.bringForward(); });
            app.start();
            // A damaged settings file is moved aside as the stack starts; later problems are told as they
            // come.
            const auto showSettingsProblem = [&app](const std::string& problem) { app.showNotice(problem); };
            if (const auto& problem = stack.defaults().lastProblem()) showSettingsProblem(*problem);
            const Subscription settingsProblems = stack.defaults().observeProblems(showSettingsProblem);
            // The brightness schedule, paused from the tray menu.
            ScheduleSession schedule(stack.displayManager(), stack.defaults(), queue,
                                     QDBusConnection::systemBus());
            if (const auto& problem = schedule.problem()) showSettingsProblem(*problem);
            schedule.addPauseMenu(app.trayMenu());
            schedule.runner().start();
            // External monitors that follow the built-in screen: its backlight's udev events on a real
            // machine; a simulated desk has no built-in screen to follow.
            LinuxBacklight backlight("/sys",
                                     invocation.simulated ? nullptr : LinuxBacklight::watchBacklightEvents());
            const BuiltInScreenFollower follower(stack.displayManager(), queue, backlight);
            std::vector<PlatformWatch> backlightWatch;
            if (auto watch = backlight.watch()) backlightWatch.push_back(std::move(*watch));
            const auto backlightNotifier = notifiersFor(std::move(backlightWatch));
            // Started after the first refresh is queued: a signal that came early quits after it, so the
            // displays held from an earlier run are known and put back.
            const QuitSignals quitSignals(queue, [](int) { QCoreApplication::quit(); });
            // At the end of the session the displays come back first, within the quit's limit; a logout
            // that is called off leaves later changes without one.
            const auto restoreBeforeSessionEnd = [&] {
                platform->limitDisplayConfigurationTime(Deadline::after(clock, quitLimit));
                stack.displayManager().restoreDisconnectedDisplays();
                platform->limitDisplayConfigurationTime({});
            };
            // Its own context: the connection ends before the handler it calls.
            QObject sessionEnd;
            QObject::connect(qApp, &QGuiApplication::commitDataRequest, &sessionEnd,
                             [&](QSessionManager&) { restoreBeforeSessionEnd(); });
            // logind holds a shutdown until the displays are back; then the program quits.
            const auto restoreThenQuit = [&] {
                restoreBeforeSessionEnd();
                QCoreApplication::quit();
            };
            const auto shutdown = invocation.simulated ? nullptr : delayShutdown(restoreThenQuit, err);
            std::vector<PlatformWatch> shutdownWatch;
            if (shutdown)
                shutdownWatch.push_back({shutdown->eventDescriptor(), [&] { shutdown->processEvents(); }});
            const auto shutdownNotifier = notifiersFor(std::move(shutdownWatch));
            status = QApplication::exec();
            // A start while quitting must not reach the window that goes with this block.
            instance.onBringForward({});
        }
        if (!quit.finish()) {
            // A transaction that never returns must not keep the program: the state is saved and the name
            // given up; the process ends without the teardown that would wait for it.
            err << programName << ": a display did not answer within " << quitLimit.count()
                << " s; quitting without it.\n";
            err.flush();
            std::_Exit(status);
        }
        queue.close();
        return status;
    });
}

}  // namespace lumadesk
