#include "app/AppCommandLine.h"

#include <algorithm>

#include "runtime/PrintableText.h"

namespace lumadesk {

bool AppCommandLine::asksForHelp(const std::vector<std::string>& arguments) {
    return std::any_of(arguments.begin(), arguments.end(),
                       [](const std::string& argument) { return argument == "--help" || argument == "-h"; });
}

bool AppCommandLine::hasDesktopSession(const std::vector<std::string>& arguments,
                                       const EnvironmentLookup& environment) {
    const auto isSet = [&](const char* name) {
        const auto value = environment(name);
        return value && !value->empty();
    };
    const bool platformGiven = std::any_of(
        arguments.begin(), arguments.end(),
        [](const std::string& argument) { return argument == "-platform" || argument == "--platform"; });
    return isSet("WAYLAND_DISPLAY") || isSet("DISPLAY") || isSet("QT_QPA_PLATFORM") || platformGiven;
}

AppInvocation AppCommandLine::parse(const std::vector<std::string>& arguments,
                                    const std::optional<std::string>& transportVariable) {
    AppInvocation invocation;
    for (const std::string& argument : arguments) {
        if (!invocation.apply(argument))
            throw UsageError("Unknown argument \"" + printableText(argument) + "\".");
    }
    invocation.applyTransportVariable(transportVariable);
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
           "  --transport=arm64|intel    the DDC/CI transport; beats LUMADESK_TRANSPORT. The default\n"
           "                             is arm64 on real monitors, the processor's own when simulated\n"
           "  --help                     show this text\n"
           "\n"
           "Needs a desktop session (Wayland or X11); lumadesk-ctl works without one. SIGTERM, SIGINT\n"
           "and SIGHUP quit as the Quit button does: displays it took off the desktop come back.\n"
           "Exit status: 0 done, 2 wrong command line, 4 failed.\n"
           "\n"
           "Qt's own options (-platform, -style, ...) are understood as well.\n";
}

}  // namespace lumadesk
