#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "assembly/TransportKind.h"
#include "runtime/ConfigDirectory.h"

namespace lumadesk {

// A command line that cannot be carried out; the message says why.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What one run of lumadesk-ctl is asked to do.
struct CtlInvocation {
    enum class Command { help, list, refresh, connect, disconnect };

    Command command = Command::help;
    // `list --json`: a JSON array instead of the table.
    bool json = false;
    // The display a connection command is about.
    std::string hardwareID{};
    // The desk of the simulated platform; none: the default desk.
    std::optional<std::filesystem::path> deskFile{};
    TransportKind transport = builtTransportKind();
};

// Reads the arguments of lumadesk-ctl (after the program name) and the environment it looks at
// (LUMADESK_TRANSPORT).
class CtlCommandLine {
public:
    // The invocation the arguments ask for; throws UsageError.
    static CtlInvocation parse(const std::vector<std::string>& arguments, const EnvironmentLookup& environment);
    // The text of --help.
    static std::string usage();
};

}  // namespace lumadesk
