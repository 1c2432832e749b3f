#pragma once

#include <optional>
#include <string>

#include "intents/ConnectionState.h"
#include "intents/DisplayEntity.h"
#include "intents/IntentResult.h"
#include "registry/DisplayManager.h"
#include "runtime/Task.h"

// The seven display actions offered to automation. Each is a value holding its parameters; perform()
// makes sure the display list is fresh enough, finds the display by its hardware ID among the visible
// ones, calls the manager and ends with a dialog (and a value for the queries). Failures are thrown as
// DisplayIntentError. The manager must outlive the task; the task holds a copy of the action.
namespace lumadesk {

struct ToggleDisplayConnectionIntent {
    static const IntentDescription description;
    DisplayEntity display;
    ConnectionState state = ConnectionState::on;
    Task<IntentResult> perform(DisplayManager& manager) const;
};

struct GetBrightnessIntent {
    static const IntentDescription description;
    DisplayEntity display;
    Task<IntentResult> perform(DisplayManager& manager) const;
};

struct GetConnectedDisplaysIntent {
    static const IntentDescription description;
    Task<IntentResult> perform(DisplayManager& manager) const;
};

struct GetDisplayInfoIntent {
    static const IntentDescription description;
    // None: every visible display.
    std::optional<DisplayEntity> display;
    Task<IntentResult> perform(DisplayManager& manager) const;
};

struct SetBrightnessIntent {
    static const IntentDescription description;
    static constexpr int minimumLevel = 0;
    static constexpr int maximumLevel = 100;
    DisplayEntity display;
    int level = 0;
    Task<IntentResult> perform(DisplayManager& manager) const;
};

// Moves the brightness by a step from the newest level asked of the display, so that a scrolling wheel or
// a key binding can fire steps faster than the monitor takes writes; without a display, every display the
// brightness keys drive moves by the step from its own level.
struct StepBrightnessIntent {
    static const IntentDescription description;
    static constexpr int largestStep = 100;
    std::optional<DisplayEntity> display;
    int step = 0;
    Task<IntentResult> perform(DisplayManager& manager) const;
};

struct SetDisplayNameIntent {
    static const IntentDescription description;
    DisplayEntity display;
    // Trimmed by the manager; blank clears the custom name. The dialog repeats it as given.
    std::string newName;
    Task<IntentResult> perform(DisplayManager& manager) const;
};

struct SleepDisplayIntent {
    static const IntentDescription description;
    DisplayEntity display;
    Task<IntentResult> perform(DisplayManager& manager) const;
};

}  // namespace lumadesk
