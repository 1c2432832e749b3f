#include "intents/ConnectionState.h"

namespace lumadesk {

std::string_view rawValue(ConnectionState state) {
    return state == ConnectionState::on ? "on" : "off";
}

std::string_view title(ConnectionState state) {
    return state == ConnectionState::on ? "On" : "Off";
}

std::optional<ConnectionState> connectionStateFromRawValue(std::string_view raw) {
    for (const ConnectionState state : allConnectionStates) {
        if (rawValue(state) == raw) return state;
    }
    return std::nullopt;
}

}  // namespace lumadesk
