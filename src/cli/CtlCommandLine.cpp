#include "cli/CtlCommandLine.h"

#include <algorithm>
#include <map>

#include "cli/ActionCommandLine.h"
#include "runtime/PrintableText.h"

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
    // --help works whatever else the line or the environment holds.
    const auto endOfOptions = std::find(arguments.begin(), arguments.end(), "--");
    if (std::any_of(arguments.begin(), endOfOptions,
                    [](const std::string& argument) { return argument == "--help" || argument == "-h"; })) {
        return CtlInvocation{};
    }

    CtlInvocation invocation;
    std::optional<Command> command;
    std::vector<std::string> operands;
    for (auto argument = arguments.begin(); argument != arguments.end(); ++argument) {
        // After "--" everything is an operand, so that a name starting with "-" can be given.
        const bool isOperand = argument > endOfOptions;
        if (argument == endOfOptions) continue;
        if (!isOperand && *argument == "--json") {
            invocation.json = true;
        } else if (!isOperand && *argument == "--verbose") {
            invocation.verbose = true;
        } else if (!isOperand && invocation.apply(*argument)) {
            continue;
        } else if (!isOperand && argument->starts_with("-")) {
            throw UsageError("Unknown option \"" + printableText(*argument) + "\".");
        } else if (const DisplayActionInfo* action = command ? nullptr : findDisplayAction(*argument)) {
            // Everything after an action's name is its operands, "-1" and "--x" included.
            invocation.command = Command::action;
            invocation.action = ActionCommandLine::parse(*action, {std::next(argument), arguments.end()});
            invocation.applyTransportVariable(environment("LUMADESK_TRANSPORT"));
            return invocation;
        } else if (!command) {
            const auto found = commands.find(*argument);
            if (found == commands.end())
                throw UsageError("Unknown command \"" + printableText(*argument) + "\".");
            command = found->second;
        } else {
            operands.push_back(*argument);
        }
    }
    if (!command) throw UsageError("No command given.");
    invocation.command = *command;

    const bool takesDisplay = *command == Command::connect || *command == Command::disconnect;
    if (takesDisplay) {
        if (operands.size() != 1)
            throw UsageError("The command needs exactly one display (hardware ID or name).");
        invocation.display = operands.front();
    } else if (!operands.empty()) {
        throw UsageError("Unexpected argument \"" + printableText(operands.front()) + "\".");
    }
    if (invocation.json && *command != Command::list)
        throw UsageError("--json goes with the list command only.");
    if (invocation.verbose && *command != Command::list)
        throw UsageError("--verbose goes with the list command only.");
    invocation.applyTransportVariable(environment("LUMADESK_TRANSPORT"));
    return invocation;
}

std::string CtlCommandLine::usage() {
    return "Usage: lumadesk-ctl [options] <command> [--] [display]\n"
           "\n"
           "Commands:\n"
           "  list [--json] [--verbose] the known displays: hardware ID, name, brightness, state;\n"
           "                            --verbose also names the service that takes displays off\n"
           "                            the desktop in this session\n"
           "  refresh                   look for displays again and remember what was found\n"
           "  disconnect <display>      take the display off the desktop (until logout)\n"
           "  connect <display>         put a display this program disconnected back\n" +
           ActionCommandLine::usage() +
           "\n"
           "DISPLAY is a hardware ID, or the name of exactly one display; \"--\" ends the options of\n"
           "list, refresh, connect and disconnect, so that a display starting with \"-\" can be given.\n"
           "LEVEL is 0 to 100. Display actions run in the running Lumadesk when there is one, else here.\n"
           "Exit status: 0 done, 2 wrong command line, 3 no such display, 4 failed (or cut short\n"
           "by a signal). Errors are written to standard error.\n"
           "\n"
           "Options (before the command):\n"
           "  --simulated[=FILE]        run on a simulated desk: the built-in one or the desk file\n"
           "                            (without it: this machine's monitors)\n"
           "  --transport=arm64|intel   the DDC/CI transport; beats LUMADESK_TRANSPORT. The default\n"
           "                            is arm64 on real monitors, the processor's own when simulated\n"
           "  --json                    print list and action results as JSON\n"
           "  --help                    this text\n"
           "\n"
           "Settings are kept in $LUMADESK_CONFIG_DIR, else $XDG_CONFIG_HOME/lumadesk.\n";
}

}  // namespace lumadesk
