#include "app/AppCommandLine.h"

#include <algorithm>

namespace lumadesk {

bool AppCommandLine::asksForHelp(const std::vector<std::string>& arguments) {
    return std::any_of(arguments.begin(), arguments.end(),
                       [](const std::string& argument) { return argument == "--help" || argument == "-h"; });
}

AppInvocation AppCommandLine::parse(const std::vector<std::string>& arguments,
                                    const std::optional<std::string>& transportVariable) {
    AppInvocation invocation;
    invocation.applyTransportVariable(transportVariable);
    for (const std::string& argument : arguments) {
        if (!invocation.apply(argument)) throw UsageError("Unknown argument \"" + argument + "\".");
    }
    return invocation;
}

std::string AppCommandLine::usage() {
    return "Usage: lumadesk [options]\n"
           "\n"
           "Starts Lumadesk in the system tray; a click on its icon opens the display controls.\n"
           "\n"
           "Options:\n"
           "  --simulated[=FILE]         run on a simulated desk: the built-in one or the desk file\n"
           "                             (without it: this machine's monitors)\n"
           "  --transport=arm64|intel    the DDC/CI transport (also LUMADESK_TRANSPORT); the default\n"
           "                             is arm64 on real monitors, the processor's own when simulated\n"
           "  --help                     show this text\n"
           "\n"
           "Qt's own options (-platform, -style, ...) are understood as well.\n";
}

}  // namespace lumadesk
