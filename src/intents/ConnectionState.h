#pragma once

#include <optional>
#include <string_view>

namespace lumadesk {

// The state the toggle action puts a display in.
enum class ConnectionState { on, off };

// The name automation gives the type.
inline constexpr std::string_view connectionStateTypeName = "Toggle";
// Every case, in the order they are offered.
inline constexpr ConnectionState allConnectionStates[] = {ConnectionState::on, ConnectionState::off};

// "on" or "off": the value stored and passed on command lines and the bus.
std::string_view rawValue(ConnectionState state);
// "On" or "Off": how the case is shown.
std::string_view title(ConnectionState state);
// The state with the raw value; none for anything else.
std::optional<ConnectionState> connectionStateFromRawValue(std::string_view raw);

}  // namespace lumadesk
