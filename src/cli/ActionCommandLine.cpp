#include "cli/ActionCommandLine.h"

#include "assembly/PlatformArguments.h"
#include "intents/DisplayQuery.h"

namespace lumadesk {

namespace {

// The operand texts the command line takes, checked against the action's operands.
void checkOperandCount(const DisplayActionInfo& action, const std::vector<std::string>& operands) {
    if (operands.size() >= action.requiredOperands && operands.size() <= action.operands.size()) return;
    const std::string command(action.commandName);
    throw UsageError(action.operands.empty()
                         ? command + " takes no arguments."
                         : "Usage: lumadesk-ctl " + command + " " + std::string(action.usage) + ".");
}

}  // namespace

DisplayActionRequest ActionCommandLine::parse(const DisplayActionInfo& action,
                                              const std::vector<std::string>& operands) {
    checkOperandCount(action, operands);
    DisplayActionRequest request{.kind = action.kind};
    try {
        for (std::size_t i = 0; i < operands.size(); ++i)
            setOperand(request, action.operands[i], operands[i]);
    } catch (const std::invalid_argument& problem) {
        throw UsageError(problem.what());
    }
    if (const auto problem = requestProblem(request)) throw UsageError(*problem);
    return request;
}

std::string ActionCommandLine::usage() {
    std::string text;
    for (const DisplayActionInfo& action : displayActions()) {
        std::string synopsis = std::string(action.commandName) + " " + std::string(action.usage);
        synopsis.resize(std::max<std::size_t>(synopsis.size(), 37), ' ');
        text += "  " + synopsis + std::string(action.description.title) + "\n";
    }
    return text;
}

std::string resolveDisplayArgument(const std::vector<DisplayEntity>& entities, const std::string& display) {
    const std::vector<std::string> named = hardwareIDsNamed(entities, display);
    if (named.size() == 1) return named.front();
    if (named.size() > 1) {
        std::string candidates;
        for (const std::string& hardwareID : named)
            candidates += (candidates.empty() ? "" : ", ") + hardwareID;
        throw UsageError("\"" + display + "\" names several displays (" + candidates +
                         "); give a hardware ID.");
    }
    return display;
}

}  // namespace lumadesk
