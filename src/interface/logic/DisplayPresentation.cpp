#include "interface/logic/DisplayPresentation.h"

namespace lumadesk {

bool DisplayPresentation::isControllable() const {
    return m_display.isPresent && m_display.isConnected && m_display.supportsDDC;
}

bool DisplayPresentation::showsModelName() const {
    return m_display.customName && *m_display.customName != m_display.modelName;
}

const char* DisplayPresentation::iconSymbol() const {
    return m_display.isConnected ? "display" : "display.trianglebadge.exclamationmark";
}

std::string DisplayPresentation::brightnessHelpText() const {
    if (!m_display.isConnected) return "Reconnect this display to adjust brightness";
    if (m_display.supportsDDC) return "Adjust brightness for " + name();
    return "This display does not support DDC brightness control";
}

std::string DisplayPresentation::connectionSwitchLabel() const {
    return (m_display.isConnected ? "Disconnect " : "Connect ") + name();
}

std::string DisplayPresentation::sliderLabel() const {
    return "Brightness for " + name();
}

std::string DisplayPresentation::renameLabel() const {
    return "Rename " + name();
}

}  // namespace lumadesk
