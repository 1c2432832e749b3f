#pragma once

#include <string>
#include <vector>

#include "assembly/PlatformArguments.h"
#include "intents/DisplayAction.h"
#include "runtime/ConfigDirectory.h"

namespace lumadesk {

// What one run of lumadesk-ctl is asked to do, on which platform.
struct CtlInvocation : PlatformArguments {
    enum class Command { help, list, refresh, connect, disconnect, action };

    Command command = Command::help;
    // --json: a JSON array instead of the table, a JSON object for an action's result.
    bool json = false;
    // list --verbose: also name the service that takes displays off the desktop in this session.
    bool verbose = false;
    // The display a connection command is about: its hardware ID or its name.
    std::string display{};
    // The display action to run (Command::action), its display as typed.
    DisplayActionRequest action{};
};

// Reads the arguments of lumadesk-ctl (after the program name) and the environment it looks at
// (LUMADESK_TRANSPORT).
class CtlCommandLine {
public:
    // The invocation the arguments ask for; throws UsageError.
    static CtlInvocation parse(const std::vector<std::string>& arguments,
                               const EnvironmentLookup& environment);
    // The text of --help.
    static std::string usage();
};

}  // namespace lumadesk
