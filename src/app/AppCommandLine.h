#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "assembly/TransportKind.h"

namespace lumadesk {

// A command line of the tray application that cannot be followed; the message says why.
class AppUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What one start of the tray application is asked for.
struct AppInvocation {
    // The desk of the simulated platform; none: the built-in desk.
    std::optional<std::filesystem::path> deskFile{};
    TransportKind transport = builtTransportKind();
};

// Reads the arguments of `lumadesk` that Qt left over, and LUMADESK_TRANSPORT.
class AppCommandLine {
public:
    // Whether any argument asks for --help; looked at before Qt starts, so that help needs no display.
    static bool asksForHelp(const std::vector<std::string>& arguments);
    // Throws AppUsageError.
    static AppInvocation parse(const std::vector<std::string>& arguments,
                               const std::optional<std::string>& transportVariable);
    // The text of --help.
    static std::string usage();
};

}  // namespace lumadesk
