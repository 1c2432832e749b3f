#include "cli/ActionCommandLine.h"

#include <charconv>

#include "assembly/PlatformArguments.h"
#include "runtime/PrintableText.h"

namespace lumadesk {

namespace {

using Kind = DisplayActionKind;

struct Grammar {
    Kind kind;
    std::string_view operands;  // for the usage text
    std::size_t required;
    std::size_t optional;
};

constexpr Grammar grammars[] = {
    {Kind::getBrightness, "DISPLAY", 1, 0},
    {Kind::setBrightness, "DISPLAY LEVEL", 2, 0},
    {Kind::toggleConnection, "DISPLAY [on|off]", 1, 1},
    {Kind::getConnectedDisplays, "", 0, 0},
    {Kind::getDisplayInfo, "[DISPLAY]", 0, 1},
    {Kind::setDisplayName, "DISPLAY NAME", 2, 0},
    {Kind::sleepDisplay, "DISPLAY", 1, 0},
};

const Grammar& grammarOf(Kind kind) {
    for (const Grammar& grammar : grammars) {
        if (grammar.kind == kind) return grammar;
    }
    throw std::logic_error("An action without a grammar.");
}

// A whole decimal integer and nothing else ("40", "-1"; not "4O", "1e3", " 40", "+40").
int parseLevel(const std::string& text) {
    int level = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), level);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || level < 0 ||
        level > 100) {
        throw UsageError("LEVEL must be a whole number from 0 to 100, not \"" + echoedText(text) + "\".");
    }
    return level;
}

}  // namespace

DisplayActionRequest ActionCommandLine::parse(const DisplayActionInfo& action,
                                              const std::vector<std::string>& operands) {
    const Grammar& grammar = grammarOf(action.kind);
    const std::string command(action.commandName);
    if (operands.size() < grammar.required || operands.size() > grammar.required + grammar.optional) {
        throw UsageError(grammar.operands.empty()
                             ? command + " takes no arguments."
                             : "Usage: lumadesk-ctl " + command + " " + std::string(grammar.operands) + ".");
    }
    DisplayActionRequest request{.kind = action.kind};
    if (!operands.empty() && action.kind != Kind::getConnectedDisplays) request.hardwareID = operands[0];
    if (action.kind == Kind::setBrightness) request.level = parseLevel(operands[1]);
    if (action.kind == Kind::setDisplayName) request.newName = operands[1];
    if (action.kind == Kind::toggleConnection && operands.size() == 2) {
        const auto state = connectionStateFromRawValue(operands[1]);
        if (!state)
            throw UsageError("The state must be \"on\" or \"off\", not \"" + echoedText(operands[1]) + "\".");
        request.state = *state;
    }
    if (const auto problem = requestProblem(request)) throw UsageError(*problem);
    return request;
}

std::string ActionCommandLine::usage() {
    std::string text;
    for (const DisplayActionInfo& action : displayActions()) {
        std::string synopsis =
            std::string(action.commandName) + " " + std::string(grammarOf(action.kind).operands);
        synopsis.resize(std::max<std::size_t>(synopsis.size(), 37), ' ');
        text += "  " + synopsis + std::string(action.description.title) + "\n";
    }
    return text;
}

std::string resolveDisplayArgument(const std::vector<DisplayEntity>& entities, const std::string& display) {
    std::vector<std::string> named;
    for (const DisplayEntity& entity : entities) {
        if (entity.hardwareID == display) return display;
        if (entity.displayName == display ||
            entity.displayName == display + std::string(DisplayEntity::disconnectedSuffix)) {
            named.push_back(entity.hardwareID);
        }
    }
    if (named.size() == 1) return named.front();
    if (named.size() > 1) {
        std::string candidates;
        for (const std::string& hardwareID : named)
            candidates += (candidates.empty() ? "" : ", ") + hardwareID;
        throw UsageError("\"" + echoedText(display) + "\" names several displays (" + candidates +
                         "); give a hardware ID.");
    }
    return display;
}

}  // namespace lumadesk
