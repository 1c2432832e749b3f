#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

#include "assembly/TransportKind.h"
#include "runtime/ConfigDirectory.h"

namespace lumadesk {

// A command line that cannot be carried out; the message says why.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The options every Lumadesk program shares: the real monitors or a simulated desk, and which DDC/CI
// transport to use.
struct PlatformArguments {
    // Whether to run on a simulated desk instead of this machine's monitors.
    bool simulated = false;
    // The desk of the simulated platform; none: the built-in desk.
    std::optional<std::filesystem::path> deskFile{};
    // The transport asked for; none: the platform's own (see chosenTransport).
    std::optional<TransportKind> transport{};

    // The desk the arguments ask for, as the running tray program names its own: "real" (this machine's
    // monitors), "simulated" (the built-in desk) or "simulated:" and the desk file's absolute path.
    std::string deskName() const;

    // The transport to use: the one asked for, else the AV-service algorithm on real monitors (its 50 ms
    // wait before a reply suits them on every processor), else the processor's own on a simulated desk.
    TransportKind chosenTransport() const;

    // Applies the argument when it is `--simulated[=FILE]` or `--transport=NAME` and says whether it
    // was; throws UsageError for a bad value.
    bool apply(const std::string& argument);
    // Takes the transport from LUMADESK_TRANSPORT when it is set and not empty, unless --transport
    // chose one: the option beats the environment. Called once the arguments are read (and not for
    // --help, which works whatever the environment holds); throws UsageError naming the variable.
    void applyTransportVariable(const std::optional<std::string>& value);
};

// Looks variables up in this process's environment.
std::optional<std::string> processEnvironment(const std::string& name);

}  // namespace lumadesk
