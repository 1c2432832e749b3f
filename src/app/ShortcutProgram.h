#pragma once

#include <ostream>
#include <string>

#include "assembly/PlatformArguments.h"
#include "intents/DisplayAction.h"

namespace lumadesk {

// `lumadesk --shortcut=NAME`, what a launcher's quick action starts: asks for the action's missing
// parameters in a small dialog (a display from the display query, a level 0 to 100, On or Off), runs
// the action in the running tray program (or on a stack of its own, as lumadesk-ctl does) and shows its
// dialog as a desktop notification, or in a message box where no notification service answers.
// Needs the QApplication.
class ShortcutProgram {
public:
    // The exit status: 0 done or cancelled, else the status lumadesk-ctl would give.
    static int run(const DisplayActionInfo& action, const PlatformArguments& platform, std::ostream& err);
};

}  // namespace lumadesk
