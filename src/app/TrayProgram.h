#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace lumadesk {

// The tray application from its arguments to its exit status: the platform, the display stack over
// it on Qt's event loop, and the application object, until the user quits (from the menu or by
// SIGTERM, SIGINT or SIGHUP). Needs the QApplication; QuitSignals::block() must have run.
class TrayProgram {
public:
    // `arguments` are those Qt left, without the program name. The exit status is an ExitStatus.
    int run(const std::vector<std::string>& arguments, std::ostream& err);
};

}  // namespace lumadesk
