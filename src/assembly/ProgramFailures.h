#pragma once

#include <exception>
#include <ostream>
#include <string_view>

#include "assembly/PlatformArguments.h"

namespace lumadesk {

// The exit statuses a program gives when its command line is wrong or its work fails.
struct FailureStatuses {
    int usage = 2;
    int failure = 1;
};

// Runs the body of a program and turns what it throws into one line on `err` and an exit status, so
// every Lumadesk program reports failures the same way.
template <typename Body>
int runReportingFailures(std::string_view programName, std::ostream& err, FailureStatuses statuses, Body body) {
    try {
        return body();
    } catch (const UsageError& error) {
        err << programName << ": " << error.what() << " Try \"" << programName << " --help\".\n";
        return statuses.usage;
    } catch (const std::exception& error) {
        err << programName << ": " << error.what() << "\n";
        return statuses.failure;
    }
}

}  // namespace lumadesk
