#pragma once

#include <string>
#include <vector>

#include "assembly/PlatformArguments.h"
#include "runtime/ConfigDirectory.h"

namespace lumadesk {

// What one run of lumadesk-ctl is asked to do, on which platform.
struct CtlInvocation : PlatformArguments {
    enum class Command { help, list, refresh, connect, disconnect };

    Command command = Command::help;
    // `list --json`: a JSON array instead of the table.
    bool json = false;
    // The display a connection command is about: its hardware ID or its name.
    std::string display{};
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
