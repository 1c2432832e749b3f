#include "intents/DisplayIntents.h"

#include <algorithm>
#include <chrono>

#include "intents/DisplayIntentError.h"
#include "intents/DisplayQuery.h"

namespace lumadesk {

namespace {

// How old the display list may be for every action but the toggle.
constexpr Duration freshnessWindow = std::chrono::seconds(2);

Task<void> refreshIfStale(DisplayManager& manager) {
    return manager.refreshIfNeeded(freshnessWindow);
}

// The actions judge an operation by the manager's message afterwards.
void throwIfFailed(const DisplayManager& manager) {
    if (const auto& message = manager.lastErrorMessage()) throw DisplayIntentError::operationFailed(*message);
}

// Brightness and sleep travel over DDC/CI, which reaches only a display on the desktop. The manager
// passes over any other without a word, so the action says why nothing was done.
void throwIfOffTheDesktop(const Display& display) {
    if (!display.isPresent)
        throw DisplayIntentError::operationFailed(display.displayName() + " is disconnected.");
}

std::string yesOrNo(bool value) {
    return value ? "yes" : "no";
}

Task<IntentResult> toggle(ToggleDisplayConnectionIntent intent, DisplayManager& manager) {
    if (!manager.hasLoaded()) co_await manager.refresh();
    const Display display = lookUpDisplay(manager, intent.display.hardwareID);
    const bool wanted = intent.state == ConnectionState::on;
    const std::string& name = intent.display.displayName;
    if (wanted == display.isConnected) {
        co_return IntentResult{name + (wanted ? " is already connected." : " is already disconnected.")};
    }
    co_await manager.setConnected(wanted, display.hardwareID);
    throwIfFailed(manager);
    co_return IntentResult{(wanted ? "Connected " : "Disconnected ") + name + "."};
}

Task<IntentResult> getBrightness(GetBrightnessIntent intent, DisplayManager& manager) {
    co_await refreshIfStale(manager);
    const Display display = lookUpDisplay(manager, intent.display.hardwareID);
    co_return IntentResult{
        intent.display.displayName + " brightness is " + std::to_string(display.brightness) + "%.",
        display.brightness};
}

Task<IntentResult> getConnectedDisplays(DisplayManager& manager) {
    co_await refreshIfStale(manager);
    std::vector<Display> connected = manager.visibleDisplays();
    std::erase_if(connected, [](const Display& display) { return !display.isConnected; });
    std::vector<DisplayEntity> entities = makeDisplayEntities(std::move(connected));
    const std::size_t count = entities.size();
    std::string dialog =
        count == 0 ? "No displays are currently connected."
                   : "Found " + std::to_string(count) + " connected display" + (count == 1 ? "" : "s") + ".";
    co_return IntentResult{std::move(dialog), std::move(entities)};
}

Task<IntentResult> getDisplayInfo(GetDisplayInfoIntent intent, DisplayManager& manager) {
    co_await refreshIfStale(manager);
    std::vector<Display> displays;
    if (intent.display) {
        displays.push_back(lookUpDisplay(manager, intent.display->hardwareID));
    } else {
        displays = manager.visibleDisplays();
        std::ranges::stable_sort(displays, {}, &Display::sortOrder);
    }
    std::string info;
    for (const Display& display : displays) {
        if (!info.empty()) info += '\n';
        info += display.displayName() + ": brightness " + std::to_string(display.brightness) +
                "%, connected " + yesOrNo(display.isConnected) + ", present " + yesOrNo(display.isPresent);
    }
    std::string dialog = displays.size() == 1
                             ? "Fetched display info."
                             : "Fetched info for " + std::to_string(displays.size()) + " displays.";
    co_return IntentResult{std::move(dialog), std::move(info)};
}

Task<IntentResult> setBrightness(SetBrightnessIntent intent, DisplayManager& manager) {
    co_await refreshIfStale(manager);
    const Display display = lookUpDisplay(manager, intent.display.hardwareID);
    throwIfOffTheDesktop(display);
    co_await manager.setBrightness(intent.level, display.hardwareID);
    throwIfFailed(manager);
    co_return IntentResult{"Set " + intent.display.displayName + " brightness to " +
                           std::to_string(intent.level) + "%."};
}

Task<IntentResult> stepBrightness(StepBrightnessIntent intent, DisplayManager& manager) {
    co_await refreshIfStale(manager);
    if (intent.display) {
        const Display display = lookUpDisplay(manager, intent.display->hardwareID);
        co_await manager.stepBrightness(intent.step, display.hardwareID);
        throwIfFailed(manager);
        const int level = lookUpDisplay(manager, display.hardwareID).brightness;
        co_return IntentResult{
            "Set " + intent.display->displayName + " brightness to " + std::to_string(level) + "%.", level};
    }
    const std::vector<std::string> stepped = co_await manager.stepBrightnessForAllDisplays(intent.step);
    if (stepped.empty())
        throw DisplayIntentError::operationFailed("No connected display takes brightness changes.");
    throwIfFailed(manager);
    int sum = 0;
    for (const std::string& hardwareID : stepped) sum += lookUpDisplay(manager, hardwareID).brightness;
    const int mean = sum / static_cast<int>(stepped.size());
    const std::string displays = stepped.size() == 1 ? " display to " : " displays to ";
    co_return IntentResult{"Set the brightness of " + std::to_string(stepped.size()) + displays +
                               std::to_string(mean) + "% on average.",
                           mean};
}

Task<IntentResult> setDisplayName(SetDisplayNameIntent intent, DisplayManager& manager) {
    co_await refreshIfStale(manager);
    const Display display = lookUpDisplay(manager, intent.display.hardwareID);
    // Renaming leaves lastErrorMessage alone, so a message there may be an earlier action's: only a
    // rename that failed itself is reported.
    if (!manager.setCustomName(intent.newName, display.hardwareID)) throwIfFailed(manager);
    co_return IntentResult{"Renamed display to " + intent.newName + "."};
}

Task<IntentResult> sleepDisplay(SleepDisplayIntent intent, DisplayManager& manager) {
    co_await refreshIfStale(manager);
    const Display display = lookUpDisplay(manager, intent.display.hardwareID);
    throwIfOffTheDesktop(display);
    manager.sleepDisplay(display.hardwareID);
    throwIfFailed(manager);
    co_return IntentResult{"Sent " + intent.display.displayName + " to sleep."};
}

}  // namespace

const IntentDescription ToggleDisplayConnectionIntent::description{
    "Connect or Disconnect a Display",
    {{"display", "Display"}, {"state", "Toggle"}},
    "Change the connection state of ${display} to ${state}."};
const IntentDescription GetBrightnessIntent::description{
    "Get Brightness", {{"display", "Display"}}, "Get brightness of ${display}"};
const IntentDescription GetConnectedDisplaysIntent::description{"Get Connected Displays", {}, ""};
const IntentDescription GetDisplayInfoIntent::description{
    "Get Display Info", {{"display", "Display", false}}, "Get info for ${display}"};
const IntentDescription SetBrightnessIntent::description{
    "Set Brightness", {{"display", "Display"}, {"level", "Level"}}, "Set ${display} brightness to ${level}%"};
const IntentDescription StepBrightnessIntent::description{"Step Brightness",
                                                          {{"display", "Display"}, {"step", "Step"}},
                                                          "Change ${display} brightness by ${step}%"};
const IntentDescription SetDisplayNameIntent::description{
    "Set Display Name", {{"display", "Display"}, {"newName", "Name"}}, "Rename ${display} to ${newName}"};
const IntentDescription SleepDisplayIntent::description{
    "Sleep Display", {{"display", "Display"}}, "Put ${display} to sleep"};

Task<IntentResult> ToggleDisplayConnectionIntent::perform(DisplayManager& manager) const {
    return toggle(*this, manager);
}
Task<IntentResult> GetBrightnessIntent::perform(DisplayManager& manager) const {
    return getBrightness(*this, manager);
}
Task<IntentResult> GetConnectedDisplaysIntent::perform(DisplayManager& manager) const {
    return getConnectedDisplays(manager);
}
Task<IntentResult> GetDisplayInfoIntent::perform(DisplayManager& manager) const {
    return getDisplayInfo(*this, manager);
}
Task<IntentResult> SetBrightnessIntent::perform(DisplayManager& manager) const {
    return setBrightness(*this, manager);
}
Task<IntentResult> StepBrightnessIntent::perform(DisplayManager& manager) const {
    return stepBrightness(*this, manager);
}
Task<IntentResult> SetDisplayNameIntent::perform(DisplayManager& manager) const {
    return setDisplayName(*this, manager);
}
Task<IntentResult> SleepDisplayIntent::perform(DisplayManager& manager) const {
    return sleepDisplay(*this, manager);
}

}  // namespace lumadesk
