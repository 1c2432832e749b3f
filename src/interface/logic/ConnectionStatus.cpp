#include "interface/logic/ConnectionStatus.h"

namespace lumadesk {

ConnectionStatus::ConnectionStatus(bool isConnected, std::optional<bool> requestedConnection,
                                   const std::optional<std::string>& connectionError) {
    if (requestedConnection) {
        m_kind = Kind::changing;
        m_toolTip = *requestedConnection ? "Connecting" : "Disconnecting";
        m_accessibilityLabel = m_toolTip;
    } else if (connectionError) {
        m_kind = Kind::failed;
        m_toolTip = *connectionError;
        m_accessibilityLabel = "Connection failed: " + *connectionError;
    } else {
        m_kind = isConnected ? Kind::connected : Kind::disconnected;
        m_toolTip = isConnected ? "Connected" : "Disconnected";
        m_accessibilityLabel = m_toolTip;
    }
}

}  // namespace lumadesk
