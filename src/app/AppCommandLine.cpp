#include "app/AppCommandLine.h"

#include <algorithm>

namespace lumadesk {

namespace {

constexpr std::string_view simulatedOption = "--simulated=";
constexpr std::string_view transportOption = "--transport=";

TransportKind transportNamed(const std::string& name, const std::string& where) {
    const auto kind = transportKindNamed(name);
    if (!kind)
        throw AppUsageError("Unknown transport \"" + name + "\" in " + where + " (use arm64 or intel).");
    return *kind;
}

}  // namespace

bool AppCommandLine::asksForHelp(const std::vector<std::string>& arguments) {
    return std::any_of(arguments.begin(), arguments.end(),
                       [](const std::string& argument) { return argument == "--help" || argument == "-h"; });
}

AppInvocation AppCommandLine::parse(const std::vector<std::string>& arguments,
                                    const std::optional<std::string>& transportVariable) {
    AppInvocation invocation;
    if (transportVariable && !transportVariable->empty())
        invocation.transport = transportNamed(*transportVariable, "LUMADESK_TRANSPORT");
    for (const std::string& argument : arguments) {
        if (argument == "--simulated") {
            invocation.deskFile.reset();
        } else if (argument.starts_with(simulatedOption)) {
            const std::string file = argument.substr(simulatedOption.size());
            if (file.empty()) throw AppUsageError("--simulated= needs a desk file.");
            invocation.deskFile = file;
        } else if (argument.starts_with(transportOption)) {
            invocation.transport = transportNamed(argument.substr(transportOption.size()), "--transport");
        } else {
            throw AppUsageError("Unknown argument \"" + argument + "\".");
        }
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
           "                             (the only platform so far, hence also the default)\n"
           "  --transport=arm64|intel    the DDC/CI transport (also LUMADESK_TRANSPORT); the default\n"
           "                             is the one of this processor\n"
           "  --help                     show this text\n"
           "\n"
           "Qt's own options (-platform, -style, ...) are understood as well.\n";
}

}  // namespace lumadesk
