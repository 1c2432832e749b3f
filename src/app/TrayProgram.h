#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace lumadesk {

// The tray application from its arguments to its exit status: the platform, the display stack over
// it on Qt's event loop, and the application object, until the user quits. Needs the QApplication.
class TrayProgram {
public:
    static constexpr int failureStatus = 1;
    static constexpr int usageStatus = 64;

    // `arguments` are those Qt left, without the program name.
    int run(const std::vector<std::string>& arguments, std::ostream& err);
};

}  // namespace lumadesk
