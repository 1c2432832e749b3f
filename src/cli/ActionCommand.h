#pragma once

#include <chrono>
#include <ostream>

#include "cli/CtlCommandLine.h"
#include "intents/IntentResult.h"
#include "runtime/MainQueue.h"
#include "runtime/Sleeper.h"

namespace lumadesk {

// Runs one display action command of lumadesk-ctl: in the tray application over the session bus when
// it is running there, so that both share one manager and one desk; otherwise on a stack of its own,
// holding the settings directory's command lock so that two command lines never interleave their writes.
// Prints the dialog (or with --json {"dialog", "value"}) on `out`, errors on `err`.
class ActionCommand {
public:
    // Exit statuses.
    static constexpr int displayNotFoundStatus = 3;
    static constexpr int failedStatus = 4;
    // How long a call to the application may take: a connection change with its refresh takes seconds.
    static constexpr std::chrono::milliseconds callTimeout{20000};

    // The queue, the sleeper and the environment must outlive the command.
    ActionCommand(MainQueue& queue, Sleeper& sleeper, const EnvironmentLookup& environment,
                  std::chrono::milliseconds timeout = callTimeout);

    // Runs the invocation's action; the exit status. Throws UsageError for an ambiguous display name.
    int run(const CtlInvocation& invocation, std::ostream& out, std::ostream& err);

    // The result as printed: the dialog, or one JSON object with the dialog and the value.
    static std::string format(const IntentResult& result, bool json);

private:
    IntentResult runInProcess(const CtlInvocation& invocation, std::ostream& err);

    MainQueue& m_queue;
    Sleeper& m_sleeper;
    const EnvironmentLookup& m_environment;
    std::chrono::milliseconds m_timeout;
};

// The session bus address: $DBUS_SESSION_BUS_ADDRESS, else the user's bus socket in $XDG_RUNTIME_DIR;
// none when neither is set.
std::optional<std::string> sessionBusAddress(const EnvironmentLookup& environment);

}  // namespace lumadesk
