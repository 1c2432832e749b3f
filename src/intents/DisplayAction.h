#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "intents/ConnectionState.h"
#include "intents/IntentResult.h"
#include "registry/DisplayManager.h"
#include "runtime/Task.h"

namespace lumadesk {

// The seven actions, for front ends that run them by name (the command line, the bus, the launcher).
enum class DisplayActionKind {
    toggleConnection,
    getBrightness,
    getConnectedDisplays,
    getDisplayInfo,
    setBrightness,
    setDisplayName,
    sleepDisplay,
};

// One action as the front ends name it.
struct DisplayActionInfo {
    DisplayActionKind kind;
    // Its name on the command line and in `lumadesk --shortcut=NAME`.
    std::string_view commandName;
    const IntentDescription& description;
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
};

// The longest new name the front ends accept, in characters: a name is for a menu row, and a huge one
// would only bloat the stored records.
inline constexpr std::size_t maximumNameLength = 256;

// Why the request cannot run as given: a missing or empty display, a level outside 0...100, a name that is
// not UTF-8 or is too long. None when it can run.
std::optional<std::string> requestProblem(const DisplayActionRequest& request);

// Makes the entity of the hardware ID as the display query knows it (so dialogs carry the display's
// name) and runs the action on the manager, which must outlive the task. Throws DisplayIntentError, and
// std::invalid_argument for a request with a problem.
Task<IntentResult> performDisplayAction(DisplayActionRequest request, DisplayManager& manager);

}  // namespace lumadesk
