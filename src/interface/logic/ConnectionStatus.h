#pragma once

#include <optional>
#include <string>

namespace lumadesk {

// The small indicator left of a row's switch: a spinner while a change runs, named after the change
// asked for (the stored state may already say where it goes), a warning after one failed, else a dot
// for the connection state.
class ConnectionStatus {
public:
    enum class Kind { changing, failed, connected, disconnected };

    // `requestedConnection` is the state a running change asks for, none while no change runs.
    ConnectionStatus(bool isConnected, std::optional<bool> requestedConnection,
                     const std::optional<std::string>& connectionError);

    Kind kind() const { return m_kind; }
    // The tooltip: the failure's own message, else what the indicator means.
    const std::string& toolTip() const { return m_toolTip; }
    const std::string& accessibilityLabel() const { return m_accessibilityLabel; }

private:
    Kind m_kind;
    std::string m_toolTip;
    std::string m_accessibilityLabel;
};

}  // namespace lumadesk
