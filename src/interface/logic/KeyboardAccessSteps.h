#pragma once

#include <string>
#include <vector>

namespace lumadesk {

// One thing the user has to do for a missing keyboard grant: what and why, and the command to run
// for it, if there is one.
struct KeyboardAccessStep {
    std::string explanation;
    std::string command;

    friend bool operator==(const KeyboardAccessStep&, const KeyboardAccessStep&) = default;
};

// No program can grant itself keyboard access on this desktop, nor raise a prompt that does: what the
// user does instead for each missing grant, input devices first (the order the grants are asked for).
std::vector<KeyboardAccessStep> keyboardAccessSteps(bool accessibilityGranted, bool inputMonitoringGranted);

}  // namespace lumadesk
