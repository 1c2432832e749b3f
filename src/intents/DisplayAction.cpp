#include "intents/DisplayAction.h"

#include <algorithm>
#include <array>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "intents/DisplayIntents.h"
#include "intents/DisplayQuery.h"
#include "runtime/PrintableText.h"

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

bool needsDisplay(Kind kind) {
    return kind != Kind::getConnectedDisplays && kind != Kind::getDisplayInfo;
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

std::optional<std::string> requestProblem(const DisplayActionRequest& request) {
    if (request.hardwareID && request.hardwareID->empty()) return "The display must not be empty.";
    if (needsDisplay(request.kind) && !request.hardwareID) return "The action needs a display.";
    if (request.kind == Kind::setBrightness && (request.level < SetBrightnessIntent::minimumLevel ||
                                                request.level > SetBrightnessIntent::maximumLevel)) {
        return "The level must be a whole number from 0 to 100.";
    }
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
