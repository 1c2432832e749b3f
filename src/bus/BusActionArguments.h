#pragma once

#include <optional>
#include <string>

#include "intents/DisplayAction.h"

#include <QString>

namespace lumadesk {

// What a call of one of the display actions on the bus asks for, made of its arguments as the bus
// delivered them; or, when they cannot run as given, why (the caller gets InvalidArgs with it).
struct BusActionArguments {
    std::optional<DisplayActionRequest> request;
    std::string problem;  // set when there is no request
};

// `display` is a hardware ID; an empty one stands for every display where the action allows it
// (GetDisplayInfo) and is refused elsewhere. `state` is "on" or "off" (ToggleConnection).
// `level` carries the step of StepBrightness. Only the arguments the action takes are read.
BusActionArguments busActionArguments(DisplayActionKind kind, const QString& display, int level = 0,
                                      const QString& state = {}, const QString& name = {});

}  // namespace lumadesk
