#include "bus/BusActionArguments.h"

#include <stdexcept>

namespace lumadesk {

BusActionArguments busActionArguments(DisplayActionKind kind, const QString& display, int level,
                                      const QString& state, const QString& name) {
    const DisplayActionInfo& action = displayActionInfo(kind);
    DisplayActionRequest request{.kind = kind};
    try {
        for (const ActionOperand operand : action.operands) {
            switch (operand) {
                case ActionOperand::display:
                    // An empty display stands for none where the action may go without one.
                    if (action.needsDisplay() || !display.isEmpty())
                        setOperand(request, operand, display.toStdString());
                    break;
                case ActionOperand::level:
                    request.level = level;
                    break;
                case ActionOperand::state:
                    setOperand(request, operand, state.toStdString());
                    break;
                case ActionOperand::name:
                    setOperand(request, operand, name.toStdString());
                    break;
                case ActionOperand::step:
                    request.step = level;
                    break;
            }
        }
    } catch (const std::invalid_argument& problem) {
        return {std::nullopt, problem.what()};
    }
    if (auto problem = requestProblem(request)) return {std::nullopt, std::move(*problem)};
    return {std::move(request), {}};
}

}  // namespace lumadesk
