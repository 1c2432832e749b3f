#pragma once

#include <exception>
#include <ostream>
#include <stdexcept>
#include <string_view>

#include "assembly/PlatformArguments.h"
#include "runtime/PrintableText.h"

namespace lumadesk {

// The exit statuses of every Lumadesk program (and of the automation commands), so that scripts can
// tell a wrong command line from a display that is not there from work that failed.
enum ExitStatus : int {
    exitDone = 0,           // did what was asked
    exitUsage = 2,          // the command line cannot be carried out
    exitNoSuchDisplay = 3,  // no display matches what was named
    exitFailed = 4,         // the work was tried and failed, or was cut short
};

// No display matches the hardware ID or name the user gave; what() says which.
class NoSuchDisplayError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Runs the body of a program and turns what it throws into one line on `err` and an exit status, so
// every Lumadesk program reports failures the same way.
template <typename Body>
int runReportingFailures(std::string_view programName, std::ostream& err, Body body) {
    try {
        return body();
    } catch (const UsageError& error) {
        err << programName << ": " << printableLines(error.what()) << " Try \"" << programName
            << " --help\".\n";
        return exitUsage;
    } catch (const NoSuchDisplayError& error) {
        err << programName << ": " << printableLines(error.what()) << "\n";
        return exitNoSuchDisplay;
    } catch (const std::exception& error) {
        err << programName << ": " << printableLines(error.what()) << "\n";
        return exitFailed;
    }
}

}  // namespace lumadesk
