#include "hardware/PrivateDisplayConnectionController.h"

#include <optional>

#include "hardware/DisplayHardwareError.h"

namespace lumadesk {

void PrivateDisplayConnectionController::setDisplay(DisplayID displayID, bool enabled) {
    DisplayConfigurationBox configuration = m_bridge->beginConfiguration();
    std::optional<DisplayHardwareError> failure;
    if (const auto code = m_bridge->configureDisplay(displayID, enabled, configuration);
        code != windowServerSuccess) {
        failure = DisplayHardwareError::failedToConfigureDisplayEnabled(code, displayID, enabled,
                                                                        m_bridge->failureReason());
    } else if (const auto completed = m_bridge->completeConfiguration(configuration);
               completed != windowServerSuccess) {
        failure = DisplayHardwareError::failedToCompleteConfiguration(completed, m_bridge->failureReason());
    } else {
        return;
    }
    m_bridge->cancelConfiguration(configuration);
    if (!enabled) throw *failure;
    // Disabling lasts only for the session, so the permanent configuration still has the display on:
    // restoring it brings the display back. Only when that fails too is the enable reported as failed.
    if (m_bridge->restorePermanentConfiguration() != windowServerSuccess) throw *failure;
}

}  // namespace lumadesk
