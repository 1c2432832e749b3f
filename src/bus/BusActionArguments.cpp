#include "bus/BusActionArguments.h"

namespace lumadesk {

BusActionArguments busActionArguments(DisplayActionKind kind, const QString& display, int level,
                                      const QString& state, const QString& name) {
    DisplayActionRequest request{.kind = kind, .level = level};
    if (kind != DisplayActionKind::getConnectedDisplays &&
        (kind != DisplayActionKind::getDisplayInfo || !display.isEmpty()))
        request.hardwareID = display.toStdString();
    if (kind == DisplayActionKind::toggleConnection) {
        const auto connectionState = connectionStateFromRawValue(state.toStdString());
        if (!connectionState) return {std::nullopt, "The state must be \"on\" or \"off\"."};
        request.state = *connectionState;
    }
    if (kind == DisplayActionKind::setDisplayName) request.newName = name.toStdString();
    if (auto problem = requestProblem(request)) return {std::nullopt, std::move(*problem)};
    return {std::move(request), {}};
}

}  // namespace lumadesk
