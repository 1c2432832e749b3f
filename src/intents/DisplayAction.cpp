#include "intents/DisplayAction.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "intents/DisplayIntents.h"
#include "intents/DisplayQuery.h"
#include "runtime/PrintableText.h"

namespace lumadesk {

namespace {

using Kind = DisplayActionKind;

using Operand = ActionOperand;
using Value = ActionValue;

constexpr std::array<Operand, 0> noOperands{};
constexpr std::array<Operand, 1> display{Operand::display};
constexpr std::array<Operand, 2> displayAndLevel{Operand::display, Operand::level};
constexpr std::array<Operand, 2> displayAndState{Operand::display, Operand::state};
constexpr std::array<Operand, 2> displayAndName{Operand::display, Operand::name};
constexpr std::array<Operand, 2> displayAndStep{Operand::display, Operand::step};

const std::array<DisplayActionInfo, 8> actions{{
    {Kind::getBrightness, "get-brightness", "GetBrightness", display, 1, "DISPLAY", Value::level,
     GetBrightnessIntent::description},
    {Kind::setBrightness, "set-brightness", "SetBrightness", displayAndLevel, 2, "DISPLAY LEVEL", Value::none,
     SetBrightnessIntent::description},
    {Kind::toggleConnection, "toggle-connection", "ToggleConnection", displayAndState, 1, "DISPLAY [on|off]",
     Value::none, ToggleDisplayConnectionIntent::description},
    {Kind::getConnectedDisplays, "connected-displays", "GetConnectedDisplays", noOperands, 0, "",
     Value::displays, GetConnectedDisplaysIntent::description},
    {Kind::getDisplayInfo, "display-info", "GetDisplayInfo", display, 0, "[DISPLAY]", Value::info,
     GetDisplayInfoIntent::description},
    {Kind::setDisplayName, "rename", "SetDisplayName", displayAndName, 2, "DISPLAY NAME", Value::none,
     SetDisplayNameIntent::description},
    {Kind::sleepDisplay, "sleep", "SleepDisplay", display, 1, "DISPLAY", Value::none,
     SleepDisplayIntent::description},
    {Kind::stepBrightness, "step-brightness", "StepBrightness", displayAndStep, 2, "DISPLAY|all +N|-N",
     Value::level, StepBrightnessIntent::description},
}};

std::string quoted(const std::string& text) {
    return "\"" + echoedText(text) + "\"";
}

// A whole decimal integer and nothing else ("40", "-1"; not "4O", "1e3", " 40", "+40").
std::optional<int> wholeNumber(const std::string& text) {
    int number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return number;
}

bool isStep(int number) {
    return number >= -StepBrightnessIntent::largestStep && number <= StepBrightnessIntent::largestStep;
}

// Counts code points; none when the text is not UTF-8 (the JSON library checks it strictly).
std::optional<std::size_t> utf8Length(const std::string& text) {
    try {
        (void)nlohmann::json(text).dump();
    } catch (const nlohmann::json::type_error&) {
        return std::nullopt;
    }
    return std::ranges::count_if(text,
                                 [](char byte) { return (static_cast<unsigned char>(byte) & 0xC0) != 0x80; });
}

// The action's task; a plain function, so that no temporary lives across an await.
Task<IntentResult> makeTask(const DisplayActionRequest& request, const std::optional<DisplayEntity>& entity,
                            DisplayManager& manager) {
    if (displayActionInfo(request.kind).needsDisplay() && !entity)
        throw std::invalid_argument("The action needs a display.");
    switch (request.kind) {
        case Kind::toggleConnection:
            return ToggleDisplayConnectionIntent{*entity, request.state}.perform(manager);
        case Kind::getBrightness:
            return GetBrightnessIntent{*entity}.perform(manager);
        case Kind::getConnectedDisplays:
            return GetConnectedDisplaysIntent{}.perform(manager);
        case Kind::getDisplayInfo:
            return GetDisplayInfoIntent{entity}.perform(manager);
        case Kind::setBrightness:
            return SetBrightnessIntent{*entity, request.level}.perform(manager);
        case Kind::setDisplayName:
            return SetDisplayNameIntent{*entity, request.newName}.perform(manager);
        case Kind::sleepDisplay:
            return SleepDisplayIntent{*entity}.perform(manager);
        case Kind::stepBrightness: {
            const bool everyDisplay = entity->hardwareID == everyDisplayArgument;
            return StepBrightnessIntent{everyDisplay ? std::nullopt : entity, request.step}.perform(manager);
        }
    }
    throw std::invalid_argument("Unknown display action.");
}

Task<IntentResult> perform(DisplayActionRequest request, DisplayManager& manager) {
    std::optional<DisplayEntity> entity;
    if (request.hardwareID) {
        Task<DisplayEntity> resolving = DisplayQuery(manager).entity(*request.hardwareID);
        entity = co_await std::move(resolving);
    }
    Task<IntentResult> action = makeTask(request, entity, manager);
    co_return co_await std::move(action);
}

}  // namespace

std::span<const DisplayActionInfo> displayActions() {
    return actions;
}

const DisplayActionInfo& displayActionInfo(DisplayActionKind kind) {
    return *std::ranges::find(actions, kind, &DisplayActionInfo::kind);
}

const DisplayActionInfo* findDisplayAction(std::string_view commandName) {
    const auto found = std::ranges::find(actions, commandName, &DisplayActionInfo::commandName);
    return found == actions.end() ? nullptr : &*found;
}

void setOperand(DisplayActionRequest& request, ActionOperand operand, const std::string& text) {
    switch (operand) {
        case Operand::display:
            request.hardwareID = text;
            return;
        case Operand::level: {
            const auto level = wholeNumber(text);
            if (!level || *level < SetBrightnessIntent::minimumLevel ||
                *level > SetBrightnessIntent::maximumLevel)
                throw std::invalid_argument("LEVEL must be a whole number from 0 to 100, not " +
                                            quoted(text) + ".");
            request.level = *level;
            return;
        }
        case Operand::state: {
            const auto state = connectionStateFromRawValue(text);
            if (!state)
                throw std::invalid_argument("The state must be \"on\" or \"off\", not " + quoted(text) + ".");
            request.state = *state;
            return;
        }
        case Operand::name:
            request.newName = text;
            return;
        case Operand::step: {
            const auto step = wholeNumber(text.starts_with('+') ? text.substr(1) : text);
            if (!step || text.starts_with("+-") || !isStep(*step))
                throw std::invalid_argument("STEP must be a whole number from -100 to +100, not " +
                                            quoted(text) + ".");
            request.step = *step;
            return;
        }
    }
}

std::optional<std::string> requestProblem(const DisplayActionRequest& request) {
    if (request.hardwareID && request.hardwareID->empty()) return "The display must not be empty.";
    if (displayActionInfo(request.kind).needsDisplay() && !request.hardwareID)
        return "The action needs a display.";
    if (request.kind == Kind::setBrightness && (request.level < SetBrightnessIntent::minimumLevel ||
                                                request.level > SetBrightnessIntent::maximumLevel)) {
        return "The level must be a whole number from 0 to 100.";
    }
    if (request.kind == Kind::stepBrightness && !isStep(request.step))
        return "The step must be a whole number from -100 to 100.";
    if (request.kind == Kind::setDisplayName) {
        const auto length = utf8Length(request.newName);
        if (!length) return "The name is not valid UTF-8.";
        if (hasControlCharacters(request.newName))
            return "The name must not hold control characters (line breaks, tabs, escape sequences or "
                   "direction overrides).";
        if (*length > maximumNameLength) {
            return "The name is longer than " + std::to_string(maximumNameLength) + " characters.";
        }
    }
    return std::nullopt;
}

Task<IntentResult> performDisplayAction(DisplayActionRequest request, DisplayManager& manager) {
    if (const auto problem = requestProblem(request)) throw std::invalid_argument(*problem);
    return perform(std::move(request), manager);
}

}  // namespace lumadesk
