#include "app/AppCommandLine.h"

#include <algorithm>

#include "intents/LumadeskShortcuts.h"

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
        if (argument.starts_with("--shortcut=")) {
            invocation.shortcut = argument.substr(std::string_view("--shortcut=").size());
            const auto& shortcuts = LumadeskShortcuts::appShortcuts;
            if (std::none_of(shortcuts.begin(), shortcuts.end(), [&](const AppShortcut& shortcut) {
                    return displayActionInfo(shortcut.action).commandName == *invocation.shortcut;
                })) {
                throw UsageError("Unknown shortcut \"" + *invocation.shortcut + "\".");
            }
        } else if (!invocation.apply(argument)) {
            throw UsageError("Unknown argument \"" + argument + "\".");
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
           "  --shortcut=NAME            ask for a quick action's parameters, run it and show the result:\n"
           "                             toggle-connection, set-brightness, get-brightness, sleep,\n"
           "                             connected-displays\n"
           "  --help                     show this text\n"
           "\n"
           "Qt's own options (-platform, -style, ...) are understood as well.\n";
}

}  // namespace lumadesk
