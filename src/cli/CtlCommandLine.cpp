#include "cli/CtlCommandLine.h"

#include <map>

namespace lumadesk {

namespace {

using Command = CtlInvocation::Command;

const std::map<std::string, Command> commands{{"list", Command::list},
                                              {"refresh", Command::refresh},
                                              {"connect", Command::connect},
                                              {"disconnect", Command::disconnect}};

}  // namespace

CtlInvocation CtlCommandLine::parse(const std::vector<std::string>& arguments,
                                    const EnvironmentLookup& environment) {
    CtlInvocation invocation;
    invocation.applyTransportVariable(environment("LUMADESK_TRANSPORT"));

    std::optional<Command> command;
    std::vector<std::string> operands;
    for (const std::string& argument : arguments) {
        if (argument == "--help" || argument == "-h") return CtlInvocation{};
        if (argument == "--json") {
            invocation.json = true;
        } else if (invocation.apply(argument)) {
            continue;
        } else if (argument.starts_with("-")) {
            throw UsageError("Unknown option \"" + argument + "\".");
        } else if (!command) {
            const auto found = commands.find(argument);
            if (found == commands.end()) throw UsageError("Unknown command \"" + argument + "\".");
            command = found->second;
        } else {
            operands.push_back(argument);
        }
    }
    if (!command) throw UsageError("No command given.");
    invocation.command = *command;

    const bool takesDisplay = *command == Command::connect || *command == Command::disconnect;
    if (takesDisplay) {
        if (operands.size() != 1) throw UsageError("The command needs exactly one hardware ID.");
        invocation.hardwareID = operands.front();
    } else if (!operands.empty()) {
        throw UsageError("Unexpected argument \"" + operands.front() + "\".");
    }
    if (invocation.json && *command != Command::list) throw UsageError("--json goes with the list command only.");
    return invocation;
}

std::string CtlCommandLine::usage() {
    return "Usage: lumadesk-ctl [options] <command>\n"
           "\n"
           "Commands:\n"
           "  list [--json]              the known displays: hardware ID, name, brightness, state\n"
           "  refresh                    look for displays again and remember what was found\n"
           "  disconnect <hardware ID>   take the display off the desktop (until logout)\n"
           "  connect <hardware ID>      put a display this program disconnected back\n"
           "\n"
           "Options:\n"
           "  --simulated[=FILE]         run on a simulated desk: the built-in one or the desk file\n"
           "                             (without it: this machine's monitors)\n"
           "  --transport=arm64|intel    the DDC/CI transport (also LUMADESK_TRANSPORT); the default\n"
           "                             is arm64 on real monitors, the processor's own when simulated\n"
           "  --help                     this text\n"
           "\n"
           "Settings are kept in $LUMADESK_CONFIG_DIR, else $XDG_CONFIG_HOME/lumadesk.\n";
}

}  // namespace lumadesk
