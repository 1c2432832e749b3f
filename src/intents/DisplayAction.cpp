#include "intents/DisplayAction.h"

#include <algorithm>
#include <array>
#include <stdexcept>

#include "intents/DisplayIntents.h"
#include "intents/DisplayQuery.h"

namespace lumadesk {

namespace {

using Kind = DisplayActionKind;

const std::array<DisplayActionInfo, 7> actions{{
    {Kind::getBrightness, "get-brightness", GetBrightnessIntent::description},
    {Kind::setBrightness, "set-brightness", SetBrightnessIntent::description},
    {Kind::toggleConnection, "toggle-connection", ToggleDisplayConnectionIntent::description},
    {Kind::getConnectedDisplays, "connected-displays", GetConnectedDisplaysIntent::description},
    {Kind::getDisplayInfo, "display-info", GetDisplayInfoIntent::description},
    {Kind::setDisplayName, "rename", SetDisplayNameIntent::description},
    {Kind::sleepDisplay, "sleep", SleepDisplayIntent::description},
}};

// The action's task; a plain function, so that no temporary lives across an await.
Task<IntentResult> makeTask(const DisplayActionRequest& request, const std::optional<DisplayEntity>& entity,
                            DisplayManager& manager) {
    const bool needsDisplay =
        request.kind != Kind::getConnectedDisplays && request.kind != Kind::getDisplayInfo;
    if (needsDisplay && !entity) throw std::invalid_argument("The action needs a display.");
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

Task<IntentResult> performDisplayAction(DisplayActionRequest request, DisplayManager& manager) {
    return perform(std::move(request), manager);
}

}  // namespace lumadesk
