#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace lumadesk {

// What a finished program left: whether it could be started at all, its exit status and its output.
struct ProcessResult {
    bool started = false;
    bool timedOut = false;
    int exitStatus = -1;  // the exit code; -1 when it ended by a signal or was killed
    std::string output;
    std::string errors;
};

// Runs a program found on PATH with arguments and no shell, collects its standard output and error,
// and kills it when it takes longer than the timeout.
ProcessResult runProcess(const std::vector<std::string>& arguments, std::chrono::milliseconds timeout);

}  // namespace lumadesk

namespace lumadesk {

// runProcess, or a stand-in for it.
using ProcessRunning = std::function<ProcessResult(const std::vector<std::string>& arguments,
                                                   std::chrono::milliseconds timeout)>;

}  // namespace lumadesk
