#pragma once

#include <algorithm>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "intents/ConnectionState.h"
#include "intents/IntentResult.h"
#include "registry/DisplayManager.h"
#include "runtime/Task.h"

namespace lumadesk {

// The seven actions and the brightness step, for front ends that run them by name (the command line, the bus,
// the launcher).
enum class DisplayActionKind {
    toggleConnection,
    getBrightness,
    getConnectedDisplays,
    getDisplayInfo,
    setBrightness,
    setDisplayName,
    sleepDisplay,
    stepBrightness,
};

// One parameter of an action, in the order the command line and the bus method take them.
enum class ActionOperand {
    display,  // a hardware ID (or, on the command line, a name)
    level,    // a whole number 0...100
    state,    // "on" or "off"
    name,     // a new display name
    step,     // a whole number -100...100, on the command line with or without its sign ("+5", "-5")
};

// What an action's answer carries besides its dialog.
enum class ActionValue { none, level, info, displays };

// One action as every front end knows it: the command line (its command and usage), the bus (its
// method; the arguments follow the operands, a display and texts as "s", a level as "i", and the reply
// is the dialog then the value), the launcher's shortcuts and dialogs. Each rule about an action that
// more than one front end needs is here, once.
struct DisplayActionInfo {
    DisplayActionKind kind;
    // Its name on the command line and in `lumadesk --shortcut=NAME`.
    std::string_view commandName;
    // Its method of the bus interface io.lumadesk.Lumadesk1.
    std::string_view busMethod;
    // Its operands in order; the first `requiredOperands` must be given, the rest may be left out.
    std::span<const ActionOperand> operands;
    std::size_t requiredOperands;
    // The operands as the usage text shows them ("DISPLAY [on|off]").
    std::string_view usage;
    ActionValue value;
    const IntentDescription& description;

    // Whether the action cannot run without a display.
    bool needsDisplay() const { return requiredOperands > 0 && operands.front() == ActionOperand::display; }
    // Whether the action takes the operand at all (required or optional).
    bool takes(ActionOperand operand) const { return std::ranges::find(operands, operand) != operands.end(); }
};

// Every action, in the order of help texts.
std::span<const DisplayActionInfo> displayActions();
const DisplayActionInfo& displayActionInfo(DisplayActionKind kind);
// The action with the command name; none for an unknown name.
const DisplayActionInfo* findDisplayAction(std::string_view commandName);

// An action with its parameters as plain values; only those the action takes are read.
struct DisplayActionRequest {
    DisplayActionKind kind = DisplayActionKind::getConnectedDisplays;
    // The display's hardware ID; required by every action but the two listings.
    std::optional<std::string> hardwareID{};
    int level = 0;
    ConnectionState state = ConnectionState::on;
    std::string newName{};
    int step = 0;
};

// The longest new name the front ends accept, in characters: a name is for a menu row, and a huge one
// would only bloat the stored records.
inline constexpr std::size_t maximumNameLength = 256;

// Sets the operand of the request from its text: a level must be a whole decimal number and nothing
// else ("40"; not "4O", "1e3", " 40", "+40"), a step the same with an optional sign, a state "on" or
// "off". Throws std::invalid_argument saying
// what is wrong with the text.
void setOperand(DisplayActionRequest& request, ActionOperand operand, const std::string& text);

// Why the request cannot run as given: a missing or empty display, a level outside 0...100, a step
// outside -100...100, a name that is not UTF-8 or is too long. None when it can run.
std::optional<std::string> requestProblem(const DisplayActionRequest& request);

// The display operand of a brightness step that stands for every display the brightness keys drive.
inline constexpr std::string_view everyDisplayArgument = "all";

// Makes the entity of the hardware ID as the display query knows it (so dialogs carry the display's
// name) and runs the action on the manager, which must outlive the task. Throws DisplayIntentError, and
// std::invalid_argument for a request with a problem.
Task<IntentResult> performDisplayAction(DisplayActionRequest request, DisplayManager& manager);

}  // namespace lumadesk
