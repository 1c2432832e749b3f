#pragma once

#include <chrono>
#include <ostream>

#include "cli/AppBusClient.h"
#include "cli/CtlCommandLine.h"
#include "intents/IntentResult.h"
#include "registry/DisplayManager.h"
#include "runtime/MainQueue.h"
#include "runtime/Sleeper.h"

namespace lumadesk {

// Runs one display action command of lumadesk-ctl: in the tray application over the session bus when
// it is running there, so that both share one manager and one desk; otherwise on a stack of its own,
// holding the settings directory's command lock so that two command lines never interleave their writes.
// Prints the dialog (or with --json {"dialog", "value"}) on `out`, errors on `err`.
class ActionCommand {
public:
    // How long a call to the application may take: a connection change with its refresh takes seconds.
    static constexpr std::chrono::milliseconds callTimeout{20000};

    // The queue, the sleeper and the environment must outlive the command.
    // Errors are written after "<programName>: ".
    ActionCommand(MainQueue& queue, Sleeper& sleeper, const EnvironmentLookup& environment,
                  std::chrono::milliseconds timeout = callTimeout, std::string programName = "lumadesk-ctl");

    // Runs the invocation's action; the exit status. Throws UsageError for an ambiguous display name.
    int run(const CtlInvocation& invocation, std::ostream& out, std::ostream& err);
    // The displays the actions can address, as a picker offers them, found the same way.
    std::vector<DisplayEntity> displays(const PlatformArguments& platform, std::ostream& err);

    // The result as printed: the dialog, or one JSON object with the dialog and the value.
    static std::string format(const IntentResult& result, bool json);

private:
    // The running application on the session bus, if there is one and it runs the desk the command is
    // about: the command for another desk (a simulated one while the application has the real monitors,
    // or the other way round) runs here.
    std::optional<AppBusClient> runningApp(const PlatformArguments& platform);
    // Runs the work on a stack of its own under the command lock, and keeps the desk's state after it.
    void runInProcess(const PlatformArguments& platform, std::ostream& err,
                      const std::function<void(DisplayManager&)>& work);

    MainQueue& m_queue;
    Sleeper& m_sleeper;
    const EnvironmentLookup& m_environment;
    std::chrono::milliseconds m_timeout;
    std::string m_programName;
};

// The session bus address: $DBUS_SESSION_BUS_ADDRESS, else the user's bus socket in $XDG_RUNTIME_DIR;
// none when neither is set.
std::optional<std::string> sessionBusAddress(const EnvironmentLookup& environment);

}  // namespace lumadesk
